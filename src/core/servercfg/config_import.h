// Reading an existing server.cfg back into the settings record: a file this
// utility wrote (any version), or one written or edited by hand.
//
// The file is read as the server's console reads a script, top to bottom,
// so of several lines for one setting the last one counts. A line is
// applied only in a form the writer itself produces (the "set" form or the
// bare cvar form, any letter case for names, quotes optional around a
// single word, a trailing // comment allowed), and only when the record can
// hold its value so that server.cfg written again tells the server the same.
// Every other line is kept verbatim, in its order, in the additional
// options, which server.cfg writes back as they are.
#pragma once

#include <string>
#include <vector>

#include "core/settings/server_settings.h"

struct ImportReport {
    enum class Kind {
        Applied,     // its value is in the record
        Carried,     // kept verbatim in the additional options
        Superseded,  // a later line sets the same, so the server never kept it
        Dropped,     // nothing can hold it: a NUL byte, or the additional options are full
        Comment,     // a comment or a blank line
    };
    struct Line {
        int number;        // from 1; a value continued over several lines gives its first
        Kind kind;         // Carried, Superseded or Dropped
        std::string text;  // as read; the lines of one value joined by CR LF
        std::string why;
    };
    // Lines of the file by kind; they add up to the number of lines.
    int applied = 0;
    int carried = 0;
    int superseded = 0;
    int dropped = 0;
    int comments = 0;
    std::vector<Line> lines;          // every line neither applied nor a comment, in file order
    std::vector<std::string> notes;   // about the file as a whole
    bool additionalOptionsOverflow = false;  // lines were dropped because 4095 characters were full
};

// Resets `settings` to the defaults (SetDefaults), then reads `bytes` into
// it. Settings that server.cfg does not hold (the mods in use) keep their
// defaults; a caller that keeps them copies them back. The map rotation is
// the file's sv_maplist, empty when the file has none. Work and memory grow
// with the size of `bytes` only.
ImportReport ImportServerConfig(const std::string& bytes, ServerSettings& settings);

// The report as lines for a console: one per line listed, then the notes,
// then the counts.
std::vector<std::string> DescribeImport(const ImportReport& report);

