#include "CoreFoundation/CFNotificationCenter.h"

#include "Foundation/DeviceRoot.h"
#include "Foundation/libuv/UVHandles.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <set>
#include <string>
#include <unistd.h>
#include <vector>

// Across processes a post renames an empty file into place, one per name and process, in the device's run
// folder ("<name>@<pid>"); every process that observes watches that folder. A process ignores its own files,
// since its own posts reach its observers directly.
struct CFNotificationCenter {
    struct Registration {
        std::uint64_t identifier;
        const void* observer;
        CFNotificationCallback callback;
        std::string name;
    };

    std::vector<Registration> registrations;
    std::uint64_t nextIdentifier = 1;
    std::filesystem::path watchedFolder;
    uv_fs_event_t* watch = nullptr;
    uv_check_t* delivery = nullptr;
    std::set<std::string> pending;

    void deliver(std::string_view name);
    void observeOtherProcesses();
    void stopObservingWhenIdle();
    void notePosted(const char* fileName);
    void deliverPending();
};

namespace {

constexpr std::string_view runFolder = "/var/run/notifyd";

bool carriesAcrossProcesses(std::string_view name) {
    return !name.empty() && name.size() <= 200 &&
           name.find_first_of(std::string_view("/\0", 2)) == std::string_view::npos && name.front() != '.';
}

std::string fileNameFor(std::string_view name) {
    return std::string(name) + "@" + std::to_string(::getpid());
}

// A rename is one file event: the watcher sees exactly one event per post, never a create followed by a
// write that a busy loop might take in on two turns and deliver twice. The temporary name starts with a dot,
// which watchers skip.
void signal(const std::filesystem::path& folder, const std::string& fileName) {
    const auto temporary = folder / ("." + fileName);
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return;
    ::close(fd);
    ::rename(temporary.c_str(), (folder / fileName).c_str());
}

} // namespace

void CFNotificationCenter::deliver(std::string_view name) {
    // Callbacks may add or remove observers: walk a snapshot and skip whoever has left meanwhile.
    std::vector<std::uint64_t> matching;
    for (const auto& entry : registrations) {
        if (entry.name == name)
            matching.push_back(entry.identifier);
    }
    for (const auto identifier : matching) {
        const auto found =
            std::find_if(registrations.begin(), registrations.end(),
                         [identifier](const Registration& entry) { return entry.identifier == identifier; });
        if (found == registrations.end())
            continue;
        const Registration call = *found;
        call.callback(this, const_cast<void*>(call.observer), call.name, nullptr, nullptr);
    }
}

void CFNotificationCenter::notePosted(const char* fileName) {
    const std::string_view file(fileName ? fileName : "");
    const auto at = file.rfind('@');
    if (at == std::string_view::npos || file.front() == '.')
        return;
    if (file.substr(at + 1) == std::to_string(::getpid()))
        return;
    pending.emplace(file.substr(0, at));
    if (!uv_is_active(reinterpret_cast<uv_handle_t*>(delivery))) {
        uv_check_start(delivery, [](uv_check_t* handle) {
            static_cast<CFNotificationCenter*>(handle->data)->deliverPending();
        });
    }
}

// Runs once the loop has taken in every file event of this turn, so that a burst of posts of one name
// reaches each observer once.
void CFNotificationCenter::deliverPending() {
    uv_check_stop(delivery);
    const auto names = std::move(pending);
    pending.clear();
    for (const auto& name : names)
        deliver(name);
}

void CFNotificationCenter::observeOtherProcesses() {
    const auto folder = DeviceRoot::resolve(runFolder);
    if (watch && folder == watchedFolder)
        return;
    stopObservingWhenIdle();
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    watch = UVHandles::make<uv_fs_event_t>();
    uv_fs_event_init(UVHandles::mainLoop(), watch);
    watch->data = this;
    delivery = UVHandles::make<uv_check_t>();
    uv_check_init(UVHandles::mainLoop(), delivery);
    delivery->data = this;
    uv_unref(reinterpret_cast<uv_handle_t*>(delivery));
    watchedFolder = folder;
    uv_fs_event_start(
        watch,
        [](uv_fs_event_t* handle, const char* fileName, int, int status) {
            if (status == 0)
                static_cast<CFNotificationCenter*>(handle->data)->notePosted(fileName);
        },
        folder.c_str(), 0);
}

void CFNotificationCenter::stopObservingWhenIdle() {
    if (!watch)
        return;
    uv_fs_event_stop(watch);
    UVHandles::close(watch);
    uv_check_stop(delivery);
    UVHandles::close(delivery);
    watch = nullptr;
    delivery = nullptr;
    pending.clear();
    watchedFolder.clear();
}

CFNotificationCenterRef CFNotificationCenterGetDarwinNotifyCenter() {
    static CFNotificationCenter center;
    return &center;
}

void CFNotificationCenterAddObserver(CFNotificationCenterRef center, const void* observer,
                                     CFNotificationCallback callback, CFStringRef name, const void*,
                                     CFNotificationSuspensionBehavior) {
    if (!center || !callback || name.empty())
        return;
    center->registrations.push_back({center->nextIdentifier++, observer, callback, std::string(name)});
    if (carriesAcrossProcesses(name))
        center->observeOtherProcesses();
}

void CFNotificationCenterRemoveObserver(CFNotificationCenterRef center, const void* observer,
                                        CFStringRef name, const void*) {
    if (!center)
        return;
    std::erase_if(center->registrations, [&](const CFNotificationCenter::Registration& entry) {
        return entry.observer == observer && (name.empty() || entry.name == name);
    });
    if (center->registrations.empty())
        center->stopObservingWhenIdle();
}

void CFNotificationCenterRemoveEveryObserver(CFNotificationCenterRef center, const void* observer) {
    CFNotificationCenterRemoveObserver(center, observer, {}, nullptr);
}

void CFNotificationCenterPostNotification(CFNotificationCenterRef center, CFStringRef name, const void*,
                                          CFDictionaryRef, bool) {
    if (!center || name.empty())
        return;
    if (carriesAcrossProcesses(name)) {
        const auto folder = DeviceRoot::resolve(runFolder);
        std::error_code error;
        std::filesystem::create_directories(folder, error);
        signal(folder, fileNameFor(name));
    }
    center->deliver(name);
}
