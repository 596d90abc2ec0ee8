#include "CoreFoundation/CFNotificationCenter.h"
#include "CoreFoundation/notify.h"

#include "CoreFoundation/ObserverList.h"
#include "Device/DeviceRoot.h"
#include "Device/EventLog.h"
#include "Device/libuv/UVHandles.h"

#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <set>
#include <string>
#include <unistd.h>

// Across processes a post renames an empty file ".<name>@<pid>" onto "<name>" in the device's run folder, so
// the folder holds one file per name however many processes post; every process that observes watches that
// folder. A rename shows to a watcher as the temporary name leaving, then the name arriving, always adjacent:
// the temporary name tells a process its own posts, which reach its observers directly and are skipped here.
struct CFNotificationCenter {
    struct Registration {
        const void* observer;
        CFNotificationCallback callback;
        std::string name;
    };

    ObserverList<Registration> registrations;
    std::filesystem::path watchedFolder;
    UVHandle<uv_fs_event_t> watch;
    UVHandle<uv_check_t> delivery;
    std::set<std::string> pending;
    std::string lastTemporaryName;

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

std::string temporaryNameFor(std::string_view name) {
    return "." + std::string(name) + "@" + std::to_string(::getpid());
}

// A rename is one file event for the name: the watcher sees exactly one event per post, never a create
// followed by a write that a busy loop might take in on two turns and deliver twice.
bool signal(const std::filesystem::path& folder, std::string_view name) {
    const auto temporary = folder / temporaryNameFor(name);
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0)
        return false;
    ::close(fd);
    if (::rename(temporary.c_str(), (folder / name).c_str()) == 0)
        return true;
    ::unlink(temporary.c_str());
    return false;
}

} // namespace

void CFNotificationCenter::deliver(std::string_view name) {
    registrations.notify([name](const Registration& entry) { return entry.name == name; },
                         [this](const Registration& entry) {
                             entry.callback(this, const_cast<void*>(entry.observer), entry.name, nullptr,
                                            nullptr);
                         });
}

void CFNotificationCenter::notePosted(const char* fileName) {
    const std::string_view file(fileName ? fileName : "");
    if (file.empty())
        return;
    if (file.front() == '.') {
        lastTemporaryName = file;
        return;
    }
    const bool own = lastTemporaryName == temporaryNameFor(file);
    lastTemporaryName.clear();
    if (own)
        return;
    pending.emplace(file);
    if (!uv_is_active(reinterpret_cast<uv_handle_t*>(delivery.get()))) {
        uv_check_start(delivery.get(), [](uv_check_t* handle) {
            static_cast<CFNotificationCenter*>(handle->data)->deliverPending();
        });
    }
}

// Runs once the loop has taken in every file event of this turn, so that a burst of posts of one name
// reaches each observer once.
void CFNotificationCenter::deliverPending() {
    uv_check_stop(delivery.get());
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
    watch = UVHandles::open<uv_fs_event_t>(uv_fs_event_init, this);
    delivery = UVHandles::open<uv_check_t>(uv_check_init, this);
    uv_unref(reinterpret_cast<uv_handle_t*>(delivery.get()));
    watchedFolder = folder;
    uv_fs_event_start(
        watch.get(),
        [](uv_fs_event_t* handle, const char* fileName, int, int status) {
            if (status == 0)
                static_cast<CFNotificationCenter*>(handle->data)->notePosted(fileName);
        },
        folder.c_str(), 0);
}

void CFNotificationCenter::stopObservingWhenIdle() {
    watch.reset();
    delivery.reset();
    pending.clear();
    lastTemporaryName.clear();
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
    center->registrations.add({observer, callback, std::string(name)});
    if (carriesAcrossProcesses(name))
        center->observeOtherProcesses();
}

void CFNotificationCenterRemoveObserver(CFNotificationCenterRef center, const void* observer,
                                        CFStringRef name, const void*) {
    if (!center)
        return;
    center->registrations.removeIf([&](const CFNotificationCenter::Registration& entry) {
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
    if (center == CFNotificationCenterGetDarwinNotifyCenter() && !name.empty())
        notify_post(std::string(name).c_str());
}

std::uint32_t notify_post(const char* rawName) {
    requireMainThread("posting a Darwin notification");
    const std::string_view name(rawName ? rawName : "");
    if (name.empty())
        return NOTIFY_STATUS_FAILED;
    bool signalled = true;
    if (carriesAcrossProcesses(name)) {
        const auto folder = DeviceRoot::resolve(runFolder);
        std::error_code error;
        std::filesystem::create_directories(folder, error);
        signalled = signal(folder, name);
    }
    EventLog::record("notify.posted", {{"name", name}});
    CFNotificationCenterGetDarwinNotifyCenter()->deliver(name);
    return signalled ? NOTIFY_STATUS_OK : NOTIFY_STATUS_FAILED;
}
