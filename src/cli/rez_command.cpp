#include "cli/rez_command.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "cli/cli_output.h"
#include "cli/command.h"
#include "cli/rez_create.h"
#include "core/archive/archive_extract.h"
#include "core/archive/resource_archive.h"
#include "platform/platform.h"


namespace {

// Overlapping entries of a hostile archive may be thousands: the first few
// tell the story.
constexpr std::size_t kOverlapLinesShown = 20;

// The archive, or nullptr having said why.
std::unique_ptr<ResourceArchive> OpenArchive(const std::string& path) {
    auto archive = std::make_unique<ResourceArchive>(path.c_str(), "");
    if (archive->IsOpen()) return archive;
    Say(path + (platform::PathExists(path.c_str()) ? ": not a readable .rez archive" : ": no such file"));
    return nullptr;
}

// Records of one name, listed once: a hostile archive may name a million
// records by one long name, which listed record by record would print
// gigabytes. The first record stands for them all, as it is the one that
// extract writes.
struct NamedRecords {
    const ArchiveRecord* first;
    std::size_t count;
};

std::vector<NamedRecords> GroupByName(const std::vector<ArchiveRecord>& records) {
    std::vector<NamedRecords> groups;
    // Records that share a name mostly point at the same bytes of the
    // directory: the pointer is looked up before the name is hashed.
    std::unordered_map<const char*, std::size_t> byPlace;
    std::unordered_map<std::string_view, std::size_t> byName;
    for (const ArchiveRecord& record : records) {
        const auto place = byPlace.find(record.name);
        if (place != byPlace.end()) {
            ++groups[place->second].count;
            continue;
        }
        const auto named = byName.emplace(std::string_view(record.name), groups.size());
        if (named.second) groups.push_back({&record, 0});
        byPlace.emplace(record.name, named.first->second);
        ++groups[named.first->second].count;
    }
    return groups;
}

// Records whose stored bytes reach past the end of the file: the archive
// was cut short (a download that stopped), and those entries cannot be read.
std::size_t PastTheEnd(const ResourceArchive& archive, const std::vector<ArchiveRecord>& records) {
    std::size_t count = 0;
    for (const ArchiveRecord& record : records)
        if (std::uint64_t(record.dataOffset) + record.storedSize > archive.GetFileSize()) ++count;
    return count;
}

void SayTruncated(const std::string& path, std::size_t count) {
    Say(path + ": truncated: " + std::to_string(count) + (count == 1 ? " entry points" : " entries point") +
        " past the end of the file (a download cut short?)");
}

int RunRezList(const RezOptions& options) {
    const auto archive = OpenArchive(options.archive);
    if (!archive) return kExitFailed;
    const std::vector<ArchiveRecord> records = archive->ListRecords();
    std::uint64_t size = 0, stored = 0;
    for (const ArchiveRecord& record : records) {
        size += record.size;
        stored += record.storedSize;
    }
    const std::size_t truncated = PastTheEnd(*archive, records);
    const std::vector<NamedRecords> groups = GroupByName(records);
    if (options.json) {
        nlohmann::ordered_json entries = nlohmann::ordered_json::array();
        for (const NamedRecords& group : groups) {
            const ArchiveRecord& record = *group.first;
            nlohmann::ordered_json method = nullptr;
            if (std::string(MethodName(record)) != "?") method = MethodName(record);
            entries.push_back({{"name", record.name},
                               {"size", record.size},
                               {"stored", record.storedSize},
                               {"method", method},
                               {"records", group.count}});
        }
        nlohmann::ordered_json out;
        out["entries"] = std::move(entries);
        out["totals"] = {{"entries", records.size()}, {"size", size}, {"stored", stored}};
        // Names are bytes: what is not UTF-8 shows as U+FFFD.
        std::cout << out.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n';
        if (truncated) SayTruncated(options.archive, truncated);
        return truncated ? kExitSome : 0;
    }
    std::size_t width = 4;
    std::vector<std::string> names;
    names.reserve(groups.size());
    for (const NamedRecords& group : groups) {
        names.push_back(ShownName(group.first->name));
        width = std::max(width, names.back().size());
    }
    char line[64];
    for (std::size_t i = 0; i < groups.size(); ++i) {
        const ArchiveRecord& record = *groups[i].first;
        std::snprintf(line, sizeof line, "  %12lu %12lu  %s", static_cast<unsigned long>(record.size),
                      static_cast<unsigned long>(record.storedSize), MethodName(record));
        std::string& name = names[i];
        name.resize(width, ' ');
        std::cout << name << line;
        if (groups[i].count > 1) std::cout << "  (x" << groups[i].count << " records)";
        std::cout << '\n';
    }
    std::cout << records.size() << (records.size() == 1 ? " entry, " : " entries, ") << size << " bytes, "
              << stored << " stored\n";
    if (truncated) SayTruncated(options.archive, truncated);
    return truncated ? kExitSome : 0;
}

// Decodes every entry as extract would, writing nothing: records of one
// name are decoded once per distinct place of their bytes, and a damaged
// name is reported once with its count.
int RunVerify(const RezOptions& options) {
    const auto archive = OpenArchive(options.archive);
    if (!archive) return kExitFailed;
    const std::vector<ArchiveRecord> records = archive->ListRecords();
    struct Damage {
        std::string reason;
        std::size_t count;
    };
    std::vector<std::pair<const char*, Damage>> damaged;
    std::unordered_map<std::string, std::size_t> damageAt;
    std::unordered_map<std::string, bool> decoded;  // stored bytes' place and method -> sound
    std::vector<unsigned char> data;
    std::uint64_t bytes = 0;
    for (const ArchiveRecord& record : records) {
        const std::string place = std::to_string(record.dataOffset) + ":" + std::to_string(record.storedSize) +
                                  ":" + std::to_string(record.size) + ":" + std::to_string(record.methodCode) +
                                  (record.hasMethod ? "" : "?");
        std::string reason;
        const auto known = decoded.find(place);
        if (known != decoded.end()) {
            if (!known->second) reason = "is damaged: its stored bytes cannot be read or decoded";
        } else {
            const std::unique_ptr<EntryHandle> entry = archive->OpenRecord(record.record);
            bool sound = entry != nullptr;
            if (!entry) {
                reason = "is damaged: its record describes no data that can be read";
            } else if (entry->size > 0) {
                bool memory = true;
                try {
                    data.resize(entry->size);
                    sound = archive->ReadEntry(entry.get(), 0, data.data(), entry->size) == entry->size;
                    if (!sound) memory = !ReadFailedForMemory(*entry, true);
                } catch (const std::bad_alloc&) {
                    sound = memory = false;
                }
                if (!memory) {
                    reason = "out of memory: its " + std::to_string(record.size) + " bytes cannot be held";
                } else if (!sound) {
                    reason = "is damaged: its stored bytes cannot be read or decoded";
                }
                std::vector<unsigned char>().swap(data);
            }
            if (reason.rfind("out of memory", 0) != 0) decoded.emplace(place, reason.empty());
        }
        if (reason.empty()) {
            bytes += record.size;
            continue;
        }
        const auto at = damageAt.emplace(std::string(record.name) + '\0' + reason, damaged.size());
        if (at.second) {
            damaged.push_back({record.name, {reason, 1}});
        } else {
            ++damaged[at.first->second].second.count;
        }
    }
    std::size_t bad = 0;
    for (const auto& [name, damage] : damaged) {
        bad += damage.count;
        Say(options.archive + ": " + ShownName(name) + ": " + damage.reason +
            (damage.count > 1 ? " (x" + std::to_string(damage.count) + " records)" : ""));
    }
    const std::size_t truncated = PastTheEnd(*archive, records);
    if (truncated) SayTruncated(options.archive, truncated);
    if (bad) {
        std::cout << options.archive << ": " << bad << " of " << records.size() << " entries damaged\n";
        return kExitSome;
    }
    std::cout << options.archive << ": " << records.size() << (records.size() == 1 ? " entry" : " entries")
              << " sound, " << bytes << " bytes\n";
    return 0;
}

// rez cat writes an entry of any size through a buffer of this size: what
// the entry holds is never in memory whole (unless it is compressed, which
// the reader decodes whole).
constexpr std::uint32_t kCatBlock = 1u << 20;

int RunCat(const RezOptions& options) {
    const auto archive = OpenArchive(options.archive);
    if (!archive) return kExitFailed;
    const std::unique_ptr<EntryHandle> entry = archive->OpenEntry(options.entry.c_str());
    if (!entry) {
        Say(options.archive + ": " + ShownName(options.entry) + ": no such entry, or its record describes no data that can be read");
        return kExitFailed;
    }
    const std::uint32_t size = archive->GetEntrySize(entry.get());
    const std::uint32_t block = std::min(size, kCatBlock);
    const std::unique_ptr<char[]> buffer(new char[block + 1]);
    for (std::uint32_t offset = 0; offset < size;) {
        const std::uint32_t length = std::min(block, size - offset);
        if (archive->ReadEntry(entry.get(), offset, buffer.get(), length) != length) {
            const bool memory = ReadFailedForMemory(*entry, offset == 0 && length == size);
            Say(options.archive + ": " + ShownName(options.entry) +
                (memory ? ": out of memory: its " + std::to_string(size) + " bytes cannot be decoded"
                        : ": its stored bytes cannot be read or decoded") +
                (offset > 0 ? "; what was written is incomplete" : ""));
            return kExitFailed;
        }
        WriteBinaryToStdout(buffer.get(), length);
        offset += length;
    }
    return 0;
}

int RunExtract(const RezOptions& options) {
    const auto archive = OpenArchive(options.archive);
    if (!archive) return kExitFailed;
    ProgressLine line("extracting");
    ExtractOptions extract;
    extract.patterns = options.patterns;
    extract.folder = options.folder.empty() ? "." : options.folder;
    extract.force = options.force;
    extract.progress = [&line](const ArchiveProgress& progress) { line.Update(progress); };
    const ExtractResult result = ExtractArchive(*archive, extract);
    line.End();

    const std::size_t shown =
        result.outcome == ExtractOutcome::Refused ? std::min(result.problems.size(), kOverlapLinesShown)
                                                  : result.problems.size();
    std::size_t refused = 0;
    for (const ExtractProblem& problem : result.problems) refused += problem.records;
    for (std::size_t i = 0; i < shown; ++i) {
        const ExtractProblem& problem = result.problems[i];
        Say(options.archive + ": " + (problem.entry.empty() ? "" : ShownName(problem.entry) + ": ") +
            ShownName(problem.reason) + (problem.error.Failed() ? ": " + problem.error.text : "") +
            (problem.records > 1 ? " (x" + std::to_string(problem.records) + " records)" : ""));
    }
    if (result.outcome == ExtractOutcome::Refused) {
        if (shown < result.problems.size())
            Say(options.archive + ": and " + std::to_string(result.problems.size() - shown) + " more");
        Say(options.archive + ": nothing extracted");
        return kExitFailed;
    }
    if (!options.patterns.empty() && result.selected == 0) {
        Say(options.archive + ": no entry matches");
        return kExitSome;
    }
    std::cout << "extracted " << result.filesWritten << (result.filesWritten == 1 ? " file" : " files") << " ("
              << result.bytesWritten << " bytes) and " << result.foldersMade
              << (result.foldersMade == 1 ? " folder" : " folders") << " into "
              << platform::HostPath(extract.folder.c_str());
    if (!result.problems.empty())
        std::cout << "; " << refused << " of " << result.selected
                  << " entries refused or skipped";
    std::cout << '\n';
    return result.outcome == ExtractOutcome::Done ? 0 : kExitSome;
}

}  // namespace

