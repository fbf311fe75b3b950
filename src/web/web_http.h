// A request as the routes see it and the answer they give: plain values, so
// that the routes run (and are tested and fuzzed) without a socket. The
// transport has already bounded the request, checked who sent it and
// parsed it.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

struct WebRequest {
    std::string method;  // "GET", "POST", ...
    std::string path;    // the target before '?', still percent-encoded
    std::string query;   // after '?', still percent-encoded; empty when none
    std::vector<std::pair<std::string, std::string>> headers;  // names in lower case
    std::string body;

    // The first header of that (lower-case) name; nullptr when absent.
    const std::string* Header(const std::string& name) const;
    // The query parameter, percent-decoded ('+' is a blank); `fallback` when
    // absent or not decodable.
    std::string Query(const std::string& name, const std::string& fallback = std::string()) const;
};

struct WebResponse {
    int status = 200;
    std::string contentType = "application/json; charset=utf-8";
    std::string body;
    // Extra headers (Set-Cookie, Location, ...); the transport adds the
    // security headers every answer carries.
    std::vector<std::pair<std::string, std::string>> headers;
};

// Decodes %XX escapes (and '+' as a blank when `plusIsBlank`). False for a
// broken escape or an encoded NUL; `out` is then unspecified.
bool PercentDecode(const std::string& text, std::string& out, bool plusIsBlank);

// {"error": message} with that status.
WebResponse ErrorResponse(int status, const std::string& message);
// The value's JSON. Texts of the settings are Windows-1252 bytes: they go
// out as UTF-8 (Latin1Json), never as invalid UTF-8 that would throw.
WebResponse JsonResponse(const nlohmann::json& value, int status = 200);

// Windows-1252 bytes as UTF-8, and back; a character outside Windows-1252
// coming back is refused (false).
std::string Cp1252ToUtf8(const std::string& bytes);
bool Utf8ToCp1252(const std::string& text, std::string& bytes);

// The body as JSON; false (and `why`) for a body that is not JSON or not an
// object. Never throws.
bool ParseJsonObject(const std::string& body, nlohmann::json& value, std::string& why);
