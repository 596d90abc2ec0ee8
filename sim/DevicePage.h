#pragma once

#include "ControlSocket.h"
#include "PageServer.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// The booted device on a web page: the supervisor's side of the page's server. After every change it draws
// what is in front as `screenshot` does and pushes the picture if it differs (at most thirty a second, and
// only while a page is open); it streams the event log as it grows and the settings in force as they change;
// and it turns the page's clicks and controls into the commands a person types, run as the supervisor runs
// any other, so both leave the same events.
class DevicePage {
  public:
    // The screen in front and the person's side, as one exchange with the process in front tells them.
    struct Frame {
        // BootedDevice::PageFrame's status: written, unchanged, or a failure.
        int status = 1;
        bool settingsInFront = false;
        // What `state` prints, and what went wrong.
        std::string state;
    };
    struct Device {
        // Runs a command as the supervisor routes a request.
        std::function<DeviceAnswer(const std::vector<std::string>&)> run;
        // Draws what is in front into the file unless it shows what the last picture showed and is not
        // asked for fresh.
        std::function<Frame(const std::filesystem::path& file, bool fresh)> frame;
    };

    static std::unique_ptr<DevicePage> start(std::uint16_t port, const std::filesystem::path& root,
                                             Device device, std::string& error);
    ~DevicePage();
    DevicePage(const DevicePage&) = delete;
    DevicePage& operator=(const DevicePage&) = delete;

    std::string url() const;
    // Something may have changed (a command came from elsewhere): the page is brought up to date.
    void changed();
    // Whether the page has asked for something, which runOutsideTurn does. The page's requests are served
    // after the run loop's turn, as control requests are: a command that runs the loop never runs inside it.
    bool hasWork() const;
    void runOutsideTurn();

    struct State;

  private:
    explicit DevicePage(std::unique_ptr<State> state);
    std::unique_ptr<State> _state;
};

// A dropped file's name (UTF-8, as the page's messages are) as the device keeps it: its last part only,
// without control characters, cut to at most a hundred bytes between characters; "picture" for a name with
// nothing left of it.
std::string uploadedFileName(std::string_view name);

// Where the page's files are installed: the folder "page" beside the running simulator.
std::filesystem::path installedPageFolder();
