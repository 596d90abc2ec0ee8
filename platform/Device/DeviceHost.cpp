#include "Device/DeviceHost.h"

#include "Device/DeviceRoot.h"
#include "Device/EventLogHost.h"

void DeviceHost::setRoot(const std::filesystem::path& root) {
    DeviceRoot::set(badge(), root);
}

void DeviceHost::forceComponentWalk(bool forced) {
    DeviceRoot::forceComponentWalk(badge(), forced);
}

void DeviceHost::setProcessRole(std::string_view role) {
    EventLog::setProcessRole(badge(), role);
}
