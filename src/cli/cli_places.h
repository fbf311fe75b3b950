// Where the command line finds the operator's files: the settings file, the
// folder server.cfg goes to, the game folder and the mods folder, with the
// window's defaults and, on Linux, the user folder inside a Wine prefix.
#pragma once

#include <string>

#include "core/common/server_places.h"
#include "core/instances/instances.h"

struct CliPlaces {
    std::string prefix;        // --prefix; empty: the instance's, else $WINEPREFIX, or none
    std::string ini;           // --ini; empty: the instance's, else the user folder's Servolt.ini
    std::string out;           // --out; empty: the user folder
    std::string game;          // --game; empty: the instance's, else the current folder
    std::string cfg;           // --cfg; empty: the instance's, else server.cfg
    std::string instance;      // --instance or $SERVOLT_INSTANCE; empty: default
    std::string instances;     // --instances; empty: instances.ini of the utility's folder
    unsigned keepHistory = 50; // --keep-history: entries of the configuration history kept
    // The places instances.ini gives the chosen instance (ChooseInstance);
    // each option above, when given, goes before them.
    Instance chosen;
};

// The file of the instances: --instances, else the utility's own; empty
// when there is neither.
std::string InstancesFileOf(const CliPlaces& options);

// Looks the chosen instance up and keeps its places in `options.chosen`. An
// unnamed instance is "default", which needs no entry: without one it has
// today's places. False, with the reason, for a name that is not in the file
// or a file that cannot be read.
bool ChooseInstance(CliPlaces& options, std::string& error);

// The Wine prefix the options name: --prefix, else the instance's, else
// $WINEPREFIX (never on Windows); empty: none. The game folder: --game, else
// the instance's, else the current folder. The console script: --cfg, else
// the instance's, else server.cfg. None asks anything of the user folder.
std::string WinePrefixOf(const CliPlaces& options);
std::string GameFolderOf(const CliPlaces& options);
std::string ConsoleScriptOf(const CliPlaces& options);

// The refusals of BuildPlaces, made without asking for the user folder
// (which may create the documents folder). An instance's settings file is
// not refused when missing: like Servolt.ini, it then gives the defaults.
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

// A relative path made absolute against the current folder: the server and
// its launcher run in the game folder, and a path kept in instances.ini is
// read again from any folder (a systemd unit starts in /), where a relative
// path would name something else.
std::string Absolute(const std::string& path);
