#include "web/web_routes.h"

#include <exception>

namespace {

std::vector<std::string> Segments(const std::string& path) {
    std::vector<std::string> segments;
    std::size_t start = path.empty() || path[0] != '/' ? 0 : 1;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        segments.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return segments;
}

bool IsParameter(const std::string& segment) {
    return segment.size() > 2 && segment.front() == '{' && segment.back() == '}';
}

// A parameter names one thing by its name; nothing that a path, a drive or
// a C string would read otherwise.
bool SafeParameter(const std::string& raw, std::string& decoded) {
    if (!PercentDecode(raw, decoded, false)) return false;
    if (decoded.empty() || decoded == "." || decoded == "..") return false;
    return decoded.find_first_of(std::string("/\\:\0", 4)) == std::string::npos;
}

}  // namespace

void WebRoutes::Add(const std::string& method, const std::string& pattern, RouteHandler handler) {
    routes_.push_back({method, Segments(pattern), std::move(handler)});
}

WebResponse WebRoutes::Dispatch(const WebRequest& request) const {
    const std::vector<std::string> segments = Segments(request.path);
    bool pathKnown = false;
    for (const Route& route : routes_) {
        if (route.segments.size() != segments.size()) continue;
        RouteParams params;
        bool matches = true;
        for (std::size_t i = 0; i < segments.size() && matches; ++i) {
            if (IsParameter(route.segments[i])) {
                std::string value;
                matches = SafeParameter(segments[i], value);
                if (matches) params[route.segments[i].substr(1, route.segments[i].size() - 2)] = value;
            } else {
                matches = route.segments[i] == segments[i];
            }
        }
        if (!matches) continue;
        pathKnown = true;
        if (route.method != request.method) continue;
        try {
            return route.handler(request, params);
        } catch (const std::exception&) {
            return ErrorResponse(500, "the request could not be answered");
        }
    }
    return pathKnown ? ErrorResponse(405, "method not allowed") : ErrorResponse(404, "not found");
}
