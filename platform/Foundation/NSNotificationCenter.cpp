#include "Foundation/NSNotificationCenter.h"

#include <algorithm>

NSNotificationCenter& NSNotificationCenter::defaultCenter() {
    static NSNotificationCenter center;
    return center;
}

void NSNotificationCenter::addObserver(const void* observer, Action action, std::string_view name,
                                       const void* object) {
    _registrations.push_back({_nextIdentifier++, observer, std::move(action), std::string(name), object});
}

void NSNotificationCenter::removeObserver(const void* observer) {
    std::erase_if(_registrations,
                  [observer](const Registration& entry) { return entry.observer == observer; });
}

void NSNotificationCenter::postNotificationName(std::string_view name, const void* object) {
    // An observer may add or remove observers while it runs: walk a snapshot, and call only those that are
    // still registered when their turn comes.
    std::vector<std::uint64_t> matching;
    for (const auto& entry : _registrations) {
        if ((entry.name.empty() || entry.name == name) && (!entry.object || entry.object == object))
            matching.push_back(entry.identifier);
    }
    const NSNotification notification{std::string(name), object};
    for (const auto identifier : matching) {
        const auto found =
            std::find_if(_registrations.begin(), _registrations.end(),
                         [identifier](const Registration& entry) { return entry.identifier == identifier; });
        if (found == _registrations.end())
            continue;
        const Action action = found->action;
        action(notification);
    }
}
