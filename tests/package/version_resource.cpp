// version_resource: reads a Windows program's version resource the way
// Explorer's Properties page does (GetFileVersionInfoA, the Translation
// entry, then the string block it names) and compares it with the project
// version and the program's names.
//
//     version_resource.exe PROGRAM VERSION ORIGINAL_FILENAME DESCRIPTION
//
// Prints every field that differs, and exits 1 if any does.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

int g_failures = 0;

void Expect(const std::string& field, const std::string& actual, const std::string& expected) {
    if (actual == expected) return;
    std::printf("%s: \"%s\", expected \"%s\"\n", field.c_str(), actual.c_str(), expected.c_str());
    ++g_failures;
}

std::string Dotted(DWORD ms, DWORD ls) {
    char text[64];
    std::snprintf(text, sizeof text, "%lu.%lu.%lu.%lu", static_cast<unsigned long>(HIWORD(ms)),
                  static_cast<unsigned long>(LOWORD(ms)), static_cast<unsigned long>(HIWORD(ls)),
                  static_cast<unsigned long>(LOWORD(ls)));
    return text;
}

// "1.2" -> "1.2.0.0": Windows shows four numbers, a missing one is 0.
std::string FourParts(std::string version) {
    int parts = 1;
    for (char c : version) parts += c == '.';
    for (; parts < 4; ++parts) version += ".0";
    return version;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: version_resource PROGRAM VERSION ORIGINAL_FILENAME DESCRIPTION\n");
        return 2;
    }
    std::string program = argv[1];
    if (!program.empty() && program[0] == '/') program = "Z:" + program;  // Wine's view of the host
    const std::string version = FourParts(argv[2]);

    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(program.c_str(), &ignored);
    std::vector<char> info(size);
    if (size == 0 || !GetFileVersionInfoA(program.c_str(), 0, size, info.data())) {
        std::printf("%s: no version resource (error %lu)\n", program.c_str(), GetLastError());
        return 1;
    }

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length) || length < sizeof *fixed) {
        std::printf("no fixed file information\n");
        return 1;
    }
    Expect("FILEVERSION", Dotted(fixed->dwFileVersionMS, fixed->dwFileVersionLS), version);
    Expect("PRODUCTVERSION", Dotted(fixed->dwProductVersionMS, fixed->dwProductVersionLS), version);
    Expect("FILETYPE", std::to_string(fixed->dwFileType), std::to_string(VFT_APP));

    // The strings are found through the translation the resource declares.
    WORD* translation = nullptr;
    if (!VerQueryValueA(info.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length) ||
        length < 2 * sizeof(WORD)) {
        std::printf("no translation\n");
        return 1;
    }
    char block[64];
    std::snprintf(block, sizeof block, "\\StringFileInfo\\%04x%04x\\", translation[0], translation[1]);
    const auto value = [&](const char* name) {
        char* text = nullptr;
        UINT chars = 0;
        if (!VerQueryValueA(info.data(), (std::string(block) + name).c_str(), reinterpret_cast<void**>(&text), &chars))
            return std::string("(missing)");
        return std::string(text);
    };
    const std::string original = argv[3];
    Expect("FileVersion", value("FileVersion"), version);
    Expect("ProductVersion", value("ProductVersion"), version);
    Expect("OriginalFilename", value("OriginalFilename"), original);
    Expect("InternalName", value("InternalName"), original.substr(0, original.rfind('.')));
    Expect("FileDescription", value("FileDescription"), argv[4]);
    Expect("ProductName", value("ProductName"), "Vantrel(tm) Server Launch Utility");
    Expect("CompanyName", value("CompanyName"), "Brenmoor");
    if (g_failures == 0) std::printf("%s: version %s, %s\n", argv[3], version.c_str(), argv[4]);
    return g_failures == 0 ? 0 : 1;
}
