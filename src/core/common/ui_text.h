// Texts of the string table.
#pragma once

#include <string>

#include "ui_text_ids.h"  // the IDS_ names of the string table

// The text of a string-table id, cut to 4095 characters; "" for an id the
// table does not hold. Each call returns its own copy.
std::string LoadUIText(unsigned id);

constexpr unsigned kUITextBufferSize = 4096;
