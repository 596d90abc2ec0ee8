#pragma once

#include "objc/objc-api.h"

#include "CoreFoundation/ObserverList.h"

#include <functional>
#include <string>
#include <string_view>

struct ORVANE_EXPORT NSNotification {
    std::string name;
    const void* object = nullptr;
};

// The in-process notification center. Observers are identified by an address (the object that observes),
// and a selector becomes the action to call.
class ORVANE_EXPORT NSNotificationCenter {
  public:
    using Action = std::function<void(const NSNotification&)>;

    static NSNotificationCenter& defaultCenter();

    // An empty name matches every name; a null object matches every sender.
    void addObserver(const void* observer, Action action, std::string_view name, const void* object);
    void removeObserver(const void* observer);
    void postNotificationName(std::string_view name, const void* object);

  private:
    struct Registration {
        const void* observer;
        Action action;
        std::string name;
        const void* object;
    };

    ObserverList<Registration> _registrations;
};
