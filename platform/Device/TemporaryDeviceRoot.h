#pragma once

#include <filesystem>
#include <memory>
#include <string_view>

// For hosts that want a device of their own for one run (a test, a benchmark, a fuzz target): a fresh, empty
// folder below the system's temporary folder, named after `prefix`, made the process's device root. The
// folder goes with the object.
class TemporaryDeviceRoot {
  public:
    // Nothing when the folder cannot be made.
    static std::unique_ptr<TemporaryDeviceRoot> make(std::string_view prefix);
    ~TemporaryDeviceRoot();
    TemporaryDeviceRoot(const TemporaryDeviceRoot&) = delete;
    TemporaryDeviceRoot& operator=(const TemporaryDeviceRoot&) = delete;

    const std::filesystem::path& path() const { return _path; }

  private:
    explicit TemporaryDeviceRoot(std::filesystem::path path) : _path(std::move(path)) {}
    std::filesystem::path _path;
};
