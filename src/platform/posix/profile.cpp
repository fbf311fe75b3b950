// GetPrivateProfileStringA and WritePrivateProfileStringA for POSIX hosts,
// reading and writing files as Wine's do (the corpus in tests/unit/settings
// holds the cases, checked against Wine itself):
//
// - Lines end at CR or LF; blank lines are dropped. Blanks (TAB to CR, ^Z and
//   space) around a line, a section name, a key name and a value do not
//   count. A line is a section header when it starts with [ and holds a ];
//   the name ends at the last ]. A key line without = is a key without a
//   value, which reads as missing.
// - Names match without regard to the case of A to Z. Only the first section
//   of a name counts, and within it the first key of a name.
// - A file that starts with a byte-order mark (UTF-8, UTF-16 LE or BE) is
//   Unicode and stays so; other files are Windows-1252. A NUL ends the name
//   or value it stands in.
// - A value is read with one pair of enclosing quotes (double or single)
//   removed. A write drops blanks in front of the value; one that changes
//   nothing leaves the file untouched, any other rewrites the whole file with
//   CR LF line ends and no blank lines.
//
// Wine reads a file again at each call while it is recent, so after a write
// it works on the file as written, not on what it had in memory: a value
// written with trailing blanks has lost them, a "[]" section has joined the
// one before. The model here is brought to that state ("settled") before it
// is used again after a write.
//
// Speed: a file is read into one buffer; names and values point into it.
// Its sections are found by looking only at the [ in it, and a section's
// keys are split only when it is first looked in. Outside a ProfileSession
// the parsed file is kept while the file keeps its identity, size and times
// and is older than two seconds (Wine's rule, for file systems with coarse
// times), and a write reaches the disk before the call returns. Inside a
// session the file is read at most once and written at most once. A write
// replaces the file through a temporary one beside it, so a failed write
// leaves the old file whole.
#include "platform/ascii.h"
#include "platform/platform.h"
#include "platform/common.h"
#include "platform/posix/code_page.h"
#include "platform/posix/posix_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <deque>
#include <memory>
#include <new>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace platform {
namespace {

enum class Encoding { Ansi, Utf8, Utf16Le, Utf16Be };

bool IsBlank(char c) {
    const unsigned char u = static_cast<unsigned char>(c);
    return (u >= 0x09 && u <= 0x0D) || u == 0x1A || u == 0x20;
}

std::string_view TrimFront(std::string_view text) {
    std::size_t begin = 0;
    while (begin < text.size() && IsBlank(text[begin])) ++begin;
    return text.substr(begin);
}

std::string_view TrimBack(std::string_view text) {
    std::size_t end = text.size();
    while (end > 0 && IsBlank(text[end - 1])) --end;
    return text.substr(0, end);
}

std::string_view Trim(std::string_view text) { return TrimBack(TrimFront(text)); }

// Names and values are NUL-terminated strings on Windows.
std::string_view CutAtNul(std::string_view text, bool& cut) {
    const std::size_t nul = text.find('\0');
    if (nul == std::string_view::npos) return text;
    cut = true;
    return text.substr(0, nul);
}

char Fold(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Fold(a[i]) != Fold(b[i])) return false;
    }
    return true;
}

// One line as a file is read.
struct Line {
    enum Kind { Blank, Header, Key } kind = Blank;
    std::string_view name;
    std::string_view value;
    bool hasValue = false;
    std::size_t rawNameLength = 0;  // before a NUL cut it
    bool cut = false;               // a NUL cut the name or the value
};

// `nulPossible`: false when the text the line comes from has no NUL.
Line ParseLine(std::string_view text, bool nulPossible = true) {
    Line line;
    text = Trim(text);
    if (text.empty()) return line;
    const bool nul = nulPossible && std::memchr(text.data(), '\0', text.size()) != nullptr;
    if (text[0] == '[') {
        const std::size_t close = text.rfind(']');
        if (close != std::string_view::npos) {
            line.kind = Line::Header;
            line.name = Trim(text.substr(1, close - 1));
            if (nul) line.name = CutAtNul(line.name, line.cut);
            return line;
        }
    }
    line.kind = Line::Key;
    const void* equals = std::memchr(text.data(), '=', text.size());
    std::string_view name = text;
    if (equals != nullptr) {
        const std::size_t at = static_cast<std::size_t>(static_cast<const char*>(equals) - text.data());
        name = TrimBack(text.substr(0, at));
        line.value = TrimFront(text.substr(at + 1));
        line.hasValue = true;
        if (nul) line.value = CutAtNul(line.value, line.cut);
    }
    line.rawNameLength = name.size();
    line.name = nul ? CutAtNul(name, line.cut) : name;
    return line;
}

