#include "web/settings_routes.h"

void AddSettingsRoutes(WebRoutes&, WebSite&) {}
