// Where the command line finds the operator's files: the settings file, the
// folder server.cfg goes to, the game folder and the mods folder, with the
// window's defaults and, on Linux, the user folder inside a Wine prefix.
#pragma once

#include <string>

#include "core/common/server_places.h"

struct CliPlaces {
    std::string prefix;        // --prefix; empty: $WINEPREFIX, or none
    std::string ini;           // --ini; empty: the user folder's Servolt.ini
    std::string out;           // --out; empty: the user folder
    std::string game;          // --game; empty: the current folder
};

// The Wine prefix the options name: --prefix, else $WINEPREFIX (never on
// Windows); empty: none. The game folder: --game, else the current folder.
// Neither asks anything of the user folder.
std::string WinePrefixOf(const CliPlaces& options);
std::string GameFolderOf(const CliPlaces& options);

// The refusals of BuildPlaces, made without asking for the user folder
// (which may create the documents folder).
bool CheckPlaceOptions(const CliPlaces& options, bool iniIsRead, std::string& error);

// The places of the command's server: the window's, in the user folder of
// the prefix when there is one, with the options' settings file, output
// folder and game folder. False, with the reason in `error`, when the prefix
// has no user folder, or an explicit settings file is too long or, when it
// is to be read (`iniIsRead`), missing.
bool BuildPlaces(const CliPlaces& options, bool iniIsRead, ServerPlaces& places, std::string& error);

// Whether the places' settings file can be read (a missing default file
// means the defaults; one too long for the profile functions reads as
// missing).
bool SettingsFileExists(const ServerPlaces& places);
