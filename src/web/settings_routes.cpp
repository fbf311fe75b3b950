#include "web/settings_routes.h"

#include <cstdint>
#include <ctime>
#include <map>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "cli/cli_places.h"
#include "core/check/config_check.h"
#include "core/check/host_findings.h"
#include "core/common/ui_text.h"
#include "core/common/user_folder.h"
#include "core/discovery/list_rules.h"
#include "core/discovery/map_discovery.h"
#include "core/discovery/mod_discovery.h"
#include "core/history/config_history.h"
#include "core/history/history_compare.h"
#include "core/servercfg/import_apply.h"
#include "core/servercfg/save_configuration.h"
#include "core/servercfg/setting_lookup.h"
#include "core/settings/page_fields.h"
#include "core/settings/settings_file.h"
#include "platform/platform.h"

namespace {

using json = nlohmann::json;

// The transport refuses larger bodies already; an import never reads more.
constexpr std::size_t kImportBodyLimit = 1024 * 1024;

// Texts of the settings, the string table and the file system are
// Windows-1252 bytes; the page reads UTF-8.
json Text(const std::string& bytes) { return Cp1252ToUtf8(bytes); }
json PathText(const std::string& path) { return Cp1252ToUtf8(platform::HostPath(path.c_str())); }
json UIText(unsigned id) { return Cp1252ToUtf8(LoadUIText(id)); }

// One request's server: its places, and the notices the core reports while
// the request runs, for the answer (nothing may open a box or print).
struct Server {
    std::string name;
    ServerContext context;
    std::shared_ptr<std::vector<Notice>> notices = std::make_shared<std::vector<Notice>>();
};

// The instance the path names; false with the answer to give otherwise
// (its reason as the command line gives it for --instance).
bool OpenServer(const WebSite& site, const RouteParams& params, Server& server, WebResponse& refusal) {
    server.name = params.at("instance");
    std::string why;
    if (!PlacesOfInstance(site, server.name, server.context, why)) {
        refusal = ErrorResponse(404, Cp1252ToUtf8(why));
        return false;
    }
    const auto notices = server.notices;
    server.context.notices = [notices](const Notice& notice) {
        notices->push_back(notice);
        return 1;  // IDOK: the sink answers as the box's only button would
    };
    return true;
}

// A change that comes as a JSON object: the server opened, then the body read.
bool OpenServerWithBody(const WebSite& site, const WebRequest& request, const RouteParams& params, Server& server,
                        json& body, WebResponse& refusal) {
    if (!OpenServer(site, params, server, refusal)) return false;
    std::string why;
    if (ParseJsonObject(request.body, body, why)) return true;
    refusal = ErrorResponse(400, why);
    return false;
}

// The settings as the window loads them: the defaults, then the file.
std::unique_ptr<ServerSettings> LoadStored(const Server& server) {
    auto settings = std::make_unique<ServerSettings>();
    settings->SetDefaults();
    settings->ReadSettings(server.context.places);
    return settings;
}

json NoticesJson(const Server& server) {
    json list = json::array();
    for (const Notice& notice : *server.notices) {
        std::string text = notice.text;
        if (notice.error.Failed() && text.find(notice.error.text) == std::string::npos) {
            text += ": " + notice.error.text;
        }
        list.push_back(Text(text));
    }
    return list;
}

json FailureJson(const platform::Error& error) {
    return {{"file", PathText(error.path)}, {"reason", Text(error.text)}};
}

// The history of a save, kept as the window keeps it; a failure is told in
// the answer and never stops what follows.
void KeepHistoryFor(const WebSite& site, const Server& server, const char* reason, json& failures) {
    const HistoryResult kept = KeepHistory(server.context.places, reason, std::time(nullptr), site.keepHistory);
    if (kept.Failed()) {
        failures.push_back({{"file", PathText(kept.error.path.empty() ? HistoryFolder(server.context.places)
                                                                        : kept.error.path)},
                            {"reason", "the configuration being replaced could not be kept in the history: " +
                                           Cp1252ToUtf8(kept.error.text)}});
    }
}

const char* KeyOfField(AnyField field) {
    const SettingKey* keys = SettingKeys();
    for (std::size_t i = 0; i < kSettingKeyCount; ++i) {
        if (keys[i].field.kind == field.kind && keys[i].field.offset == field.offset) return keys[i].key;
    }
    return "";
}

const MarkedListRules* ListRulesOf(AnyField field) {
    for (const MarkedListRules* rules : {&RotationListRules(), &ModsListRules()}) {
        if (AnyField(rules->field).offset == field.offset && field.kind == SettingKind::Text) return rules;
    }
    return nullptr;
}

json RowJson(const PageField& row, const ServerSettings& settings) {
    json out;
    out["kind"] = KindName(KindOf(row.conversion));
    if (row.conversion != PageConversion::Caption) out["key"] = KeyOfField(row.field);
    out["label"] = UIText(row.label);
    switch (row.conversion) {
    case PageConversion::Text:
    case PageConversion::ServerName:
        out["value"] = Text(ShowPageValue(row, settings));
        out["maxLength"] = row.conversion == PageConversion::ServerName ? kServerNameLength : kPageTextLimit;
        out["multiLine"] = row.multiLine;
        break;
    case PageConversion::Unsigned:
    case PageConversion::Signed:
    case PageConversion::IntOrBlank:
    case PageConversion::Float: {
        const bool isFloat = row.conversion == PageConversion::Float;
        out["value"] = Text(ShowPageValue(row, settings));
        out["float"] = isFloat;
        if (isFloat) {
            out["min"] = nullptr;  // any decimal number the float reading takes
            out["max"] = nullptr;
        } else if (row.conversion == PageConversion::Unsigned) {
            out["min"] = 0;
            out["max"] = 4294967295LL;
        } else {
            out["min"] = static_cast<long long>(INT32_MIN);
            out["max"] = static_cast<long long>(INT32_MAX);
        }
        out["blank"] = row.conversion == PageConversion::IntOrBlank;
        break;
    }
    case PageConversion::Flag:
    case PageConversion::AllSkins:
        out["value"] = ShowPageValue(row, settings);
        break;
    case PageConversion::Choice: {
        out["value"] = Text(ShowPageValue(row, settings));
        json choices = json::array();
        for (std::size_t i = 0; i < row.choiceCount; ++i) choices.push_back(UIText(row.choices[i]));
        out["choices"] = choices;
        break;
    }
    case PageConversion::MarkedList: {
        const MarkedListRules* rules = ListRulesOf(row.field);
        out["mark"] = rules != nullptr ? rules->markName : "";
        const MarkedList list = MarkedList::FromText(row.field.As<SettingKind::Text>().In(settings));
        json entries = json::array();
        for (std::size_t i = 0; i < list.Size(); ++i) {
            entries.push_back({{"name", Text(list.At(i).text)}, {"marked", list.At(i).marked}});
        }
        out["entries"] = entries;
        break;
    }
    case PageConversion::Caption: break;
    }
    return out;
}

WebResponse GetPages(const WebSite& site, const WebRequest& request, const RouteParams& params) {
    Server server;
    WebResponse refusal;
    if (!OpenServer(site, params, server, refusal)) return refusal;
    std::unique_ptr<ServerSettings> settings;
    if (request.Query("defaults") == "1") {
        // As Use Defaults shows them: nothing is read, nothing is saved.
        settings = std::make_unique<ServerSettings>();
        settings->SetDefaults();
    } else {
        settings = LoadStored(server);
    }
    json pages = json::array();
    for (const SettingsPage& page : kSettingsPages) {
        json rows = json::array();
        for (const PageField& row : page) {
            if (!row.hidden) rows.push_back(RowJson(row, *settings));
        }
        pages.push_back({{"name", page.name}, {"title", UIText(page.title)}, {"rows", rows}});
    }
    const json texts = {{"save", UIText(IDS_SAVE_CONFIG)},  {"defaults", UIText(IDS_USE_DEFAULTS)},
                        {"launch", UIText(IDS_LAUNCH_SERVER)}, {"add", UIText(IDS_ADD_BUTTON)},
                        {"remove", UIText(IDS_REMOVE_BUTTON)}, {"up", UIText(IDS_UP_BUTTON)},
                        {"down", UIText(IDS_DOWN_BUTTON)},     {"useMap", UIText(IDS_USE_MAP)},
                        {"modsHint", UIText(IDS_MODS_DOWNLOAD_HINT)}, {"maps", UIText(IDS_MAPS_FOUND)},
                        {"modsFound", UIText(IDS_MODS_FOUND)}};
    return JsonResponse({{"instance", Text(server.name)},
                         {"settingsFile", PathText(server.context.places.settingsFile)},
                         {"exists", SettingsFileExists(server.context.places)},
                         {"texts", texts},
                         {"pages", pages}});
}

// A whole decimal int32, as the page sends a game type.
bool ReadInt(const std::string& text, int& value) {
    if (text.empty() || text.size() > 11) return false;
    long long number = 0;
    std::size_t i = text[0] == '-' ? 1 : 0;
    if (i == text.size()) return false;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        number = number * 10 + (text[i] - '0');
    }
    if (text[0] == '-') number = -number;
    if (number < INT32_MIN || number > INT32_MAX) return false;
    value = static_cast<int>(number);
    return true;
}

