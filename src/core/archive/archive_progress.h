// How far packing or unpacking an archive has come, for a front end to show.
#pragma once

#include <cstddef>
#include <cstdint>

struct ArchiveProgress {
    std::size_t entriesDone = 0;
    std::size_t entryCount = 0;
    std::uint64_t bytesDone = 0;
    std::uint64_t byteCount = 0;
};
