// A small model of the server's console, written apart from the importer so
// that it can judge it: what a script finally tells the server, variable by
// variable.
#pragma once

#include <map>
#include <string>

namespace console_model {

// Lines end at LF, CR LF or CR; a line's commands end at ';' outside quotes;
// "//" outside quotes ends the line. "set", "seta", "sets", "setu" (any
// case) and the bare form "name value" assign; a quoted word runs to the
// next quote; a value of several words is joined by one blank. A command
// whose first word begins with '#' assigns nothing. The last assignment
// wins; names are lower-case.
std::map<std::string, std::string> FinalValues(const std::string& script);

// Whether the server gets the same from two values of `name`: the same
// text; decimal numbers with the same float and the same whole part; for
// sv_maplist, the same maps and swap marks however the list is spelled.
bool SameForServer(const std::string& name, const std::string& a, const std::string& b);

}  // namespace console_model
