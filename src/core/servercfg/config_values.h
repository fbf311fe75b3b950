// The values of server.cfg's lines read back into the record's types, and
// only when the record holds them exactly; otherwise `why` says what is
// wrong, naming the line's cvar (`name`) and the value as read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/settings/server_settings.h"

namespace servercfg {

constexpr std::size_t kMaxTextLength = kSettingsTextSize - 1;

// A piece of the file as a report shows it: short, and without control
// characters that would upset a console.
std::string Quoted(std::string_view text);

// An optional '-' and decimal digits, from INT_MIN to INT_MAX.
bool ReadWhole(const std::string& value, const std::string& name, std::int32_t& out, std::string& why);
// 0 or 1.
bool ReadFlag(const std::string& value, const std::string& name, bool& out, std::string& why);
// A decimal number, exponent allowed, that rounds to a finite float.
bool ReadDecimal(const std::string& value, const std::string& name, float& out, std::string& why);
// Up to 4095 bytes without a NUL.
bool ReadText(const std::string& value, const std::string& name, char (&out)[kSettingsTextSize], std::string& why);

// The rotation text whose sv_maplist value `value` is, for the game type's
// prefix (nullptr for none): BuildMapListValue read backwards, blanks around
// a ';', a missing last ';' and the swap mark in any letter case allowed.
bool ReadRotation(const std::string& value, const char* prefix, std::string& rotation, std::string& why);

// The items of an sv_maplist value: cut at ';', without the blanks around
// each, empty ones left out.
std::vector<std::string_view> MapListElements(std::string_view value);

// Whether the server gets the same from two values of the variable `name`:
// SameConsoleValue, and for sv_maplist the same maps and swap marks however
// the list is spelled.
bool SameValueFor(std::string_view name, std::string_view a, std::string_view b);

}  // namespace servercfg
