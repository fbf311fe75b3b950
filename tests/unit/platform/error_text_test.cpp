// Each failure of the file calls carries the system's own reason and the
// file it concerns, whichever call met it.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

// windows.h first: platform.h takes back the name it gives the win.ini
// function.
#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "platform/platform.h"
#include "platform/test_hooks.h"
#include "test_support.h"

using ErrorText = CoreTest;

namespace {

// What LastError() gives for a code: strerror's text on POSIX, the system's
// own on Windows.
std::string ExpectedText(unsigned long code, const char* posixText) {
#if defined(_WIN32)
    (void)posixText;
    std::string text = platform::SystemErrorText(code);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' || text.back() == '.'))
        text.pop_back();
    return text;
#else
    (void)code;
    return posixText;
#endif
}

bool WriteThroughReplacingFile(const std::string& path) {
    platform::ReplacingFile file;
    return file.Open(path.c_str()) && file.Write("abc", 3) && file.Commit();
}

bool OpenToRead(const std::string& path) { return platform::ReadOnlyFile().Open(path.c_str()); }
bool OpenToAppend(const std::string& path) { return platform::AppendOnlyFile().Open(path.c_str()); }
bool WriteWhole(const std::string& path) { return platform::ReplaceFileContents(path.c_str(), "abc", 3); }
bool WriteKey(const std::string& path) { return platform::WriteProfileString("S", "k", "v", path.c_str()); }

// Whether a file made read-only is refused to a writer here: not to root,
// nor to Wine run by root.
bool ReadOnlyBinds(const std::string& path) {
#if defined(_WIN32)
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return true;
    CloseHandle(file);
    return false;
#else
    (void)path;
    return geteuid() != 0;
#endif
}

}  // namespace

TEST_F(ErrorText, EachFailureGivesTheSystemsCodeTextAndPath) {
    struct Case {
        const char* call;
        std::function<bool(const std::string&)> run;
        std::string path;  // below the test's folder
        int failWrite;     // the block write made to fail (0: none)
        unsigned long code;
        const char* posixText;
    };
    ASSERT_TRUE(platform::CreateFolder((root_ + "\\folder").c_str()));
    WriteBytes(root_ + "\\locked.txt", "[S]\r\nk=old\r\n");
    WriteBytes(root_ + "\\big.bin", "");
    const std::vector<Case> cases = {
        {"read", OpenToRead, "\\none.rez", 0, 2, "No such file or directory"},
        {"read", OpenToRead, "\\missing\\a.rez", 0, 3, "No such file or directory"},
        {"append", OpenToAppend, "\\missing\\a.log", 0, 3, "No such file or directory"},
        {"whole", WriteWhole, "\\missing\\a.cfg", 0, 3, "No such file or directory"},
        {"replacing", WriteThroughReplacingFile, "\\missing\\a.rez", 0, 3, "No such file or directory"},
        {"profile", WriteKey, "\\missing\\a.ini", 0, 3, "No such file or directory"},
        {"read", OpenToRead, "\\folder", 0, 5, "Is a directory"},
        {"append", OpenToAppend, "\\folder", 0, 5, "Is a directory"},
        {"whole", WriteWhole, "\\folder", 0, 5, "Is a directory"},
        {"profile", WriteKey, "\\folder", 0, 5, "Is a directory"},
        {"whole", WriteWhole, "\\big.bin", 1, 112, "No space left on device"},
        {"replacing", WriteThroughReplacingFile, "\\big.bin", 1, 112, "No space left on device"},
    };
    for (const Case& test : cases) {
        const std::string path = root_ + test.path;
        SCOPED_TRACE(std::string(test.call) + " " + test.path);
        platform::SetLastErrorCode(0);
        platform::FailFileWriteForTests(test.failWrite);
        EXPECT_FALSE(test.run(path));
        platform::FailFileWriteForTests(0);
        const platform::Error error = platform::LastError();
        EXPECT_EQ(error.code, test.code);
        EXPECT_EQ(platform::LastErrorCode(), test.code);
        EXPECT_EQ(error.text, ExpectedText(test.code, test.posixText));
        EXPECT_EQ(error.path, path);
        EXPECT_EQ(error.Describe(), path + ": " + error.text);
        EXPECT_EQ(platform::LastError("named").path, "named");
    }
    EXPECT_EQ(ReadBytes(root_ + "\\big.bin"), "");
    EXPECT_FALSE(FileExists(root_ + "\\big.bin.tmp"));

    // Where permissions bind: a file that may not be written or read.
    const std::string locked = root_ + "\\locked.txt";
#if defined(_WIN32)
    ASSERT_TRUE(SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_READONLY));
#else
    ASSERT_EQ(chmod(platform::HostPath(locked.c_str()).c_str(), 0), 0);
#endif
    if (!ReadOnlyBinds(locked)) {
#if defined(_WIN32)
        SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_NORMAL);
#endif
        return;
    }
    const std::vector<std::function<bool(const std::string&)>> refused = {OpenToAppend, WriteKey};
    for (const auto& run : refused) {
        EXPECT_FALSE(run(locked));
        const platform::Error error = platform::LastError();
        EXPECT_EQ(error.code, 5u);
        EXPECT_EQ(error.text, ExpectedText(5, "Permission denied"));
        EXPECT_EQ(error.path, locked);
    }
#if !defined(_WIN32)
    EXPECT_FALSE(OpenToRead(locked));
    EXPECT_EQ(platform::LastError().text, "Permission denied");
    chmod(platform::HostPath(locked.c_str()).c_str(), 0644);
#else
    SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_NORMAL);
#endif
}

TEST_F(ErrorText, ACodeSetByHandHasTheTextOfThatCodeAndNoPath) {
    EXPECT_FALSE(platform::RemoveFile((root_ + "\\none").c_str()));
    EXPECT_EQ(platform::LastError().path, root_ + "\\none");
    const struct {
        unsigned long code;
        const char* posixText;
    } codes[] = {{2, "No such file or directory"}, {5, "Permission denied"}, {112, "No space left on device"},
                 {183, "File exists"}, {206, "File name too long"}};
    for (const auto& test : codes) {
        platform::SetLastErrorCode(test.code);
        const platform::Error error = platform::LastError();
        EXPECT_EQ(error.code, test.code);
        EXPECT_EQ(error.text, ExpectedText(test.code, test.posixText));
        EXPECT_TRUE(error.path.empty());
        EXPECT_EQ(error.Describe(), error.text);
    }
#if !defined(_WIN32)
    // The window's boxes keep the texts Wine gives.
    EXPECT_EQ(platform::SystemErrorText(112), "Disk full.\r\n");
#endif
}