struct Entry {
    std::string_view name;
    std::string_view value;
    bool hasValue;
};

// Length and folded first and last letter of a name: a look-up scans these
// (four bytes a key, side by side) and compares names only where they agree.
constexpr std::uint32_t kDeleted = 0xFFFF;  // no name has this one
std::uint32_t Signature(std::string_view name) {
    if (name.empty()) return 0;
    const std::uint32_t length = name.size() < 0xFFFF ? static_cast<std::uint32_t>(name.size()) : 0xFFFF;
    return length << 16 | static_cast<unsigned char>(Fold(name.front())) << 8 |
           static_cast<unsigned char>(Fold(name.back()));
}

// The keys of all sections lie in one array, in the order of the file; a
// section holds its run of it, and the keys written into it since are listed
// apart (few sections have any).
// Positions are 32 bits wide: a larger file is refused (Decode), as
// Windows cannot read one either.
struct Section {
    std::string_view name;  // empty for the lines before the first header
    std::uint32_t first = 0, last = 0;
    std::uint32_t added = 0;  // 1 + its list in Profile::added, or 0
    // Its lines in Profile::text, split into keys only when first needed: a
    // load looks at nine sections of however many.
    std::uint32_t bodyBegin = 0, bodyEnd = 0;
    bool parsed = true;
};

struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    timespec changed{};
};

FileIdentity IdentityOf(const struct stat& info) {
    return FileIdentity{info.st_dev, info.st_ino, info.st_size, info.st_mtim, info.st_ctim};
}

bool operator==(const timespec& a, const timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; }

bool SameIdentity(const FileIdentity& a, const FileIdentity& b) {
    return a.device == b.device && a.inode == b.inode && a.size == b.size && a.modified == b.modified &&
           a.changed == b.changed;
}

// A parsed file. Names and values point into `text` or `owned`, so a
// Profile is never moved or copied.
struct Profile {
    Profile() = default;
    Profile(const Profile&) = delete;
    Profile& operator=(const Profile&) = delete;

    Encoding encoding = Encoding::Ansi;
    std::string text;               // the file's text (UTF-8 for a Unicode file)
    std::deque<std::string> owned;  // names and values written since
    std::vector<Section> sections;
    std::vector<std::uint32_t> sectionSignatures;  // of the sections' names
    std::vector<Entry> entries;
    std::vector<std::uint32_t> signatures;  // of the entries' names
    std::vector<std::vector<std::size_t>> added;
    bool nulPossible = false;       // `text` holds a NUL
    bool allParsed = false;         // every section's keys are parsed (to find out if fragile)
    bool fragile = false;           // writing and reading it back would change more than the write
    bool settled = true;            // as reading the file back after the last write gives it
    bool changed = false;           // differs from the file
    bool pending = false;           // `pendingBytes` are what the last write leaves in the file
    std::string pendingBytes;
    bool identified = false;        // as read from the file with `identity`
    FileIdentity identity;
    std::unordered_map<std::string, std::size_t> sectionIndex;  // folded name -> first section

    std::string_view Own(std::string text) {
        owned.push_back(std::move(text));
        return owned.back();
    }
    void AddSection(const Section& section) {
        sections.push_back(section);
        sectionSignatures.push_back(Signature(section.name));
    }
    std::size_t Add(const Entry& entry) {
        entries.push_back(entry);
        signatures.push_back(Signature(entry.name));
        return entries.size() - 1;
    }
    // Calls visit(position) for the keys of a section in file order, until
    // it returns true; gives that position or kNone.
    template <typename Visit>
    std::size_t Scan(const Section& section, Visit visit) const {
        for (std::size_t i = section.first; i < section.last; ++i) {
            if (signatures[i] != kDeleted && visit(i)) return i;
        }
        if (section.added == 0) return kNone;
        for (std::size_t i : added[section.added - 1]) {
            if (signatures[i] != kDeleted && visit(i)) return i;
        }
        return kNone;
    }
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
};

constexpr std::size_t kNone = Profile::kNone;

// Whether a key line, written out and read back, gives this entry again.
bool KeyLineIsStable(std::string_view name, std::string_view value, bool hasValue) {
    // An empty name may be dropped next to another (see Parse).
    if (name.empty()) return false;
    std::string text(name);
    if (hasValue) {
        text += '=';
        text += value;
    }
    for (char c : text) {
        if (c == '\r' || c == '\n') return false;
    }
    const Line line = ParseLine(text);
    return line.kind == Line::Key && line.name == name && line.hasValue == hasValue && line.value == value;
}

