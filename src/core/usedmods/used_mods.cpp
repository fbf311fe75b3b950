#include "core/usedmods/used_mods.h"

#include <string>

#include "platform/platform.h"
#include "core/settings/flagged_list.h"
#include "core/common/notice.h"
#include "core/common/ui_text.h"
#include "core/common/user_folder.h"

namespace {
// Mod names are folder names and may hold characters that XML reserves.
std::string EscapeXml(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\'': out += "&apos;"; break;
            default: out += c;
        }
    }
    return out;
}
}  // namespace

int CountFlaggedPairs(const char* text) { return static_cast<int>(ParseFlaggedList(text).size()); }

std::string BuildUsedMods(const char* moduleUseList) {
    const std::vector<FlaggedItem> mods = ParseFlaggedList(moduleUseList);
    std::string bytes;
    long priority = 2L * static_cast<long>(mods.size());
    for (const FlaggedItem& mod : mods) {
        bytes += "<use priority=\"" + std::to_string(priority) + "\" downloadable=\"";
        bytes += IsMarkSet(mod.mark) ? "true" : "false";
        bytes += "\">" + EscapeXml(mod.item) + "</use>\r\n";
        priority -= 2;
    }
    return bytes;
}

bool WriteUsedMods(const char* list, const ServerContext& context, platform::Error& error) {
    const std::string path = context.places.UsedModsPath();
    // With no mod in use an old file would go on loading the mods the
    // operator took out, so one that exists is emptied; where none exists
    // none is made, since no file and an empty one tell the server the same.
    if (CountFlaggedPairs(list) == 0 &&
        (path.size() >= kUserPathSize || !platform::PathExists(path.c_str()))) {
        return true;
    }
    const std::string bytes = BuildUsedMods(list);
    bool written = false;
    if (path.size() >= kUserPathSize) {
        platform::SetLastErrorCode(206);  // ERROR_FILENAME_EXCED_RANGE
    } else {
        written = platform::ReplaceFileContents(path.c_str(), bytes.data(), bytes.size());
    }
    if (written) return true;
    error = platform::LastError(path);
    ReportFileNotWritten(context.notices, path, IDS_USED_MODS_WRITE_FAILED_TEXT, IDS_USED_MODS_WRITE_FAILED_CAPTION,
                         error);
    return false;
}
