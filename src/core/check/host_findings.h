// What check finds about the host rather than the configuration: whether the
// server program is one this host can start.
#pragma once

#include <vector>

#include "core/check/config_check.h"
#include "core/common/server_places.h"

// A server program that is no Windows program, one for another processor,
// or a 32-bit one this host's Wine cannot start.
void AppendProgramFindings(const ServerPlaces& places, std::vector<Finding>& findings);