bool HeaderIsStable(std::string_view name) {
    if (name.empty()) return false;  // written without its header line
    for (char c : name) {
        if (c == '\r' || c == '\n') return false;
    }
    const std::string text = "[" + std::string(name) + "]";
    const Line line = ParseLine(text);
    return line.kind == Line::Header && line.name == name;
}

// Where the line that starts at `at` ends: at the first CR or LF, or at
// `stop`. `text` is NUL-terminated; without NULs inside, strcspn finds it.
const char* LineEnd(const char* at, const char* stop, bool nulPossible) {
    if (!nulPossible) {
        const char* end = at + std::strcspn(at, "\r\n");
        return end < stop ? end : stop;
    }
    while (at < stop && *at != '\r' && *at != '\n') ++at;
    return at;
}

// Calls line(text) for each line of profile.text[begin, end).
template <typename LineVisit>
void ForEachLine(const Profile& profile, std::size_t begin, std::size_t end, LineVisit line) {
    const char* at = profile.text.data() + begin;
    const char* const stop = profile.text.data() + end;
    while (at < stop) {
        const char* lineEnd = LineEnd(at, stop, profile.nulPossible);
        line(std::string_view(at, static_cast<std::size_t>(lineEnd - at)));
        at = lineEnd;
        while (at < stop && (*at == '\n' || *at == '\r')) ++at;
    }
}

// Splits the file into sections; their keys come later (ParseKeys). A
// header is a line that starts with [, so only the [ are looked at.
void Parse(Profile& profile, bool fileIsEmpty) {
    profile.sections.clear();
    profile.sectionSignatures.clear();
    profile.entries.clear();
    profile.signatures.clear();
    profile.added.clear();
    profile.sectionIndex.clear();
    profile.settled = true;
    profile.fragile = false;
    profile.allParsed = false;
    if (fileIsEmpty) return;  // not even the section of lines before a header
    const char* const base = profile.text.data();
    const char* const end = base + profile.text.size();
    profile.nulPossible = std::memchr(base, '\0', profile.text.size()) != nullptr;
    std::size_t brackets = 1;
    for (const char* at = base; (at = static_cast<const char*>(std::memchr(at, '[', end - at))) != nullptr; ++at) {
        ++brackets;
    }
    profile.sections.reserve(brackets);
    profile.sectionSignatures.reserve(brackets);
    Section leading;
    leading.parsed = false;
    profile.AddSection(leading);
    for (const char* bracket = base; (bracket = static_cast<const char*>(std::memchr(
                                          bracket, '[', static_cast<std::size_t>(end - bracket)))) != nullptr;
         ++bracket) {
        // Only blanks may stand before it on its line. Each walk ends at a
        // non-blank, so all walks together cover the text at most once.
        const char* lineStart = bracket;
        while (lineStart > base && lineStart[-1] != '\r' && lineStart[-1] != '\n' && IsBlank(lineStart[-1])) {
            --lineStart;
        }
        if (lineStart > base && lineStart[-1] != '\r' && lineStart[-1] != '\n') continue;
        const char* lineEnd = LineEnd(bracket, end, profile.nulPossible);
        const Line header = ParseLine(std::string_view(bracket, static_cast<std::size_t>(lineEnd - bracket)),
                                      profile.nulPossible);
        if (header.kind != Line::Header) continue;
        profile.sections.back().bodyEnd = static_cast<std::uint32_t>(lineStart - base);
        Section section;
        section.name = header.name;
        section.bodyBegin = section.bodyEnd = static_cast<std::uint32_t>(lineEnd - base);
        section.parsed = false;
        profile.AddSection(section);
        if (header.cut ? !HeaderIsStable(header.name) : header.name.empty()) profile.fragile = true;
        bracket = lineEnd - 1;  // the next [ on a later line
    }
    profile.sections.back().bodyEnd = static_cast<std::uint32_t>(profile.text.size());
}

// Calls visit(line) for each key line of a section as read: blank lines and
// a key line with an empty name right after another one are dropped.
template <typename Visit>
void ForEachKeyLine(const Profile& profile, const Section& section, Visit visit) {
    bool previousKey = false, previousNamed = false;
    ForEachLine(profile, section.bodyBegin, section.bodyEnd, [&](std::string_view text) {
        const Line line = ParseLine(text, profile.nulPossible);
        if (line.kind == Line::Blank) return;
        if (line.rawNameLength == 0 && previousKey && !previousNamed) return;
        previousKey = true;
        previousNamed = !line.name.empty();
        visit(line);
    });
}

