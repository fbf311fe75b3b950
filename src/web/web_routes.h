// The table of what the page can ask: a method and a path pattern per
// route, "{name}" standing for one path segment. Routes are added by the
// parts of the site (settings, servers) and found by the path alone, so a
// known path asked with another method is told so (405), not "not found".
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "web/web_http.h"

// The segments a pattern's "{name}" took, percent-decoded.
using RouteParams = std::map<std::string, std::string>;
using RouteHandler = std::function<WebResponse(const WebRequest&, const RouteParams&)>;

class WebRoutes {
public:
    void Add(const std::string& method, const std::string& pattern, RouteHandler handler);
    // 404 for a path no route has, 405 for a method it lacks; a segment that
    // is empty, "." or "..", or decodes to something holding '/', '\\', ':'
    // or a NUL never matches a "{name}" (404). A handler's exception is a 500
    // that names nothing of the inside.
    WebResponse Dispatch(const WebRequest& request) const;

private:
    struct Route {
        std::string method;
        std::vector<std::string> segments;
        RouteHandler handler;
    };
    std::vector<Route> routes_;
};
