#pragma once

#include "CoreFoundation/CFNotificationCenter.h"
#include "Device/DeviceRoot.h"
#include "Device/TemporaryDeviceRoot.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <span>
#include <string>
#include <string_view>

// A fresh device root for one test, removed afterwards.
class TemporaryDevice {
  public:
    TemporaryDevice() : _root(TemporaryDeviceRoot::make("orvane-test")) {
        if (!_root)
            std::abort();
    }

    const std::filesystem::path& root() const { return _root->path(); }
    std::filesystem::path hostPath(std::string_view devicePath) const {
        return DeviceRoot::resolve(devicePath);
    }

    void writeBytes(std::string_view devicePath, std::span<const std::uint8_t> bytes) const {
        const auto path = hostPath(devicePath);
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    }
    void writeText(std::string_view devicePath, std::string_view text) const {
        writeBytes(devicePath, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    }

  private:
    std::unique_ptr<TemporaryDeviceRoot> _root;
};

// Counts the Darwin notifications of one name that reach this process while it lives.
class NotificationCounter {
  public:
    explicit NotificationCounter(std::string_view name) {
        CFNotificationCenterAddObserver(CFNotificationCenterGetDarwinNotifyCenter(), this, count, name,
                                        nullptr, CFNotificationSuspensionBehaviorCoalesce);
    }
    ~NotificationCounter() {
        CFNotificationCenterRemoveEveryObserver(CFNotificationCenterGetDarwinNotifyCenter(), this);
    }
    NotificationCounter(const NotificationCounter&) = delete;
    NotificationCounter& operator=(const NotificationCounter&) = delete;

    int received = 0;

  private:
    static void count(CFNotificationCenterRef, void* observer, CFStringRef, const void*, CFDictionaryRef) {
        ++static_cast<NotificationCounter*>(observer)->received;
    }
};

// A plist document with the given body inside its root element.
inline std::string xmlPlist(std::string_view body) {
    return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                       "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                       "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n<plist version=\"1.0\">\n") +
           std::string(body) + "\n</plist>\n";
}