// The keys of one section, from its lines.
void ParseKeys(Profile& profile, Section& section) {
    if (section.parsed) return;
    section.parsed = true;
    section.first = static_cast<std::uint32_t>(profile.entries.size());
    // Settings files have lines of some 20 to 60 characters.
    const std::size_t estimate = profile.entries.size() + (section.bodyEnd - section.bodyBegin) / 40;
    if (profile.entries.capacity() < estimate) {
        profile.entries.reserve(std::max(estimate, 2 * profile.entries.capacity()));
        profile.signatures.reserve(std::max(estimate, 2 * profile.signatures.capacity()));
    }
    ForEachKeyLine(profile, section, [&](const Line& line) {
        profile.Add(Entry{line.name, line.value, line.hasValue});
        if (line.cut && (line.name.empty() || !KeyLineIsStable(line.name, line.value, line.hasValue))) {
            profile.fragile = true;
        }
    });
    section.last = static_cast<std::uint32_t>(profile.entries.size());
}

// Whether writing the file and reading it back changes more than what was
// written. Only NULs in key lines can make a key line do so, and the
// headers were looked at already.
void FindOutIfFragile(Profile& profile) {
    if (!profile.nulPossible || profile.allParsed) return;
    for (Section& section : profile.sections) ParseKeys(profile, section);
    profile.allParsed = true;
}

// The file's text as written: sections whose keys were never looked at go
// out line by line, as read.
std::string Serialize(const Profile& profile) {
    std::size_t size = 0;
    for (const Section& section : profile.sections) {
        size += section.name.size() + 4;
        if (!section.parsed) {
            // Each line gains at most its CR LF over its own line end.
            size += (section.bodyEnd - section.bodyBegin) * 3 / 2 + 2;
            continue;
        }
        profile.Scan(section, [&](std::size_t i) {
            size += profile.entries[i].name.size() + profile.entries[i].value.size() + 3;
            return false;
        });
    }
    std::string out(size, '\0');
    char* to = &out[0];
    auto copy = [&to](std::string_view text) {
        std::memcpy(to, text.data(), text.size());
        to += text.size();
    };
    auto put = [&](std::string_view name, std::string_view value, bool hasValue) {
        copy(name);
        if (hasValue) {
            *to++ = '=';
            copy(value);
        }
        copy("\r\n");
    };
    for (const Section& section : profile.sections) {
        if (!section.name.empty()) {
            *to++ = '[';
            copy(section.name);
            copy("]\r\n");
        }
        if (!section.parsed) {
            ForEachKeyLine(profile, section, [&](const Line& line) { put(line.name, line.value, line.hasValue); });
            continue;
        }
        profile.Scan(section, [&](std::size_t i) {
            put(profile.entries[i].name, profile.entries[i].value, profile.entries[i].hasValue);
            return false;
        });
    }
    out.resize(static_cast<std::size_t>(to - out.data()));
    return out;
}

// The file's bytes for the model as it stands.
std::string FileBytes(const Profile& profile) {
    std::string text = Serialize(profile);
    switch (profile.encoding) {
        case Encoding::Ansi: return text;
        case Encoding::Utf8: return "\xEF\xBB\xBF" + text;
        case Encoding::Utf16Le: return "\xFF\xFE" + codepage::Utf16FromUtf8(text, false);
        case Encoding::Utf16Be: return "\xFE\xFF" + codepage::Utf16FromUtf8(text, true);
    }
    return text;
}

// Takes the bytes for the file's: its encoding (by its byte-order mark),
// text and keys.
void Decode(Profile& profile, std::string bytes) {
    if (bytes.size() >= UINT32_MAX / 2) throw std::bad_alloc();  // its text may take more
    const std::string_view view(bytes);
    const bool empty = bytes.empty();
    if (view.substr(0, 3) == "\xEF\xBB\xBF") {
        profile.encoding = Encoding::Utf8;
        profile.text = codepage::Utf8FromFileBytes(view.substr(3));
    } else if (view.substr(0, 2) == "\xFF\xFE" || view.substr(0, 2) == "\xFE\xFF") {
        const bool bigEndian = view[0] == '\xFE';
        profile.encoding = bigEndian ? Encoding::Utf16Be : Encoding::Utf16Le;
        profile.text = codepage::Utf8FromUtf16(view.substr(2), bigEndian);
    } else {
        profile.encoding = Encoding::Ansi;
        profile.text = std::move(bytes);
    }
    Parse(profile, empty);
}

