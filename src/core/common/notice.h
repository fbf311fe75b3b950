// Failures the operator must hear about, handed by the core to whichever
// front end runs it. The window shows each notice as a message box; a
// console front end prints it. The core never shows anything itself.
#pragma once

#include <functional>
#include <string>

#include "platform/platform.h"

struct Notice {
    std::string file;     // the file the failure concerns, as the core named it
    std::string text;     // the whole message, composed from the string table
    std::string caption;  // the box's caption
    platform::BoxOwner owner = platform::BoxOwner::None;  // who owns the window's box
    unsigned style = 0;   // MessageBoxA style of the window's box (MB_ICONWARNING = 0x30)
    // The system's reason when a call failed (code 0 otherwise). The window's
    // box does not show it; a console front end may.
    platform::Error error;
};

// Receives every notice; its result is the answer (IDOK = 1).
using NoticeSink = std::function<int(const Notice&)>;

// Hands a notice to `sink`; 1 (IDOK) when the sink is empty.
int ReportNotice(const NoticeSink& sink, const Notice& notice);

// A file that could not be written: the string `textId` followed by the
// path, under the caption `captionId`, as a warning owned by the main window,
// carrying `error`.
int ReportFileNotWritten(const NoticeSink& sink, const std::string& path, unsigned textId, unsigned captionId,
                         const platform::Error& error);
