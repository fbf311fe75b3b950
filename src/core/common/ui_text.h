// Texts of the string table.
#pragma once

#include "ui_text_ids.h"  // the IDS_ names of the string table

// The text of a string-table id in the one shared 4096-byte buffer, which the
// next call overwrites: a caller that needs two texts at once copies the
// first. Single-threaded use only.
const char* LoadUIText(unsigned id);

constexpr unsigned kUITextBufferSize = 4096;
