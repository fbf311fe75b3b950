// Reading an existing server.cfg back into the settings record: a file this
// utility wrote (any version), or one written or edited by hand.
//
// The file is read as the server's console reads a script, top to bottom:
// a line holds commands separated by ';', "seta", "sets" and "setu" are
// forms of "set", and of several commands for one setting the last one
// counts. A command is applied in the set form or the bare cvar form (any
// letter case for names, quotes optional around a single word, a trailing
// // comment allowed) when the record can hold its value so that server.cfg
// written again tells the server the same. Every other command is kept
// verbatim, in its order, in the additional options, which server.cfg
// writes back as they are, near its top. What server.cfg then tells the
// server is compared with what the file told it, variable by variable, and
// every variable that would end otherwise is named in the report.
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
        int command = 1;   // of the line's commands, from 1
    };
    // A variable the file assigns whose last value server.cfg, written from
    // the record, would not give the server.
    struct Difference {
        std::string name;       // as the file spells it
        int line;               // of the file's last assignment, from 1
        std::string fileValue;  // its last value in the file
        bool written;           // whether server.cfg sets it at all
        std::string writtenValue;
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
    int assignments = 0;                     // of the file's commands, those that assign a variable
    std::vector<Difference> differences;
    // Variables server.cfg will set that the file never set: the server used
    // its own defaults for those. As server.cfg spells them, in its order.
    std::vector<std::string> serverDefaults;
};

// What the import starts from: the factory defaults, or the record as the
// caller holds it (the file applied onto the settings).
enum class ImportBase { Defaults, Current };

// Resets `settings` to the defaults (SetDefaults), unless `base` is
// Current, then reads `bytes` into it. Settings that server.cfg does not
// hold (the mods in use) keep their values; a caller that keeps them copies
// them back. The map rotation is the file's sv_maplist; from the defaults it
// is empty when the file has none, onto the current record it stays. Carried
// lines follow the record's own additional options when it is Current.
// Work and memory grow with the size of `bytes` only.
ImportReport ImportServerConfig(const std::string& bytes, ServerSettings& settings,
                                ImportBase base = ImportBase::Defaults);

// Whether the server is told through the written file all that the file told
// it: no variable ends otherwise, no line was dropped, and the file assigned
// something at all (an empty file is no configuration to take).
bool ImportKeptEverything(const ImportReport& report);

// Why `bytes` are not a console script, or "" when they may be one: a NUL
// byte, or mostly bytes that no text holds (an archive, a picture).
std::string WhyNotText(const std::string& bytes);

// The report as lines for a console: one per line listed, one per
// difference, then the notes, then the counts.
std::vector<std::string> DescribeImport(const ImportReport& report);

