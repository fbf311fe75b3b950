// Where the command line finds the operator's files: the settings file, the
// folder server.cfg goes to, the game folder and the mods folder, with the
// window's defaults and, on Linux, the user folder inside a Wine prefix.
#pragma once

#include <string>

struct CliPlaces {
    std::string prefix;        // --prefix, or $WINEPREFIX; empty: none
    std::string ini;           // --ini; empty: the user folder's Servolt.ini
    std::string out;           // --out; empty: the user folder
    std::string game;          // --game; empty: the current folder
};

// Points the core at the user folder of the prefix, when there is one, and
// at an explicit settings file. False, with the reason in `error`, when the
// prefix has no user folder, or an explicit settings file that is to be read
// (`iniIsRead`) is missing.
bool ApplyPlaces(const CliPlaces& places, bool iniIsRead, std::string& error);

// The settings file in use; whether it exists (a missing default file means
// the defaults).
std::string SettingsFileInUse();
bool SettingsFileExists();

std::string OutputFolder(const CliPlaces& places);
std::string GameFolder(const CliPlaces& places);