std::unordered_set<std::string> NameSet(const std::vector<std::string>& names) {
    return std::unordered_set<std::string>(names.begin(), names.end());
}

WebResponse GetLists(const WebSite& site, const WebRequest& request, const RouteParams& params) {
    Server server;
    WebResponse refusal;
    if (!OpenServer(site, params, server, refusal)) return refusal;
    const auto stored = LoadStored(server);
    ServerSettings& settings = *stored;
    const std::string gameType = request.Query("gameType", "\x01");
    if (gameType != "\x01" && !ReadInt(gameType, settings.GameType)) {
        return ErrorResponse(400, "gameType is not a whole number");
    }
    const std::vector<std::string> modsFound = FoundListNames(ModsListRules(), server.context.places, settings);
    const std::string modsText = request.Query("mods", "\x01");
    if (modsText != "\x01") {
        std::string bytes;
        if (!Utf8ToCp1252(modsText, bytes)) return ErrorResponse(400, "mods holds a character outside Windows-1252");
        if (bytes.size() > MarkedList::kTextLimit) return ErrorResponse(400, "mods is longer than the list can be");
        // Each mod in use names a folder whose archives are read: only the
        // mods found there, or those the settings already use, are looked
        // into.
        const std::unordered_set<std::string> found = NameSet(modsFound);
        const MarkedList stored = MarkedList::FromText(settings.ModuleUseList);
        const MarkedList asked = MarkedList::FromText(bytes.c_str());
        MarkedList kept;
        for (std::size_t i = 0; i < asked.Size(); ++i) {
            const MarkedEntry& entry = asked.At(i);
            if (found.count(entry.text) != 0 || stored.Contains(entry.text)) kept.Append(entry.text, entry.marked);
        }
        const std::string text = kept.ToText();
        text.copy(settings.ModuleUseList, text.size());
        settings.ModuleUseList[text.size()] = '\0';
    }
    const std::vector<std::string> maps = FoundListNames(RotationListRules(), server.context.places, settings);
    json mapsJson = json::array();
    for (const std::string& map : maps) mapsJson.push_back(Text(map));
    json modsJson = json::array();
    for (const std::string& mod : modsFound) modsJson.push_back(Text(mod));
    return JsonResponse({{"maps", mapsJson}, {"mods", modsJson}});
}

