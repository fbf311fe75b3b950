#include "web/web_http.h"

#include <cstdint>

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Windows-1252's 0x80-0x9F; 0 where the code page has no character.
const std::uint16_t kHighControls[32] = {
    0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0, 0x017D, 0,
    0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E,
    0x0178};

void AppendUtf8(std::string& out, std::uint32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

}  // namespace

const std::string* WebRequest::Header(const std::string& name) const {
    for (const auto& header : headers) {
        if (header.first == name) return &header.second;
    }
    return nullptr;
}

std::string WebRequest::Query(const std::string& name, const std::string& fallback) const {
    std::size_t start = 0;
    while (start <= query.size()) {
        std::size_t end = query.find('&', start);
        if (end == std::string::npos) end = query.size();
        const std::string pair = query.substr(start, end - start);
        const std::size_t equals = pair.find('=');
        std::string key;
        if (PercentDecode(pair.substr(0, equals), key, true) && key == name) {
            std::string value;
            if (equals == std::string::npos) return std::string();
            return PercentDecode(pair.substr(equals + 1), value, true) ? value : fallback;
        }
        start = end + 1;
    }
    return fallback;
}

bool PercentDecode(const std::string& text, std::string& out, bool plusIsBlank) {
    out.clear();
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '%') {
            if (i + 2 >= text.size()) return false;
            const int high = HexValue(text[i + 1]);
            const int low = HexValue(text[i + 2]);
            if (high < 0 || low < 0) return false;
            const char decoded = static_cast<char>(high * 16 + low);
            if (decoded == '\0') return false;
            out += decoded;
            i += 2;
        } else if (c == '+' && plusIsBlank) {
            out += ' ';
        } else if (c == '\0') {
            return false;
        } else {
            out += c;
        }
    }
    return true;
}

WebResponse ErrorResponse(int status, const std::string& message) {
    return JsonResponse(nlohmann::json{{"error", message}}, status);
}

WebResponse JsonResponse(const nlohmann::json& value, int status) {
    WebResponse response;
    response.status = status;
    // Replacement instead of an exception: a stray byte must not cost the
    // whole answer.
    response.body = value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    return response;
}

std::string Cp1252ToUtf8(const std::string& bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 4);
    for (const char byte : bytes) {
        const auto c = static_cast<unsigned char>(byte);
        if (c < 0x80) {
            out += byte;
        } else if (c < 0xA0) {
            const std::uint16_t mapped = kHighControls[c - 0x80];
            AppendUtf8(out, mapped != 0 ? mapped : c);  // undefined ones keep their C1 code point
        } else {
            AppendUtf8(out, c);
        }
    }
    return out;
}

bool Utf8ToCp1252(const std::string& text, std::string& bytes) {
    bytes.clear();
    bytes.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::uint32_t c = 0;
        std::size_t length = 0;
        if (lead < 0x80) {
            c = lead;
            length = 1;
        } else if ((lead & 0xE0) == 0xC0) {
            c = lead & 0x1F;
            length = 2;
        } else if ((lead & 0xF0) == 0xE0) {
            c = lead & 0x0F;
            length = 3;
        } else {
            return false;  // four-byte forms lie beyond Windows-1252, as do stray bytes
        }
        if (i + length > text.size()) return false;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            c = (c << 6) | (next & 0x3F);
        }
        if ((length == 2 && c < 0x80) || (length == 3 && c < 0x800)) return false;  // overlong
        i += length;
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            bytes += static_cast<char>(c);
            continue;
        }
        bool found = false;
        for (std::uint32_t k = 0; k < 32; ++k) {
            if (kHighControls[k] == c || (kHighControls[k] == 0 && c == 0x80 + k)) {
                bytes += static_cast<char>(0x80 + k);
                found = true;
                break;
            }
        }
        if (!found) return false;
    }
    return true;
}

bool ParseJsonObject(const std::string& body, nlohmann::json& value, std::string& why) {
    value = nlohmann::json::parse(body, nullptr, false);
    if (value.is_discarded()) {
        why = "the body is not JSON";
        return false;
    }
    if (!value.is_object()) {
        why = "the body is not a JSON object";
        return false;
    }
    return true;
}
