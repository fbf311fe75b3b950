// The text conversions the Win32 profile functions make, for the POSIX
// stand-in: the ANSI code page is Windows-1252 (Wine's, with an English or C
// locale), and a profile file with a byte-order mark is Unicode.
//
// Unicode text is held as UTF-8 in which an unpaired UTF-16 surrogate is
// encoded like any other code point, so that a UTF-16 file is written back
// unit for unit. The rules for bad input (a malformed UTF-8 sequence, a
// character the code page lacks) are Windows': the platform tests compare
// these functions with the real calls under Wine for every character.
#pragma once

#include <string>
#include <string_view>

namespace platform {
namespace codepage {

// MultiByteToWideChar(CP_ACP): every byte is one character.
std::string AnsiToUtf8(std::string_view ansi);
// MultiByteToWideChar(CP_UTF8): each malformed sequence becomes U+FFFD.
std::string Utf8FromFileBytes(std::string_view bytes);
// UTF-16 bytes (without their byte-order mark) and back; an odd last byte is
// not a character.
std::string Utf8FromUtf16(std::string_view bytes, bool bigEndian);
std::string Utf16FromUtf8(std::string_view text, bool bigEndian);
// The UTF-16 units of a text held as above.
std::u16string Units(std::string_view text);
// WideCharToMultiByte(CP_ACP) of one unit: its own byte, a similar one
// ("best fit": A for U+0100) or '?'.
char UnitToAnsi(char16_t unit);

}  // namespace codepage
}  // namespace platform