// Replaces the list of `rules` in `settings` with the request's entries:
// each a name found by discovery or already in the stored list. False with
// the reason otherwise, `settings` then partly changed.
bool ApplyList(const MarkedListRules& rules, const json& entries, const ServerPlaces& places,
               const ServerSettings& stored, ServerSettings& settings, std::string& why) {
    if (!entries.is_array()) {
        why = "not a list of entries";
        return false;
    }
    // Three characters is the least an entry takes in the stored text.
    if (entries.size() > MarkedList::kTextLimit / 3) {
        why = "more entries than the list can hold";
        return false;
    }
    const std::unordered_set<std::string> found = NameSet(FoundListNames(rules, places, settings));
    const MarkedList before = MarkedList::FromText(rules.field.In(stored));
    MarkedList list;
    for (const json& entry : entries) {
        const json* name = entry.is_object() && entry.contains("name") ? &entry.at("name") : nullptr;
        const json* marked = entry.is_object() && entry.contains("marked") ? &entry.at("marked") : nullptr;
        if (name == nullptr || !name->is_string() || (marked != nullptr && !marked->is_boolean())) {
            why = "each entry is {\"name\": text, \"marked\": true or false}";
            return false;
        }
        std::string text;
        if (!Utf8ToCp1252(name->get<std::string>(), text)) {
            why = "'" + name->get<std::string>() + "' holds a character outside Windows-1252";
            return false;
        }
        if (text.empty()) {
            why = std::string("a ") + rules.itemName + " without a name";
            return false;
        }
        if (found.count(text) == 0 && !before.Contains(text)) {
            why = std::string(rules.itemName) + " '" + Cp1252ToUtf8(text) + "' is not among those found";
            return false;
        }
        const AddResult result = list.AddOnce(text);
        if (result == AddResult::AlreadyPresent) {
            why = std::string(rules.itemName) + " '" + Cp1252ToUtf8(text) + "' is in the list twice";
            return false;
        }
        if (result != AddResult::Added) {
            why = Cp1252ToUtf8(ListRefusalText(rules, result, text));
            return false;
        }
        if (marked != nullptr && marked->get<bool>()) list.ToggleMark(list.Size() - 1);
    }
    const std::string text = list.ToText();
    char* field = rules.field.In(settings);
    text.copy(field, text.size());
    field[text.size()] = '\0';
    return true;
}

