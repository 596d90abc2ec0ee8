#include "Simulator.h"

#include "AVFoundation/AVCaptureHost.h"
#include "Foundation/DeviceRoot.h"
#include "Foundation/NSRunLoop.h"
#include "Foundation/PlatformHost.h"
#include "Languages.h"
#include "ParseNumber.h"
#include "SettingsApplicationCommands.h"
#include "SpringBoard/SBControlCenterController.h"
#include "SpringBoard/SpringBoardHost.h"

#include <algorithm>
#include <chrono>

namespace {

// Delivers what the run loop holds without waiting for more. The loop's clock only moves while it runs, so
// its deadline may already be past when it starts: a short repeating timer keeps it from sleeping then.
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
    registerCommands();
}

// One table, in the order `help` lists it: each area of commands adds its own.
void Simulator::registerCommands() {
    const auto bind =
        [this](int (Simulator::*method)(std::span<const std::string>, std::ostream&, std::ostream&)) {
            return [this, method](std::span<const std::string> arguments, std::ostream& out,
                                  std::ostream& errors) { return (this->*method)(arguments, out, errors); };
        };
    const Command session[] = {
        {"wait", "wait SECONDS", "let time pass (up to a day); notifications from other processes arrive",
         bind(&Simulator::wait)},
        {"help", "help", "this list", bind(&Simulator::help)},
    };
    const auto application = settingsApplicationCommands(_settings);
    for (const auto group :
         {_controlCenter->commands(), _person->commands(), _media->commands(), _camera->commands(),
          std::span<const Command>(application), std::span<const Command>(session), settingsCommands(),
          languageCommands(), eventsCommands()})
        _commands.insert(_commands.end(), group.begin(), group.end());
    // One screen: a screenshot shows the Settings application when it is in front, else Control Center.
    const auto screenshot = std::ranges::find(_commands, "screenshot", &Command::name);
    screenshot->run = [this, drawSection = screenshot->run](std::span<const std::string> arguments,
                                                            std::ostream& out, std::ostream& errors) {
        if (arguments.size() == 1 && settingsInFront())
            return runSettingsScreenshot(_settings, arguments[0], out, errors);
        return drawSection(arguments, out, errors);
    };
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
    const int status = runCommandFrom(_commands, words, out, errors);
    pumpRunLoop();
    return status;
}

int Simulator::wait(std::span<const std::string> arguments, std::ostream&, std::ostream& errors) {
    constexpr double longestWait = 24 * 60 * 60;
    const auto seconds = arguments.size() == 1 ? parsePositive<double>(arguments[0]) : std::nullopt;
    if (!seconds || *seconds > longestWait)
        return printUsageError(_commands, "wait", errors);
    pumpRunLoop();
    NSRunLoop::mainRunLoop().runForInterval(std::chrono::milliseconds(static_cast<long>(*seconds * 1000)));
    return 0;
}

int Simulator::help(std::span<const std::string>, std::ostream& out, std::ostream&) {
    out << "commands:\n";
    printUsage(_commands, out);
    return 0;
}
