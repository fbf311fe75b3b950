// What every part of the site shares: where the instances are, the program
// that runs a server, and the hooks of the one event loop. A value the
// serve command builds and hands down; nothing of it is global.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/common/server_places.h"
#include "core/instances/instances.h"

struct WebSite {
    std::string instancesFile;  // instances.ini; empty: only the implicit default
    std::string program;        // this servolt-cli, started as `run --instance NAME`
    std::string winePrefix;     // --prefix of serve, for the implicit default; empty: $WINEPREFIX
    std::string gameFolder;     // --game of serve, for the implicit default; empty: the current folder
    unsigned keepHistory = 50;

    // Called by the event loop about four times a second, and once when
    // serve is asked to stop (each must then end what it started).
    std::vector<std::function<void()>> onTick;
    std::vector<std::function<void()>> onStop;
};

// The instances the site shows: those of instances.ini, and "default"
// first when the file has none of that name. False with the reason when the
// file cannot be read.
bool ListSiteInstances(const WebSite& site, std::vector<Instance>& instances, std::string& why);

// The places of the instance's files, as `servolt-cli --instance NAME`
// builds them. False with the reason (an unknown name, a prefix without a
// user folder, a path too long).
bool PlacesOfInstance(const WebSite& site, const std::string& name, ServerContext& context, std::string& why);