WebResponse PostSave(const WebSite& site, const WebRequest& request, const RouteParams& params) {
    Server server;
    WebResponse refusal;
    json body;
    if (!OpenServerWithBody(site, request, params, server, body, refusal)) return refusal;
    std::string why;
    // "defaults": the page shows Use Defaults' settings: what is saved starts
    // from them, every field and list included, as the window's Save after
    // Use Defaults writes the defaults' own bytes.
    const json* fromDefaults = body.contains("defaults") ? &body.at("defaults") : nullptr;
    if (fromDefaults != nullptr && !fromDefaults->is_boolean()) return ErrorResponse(400, "defaults is not true or false");
    std::unique_ptr<ServerSettings> stored;
    if (fromDefaults != nullptr && fromDefaults->get<bool>()) {
        stored = std::make_unique<ServerSettings>();
        stored->SetDefaults();
    } else {
        stored = LoadStored(server);
    }
    auto settings = std::make_unique<ServerSettings>(*stored);
    json problems = json::object();

    if (body.contains("values")) {
        const json& values = body.at("values");
        if (!values.is_object()) return ErrorResponse(400, "values is not an object");
        for (const auto& item : values.items()) {
            const std::string& name = item.key();
            if (!item.value().is_string()) {
                problems[name] = "the value is not a text";
                continue;
            }
            SettingRef setting;
            std::vector<const SettingKey*> candidates;
            std::string bytes;
            if (!Utf8ToCp1252(name, bytes) ||
                FindSettingByName(bytes, setting, candidates) != SettingLookup::Found) {
                problems[name] = "no such setting";
                continue;
            }
            if (setting.row == nullptr || setting.row->hidden) {
                problems[name] = "not on any page";
                continue;
            }
            if (setting.row->conversion == PageConversion::MarkedList) {
                problems[name] = "a list: sent under \"lists\"";
                continue;
            }
            if (!Utf8ToCp1252(item.value().get<std::string>(), bytes)) {
                problems[name] = "holds a character outside Windows-1252";
                continue;
            }
            if (!SetPageValue(*setting.row, bytes, *settings, why)) problems[name] = Cp1252ToUtf8(why);
        }
    }
    if (body.contains("lists")) {
        const json& lists = body.at("lists");
        if (!lists.is_object()) return ErrorResponse(400, "lists is not an object");
        for (const auto& item : lists.items()) {
            if (item.key() != ModsListRules().key && item.key() != RotationListRules().key) {
                problems[item.key()] = "not a list of the pages";
            }
        }
        // The mods first: the maps found depend on the mods in use.
        for (const MarkedListRules* rules : {&ModsListRules(), &RotationListRules()}) {
            if (!lists.contains(rules->key)) continue;
            if (!ApplyList(*rules, lists.at(rules->key), server.context.places, *stored, *settings, why)) {
                problems[rules->key] = why;
            }
        }
    }
    if (!problems.empty()) {
        // All or nothing: one refused value leaves every file as it was.
        return JsonResponse({{"error", "some values were refused; nothing was saved"}, {"fields", problems}}, 422);
    }

    CreateUserFolders(server.context.places.userFolder);  // as the window does when it starts
    json failures = json::array();
    // The window's Save Config: the history first, then the three files.
    KeepHistoryFor(site, server, "Save Config", failures);
    const SaveResult saved = SaveConfiguration(*settings, server.context);
    for (const platform::Error& failure : saved.failures) failures.push_back(FailureJson(failure));
    const bool written = saved.settings.Written();
    return JsonResponse({{"saved", written}, {"failures", failures}, {"notices", NoticesJson(server)}},
                        written ? 200 : 500);
}

