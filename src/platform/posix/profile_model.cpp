// The parsed profile file: reading it, changing it and writing it out as
// Wine does (see profile_model.h).
#include "platform/posix/profile_model.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>

#include "platform/ascii.h"
#include "platform/posix/code_page.h"

namespace platform {
namespace profile {
namespace {

// Names and values are NUL-terminated strings on Windows.
std::string_view CutAtNul(std::string_view text, bool& cut) {
    const std::size_t nul = text.find('\0');
    if (nul == std::string_view::npos) return text;
    cut = true;
    return text.substr(0, nul);
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

}  // namespace

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
    for (char& c : folded) c = ascii::ToLower(c);
    const auto known = profile.sectionIndex.find(folded);
    if (known != profile.sectionIndex.end()) return known->second;
    std::size_t found = kNone;
    const std::uint32_t signature = Signature(name);
    for (std::size_t i = 0; i < profile.sections.size(); ++i) {
        if (profile.sectionSignatures[i] == signature && ascii::EqualNoCase(profile.sections[i].name, name)) {
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
        return signatures[i] == signature && ascii::EqualNoCase(profile.entries[i].name, name);
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
        if (!ascii::EqualNoCase(candidate.name, sectionName)) continue;
        ParseKeys(profile, candidate);
        const std::size_t found =
            profile.Scan(candidate, [&](std::size_t i) { return ascii::EqualNoCase(profile.entries[i].name, keyName); });
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
        if (ascii::EqualNoCase(profile.sections[i].name, sectionName)) {
            profile.sections.erase(profile.sections.begin() + static_cast<std::ptrdiff_t>(i));
            profile.sectionSignatures.erase(profile.sectionSignatures.begin() + static_cast<std::ptrdiff_t>(i));
            profile.sectionIndex.clear();
            profile.settled = false;
            return true;
        }
    }
    return false;
}

}  // namespace profile
}  // namespace platform
