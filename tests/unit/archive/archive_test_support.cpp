#include "archive_test_support.h"

#if defined(_WIN32)
#include <process.h>
#else
#include <unistd.h>
#endif

namespace archive_test {

long TempFile::Process() {
#if defined(_WIN32)
    return long(_getpid());
#else
    return long(getpid());
#endif
}

std::string MixedData(std::size_t size, unsigned seed) {
    static const char* const kWords[] = {"maps/", "dm/", "texture", ".bsp", "  ", "\0\0\0\0",
                                         "vertex", "light", "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxx"};
    std::string out;
    out.reserve(size);
    unsigned state = seed * 2654435761u + 1;
    while (out.size() < size) {
        state = state * 1103515245u + 12345u;
        const unsigned pick = (state >> 16) % 12;
        if (pick < 9) {
            const char* word = kWords[pick];
            const std::size_t length = pick == 5 ? 4 : std::char_traits<char>::length(word);
            out.append(word, length);
        } else {
            out.push_back(static_cast<char>(state >> 8));
        }
    }
    out.resize(size);
    return out;
}

}  // namespace archive_test