WebResponse GetCheck(const WebSite& site, const WebRequest&, const RouteParams& params) {
    Server server;
    WebResponse refusal;
    if (!OpenServer(site, params, server, refusal)) return refusal;
    const auto settings = LoadStored(server);
    std::vector<Finding> found = CheckConfiguration(*settings, server.context.places);
    AppendProgramFindings(server.context.places, found);
    json findings = json::array();
    for (const Finding& finding : found) {
        findings.push_back({{"severity", SeverityName(finding.severity)},
                            {"key", PathText(finding.setting)},
                            {"message", Text(finding.message)}});
    }
    return JsonResponse({{"findings", findings}});
}

// A switch of the query: absent is off; only 0 and 1 are read.
bool ReadSwitch(const WebRequest& request, const char* name, bool& on) {
    const std::string value = request.Query(name, "0");
    on = value == "1";
    return value == "0" || value == "1";
}

WebResponse PostImport(const WebSite& site, const WebRequest& request, const RouteParams& params) {
    if (request.body.size() > kImportBodyLimit) return ErrorResponse(413, "a server.cfg of more than 1 MB is refused");
    bool merge = false;
    bool apply = false;
    if (!ReadSwitch(request, "merge", merge) || !ReadSwitch(request, "apply", apply)) {
        return ErrorResponse(400, "merge and apply are 0 or 1");
    }
    Server server;
    WebResponse refusal;
    if (!OpenServer(site, params, server, refusal)) return refusal;
    const auto stored = LoadStored(server);
    const ImportRun run = RunImport(request.body, *stored, merge);
    json lines = json::array();
    if (!run.notText.empty()) {
        lines.push_back("not a text file (" + Cp1252ToUtf8(run.notText) + "); nothing was written");
        return JsonResponse({{"exit", run.exitCode}, {"lines", lines}, {"applied", false}});
    }
    for (const std::string& line : DescribeImport(run.report)) lines.push_back(Text(line));
    if (!run.conclusion.empty()) lines.push_back(Text(run.conclusion));
    if (!apply || !run.writable) return JsonResponse({{"exit", run.exitCode}, {"lines", lines}, {"applied", false}});

    CreateUserFolders(server.context.places.userFolder);
    json failures = json::array();
    platform::Error error;
    const ImportWriteFailure failure = WriteImportedSettings(
        *run.settings, server.context, [&] { KeepHistoryFor(site, server, "import", failures); }, error);
    for (const json& kept : failures) lines.push_back(kept.at("reason"));
    const std::string& ini = server.context.places.settingsFile;
    switch (failure) {
    case ImportWriteFailure::None:
        lines.push_back("settings written to " + PathText(ini).get<std::string>());
        return JsonResponse(
            {{"exit", run.exitCode}, {"lines", lines}, {"applied", true}, {"notices", NoticesJson(server)}});
    case ImportWriteFailure::PathTooLong:
        lines.push_back(PathText(ini).get<std::string>() + ": the settings file's path is longer than 259 characters");
        break;
    case ImportWriteFailure::BackupFailed:
        lines.push_back(PathText(ini).get<std::string>() + ".bak: the old settings file could not be kept (" +
                        Cp1252ToUtf8(error.text) + "); nothing was written");
        break;
    case ImportWriteFailure::SettingsFailed: break;
    }
    return JsonResponse(
        {{"exit", kImportRefused}, {"lines", lines}, {"applied", false}, {"notices", NoticesJson(server)}}, 500);
}

WebResponse GetHistory(const WebSite& site, const WebRequest&, const RouteParams& params) {
    Server server;
    WebResponse refusal;
    if (!OpenServer(site, params, server, refusal)) return refusal;
    json entries = json::array();
    for (const HistoryEntry& entry : ListHistory(server.context.places)) {
        json files = json::array();
        for (const HistoryFile& file : entry.files) {
            if (!file.stored.empty()) files.push_back(HistoryRoleName(file.role));
        }
        entries.push_back({{"id", Text(entry.id)},
                           {"number", entry.number},
                           {"time", Text(entry.time)},
                           {"reason", Text(entry.reason)},
                           {"files", files}});
    }
    return JsonResponse({{"entries", entries}});
}

