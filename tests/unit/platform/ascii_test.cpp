// The ASCII case folding on every byte, under every C locale the machine
// has among a few that fold more than A-Z: it must fold A-Z alone whatever
// the locale says.
#include <gtest/gtest.h>

#include <clocale>
#include <string>
#include <vector>

#include "platform/ascii.h"

namespace {

// Locales whose own tolower folds bytes beyond A-Z ('I' to a dotless i,
// accented capitals) in POSIX and in Windows spelling; those missing here
// are skipped.
const char* const kFoldingLocales[] = {"C",          "C.UTF-8",        "tr_TR.ISO-8859-9", "tr_TR.UTF-8",
                                       "de_DE.ISO-8859-1", "Turkish_Turkey.1254", "French_France.1252"};

class ScopedCType {
public:
    ScopedCType() : saved_(std::setlocale(LC_CTYPE, nullptr)) {}
    ~ScopedCType() { std::setlocale(LC_CTYPE, saved_.c_str()); }

private:
    std::string saved_;
};

int ExpectedLower(int byte) { return byte >= 'A' && byte <= 'Z' ? byte + 32 : byte; }
int ExpectedUpper(int byte) { return byte >= 'a' && byte <= 'z' ? byte - 32 : byte; }

TEST(Ascii, FoldsAToZAloneOnEveryByteWhateverTheLocale) {
    ScopedCType restore;
    std::string all, allLowered;
    for (int b = 0; b < 256; ++b) {
        all += static_cast<char>(b);
        allLowered += static_cast<char>(ExpectedLower(b));
    }
    int locales = 0;
    for (const char* name : kFoldingLocales) {
        if (std::setlocale(LC_CTYPE, name) == nullptr) continue;
        ++locales;
        for (int b = 0; b < 256; ++b) {
            const char c = static_cast<char>(b);
            EXPECT_EQ(static_cast<unsigned char>(ascii::ToLower(c)), ExpectedLower(b)) << name << " " << b;
            EXPECT_EQ(static_cast<unsigned char>(ascii::ToUpper(c)), ExpectedUpper(b)) << name << " " << b;
            for (int other = 0; other < 256; ++other) {
                const bool same = ExpectedLower(b) == ExpectedLower(other);
                if (ascii::EqualNoCase(std::string(1, c), std::string(1, static_cast<char>(other))) != same) {
                    ADD_FAILURE() << name << ": " << b << " and " << other;
                }
            }
        }
        EXPECT_EQ(ascii::Lowered(all), allLowered) << name;
        EXPECT_TRUE(ascii::EqualNoCase(all, allLowered)) << name;
        EXPECT_FALSE(ascii::EqualNoCase(all, allLowered.substr(1))) << name;
    }
    EXPECT_GE(locales, 1);
}

}  // namespace
