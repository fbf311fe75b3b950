// The one rule for names that become files, shared by packing and unpacking.
#include <gtest/gtest.h>

#include <string>

#include "core/archive/entry_name.h"

namespace {

TEST(EntryName, EveryByteInsideAPartIsTakenUnlessWindowsForbidsIt) {
    for (int b = 1; b < 256; ++b) {
        const char c = static_cast<char>(b);
        const std::string name = std::string("maps/a") + c + "b.bsp";
        const bool forbidden = b < 0x20 || std::string("<>\"|?*:").find(c) != std::string::npos;
        EXPECT_EQ(EntryNameProblem(name).empty(), !forbidden) << "byte " << b;
    }
}

TEST(EntryName, NamesThatWouldLeaveTheFolderOrMisbehaveOnWindowsAreRefused) {
    for (const char* name : {"", "/etc/passwd", "\\x", "\\\\server\\share\\x", "C:x", "c:\\x", "a/../../x",
                             "..", "a\\..\\x", "./a", "a//b", "a/./b", "CON", "maps/nul.bsp", "Com1.txt",
                             "lpt9", "LPT\xB9", "aux .txt", "conout$", "maps/x.", "maps/x /y", "a. /b"}) {
        EXPECT_FALSE(EntryNameProblem(name).empty()) << name;
    }
    EXPECT_FALSE(EntryNameProblem(std::string(260, 'a')).empty());
}

TEST(EntryName, OrdinaryNamesAndFolderEntriesAreTaken) {
    for (const char* name : {"maps/dm/a.bsp", "maps\\dm\\B.BSP", "...x", "a..b", ".hidden", "console.cfg",
                             "com10", "nul_map.bsp", "COM", "maps/", "x y/z", "\xE9t\xE9.bsp"}) {
        EXPECT_EQ(EntryNameProblem(name), "") << name;
    }
    EXPECT_EQ(EntryNameProblem(std::string(259, 'a')), "");
    EXPECT_TRUE(IsFolderEntryName("maps/"));
    EXPECT_TRUE(IsFolderEntryName("maps\\"));
    EXPECT_FALSE(IsFolderEntryName("maps"));
}

}  // namespace
