#include "cli/cli_output.h"

#include <cstdio>
#include <iostream>

#include "platform/console.h"
#include "platform/platform.h"

void Say(const std::string& line) {
    // Standard output is buffered: what it holds was printed first.
    std::cout.flush();
    std::cerr << "servolt-cli: " << line << std::endl;
}

void BufferStandardStreams() {
    // Unbuffered, each piece of a line is a system call of its own, which a
    // Windows console (and Wine's above all) makes slow; lines of standard
    // error are flushed by Say and the progress line, the rest at exit.
    std::setvbuf(stdout, nullptr, _IOFBF, 1 << 16);
    std::setvbuf(stderr, nullptr, _IOFBF, 1 << 12);
    // std::cerr would still flush after every piece it is given.
    std::cerr.unsetf(std::ios::unitbuf);
}

std::string ShownPath(const std::string& path) { return platform::HostPath(path.c_str()); }

namespace {

// Bytes at `at` that a UTF-8 terminal obeys rather than shows: a C1 control
// (U+0080..U+009F, CSI and OSC among them) or a bidirectional control, which
// reorders the rest of the line; 0 when none starts there.
std::size_t ObeyedSequence(const std::string& text, std::size_t at) {
    const auto byte = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const std::size_t left = text.size() - at;
    if (left >= 2 && byte(at) == 0xC2 && byte(at + 1) >= 0x80 && byte(at + 1) <= 0x9F) return 2;
    if (left < 3 || byte(at) != 0xE2) return 0;
    const unsigned char second = byte(at + 1), third = byte(at + 2);
    if (second == 0x80 && (third == 0x8E || third == 0x8F || (third >= 0xAA && third <= 0xAE))) return 3;  // LRM RLM, LRE..RLO
    if (second == 0x81 && third >= 0xA6 && third <= 0xA9) return 3;  // LRI..PDI
    return 0;
}

void AppendEscaped(std::string& out, unsigned char byte) {
    char escaped[8];
    std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
    out += escaped;
}

}  // namespace

std::string ShownName(const std::string& name) {
    std::string out;
    out.reserve(name.size());
    for (std::size_t at = 0; at < name.size();) {
        const unsigned char u = static_cast<unsigned char>(name[at]);
        if (u < 0x20 || u == 0x7F) {
            AppendEscaped(out, u);
            ++at;
            continue;
        }
        const std::size_t obeyed = ObeyedSequence(name, at);
        if (obeyed == 0) {
            out += name[at++];
            continue;
        }
        for (const std::size_t end = at + obeyed; at < end; ++at) AppendEscaped(out, static_cast<unsigned char>(name[at]));
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
    std::fflush(stderr);
    drawn_ = false;
}
