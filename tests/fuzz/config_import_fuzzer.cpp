// Any bytes as a server.cfg. The import must not fail, must leave every text
// of the record ended within its 4096 bytes and account for every command
// of every line once, in order; and what it makes of the bytes must be stable: the record
// written, read again and written gives the same bytes, every line applied.
#include <cstdint>
#include <cstring>
#include <string>

#include "core/servercfg/config_import.h"
#include "core/servercfg/config_writer.h"
#include "core/settings/settings_file.h"

namespace {

void Require(bool condition) {
    if (!condition) __builtin_trap();
}

void RequireTextsEnded(const ServerSettings& settings) {
    const SettingKey* keys = SettingKeys();
    for (std::size_t i = 0; i < kSettingKeyCount; ++i) {
        if (keys[i].field.kind != SettingKind::Text) continue;
        const char* text = keys[i].field.As<SettingKind::Text>().In(settings);
        Require(std::memchr(text, '\0', kSettingsTextSize) != nullptr);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static ServerSettings* const first = new ServerSettings;
    static ServerSettings* const second = new ServerSettings;
    // Texts left unended by an earlier input would hide a missing end.
    const SettingKey* keys = SettingKeys();
    for (std::size_t i = 0; i < kSettingKeyCount; ++i) {
        if (keys[i].field.kind == SettingKind::Text)
            std::memset(keys[i].field.As<SettingKind::Text>().In(*first), 'x', kSettingsTextSize);
    }

    const ImportReport report = ImportServerConfig(std::string(reinterpret_cast<const char*>(data), size), *first);
    RequireTextsEnded(*first);
    const int lines = report.applied + report.carried + report.superseded + report.dropped + report.comments;
    Require(lines >= 0 && static_cast<std::size_t>(lines) <= size);
    // A line may hold several commands: each is told once, in the order of
    // the lines and of the commands within a line.
    int previousLine = 0;
    int previousCommand = 0;
    for (const ImportReport::Line& line : report.lines) {
        Require(line.number >= 1 && static_cast<std::size_t>(line.number) <= size && line.command >= 1);
        Require(line.number > previousLine || (line.number == previousLine && line.command > previousCommand));
        previousLine = line.number;
        previousCommand = line.command;
    }
    Require(!report.additionalOptionsOverflow || report.dropped > 0);

    const std::string written = BuildServerConfig(*first);
    const ImportReport again = ImportServerConfig(written, *second);
    RequireTextsEnded(*second);
    Require(again.carried == 0 && again.superseded == 0 && again.dropped == 0);
    Require(BuildServerConfig(*second) == written);
    return 0;
}
