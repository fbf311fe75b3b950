#include "core/servercfg/import_apply.h"

#include <cstring>

#include "core/settings/settings_backup.h"

ImportRun RunImport(const std::string& bytes, const ServerSettings& stored, bool merge) {
    ImportRun run;
    // An archive or a picture read as a script would replace every setting
    // with the defaults and carry its bytes as options.
    run.notText = WhyNotText(bytes);
    if (!run.notText.empty()) return run;
    // server.cfg does not hold the mods in use: they stay as stored.
    run.settings = std::make_unique<ServerSettings>(stored);
    run.report = ImportServerConfig(bytes, *run.settings, merge ? ImportBase::Current : ImportBase::Defaults);
    std::memcpy(run.settings->ModuleUseList, stored.ModuleUseList, sizeof run.settings->ModuleUseList);
    // A file that tells the server nothing would only reset the settings.
    if (run.report.assignments == 0) {
        run.exitCode = kImportPartly;
        run.conclusion = "assigns no setting; the settings file was left as it is";
        return run;
    }
    run.writable = true;
    run.exitCode = ImportKeptEverything(run.report) ? kImportKept : kImportPartly;
    if (run.exitCode != kImportKept) {
        run.conclusion = "server.cfg written from these settings would not tell the server all that this file did "
                         "(see the lines above)";
    }
    return run;
}

ImportWriteFailure WriteImportedSettings(const ServerSettings& settings, const ServerContext& context,
                                         const std::function<void()>& keepHistory, platform::Error& error) {
    const std::string& ini = context.places.settingsFile;
    if (ini.size() >= kProfilePathSize) return ImportWriteFailure::PathTooLong;
    if (!BackUpSettingsFile(ini)) {
        error = platform::LastError(ini + ".bak");
        return ImportWriteFailure::BackupFailed;
    }
    if (keepHistory) keepHistory();
    return settings.WriteSettings(context).Written() ? ImportWriteFailure::None : ImportWriteFailure::SettingsFailed;
}
