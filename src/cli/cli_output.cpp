#include "cli/cli_output.h"

#include <cstdio>
#include <iostream>

#include "platform/console.h"
#include "platform/platform.h"

void Say(const std::string& line) { std::cerr << "servolt-cli: " << line << std::endl; }

std::string ShownPath(const std::string& path) { return platform::HostPath(path.c_str()); }

std::string ShownName(const std::string& name) {
    std::string out;
    for (const char c : name) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u != 0x7F) {
            out += c;
            continue;
        }
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\x%02X", u);
        out += escaped;
    }
    return out;
}

void WriteBinaryToStdout(const void* bytes, std::size_t size) {
    std::cout.flush();
    platform::SetStandardOutputBinary();
    std::fwrite(bytes, 1, size, stdout);
    std::fflush(stdout);
}

ProgressLine::ProgressLine(const char* doing) : doing_(doing), shown_(platform::StandardErrorIsTerminal()) {}

void ProgressLine::Update(const ArchiveProgress& progress) {
    if (!shown_) return;
    const auto now = std::chrono::steady_clock::now();
    const bool last = progress.entriesDone == progress.entryCount;
    if (drawn_ && !last && now - lastDrawn_ < std::chrono::milliseconds(250)) return;
    lastDrawn_ = now;
    drawn_ = true;
    width_ = std::fprintf(stderr, "\rservolt-cli: %s %zu/%zu entries, %llu/%llu bytes", doing_, progress.entriesDone,
                 progress.entryCount, static_cast<unsigned long long>(progress.bytesDone),
                 static_cast<unsigned long long>(progress.byteCount));
    std::fflush(stderr);
}

void ProgressLine::End() {
    // Blanks rather than an escape sequence, which older Windows consoles
    // print as they are.
    if (drawn_) std::fprintf(stderr, "\r%*s\r", width_ > 1 ? width_ - 1 : 0, "");
    drawn_ = false;
}
