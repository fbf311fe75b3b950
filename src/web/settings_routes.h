// The settings of one instance as the page edits them: the nine pages,
// the maps and mods the Maps and Mods pages offer, Save and Use Defaults,
// the findings of check, the import of a hand-written server.cfg, and the
// history of configurations.
#pragma once

#include "web/web_routes.h"
#include "web/web_site.h"

void AddSettingsRoutes(WebRoutes& routes, WebSite& site);