WebResponse GetHistoryDiff(const WebSite& site, const WebRequest& request, const RouteParams& params) {
    Server server;
    WebResponse refusal;
    if (!OpenServer(site, params, server, refusal)) return refusal;
    std::vector<std::string> ids;
    for (const char* name : {"a", "b"}) {
        std::string id;
        if (!Utf8ToCp1252(request.Query(name), id)) return ErrorResponse(400, std::string(name) + " is no entry");
        ids.push_back(id);
    }
    if (ids[0].empty() && !ids[1].empty()) {
        // B alone: compared with the newest entry, as A defaults to.
        const std::vector<HistoryEntry> entries = ListHistory(server.context.places);
        if (!entries.empty()) ids[0] = entries.back().id;
    }
    while (!ids.empty() && ids.back().empty()) ids.pop_back();
    HistoryComparison comparison;
    std::string missing;
    switch (CompareHistory(server.context.places, ids, comparison, missing)) {
    case CompareResult::Compared: break;
    case CompareResult::NoHistory:
        return ErrorResponse(404, "no history in " +
                                      PathText(HistoryFolder(server.context.places)).get<std::string>());
    case CompareResult::NoSuchEntry: return ErrorResponse(404, "no history entry " + Cp1252ToUtf8(missing));
    }
    json files = json::array();
    json settings = json::array();
    json lines = json::array();
    for (const FileComparison& file : comparison.files) {
        const char* role = HistoryRoleName(file.role);
        files.push_back({{"file", role}, {"name", Text(file.name)}, {"before", file.before}, {"after", file.after}});
        for (const SettingChange& change : file.settings) {
            settings.push_back({{"label", Text(change.label)},
                                {"key", Text(change.key)},
                                {"before", change.hadBefore ? Text(change.before) : json(nullptr)},
                                {"after", change.hasAfter ? Text(change.after) : json(nullptr)}});
        }
        for (const LineChange& line : file.lines) {
            lines.push_back({{"file", role}, {"sign", std::string(1, line.sign)}, {"text", Text(line.line)}});
        }
    }
    return JsonResponse({{"from", Text(comparison.from)},
                         {"to", Text(comparison.to)},
                         {"files", files},
                         {"settings", settings},
                         {"lines", lines}});
}

WebResponse PostHistoryRestore(const WebSite& site, const WebRequest& request, const RouteParams& params) {
    Server server;
    WebResponse refusal;
    json body;
    if (!OpenServerWithBody(site, request, params, server, body, refusal)) return refusal;
    std::string id;
    if (!body.contains("id") || !body.at("id").is_string() || !Utf8ToCp1252(body.at("id").get<std::string>(), id)) {
        return ErrorResponse(400, "id is the entry's number or id");
    }
    const std::vector<HistoryEntry> entries = ListHistory(server.context.places);
    const HistoryEntry* entry = FindHistoryEntry(entries, id);
    if (entry == nullptr) return ErrorResponse(404, "no history entry " + Cp1252ToUtf8(id));
    CreateUserFolders(server.context.places.userFolder);
    const RestoreResult restored = RestoreHistoryEntry(server.context, *entry, std::time(nullptr), site.keepHistory);
    json failures = json::array();
    if (restored.history.Failed()) {
        failures.push_back({{"file", PathText(restored.history.error.path)},
                            {"reason", "the configuration being replaced could not be kept in the history: " +
                                           Cp1252ToUtf8(restored.history.error.text)}});
    }
    for (const platform::Error& failure : restored.failures) failures.push_back(FailureJson(failure));
    json answer = {{"restored", restored.restored}, {"failures", failures}, {"notices", NoticesJson(server)}};
    if (restored.history.kept) answer["kept"] = Text(restored.history.id);
    return JsonResponse(answer, restored.restored ? 200 : 500);
}

}  // namespace

void AddSettingsRoutes(WebRoutes& routes, WebSite& site) {
    const WebSite* shared = &site;  // the serve command's, alive as long as the routes
    const auto add = [&routes, shared](const char* method, const std::string& path,
                                       WebResponse (*handler)(const WebSite&, const WebRequest&, const RouteParams&)) {
        routes.Add(method, "/api/i/{instance}" + path, [shared, handler](const WebRequest& request, const RouteParams& params) {
            return handler(*shared, request, params);
        });
    };
    add("GET", "/pages", GetPages);
    add("GET", "/lists", GetLists);
    add("POST", "/save", PostSave);
    add("GET", "/check", GetCheck);
    add("POST", "/import", PostImport);
    add("GET", "/history", GetHistory);
    add("GET", "/history/diff", GetHistoryDiff);
    add("POST", "/history/restore", PostHistoryRestore);
}
