#pragma once

#include "Commands.h"
#include "ControlSocket.h"
#include "Script.h"

#include <filesystem>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <sys/types.h>

class Simulator;

// A device that stays on: `boot` starts its processes, each long-running on the device root (the supervisor,
// which owns the control socket and routes each command to the process that owns what it touches;
// SpringBoard, with Control Center and the section; Preferences, the Settings application with the pane),
// and every later command from any process reaches them through the control socket until `shutdown`.
namespace BootedDevice {

constexpr std::string_view supervisorRole = "supervisor";
constexpr std::string_view springBoardRole = "SpringBoard";
constexpr std::string_view preferencesRole = "Preferences";

// What a device's processes start from: its root (absolute) and the profile a person chose.
struct Place {
    std::filesystem::path root;
    std::optional<std::filesystem::path> profile;
};

// The invoking side. `boot` returns once the device takes commands; with a lease, the device ends when the
// process that ran orvane-sim ends (a test that aborts leaves nothing running).
int boot(const Place& place, bool lease, std::ostream& out, std::ostream& errors);
// Whether a device is booted at the root: its control socket answers.
bool isBooted(const std::filesystem::path& root);
// Whether the words ask for the device's status (`status`), and then whether as JSON (`status --json`).
std::optional<bool> statusRequest(std::span<const std::string> words);
// `status` and `shutdown` of a device that is not booted.
int statusWhenOff(const std::filesystem::path& root, bool json, std::ostream& out);
int shutdownWhenOff(const std::filesystem::path& root, std::ostream& errors);
// Runs each command on the booted device and prints its answer here; what follows the device's files until it
// is stopped (watch, events --follow) runs in this process.
CommandRunner forwarder(const std::filesystem::path& root);

// Whether a command runs in the invoking process rather than on the device: what keeps printing what the
// device's files show until it is stopped (watch, events --follow), since one request has one answer, and
// what lets time pass (wait), which the device spends serving others.
bool runsInInvoker(const CommandTable& routes, std::span<const std::string> words);

// boot, status and shutdown as commands: the booted device's supervisor answers them; a device that lives for
// one process says that it is not booted.
std::span<const Command> deviceCommands();

// The device's processes, started by `boot` (the hidden --serve ROLE). `ready` is written to once the process
// takes requests, with what went wrong when it cannot.
int serveSupervisor(const Place& place, int ready, std::optional<pid_t> lease);
int serveApplication(std::string_view role, Simulator& device, const std::filesystem::path& root, int ready);

// The device page's picture and the person's side in one exchange with an application's process:
// `.frame FILE front|any fresh|again` draws the screen as `screenshot` does (with `front`, only when what
// this process shows is in front) and writes it to FILE unless it shows the pixels it wrote last time (with
// `again`); its output is what `state` prints.
namespace PageFrame {
constexpr std::string_view request = ".frame";
constexpr int written = 0;
constexpr int unchanged = 3;
constexpr int notInFront = 4;
} // namespace PageFrame

// The socket of a role's process below the root.
std::filesystem::path socketOf(const std::filesystem::path& root, std::string_view role);

} // namespace BootedDevice
