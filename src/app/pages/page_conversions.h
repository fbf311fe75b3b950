// How the settings pages turn numbers into the texts of their edit boxes and
// back. The rules are the core's (core/settings/page_fields.h), shared with
// the command line; the dialog helpers in page_helpers.h only move the text
// in and out of the controls.
#pragma once

#include <cstddef>

#include "core/common/number_text.h"
#include "core/settings/page_fields.h"

namespace pages {

// Room for a number box's text when it is shown or read as a float.
constexpr std::size_t kFloatTextSize = kFloatTextLimit + 1;
// Room for any edit box's text: what a text field can hold, plus the zero.
constexpr std::size_t kEditTextSize = kPageTextLimit + 1;
using ::kServerNameLength;

using ::AllowAllSkinsChecked;
using ::BitsToInt;
using ::CutServerName;
using ::IntToBits;
using ::NextAllowAllSkins;
using ::ParseIntOrBlankText;
using ::ShowsBlank;

}  // namespace pages
