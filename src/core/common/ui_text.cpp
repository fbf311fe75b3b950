#include "core/common/ui_text.h"

#include "platform/platform.h"

std::string LoadUIText(unsigned id) {
    char text[kUITextBufferSize];
    const int length = platform::LoadStringResource(id, text, static_cast<int>(sizeof text));
    return std::string(text, length > 0 ? static_cast<std::size_t>(length) : 0);
}