bool RezCommands::Chosen() const {
    return (list && *list) || (cat && *cat) || (extract && *extract) || (verify && *verify);
}

RezCommands AddRezCommands(CLI::App& rez, RezOptions& options) {
    RezCommands commands;
    commands.list = rez.add_subcommand("list", "list the entries in archive order: name, size, stored size, method");
    commands.list->add_option("ARCHIVE", options.archive, "the .rez archive")->required();
    commands.list->add_flag("--json", options.json, "print a JSON object");

    commands.cat = rez.add_subcommand("cat", "write one entry's bytes to standard output");
    commands.cat->add_option("ARCHIVE", options.archive, "the .rez archive")->required();
    commands.cat->add_option("ENTRY", options.entry, "the entry's name (letter case does not count)")->required();

    commands.extract = rez.add_subcommand(
        "extract", "unpack entries into a folder; names that could escape it, links and overlapping entries are refused");
    commands.extract->add_option("ARCHIVE", options.archive, "the .rez archive")->required();
    commands.extract->add_option("PATTERN", options.patterns,
                                 "only entries matching one of these (* and ?, letter case ignored)");
    commands.extract->add_option("-C", options.folder, "folder to unpack into (default: the current folder)");
    commands.extract->add_flag("--force", options.force, "replace files that are in the way");

    commands.verify = rez.add_subcommand(
        "verify", "decode every entry, writing nothing: exit 0 when all are sound, 1 naming each damaged one");
    commands.verify->add_option("ARCHIVE", options.archive, "the .rez archive")->required();
    return commands;
}

int RunRez(const RezCommands& commands, const RezOptions& options) {
    if (commands.list && *commands.list) return RunRezList(options);
    if (commands.cat && *commands.cat) return RunCat(options);
    if (commands.verify && *commands.verify) return RunVerify(options);
    return RunExtract(options);
}

void AddRezCommand(CommandSet& commands) {
    CLI::App* rez = commands.App().add_subcommand("rez", "read and write .rez archives");
    rez->require_subcommand(1);
    const auto createOptions = MakeOptions<RezCreateOptions>();
    CLI::App* create = AddRezCreateCommand(*rez, *createOptions);
    commands.Add(create, [createOptions] { return RunRezCreate(*createOptions); });
    const auto options = MakeOptions<RezOptions>();
    const RezCommands chosen = AddRezCommands(*rez, *options);
    for (CLI::App* command : {chosen.list, chosen.cat, chosen.extract, chosen.verify}) {
        commands.Add(command, [chosen, options] { return RunRez(chosen, *options); });
    }
}
