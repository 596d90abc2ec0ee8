#include "SpringBoard/SBIconModel.h"

std::shared_ptr<SBApplicationIcon>
SBIconModel::applicationIconForBundleIdentifier(std::string_view bundleIdentifier) const {
    const auto found = _icons.find(bundleIdentifier);
    return found == _icons.end() ? nullptr : found->second;
}

void SBIconModel::addIcon(Badge<SpringBoardHost>, std::shared_ptr<SBApplicationIcon> icon) {
    const std::string bundleIdentifier = icon->application()->bundleIdentifier();
    _icons.insert_or_assign(bundleIdentifier, std::move(icon));
}

void SBIconModel::removeIcon(Badge<SpringBoardHost>, std::string_view bundleIdentifier) {
    if (const auto found = _icons.find(bundleIdentifier); found != _icons.end())
        _icons.erase(found);
}

void SBIconViewMap::registerProperties(NSPropertyTable<SBIconViewMap>& table) {
    table.add("iconModel", &SBIconViewMap::iconModel);
}