// Whether an ANSI file, as written, would start like a byte-order mark and
// so be read back as another encoding.
bool StartsLikeAMark(Profile& profile) {
    if (profile.encoding != Encoding::Ansi) return false;
    for (Section& section : profile.sections) {
        if (!section.name.empty()) return false;  // a header line
        ParseKeys(profile, section);
        const std::size_t first = profile.Scan(section, [](std::size_t) { return true; });
        if (first == kNone) continue;
        const Entry& entry = profile.entries[first];
        std::string start(entry.name.substr(0, 3));
        if (start.size() < 3 && entry.hasValue) start += '=';
        return start.rfind("\xEF\xBB\xBF", 0) == 0 || start.rfind("\xFF\xFE", 0) == 0 ||
               start.rfind("\xFE\xFF", 0) == 0;
    }
    return false;
}

// Brings the model to what reading the file back after the last write
// gives.
void Settle(Profile& profile) {
    if (profile.settled) return;
    std::string bytes = FileBytes(profile);
    profile.pendingBytes = bytes;
    Decode(profile, std::move(bytes));
    profile.owned.clear();
    // Reading the file back changes nothing in it: until the next change,
    // a session still has these bytes to write.
    profile.pending = true;
}

std::size_t FindSection(Profile& profile, std::string_view name) {
    std::string folded(name);
    for (char& c : folded) c = Fold(c);
    const auto known = profile.sectionIndex.find(folded);
    if (known != profile.sectionIndex.end()) return known->second;
    std::size_t found = kNone;
    const std::uint32_t signature = Signature(name);
    for (std::size_t i = 0; i < profile.sections.size(); ++i) {
        if (profile.sectionSignatures[i] == signature && SameName(profile.sections[i].name, name)) {
            found = i;
            break;
        }
    }
    profile.sectionIndex.emplace(std::move(folded), found);
    return found;
}

// The first key of that name in the section, or null.
Entry* FindKey(Profile& profile, Section& section, std::string_view name) {
    ParseKeys(profile, section);
    // No name has the signature of a deleted key.
    const std::uint32_t signature = Signature(name);
    const std::uint32_t* signatures = profile.signatures.data();
    auto matches = [&](std::size_t i) {
        return signatures[i] == signature && SameName(profile.entries[i].name, name);
    };
    std::size_t i = section.first;
    // Eight signatures at a time, which the compiler compares side by side.
    for (; i + 8 <= section.last; i += 8) {
        bool any = false;
        for (std::size_t j = 0; j < 8; ++j) any |= signatures[i + j] == signature;
        if (!any) continue;
        for (std::size_t j = 0; j < 8; ++j) {
            if (matches(i + j)) return &profile.entries[i + j];
        }
    }
    for (; i < section.last; ++i) {
        if (matches(i)) return &profile.entries[i];
    }
    if (section.added == 0) return nullptr;
    for (std::size_t added : profile.added[section.added - 1]) {
        if (matches(added)) return &profile.entries[added];
    }
    return nullptr;
}

// A caller's (ANSI) text in the form the file's text is held in.
std::string Internal(const Profile& profile, const char* text) {
    return profile.encoding == Encoding::Ansi ? std::string(text) : codepage::AnsiToUtf8(text);
}

// Sets a key; true when the file changes.
bool SetValue(Profile& profile, const char* section, const char* key, const char* value) {
    FindOutIfFragile(profile);
    const std::string sectionName = Internal(profile, section);
    const std::string keyName = Internal(profile, key);
    std::size_t index = FindSection(profile, Trim(sectionName));
    if (index == kNone) {
        const std::string_view name = profile.Own(std::string(TrimFront(sectionName)));
        profile.AddSection(Section{name, 0, 0, 0});
        profile.sectionIndex.clear();
        index = profile.sections.size() - 1;
        if (!HeaderIsStable(name)) profile.fragile = true;
    }
    Entry* entry = FindKey(profile, profile.sections[index], Trim(keyName));
    if (entry == nullptr) {
        const std::size_t added = profile.Add(Entry{profile.Own(std::string(TrimFront(keyName))), {}, false});
        Section& target = profile.sections[index];
        if (target.added == 0) {
            profile.added.emplace_back();
            target.added = static_cast<std::uint32_t>(profile.added.size());
        }
        profile.added[target.added - 1].push_back(added);
        entry = &profile.entries[added];
    }
    const std::string text = Internal(profile, value);
    const std::string_view trimmed = TrimFront(text);
    if (entry->hasValue && entry->value == trimmed) return false;
    entry->value = profile.Own(std::string(trimmed));
    entry->hasValue = true;
    if (profile.fragile || !KeyLineIsStable(entry->name, entry->value, true)) profile.settled = false;
    return true;
}

