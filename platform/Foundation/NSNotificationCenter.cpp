#include "Foundation/NSNotificationCenter.h"

NSNotificationCenter& NSNotificationCenter::defaultCenter() {
    static NSNotificationCenter center;
    return center;
}

void NSNotificationCenter::addObserver(const void* observer, Action action, std::string_view name,
                                       const void* object) {
    _registrations.add({observer, std::move(action), std::string(name), object});
}

void NSNotificationCenter::removeObserver(const void* observer) {
    _registrations.removeIf([observer](const Registration& entry) { return entry.observer == observer; });
}

void NSNotificationCenter::postNotificationName(std::string_view name, const void* object) {
    const NSNotification notification{std::string(name), object};
    _registrations.notify(
        [&](const Registration& entry) {
            return (entry.name.empty() || entry.name == name) && (!entry.object || entry.object == object);
        },
        [&](const Registration& entry) { entry.action(notification); });
}
