#include "web/web_site.h"

#include "cli/cli_places.h"

bool ListSiteInstances(const WebSite& site, std::vector<Instance>& instances, std::string& why) {
    instances.clear();
    // The same file PlacesOfInstance reads, so that every instance listed can be opened.
    CliPlaces options;
    options.instances = site.instancesFile;
    const std::string file = InstancesFileOf(options);
    if (!file.empty() && !ReadInstances(file, instances, why)) return false;
    if (FindInstance(instances, kDefaultInstanceName) == nullptr) {
        instances.insert(instances.begin(), Instance{kDefaultInstanceName, "", "", "", "", {}});
    }
    return true;
}

bool PlacesOfInstance(const WebSite& site, const std::string& name, ServerContext& context, std::string& why) {
    CliPlaces options;
    options.instance = name;
    options.instances = site.instancesFile;
    options.keepHistory = site.keepHistory;
    if (!ChooseInstance(options, why)) return false;
    // serve's own --prefix and --game stand for the implicit default only:
    // a named instance keeps the places it was added with.
    if (options.chosen.game.empty()) options.game = site.gameFolder;
    if (options.chosen.prefix.empty()) options.prefix = site.winePrefix;
    return BuildPlaces(options, false, context.places, why);
}
