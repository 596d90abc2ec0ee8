#pragma once

#include "objc/objc-api.h"

#include <string_view>

class NSDictionary;

// The Darwin notify center: a notification is a bare name, posted and observed by any process on the same
// device. Observers are called on the main run loop's thread; posts from this process reach its observers at
// once, posts from another process as soon as the main run loop runs.
struct CFNotificationCenter;
using CFNotificationCenterRef = CFNotificationCenter*;
using CFStringRef = std::string_view;
using CFDictionaryRef = const NSDictionary*;

enum CFNotificationSuspensionBehavior {
    CFNotificationSuspensionBehaviorDrop = 1,
    CFNotificationSuspensionBehaviorCoalesce = 2,
    CFNotificationSuspensionBehaviorHold = 3,
    CFNotificationSuspensionBehaviorDeliverImmediately = 4,
};

using CFNotificationCallback = void (*)(CFNotificationCenterRef center, void* observer, CFStringRef name,
                                        const void* object, CFDictionaryRef userInfo);

ORVANE_EXPORT CFNotificationCenterRef CFNotificationCenterGetDarwinNotifyCenter();

ORVANE_EXPORT void CFNotificationCenterAddObserver(CFNotificationCenterRef center, const void* observer,
                                                   CFNotificationCallback callback, CFStringRef name,
                                                   const void* object,
                                                   CFNotificationSuspensionBehavior suspensionBehavior);
ORVANE_EXPORT void CFNotificationCenterRemoveObserver(CFNotificationCenterRef center, const void* observer,
                                                      CFStringRef name, const void* object);
ORVANE_EXPORT void CFNotificationCenterRemoveEveryObserver(CFNotificationCenterRef center,
                                                           const void* observer);

// The Darwin center carries neither object nor user information across processes: both are dropped, as on
// a device.
ORVANE_EXPORT void CFNotificationCenterPostNotification(CFNotificationCenterRef center, CFStringRef name,
                                                        const void* object, CFDictionaryRef userInfo,
                                                        bool deliverImmediately);
