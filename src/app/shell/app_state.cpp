#include "app/shell/app_state.h"

#include "platform/platform.h"

const ServerContext& AppContext() {
    static const ServerContext context{DefaultServerPlaces(), [](const Notice& notice) {
        // The core's own texts, caption, style and owner.
        return platform::ShowMessageBox(notice.owner, notice.text.c_str(), notice.caption.c_str(), notice.style);
    }};
    return context;
}

ServerSettings* GetServerSettings() {
    // Static storage: creating the record cannot fail, and it lives until the
    // process ends. It is the one record before it is loaded.
    static ServerSettings settings;
    static bool created = false;
    if (!created) {
        created = true;
        settings.SetDefaults();
        settings.ReadSettings(AppContext().places);
    }
    return &settings;
}
