// GetPrivateProfileStringA and WritePrivateProfileStringA for POSIX hosts,
// reading and writing files as Wine's do: the file as Wine parses it is in
// profile_model.h, how it is kept between calls in profile_store.h.
#include <cerrno>
#include <cstring>
#include <mutex>
#include <new>
#include <string>
#include <string_view>

#include "platform/common.h"
#include "platform/platform.h"
#include "platform/posix/code_page.h"
#include "platform/posix/posix_files.h"
#include "platform/posix/profile_model.h"
#include "platform/posix/profile_store.h"

namespace platform {

using namespace profile;

namespace {

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

    std::lock_guard<std::mutex> guard(profile::Mutex());
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
    std::lock_guard<std::mutex> guard(profile::Mutex());
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
        if (!(SessionFoundWritable(host) || CanWrite(host, error)) || Acquire(host, true, profile, error) != Loaded::Ok) {
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
        NoteSessionWritable(host);
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
    std::lock_guard<std::mutex> guard(profile::Mutex());
    active_ = profile::BeginSession(HostPath(path), path);
}

bool ProfileSession::Commit() {
    if (!active_) return true;
    std::lock_guard<std::mutex> guard(profile::Mutex());
    return profile::CommitSession();
}

ProfileSession::~ProfileSession() {
    if (!active_) return;
    Commit();
    std::lock_guard<std::mutex> guard(profile::Mutex());
    profile::EndSession();
}

}  // namespace platform
