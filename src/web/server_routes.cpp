#include "web/server_routes.h"

void AddServerRoutes(WebRoutes&, WebSite&) {}
