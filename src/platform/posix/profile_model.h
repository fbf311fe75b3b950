// The parsed profile file as Windows (Wine) keeps it, and the changes the
// profile functions make to it. Internal to the POSIX profile functions.
//
// The rules, checked against Wine itself (the corpus in tests/unit/settings
// holds the cases):
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
// keys are split only when it is first looked in.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/ascii.h"

namespace platform {
namespace profile {

enum class Encoding { Ansi, Utf8, Utf16Le, Utf16Be };

inline bool IsBlank(char c) {
    const unsigned char u = static_cast<unsigned char>(c);
    return (u >= 0x09 && u <= 0x0D) || u == 0x1A || u == 0x20;
}

inline std::string_view TrimFront(std::string_view text) {
    std::size_t begin = 0;
    while (begin < text.size() && IsBlank(text[begin])) ++begin;
    return text.substr(begin);
}

inline std::string_view TrimBack(std::string_view text) {
    std::size_t end = text.size();
    while (end > 0 && IsBlank(text[end - 1])) --end;
    return text.substr(0, end);
}

inline std::string_view Trim(std::string_view text) { return TrimBack(TrimFront(text)); }

struct Entry {
    std::string_view name;
    std::string_view value;
    bool hasValue;
};

// Length and folded first and last letter of a name: a look-up scans these
// (four bytes a key, side by side) and compares names only where they agree.
constexpr std::uint32_t kDeleted = 0xFFFF;  // no name has this one
inline std::uint32_t Signature(std::string_view name) {
    if (name.empty()) return 0;
    const std::uint32_t length = name.size() < 0xFFFF ? static_cast<std::uint32_t>(name.size()) : 0xFFFF;
    return length << 16 | static_cast<unsigned char>(ascii::ToLower(name.front())) << 8 |
           static_cast<unsigned char>(ascii::ToLower(name.back()));
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

// What tells a file that has not changed since it was read: its identity,
// size and times.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    timespec changed{};
};

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

// Takes the bytes of a file for the profile's: its encoding (by its
// byte-order mark), text and sections. Throws std::bad_alloc for a file
// too large to hold.
void Decode(Profile& profile, std::string bytes);
// The file's bytes for the profile as it stands.
std::string FileBytes(const Profile& profile);
// Brings the profile to what reading the file back after the last write
// gives.
void Settle(Profile& profile);
// Whether an ANSI file, as written, would start like a byte-order mark and
// so be read back as another encoding.
bool StartsLikeAMark(Profile& profile);

// A caller's (ANSI) text in the form the file's text is held in.
std::string Internal(const Profile& profile, const char* text);
// The first section of that name, or kNone.
std::size_t FindSection(Profile& profile, std::string_view name);
// The first key of that name in the section, or null.
Entry* FindKey(Profile& profile, Section& section, std::string_view name);

// The changes of WritePrivateProfileStringA: each true when the file
// changes.
bool SetValue(Profile& profile, const char* section, const char* key, const char* value);
bool DeleteKey(Profile& profile, const char* section, const char* key);
bool DeleteSection(Profile& profile, const char* section);

}  // namespace profile
}  // namespace platform
