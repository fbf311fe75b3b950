// Shared helpers of the archive tests: archives written to temporary files.
#pragma once

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "core/archive/resource_archive.h"
#include "rez_builder.h"

namespace archive_test {

using rezwriter::Bytes;

// A file in the temporary folder, removed when the object goes.
class TempFile {
public:
    explicit TempFile(const Bytes& bytes) : path_(NewPath()) { rezwriter::WriteFile(path_, bytes); }
    explicit TempFile(const std::string& text) : TempFile(Bytes(text.begin(), text.end())) {}
    ~TempFile() { std::remove(path_.c_str()); }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    const char* path() const { return path_.c_str(); }

    static std::string NewPath() {
        static std::atomic<int> counter{0};
        const auto folder = std::filesystem::temp_directory_path();
        return (folder / ("servolt-archive-test-" + std::to_string(Process()) + "-" +
                          std::to_string(counter++) + ".rez"))
            .string();
    }

private:
    static long Process();
    std::string path_;
};

inline std::string Text(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

// Everything an open handle reads, through one whole-entry read.
inline std::string ReadWhole(ResourceArchive& archive, const char* name) {
    std::unique_ptr<EntryHandle> entry = archive.OpenEntry(name);
    if (!entry) return "<no entry>";
    std::string data(archive.GetEntrySize(entry.get()), '\0');
    const std::uint32_t got =
        data.empty() ? 0 : archive.ReadEntry(entry.get(), 0, &data[0], std::uint32_t(data.size()));
    if (got != data.size()) return "<read failed>";
    return data;
}

// Deterministic bytes that compress somewhat: words from a small list with
// noise between them.
std::string MixedData(std::size_t size, unsigned seed);

}  // namespace archive_test
