// Where one server's files are, and the context a front end hands the core
// for that server: the places and who hears the core's notices. A front end
// builds one context per server it manages, once, and passes it to every
// load, save, discovery, check and start; the core keeps none of it.
#pragma once

#include <string>

#include "core/common/notice.h"

struct ServerPlaces {
    // Servolt.ini. A path of MAX_PATH (260) characters or more does not fit
    // the profile functions: nothing is read from it, and a save fails with
    // ERROR_FILENAME_EXCED_RANGE.
    std::string settingsFile;
    // Where a save writes server.cfg and moddir\usedmods.cfg, without
    // trailing backslash: the user folder, or a folder the operator chose.
    // "" is the root of the current drive.
    std::string userFolder;
    // The game folder: the server program, main\ and mainmp\.
    std::string gameFolder;
    // The mods folder discovery reads ("...\moddir").
    std::string modsFolder;
    // The Wine prefix the server runs in, seen from Linux; empty: none.
    std::string winePrefix;
    // The console script a save writes into the user folder and the server
    // is started with (+exec): a plain file name. Servers that share a user
    // folder each need their own.
    std::string consoleScript = kDefaultConsoleScript;

    static constexpr const char* kDefaultConsoleScript = "server.cfg";

    std::string ServerConfigPath() const;  // userFolder + "\" + consoleScript
    std::string UsedModsPath() const;      // userFolder + "\moddir\usedmods.cfg"
};

constexpr std::size_t kProfilePathSize = 260;  // MAX_PATH

// Whether `name` may name a console script: a plain file name ending in
// .cfg, no folder, no space (the server's command line splits at spaces).
bool IsConsoleScriptName(const std::string& name);

// The window's places for a documents folder ("" when unknown) and a game
// folder: the user folder documents + "\Brenmoor\Vantrel(tm)" (the root of
// the current drive without a documents folder), Servolt.ini in it, the
// mods folder its "\moddir".
ServerPlaces PlacesInDocuments(const std::string& documentsFolder, const std::string& gameFolder);
// The same for the documents folder the system names and the current folder,
// each asked once.
ServerPlaces DefaultServerPlaces();

struct ServerContext {
    ServerPlaces places;
    NoticeSink notices;  // empty: notices go unheard

    // Hands a notice to the sink; 1 (IDOK) when there is none.
    int Report(const Notice& notice) const { return ReportNotice(notices, notice); }
};
