// The page's own files, carried by the program: the build writes their
// bytes into a table (cmake/embed_files.cmake, from src/web/static/), so
// that a request names an entry of this table or nothing at all.
#pragma once

#include <cstddef>
#include <string>

struct StaticFile {
    const char* name;  // "index.html"
    const unsigned char* data;
    std::size_t size;
};

extern const StaticFile kStaticFiles[];
extern const std::size_t kStaticFileCount;

// The file of exactly that name; nullptr when there is none.
const StaticFile* FindStaticFile(const std::string& name);
// The Content-Type of a file by its extension.
const char* StaticContentType(const std::string& name);
