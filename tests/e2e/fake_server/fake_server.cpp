// Stands in for vantrel_server.exe in the end-to-end suite and the demo
// folder: records how it was started and exits at once.
//
// The record goes next to the executable, in "server-started.txt":
//   command line: [<GetCommandLineA, byte for byte>]
//   folder: [<GetCurrentDirectoryA>]
// each line ended by CR LF. The file is appended to, so two starts show.
#include <windows.h>

#include <cstring>
#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char module[4096] = "";
    DWORD n = GetModuleFileNameA(nullptr, module, sizeof module);
    if (n == 0 || n >= sizeof module) return 2;
    char* slash = std::strrchr(module, '\\');
    if (!slash) return 2;
    std::strcpy(slash + 1, "server-started.txt");

    char folder[4096] = "";
    DWORD f = GetCurrentDirectoryA(sizeof folder, folder);
    if (f == 0 || f >= sizeof folder) folder[0] = '\0';

    std::string record = "command line: [";
    record += GetCommandLineA();
    record += "]\r\nfolder: [";
    record += folder;
    record += "]\r\n";

    HANDLE file = CreateFileA(module, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 3;
    DWORD written = 0;
    BOOL ok = WriteFile(file, record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == record.size() ? 0 : 3;
}