// Deleting compares whole names, without dropping blanks first (as Wine).
bool DeleteKey(Profile& profile, const char* section, const char* key) {
    const std::string sectionName = Internal(profile, section);
    const std::string keyName = Internal(profile, key);
    for (Section& candidate : profile.sections) {
        if (!SameName(candidate.name, sectionName)) continue;
        ParseKeys(profile, candidate);
        const std::size_t found =
            profile.Scan(candidate, [&](std::size_t i) { return SameName(profile.entries[i].name, keyName); });
        if (found != kNone) {
            profile.signatures[found] = kDeleted;
            profile.settled = false;  // may bring two keys without names together
            return true;
        }
    }
    return false;
}

bool DeleteSection(Profile& profile, const char* section) {
    const std::string sectionName = Internal(profile, section);
    for (std::size_t i = 0; i < profile.sections.size(); ++i) {
        if (SameName(profile.sections[i].name, sectionName)) {
            profile.sections.erase(profile.sections.begin() + static_cast<std::ptrdiff_t>(i));
            profile.sectionSignatures.erase(profile.sectionSignatures.begin() + static_cast<std::ptrdiff_t>(i));
            profile.sectionIndex.clear();
            profile.settled = false;
            return true;
        }
    }
    return false;
}

// ---- Files -------------------------------------------------------------

enum class Loaded { Ok, Missing, Failed };

