// The servers of the host: every instance with its status, and start, stop
// and restart of those this process supervises, with their run logs.
#pragma once

#include "web/web_routes.h"
#include "web/web_site.h"

void AddServerRoutes(WebRoutes& routes, WebSite& site);
