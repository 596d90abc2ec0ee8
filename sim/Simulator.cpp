#include "Simulator.h"

#include "BootedDevice.h"

#include "AVFoundation/AVCaptureHost.h"
#include "Foundation/DeviceRoot.h"
#include "Foundation/NSRunLoop.h"
#include "Foundation/PlatformHost.h"
#include "Languages.h"
#include "ParseNumber.h"
#include "SpringBoard/SBControlCenterController.h"
#include "SpringBoard/SpringBoardHost.h"

#include <chrono>

namespace {

// Delivers what the run loop holds (timers due, file events, notifications) without waiting for more.
void pumpRunLoop() {
    NSRunLoop::mainRunLoop().runPendingEvents();
}

// The device's own SpringBoard application, with the images it lends to plug-ins (the scanner's corner marks
// and scan line), is there from the start, as on a phone; one the device already has stays.
void stockSpringBoardApplication(const std::filesystem::path& stagedBundles) {
    const auto from = stagedBundles / "SpringBoard.app";
    const auto to = DeviceRoot::resolve("/System/Library/CoreServices/SpringBoard.app");
    std::error_code error;
    if (!std::filesystem::is_directory(from, error) || std::filesystem::exists(to, error))
        return;
    std::filesystem::create_directories(to.parent_path(), error);
    std::filesystem::copy(from, to, std::filesystem::copy_options::recursive, error);
}

int wait(Arguments arguments, std::ostream& out, std::ostream& errors);

// Time passes in whichever process waits: on a booted device that is the invoking one, while the device's
// own processes go on turning their run loops and serving other clients.
constexpr Command timeCommands[] = {
    {"wait", "wait SECONDS", "let time pass (up to a day); notifications from other processes arrive", wait},
};

int wait(Arguments arguments, std::ostream&, std::ostream& errors) {
    constexpr double longestWait = 24 * 60 * 60;
    const auto seconds = arguments.size() == 1 ? parsePositive<double>(arguments[0]) : std::nullopt;
    if (!seconds || *seconds > longestWait)
        return printUsageError(timeCommands, "wait", errors);
    pumpRunLoop();
    NSRunLoop::mainRunLoop().runForInterval(std::chrono::milliseconds(static_cast<long>(*seconds * 1000)));
    return 0;
}

} // namespace

Simulator::Simulator(const DeviceProfile& profile, std::filesystem::path stagedBundles) {
    applyDeviceProfile(profile);
    PresentationHost::setCurrent(PlatformHost::badge(), &_presented);
    stockPhotoLibrary(profile);
    stockSpringBoardApplication(stagedBundles);
    _loader = std::make_unique<CaddexLoader>(SBControlCenterController::sharedInstance());
    _controlCenter = std::make_unique<ControlCenterCommands>(*_loader, _presented, std::move(stagedBundles));
    _person = std::make_unique<PersonCommands>(*_loader, _presented);
    _media = std::make_unique<MediaCommands>(_presented);
    _camera = std::make_unique<CameraCommands>(_presented);
    addAreas(_commands, this);
}

void Simulator::addAreas(CommandTable& table, Simulator* device) {
    const auto area = [device](auto member) { return device ? (device->*member).get() : nullptr; };
    table.add(Owner::SpringBoard, area(&Simulator::_controlCenter), ControlCenterCommands::commandTable());
    table.add(Owner::Front, device, screenCommands());
    table.add(Owner::SpringBoard, area(&Simulator::_person), PersonCommands::commandTable());
    table.add(Owner::SpringBoard, area(&Simulator::_media), MediaCommands::commandTable());
    table.add(Owner::SpringBoard, area(&Simulator::_camera), CameraCommands::commandTable());
    table.add(Owner::Preferences, device ? &device->_settingsCommands : nullptr,
              SettingsApplicationCommands::commandTable());
    table.add(Owner::EveryProcess, clockCommands());
    table.add(Owner::Invoker, timeCommands);
    table.add(Owner::SpringBoard, device, sessionCommands());
    table.add(Owner::Supervisor, settingsCommands());
    table.add(Owner::Supervisor, languageCommands());
    table.add(Owner::Supervisor, eventsCommands());
    table.add(Owner::Supervisor, BootedDevice::deviceCommands());
}

CommandTable Simulator::routes() {
    CommandTable table;
    addAreas(table, nullptr);
    return table;
}

std::span<const CommandEntry<Simulator>> Simulator::screenCommands() {
    static constexpr CommandEntry<Simulator> commands[] = {
        {"screenshot", "screenshot FILE.png",
         "what is in front, at the screen's scale: the section as drawn over Control Center (the whole "
         "screen when something is presented over it), or the Settings application",
         &Simulator::screenshot},
    };
    return commands;
}

std::span<const CommandEntry<Simulator>> Simulator::sessionCommands() {
    static constexpr CommandEntry<Simulator> commands[] = {
        {"help", "help", "this list", &Simulator::help},
    };
    return commands;
}

bool Simulator::settingsInFront() const {
    return _settings.isOpen() && !SBControlCenterController::sharedInstance()->isVisible();
}

Simulator::~Simulator() {
    // What the section still shows outlives this device in the module's state; its camera must not.
    AVCaptureHost::stopRunningSessions();
    _camera.reset();
    _media.reset();
    _person.reset();
    _controlCenter.reset();
    _loader.reset();
    SpringBoardHost::unregisterClasses();
    PresentationHost::setCurrent(PlatformHost::badge(), nullptr);
}

int Simulator::run(std::span<const std::string> words, std::ostream& out, std::ostream& errors) {
    const int status = _commands.run(words, out, errors);
    pumpRunLoop();
    return status;
}

int Simulator::help(Arguments, std::ostream& out, std::ostream&) {
    out << "commands:\n";
    _commands.printUsage(out);
    return 0;
}

int Simulator::screenshot(Arguments arguments, std::ostream& out, std::ostream& errors) {
    if (arguments.size() != 1)
        return printUsageError(screenCommands(), "screenshot", errors);
    if (settingsInFront())
        return runSettingsScreenshot(_settings, arguments[0], out, errors);
    return _controlCenter->screenshot(arguments[0], out, errors);
}
