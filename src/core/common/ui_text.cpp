#include "core/common/ui_text.h"

#include "platform/platform.h"

namespace {
// The program has one thread, so one buffer serves every caller.
char g_uiText[kUITextBufferSize];
}  // namespace

const char* LoadUIText(unsigned id) {
    platform::LoadStringResource(id, g_uiText, static_cast<int>(sizeof g_uiText));
    return g_uiText;
}
