// The window's one server: the context it hands the core (the window's
// places and its message boxes) and the settings record the pages edit.
// The window has one thread and one server, so these live as long as the
// process.
#pragma once

#include "core/common/server_places.h"
#include "core/settings/server_settings.h"

// Built on first use: the documents folder and the current folder asked
// once, every notice shown as a message box.
const ServerContext& AppContext();

// The record the pages edit: created on first use with the defaults, then
// loaded from the context's settings file.
ServerSettings* GetServerSettings();
