// The POSIX platform's text conversions (profile files in Windows-1252,
// UTF-8 and UTF-16). Under Wine they are compared with Windows' own
// conversions for every character and every short byte sequence; natively
// only what needs no Windows to compare with is checked.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "platform/posix/code_page.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace codepage = platform::codepage;

TEST(CodePage, Utf16FilesComeBackUnitForUnit) {
    std::mt19937 random(7);
    const char16_t units[] = {u'a', u'\r', u'\n', 0x00E9, 0x20AC, 0xD800, 0xDBFF, 0xDC00, 0xDFFF, 0xFFFD, 0xFFFF, 0};
    for (int round = 0; round < 2000; ++round) {
        for (bool bigEndian : {false, true}) {
            std::string bytes;
            for (std::size_t i = random() % 12; i > 0; --i) {
                const char16_t unit = units[random() % (sizeof units / sizeof *units)];
                bytes += static_cast<char>(bigEndian ? unit >> 8 : unit & 0xFF);
                bytes += static_cast<char>(bigEndian ? unit & 0xFF : unit >> 8);
            }
            ASSERT_EQ(codepage::Utf16FromUtf8(codepage::Utf8FromUtf16(bytes, bigEndian), bigEndian), bytes);
        }
    }
}

#if defined(_WIN32)

TEST(CodePage, AnsiCharactersAsWindowsConvertsThem) {
    ASSERT_EQ(GetACP(), 1252u);
    for (unsigned byte = 1; byte < 256; ++byte) {
        const char ansi = static_cast<char>(byte);
        wchar_t wide = 0;
        ASSERT_EQ(MultiByteToWideChar(CP_ACP, 0, &ansi, 1, &wide, 1), 1);
        const std::u16string units = codepage::Units(codepage::AnsiToUtf8(std::string(1, ansi)));
        ASSERT_EQ(units, std::u16string(1, static_cast<char16_t>(wide))) << byte;
    }
    for (unsigned unit = 1; unit < 0x10000; ++unit) {
        const wchar_t wide = static_cast<wchar_t>(unit);
        char ansi[4] = {};
        ASSERT_EQ(WideCharToMultiByte(CP_ACP, 0, &wide, 1, ansi, sizeof ansi, nullptr, nullptr), 1) << unit;
        ASSERT_EQ(codepage::UnitToAnsi(static_cast<char16_t>(unit)), ansi[0]) << std::hex << unit;
    }
}

namespace {
// What Windows reads from UTF-8 bytes, and what the platform does.
std::u16string WindowsUtf8(const std::string& bytes) {
    if (bytes.empty()) return std::u16string();
    std::wstring wide(bytes.size() + 1, L'\0');
    const int length = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), &wide[0],
                                           static_cast<int>(wide.size()));
    return std::u16string(wide.begin(), wide.begin() + length);
}
}  // namespace

TEST(CodePage, Utf8AsWindowsReadsIt) {
    std::string bytes(3, '\0');
    // Every sequence of one and two bytes, and every three bytes after a
    // lead of three or four.
    for (unsigned a = 0; a < 256; ++a) {
        bytes.assign(1, static_cast<char>(a));
        ASSERT_EQ(codepage::Units(codepage::Utf8FromFileBytes(bytes)), WindowsUtf8(bytes)) << a;
        for (unsigned b = 0; b < 256; ++b) {
            bytes.assign({static_cast<char>(a), static_cast<char>(b)});
            ASSERT_EQ(codepage::Units(codepage::Utf8FromFileBytes(bytes)), WindowsUtf8(bytes)) << a << " " << b;
            if (a < 0xE0 || a > 0xF4) continue;
            for (unsigned c = 0; c < 256; ++c) {
                bytes.assign({static_cast<char>(a), static_cast<char>(b), static_cast<char>(c)});
                ASSERT_EQ(codepage::Units(codepage::Utf8FromFileBytes(bytes)), WindowsUtf8(bytes))
                    << a << " " << b << " " << c;
            }
        }
    }
    // Longer runs of the bytes where the rules change.
    const unsigned char edges[] = {0x00, 0x0A, 0x0D, 0x41, 0x7F, 0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF, 0xC0,
                                   0xC1, 0xC2, 0xDF, 0xE0, 0xED, 0xEF, 0xF0, 0xF4, 0xF5, 0xFF};
    std::mt19937 random(11);
    for (int round = 0; round < 200000; ++round) {
        bytes.clear();
        for (std::size_t i = 1 + random() % 9; i > 0; --i) bytes += static_cast<char>(edges[random() % sizeof edges]);
        ASSERT_EQ(codepage::Units(codepage::Utf8FromFileBytes(bytes)), WindowsUtf8(bytes)) << round;
    }
}

#endif
