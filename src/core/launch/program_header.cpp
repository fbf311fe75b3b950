#include "core/launch/program_header.h"

#include "platform/platform.h"

namespace {

std::uint32_t Little(const std::string& bytes, std::size_t at, int size) {
    std::uint32_t value = 0;
    for (int i = size; i-- > 0;) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

constexpr std::size_t kHeaderBytes = 4096;  // e_lfanew points within the first page in practice

}  // namespace

ProgramHeader ParseProgramHeader(const std::string& bytes) {
    ProgramHeader header;
    header.kind = ProgramKind::NotWindows;
    if (bytes.size() < 0x40 || bytes[0] != 'M' || bytes[1] != 'Z') return header;
    const std::uint32_t pe = Little(bytes, 0x3C, 4);
    if (pe > bytes.size() || bytes.size() - pe < 6 || bytes.compare(pe, 4, std::string("PE\0\0", 4)) != 0) return header;
    header.machine = static_cast<std::uint16_t>(Little(bytes, pe + 4, 2));
    header.kind = header.machine == 0x014C   ? ProgramKind::Windows32
                  : header.machine == 0x8664 ? ProgramKind::Windows64
                                             : ProgramKind::WindowsOther;
    return header;
}

ProgramHeader ReadProgramHeader(const std::string& path) {
    platform::ReadOnlyFile file;
    if (!file.Open(path.c_str())) return ProgramHeader();
    std::string bytes(kHeaderBytes, '\0');
    std::size_t got = 0;
    if (!file.Read(&bytes[0], bytes.size(), got)) return ProgramHeader();
    bytes.resize(got);
    ProgramHeader header = ParseProgramHeader(bytes);
    // A header placed past the first page: read where it says.
    if (header.kind == ProgramKind::NotWindows && got >= 0x40 && bytes[0] == 'M' && bytes[1] == 'Z') {
        const std::uint32_t pe = Little(bytes, 0x3C, 4);
        std::string tail(6, '\0');
        if (pe >= got && file.Seek(pe) && file.Read(&tail[0], tail.size(), got) && got == tail.size() &&
            tail.compare(0, 4, std::string("PE\0\0", 4)) == 0) {
            header.machine = static_cast<std::uint16_t>(Little(tail, 4, 2));
            header.kind = header.machine == 0x014C   ? ProgramKind::Windows32
                          : header.machine == 0x8664 ? ProgramKind::Windows64
                                                     : ProgramKind::WindowsOther;
        }
    }
    return header;
}

std::string Wine32BitSign(const std::string& libFolder) { return libFolder + "/wine/i386-windows/ntdll.dll"; }

const char* const* WineLibFolders() {
    // Debian's wine32 and WineHQ's packages; a Wine built for new WoW64 keeps
    // the 32-bit ntdll.dll beside its 64-bit one. A 64-bit-only Debian Wine
    // has an i386-windows folder too, but without ntdll.dll.
    static const char* const kFolders[] = {
        "/usr/lib/i386-linux-gnu", "/usr/lib/x86_64-linux-gnu", "/usr/lib", "/usr/lib32", "/usr/lib64",
        "/usr/local/lib", "/usr/local/lib32", "/usr/local/lib64", "/opt/wine-stable/lib", "/opt/wine-devel/lib",
        "/opt/wine-staging/lib", "/opt/wine-stable/lib64", "/opt/wine-devel/lib64", "/opt/wine-staging/lib64",
        nullptr};
    return kFolders;
}

std::string WineLibFolderBeside(const std::string& wineProgram, const char* lib) {
    const std::size_t slash = wineProgram.find_last_of('/');
    const std::string bin = slash == std::string::npos ? std::string(".") : wineProgram.substr(0, slash);
    return bin + "/../" + lib;
}