// Reads and parses the file. Missing: no such file in an existing folder
// (the profile functions then take it as empty); Failed: it cannot be read.
Loaded Load(const std::string& host, std::unique_ptr<Profile>& out, detail::HostError& error) {
    const detail::FileHandle file = detail::OpenRegularFile(host, error);
    if (!file.IsOpen()) return error.code == detail::kErrorFileNotFound ? Loaded::Missing : Loaded::Failed;
    const int fd = detail::Descriptor(file);
    struct stat info;
    std::string bytes;
    bool ok = fstat(fd, &info) == 0;
    if (ok && info.st_size > 0) bytes.resize(static_cast<std::size_t>(info.st_size));
    std::size_t got = 0;
    while (ok) {
        if (got == bytes.size()) bytes.resize(bytes.size() + 65536);  // it grew meanwhile
        const ssize_t n = read(fd, &bytes[got], bytes.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            error = detail::ErrorFromErrno(errno, host);
            ok = false;
        }
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    if (!ok) return Loaded::Failed;
    bytes.resize(got);

    auto profile = std::make_unique<Profile>();
    profile->identified = true;
    profile->identity = IdentityOf(info);
    Decode(*profile, std::move(bytes));
    out = std::move(profile);
    return Loaded::Ok;
}

// The file a write replaces: the one a link leads to, when it leads to one.
std::string WriteTarget(const std::string& host) {
    struct stat info;
    if (lstat(host.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return host;
    char* resolved = realpath(host.c_str(), nullptr);
    if (resolved == nullptr) return host;
    std::string target = resolved;
    std::free(resolved);
    return target;
}

// What opening the file for writing would say (it fails for a missing
// folder, a folder or other non-file, a file or folder we may not write).
bool CanWrite(const std::string& host, detail::HostError& error) {
    const std::string target = WriteTarget(host);
    const std::string::size_type slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : target.substr(0, slash);
    struct stat info;
    if (stat(target.c_str(), &info) == 0) {
        if (!S_ISREG(info.st_mode)) {
            error = detail::HostError{detail::kErrorAccessDenied, S_ISDIR(info.st_mode) ? EISDIR : EACCES};
            return false;
        }
        const int fd = open(target.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            error = detail::ErrorFromErrno(errno, target);
            return false;
        }
        close(fd);
    } else if (errno == ENOENT) {
        if (stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
            error = detail::HostError{detail::kErrorPathNotFound, stat(folder.c_str(), &info) != 0 ? ENOENT : ENOTDIR};
            return false;
        }
    } else {
        error = detail::ErrorFromErrno(errno, target);
        return false;
    }
    // The new file is made beside the old one.
    if (access(folder.c_str(), W_OK | X_OK) != 0) {
        error = detail::HostError{detail::kErrorAccessDenied, errno == EROFS ? EROFS : EACCES};
        return false;
    }
    return true;
}

bool Flush(const std::string& host, Profile& profile, detail::HostError& error) {
    const std::string bytes = profile.pending ? profile.pendingBytes : FileBytes(profile);
    // A new file beside the old one, with its permissions, which replaces it
    // once complete: a failed write leaves the old file whole.
    ReplacingFile file;
    detail::ReplacingFileAccess::UseHostPaths(file);
    detail::ReplacingFileAccess::KeepMode(file);
    detail::ReplacingFileAccess::SetInjectable(file, false);
    if (!file.Open(WriteTarget(host).c_str(), TemporaryName::Fixed) || !file.Write(bytes.data(), bytes.size()) ||
        !file.Commit(true)) {
        error = detail::LastHostError();
        return false;
    }
    profile.changed = false;
    profile.identified = false;
    return true;
}

// ---- The kept file and the session -----------------------------------------

std::mutex g_lock;

struct Kept {
    std::string host;
    std::string path;  // as the caller named it, for the errors
    std::unique_ptr<Profile> profile;
};
Kept g_cache;             // the last file read outside a session
Kept g_session;           // the file of the open session
int g_sessionDepth = 0;   // sessions open on it
bool g_sessionCanWrite = false;  // a write of the session found the file writable

// Wine's rule: a file changed in the last 2.1 seconds may change again
// without its time changing, so it is read again.
bool StillValid(const std::string& host, const Profile& profile) {
    if (!profile.identified) return false;
    struct stat info;
    if (stat(host.c_str(), &info) != 0 || !SameIdentity(IdentityOf(info), profile.identity)) return false;
    timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    const long long age = (now.tv_sec - info.st_mtim.tv_sec) * 1000000000LL + (now.tv_nsec - info.st_mtim.tv_nsec);
    return age > 2100000000LL;
}

bool InSession(const std::string& host) { return g_sessionDepth > 0 && g_session.host == host; }

// The parsed file for a call: the session's, the kept one or a new reading.
// With `create`, a missing file gives an empty profile to write into.
Loaded Acquire(const std::string& host, bool create, Profile*& profile, detail::HostError& error) {
    Kept& slot = InSession(host) ? g_session : g_cache;
    if (slot.profile && slot.host == host && (&slot == &g_session || StillValid(host, *slot.profile))) {
        profile = slot.profile.get();
        return Loaded::Ok;
    }
    slot.host = host;
    slot.profile.reset();
    const Loaded loaded = Load(host, slot.profile, error);
    if (loaded == Loaded::Missing && create) slot.profile = std::make_unique<Profile>();
    if (!slot.profile) return loaded;
    profile = slot.profile.get();
    return Loaded::Ok;
}

void Forget(const std::string& host) {
    if (g_cache.host == host) g_cache.profile.reset();
}

// A file too large to hold is one that cannot be read (Wine would take it
// for an empty one, and a write would then replace it with its one key).
void OutOfMemory(const std::string& host, const char* path) {
    Forget(host);
    if (InSession(host)) g_session.profile.reset();
    detail::SetLastError(detail::HostError{detail::kErrorOutOfMemory, ENOMEM}, path);
}

// lstrcpynA with the quote rule of the profile functions: one pair of
// enclosing quotes goes; when the value is cut just before its closing
// quote, Windows drops one character more. Lengths count UTF-16 units, as
// Windows does; a Unicode value is converted to the ANSI code page as far as
// it is copied.
unsigned long CopyValue(std::string_view value, bool unicode, bool stripQuotes, char* buffer, unsigned long size) {
    std::size_t length = value.size();
    if (unicode) {
        length = 0;
        for (char c : value) {
            const unsigned char byte = static_cast<unsigned char>(c);
            if ((byte & 0xC0) != 0x80) length += byte >= 0xF0 ? 2 : 1;  // beyond U+FFFF: two units
        }
    }
    std::size_t begin = 0;
    bool quoted = false;
    // A quote is one byte and one unit, and no byte of a longer character.
    if (stripQuotes && length > 1 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0]) {
        quoted = true;
        begin = 1;
        length -= 1;  // the closing quote still counts here
    }
    std::size_t copied = length < size - 1 ? length : size - 1;
    if (quoted && size >= length && copied > 0) --copied;
    if (!unicode) {
        std::memcpy(buffer, value.data() + begin, copied);
    } else {
        // `copied` units take at most three bytes each, or four for a pair.
        const std::u16string units = codepage::Units(value.substr(begin, 3 * copied + 4));
        for (std::size_t i = 0; i < copied; ++i) buffer[i] = codepage::UnitToAnsi(units[i]);
    }
    buffer[copied] = '\0';
    return static_cast<unsigned long>(copied);
}

}  // namespace

unsigned long ReadProfileString(const char* section, const char* key, const char* defaultValue,
                                char* buffer, unsigned long size, const char* path) {
    if (buffer == nullptr || size == 0) return 0;
    // Trailing spaces of the default go, but never its first character.
    std::string fallback = defaultValue ? defaultValue : "";
    while (fallback.size() > 1 && fallback.back() == ' ') fallback.pop_back();

    std::lock_guard<std::mutex> guard(g_lock);
    const std::string host = HostPath(path);
    Profile* profile = nullptr;
    detail::HostError error;
    try {
        const Loaded loaded = Acquire(host, false, profile, error);
        if (loaded == Loaded::Failed) {
            detail::SetLastError(error, path);
            return CopyValue(fallback, false, false, buffer, size);
        }
        if (loaded == Loaded::Missing) {
            detail::SetLastError(error, path);
        } else {
            SetLastErrorCode(0);
        }
        // Listing sections (no section) or keys (no key) is not offered.
        if (profile != nullptr && section != nullptr && key != nullptr) {
            Settle(*profile);
            const std::size_t index = FindSection(*profile, Trim(Internal(*profile, section)));
            if (index != kNone) {
                const Entry* entry = FindKey(*profile, profile->sections[index], Trim(Internal(*profile, key)));
                if (entry != nullptr && entry->hasValue) {
                    return CopyValue(entry->value, profile->encoding != Encoding::Ansi, true, buffer, size);
                }
            }
        }
    } catch (const std::bad_alloc&) {
        OutOfMemory(host, path);
        return CopyValue(fallback, false, false, buffer, size);
    }
    return CopyValue(fallback, false, true, buffer, size);
}

bool WriteProfileString(const char* section, const char* key, const char* value, const char* path) {
    std::lock_guard<std::mutex> guard(g_lock);
    const std::string host = HostPath(path);
    if (section == nullptr) {
        // Without a section Windows only flushes its cache (and says it
        // failed), or fails.
        Forget(host);
        SetLastErrorCode(detail::kErrorFileNotFound);
        return false;
    }
    detail::HostError error;
    Profile* profile = nullptr;
    bool ok = false;
    try {
        // Within a session nothing writes the file before the end, so one
        // look at whether it can be written serves every key.
        const bool known = InSession(host) && g_sessionCanWrite;
        if (!(known || CanWrite(host, error)) || Acquire(host, true, profile, error) != Loaded::Ok) {
            detail::SetLastError(error, path);
            return false;
        }
        Settle(*profile);
        const bool changes = key == nullptr     ? DeleteSection(*profile, section)
                             : value == nullptr ? DeleteKey(*profile, section, key)
                                                : SetValue(*profile, section, key, value);
        if (changes) {
            profile->changed = true;
            profile->pending = false;
            profile->pendingBytes.clear();
            if (StartsLikeAMark(*profile)) profile->settled = false;
        }
        if (InSession(host)) g_sessionCanWrite = true;
        if (InSession(host) || !profile->changed) return true;
        ok = Flush(host, *profile, error);
    } catch (const std::bad_alloc&) {
        OutOfMemory(host, path);
        return false;
    }
    // Read again next time, as Wine does with a file it has just written.
    Forget(host);
    if (!ok) detail::SetLastError(error, path);
    return ok;
}

ProfileSession::ProfileSession(const char* path) {
    if (path == nullptr || *path == '\0') return;
    std::lock_guard<std::mutex> guard(g_lock);
    const std::string host = HostPath(path);
    if (g_sessionDepth > 0 && g_session.host != host) return;
    if (g_sessionDepth++ == 0) {
        g_session.host = host;
        g_session.path = path;
        g_session.profile.reset();
        g_sessionCanWrite = false;
        if (g_cache.host == host && g_cache.profile && StillValid(host, *g_cache.profile)) {
            g_session.profile = std::move(g_cache.profile);
        }
    }
    active_ = true;
}

bool ProfileSession::Commit() {
    if (!active_) return true;
    std::lock_guard<std::mutex> guard(g_lock);
    if (!g_session.profile || !g_session.profile->changed) return true;
    detail::HostError error;
    try {
        if (Flush(g_session.host, *g_session.profile, error)) return true;
    } catch (const std::bad_alloc&) {
        OutOfMemory(g_session.host, g_session.path.c_str());
        return false;
    }
    g_session.profile.reset();  // the file is as it was; so is what is read next
    detail::SetLastError(error, g_session.path.c_str());
    return false;
}

ProfileSession::~ProfileSession() {
    if (!active_) return;
    Commit();
    std::lock_guard<std::mutex> guard(g_lock);
    if (--g_sessionDepth > 0) return;
    // A file only read stays known for the calls that follow.
    if (g_session.profile && g_session.profile->identified) {
        g_cache.host = g_session.host;
        g_cache.profile = std::move(g_session.profile);
    }
    g_session.profile.reset();
}

}  // namespace platform
