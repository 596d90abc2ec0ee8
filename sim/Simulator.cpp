#include "Simulator.h"
#include "UIKit/UIKitHost.h"

#include "Demo.h"

#include "BootedDevice.h"

#include "AVFoundation/AVCaptureHost.h"
#include "Device/DeviceRoot.h"
#include "Foundation/NSRunLoop.h"
#include "Languages.h"
#include "ParseNumber.h"
#include "SettingsScreenshot.h"
#include "SpringBoard/SBControlCenterController.h"
#include "SpringBoard/SpringBoard.h"
#include "SpringBoard/SpringBoardHost.h"
#include "UIKit/UIScreen.h"

#include <chrono>

namespace {

// Delivers what the run loop holds (timers due, file events, notifications) without waiting for more.
void pumpRunLoop() {
    NSRunLoop::mainRunLoop().runPendingEvents();
}

// The system's own applications are there from the start, as on a phone: SpringBoard, with the images it
// lends to plug-ins (the scanner's corner marks and scan line), and the Settings application, with its own
// texts in every language; one the device already has stays.
void stockSystemApplications(const std::filesystem::path& stagedBundles) {
    constexpr std::pair<std::string_view, std::string_view> applications[] = {
        {"SpringBoard.app", "/System/Library/CoreServices/SpringBoard.app"},
        {"Preferences.app", SettingsApplication::bundlePath},
    };
    for (const auto& [staged, devicePath] : applications) {
        const auto from = stagedBundles / staged;
        const auto to = DeviceRoot::resolve(devicePath);
        std::error_code error;
        if (!std::filesystem::is_directory(from, error) || std::filesystem::exists(to, error))
            continue;
        std::filesystem::create_directories(to.parent_path(), error);
        std::filesystem::copy(from, to, std::filesystem::copy_options::recursive, error);
    }
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
    UIKitHost::setPresentationHost(&_presented);
    stockPhotoLibrary(profile);
    stockSystemApplications(stagedBundles);
    _loader = std::make_unique<CaddexLoader>(SBControlCenterController::sharedInstance());
    _controlCenter = std::make_unique<ControlCenterCommands>(*_loader, _presented, std::move(stagedBundles));
    _person = std::make_unique<PersonCommands>(*_loader, _presented);
    _camera = std::make_unique<CameraCommands>(_presented);
    _media = std::make_unique<MediaCommands>(_presented, *_camera);
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
    table.add(Owner::Invoker, device, tourCommands());
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
        {"touch", "touch X Y [--hold] [--to X2 Y2]",
         "a finger at a point of the screenshot, in points: a tap, a long press with --hold, or a drag "
         "that lifts at X2 Y2 (a slider's value follows it); what is under it answers as its command does",
         &Simulator::touch},
        {"touchable", "touchable",
         "what a finger can press on the screen in front, with its rectangle in "
         "the screenshot's points and the command a tap runs",
         &Simulator::touchable},
    };
    return commands;
}

// The tour runs where its commands come from: on a booted device, in the invoking process, which sends each
// of them as a command of its own.
std::span<const CommandEntry<Simulator>> Simulator::tourCommands() {
    static constexpr CommandEntry<Simulator> commands[] = {
        {"tour", tourUsage,
         "the tour's chapters; with CHAPTER, that chapter played on the device with its screenshots (in DIR, "
         "next to the device folder when absent) and, with FILE, the plug-ins installed from Orvane's "
         "package",
         &Simulator::tour},
    };
    return commands;
}

int Simulator::tour(Arguments arguments, std::ostream& out, std::ostream& errors) {
    const CommandRunner here = [this](Arguments words, std::ostream& to, std::ostream& problems) {
        return run(words, to, problems);
    };
    return runTourCommand(here, arguments, out, errors);
}

std::span<const CommandEntry<Simulator>> Simulator::sessionCommands() {
    static constexpr CommandEntry<Simulator> commands[] = {
        {"help", "help [COMMAND]", "this list, or the usage of one command", &Simulator::help},
        {"state", "state",
         "the person's side of the device: Control Center and the section, the lock, the front-most "
         "application's orientation, the screen, what the camera sees, what is presented",
         &Simulator::state},
    };
    return commands;
}

bool Simulator::settingsInFront() const {
    return _settings.isOpen() && !SBControlCenterController::sharedInstance()->isVisible();
}

Simulator::~Simulator() {
    // What the section still shows outlives this device in the module's state; its camera must not.
    AVCaptureHost::stopRunningSessions();
    _media.reset();
    _camera.reset();
    _person.reset();
    _controlCenter.reset();
    _loader.reset();
    SpringBoardHost::unregisterClasses();
    UIKitHost::setPresentationHost(nullptr);
}

int Simulator::run(std::span<const std::string> words, std::ostream& out, std::ostream& errors) {
    const int status = _commands.run(words, out, errors);
    pumpRunLoop();
    return status;
}

int Simulator::help(Arguments arguments, std::ostream& out, std::ostream& errors) {
    return _commands.help(arguments, out, errors);
}

int Simulator::state(Arguments arguments, std::ostream& out, std::ostream& errors) {
    if (!arguments.empty())
        return printUsageError(sessionCommands(), "state", errors);
    _controlCenter->printControlCenter(out);
    const auto springBoard = SpringBoard::sharedApplication();
    out << "device " << (springBoard->isLocked() ? "locked" : "unlocked") << ", orientation "
        << springBoard->_frontMostAppOrientation() << "\n";
    const CGRect screen = UIScreen::mainScreen().bounds();
    out << "screen " << screen.size.width << " x " << screen.size.height << " points, scale "
        << UIScreen::mainScreen().scale() << "\n";
    _camera->printSight(out);
    out << "presented:";
    const auto shown = _presented.shown();
    if (shown.empty())
        out << " nothing";
    for (const auto& controller : shown)
        out << " " << controller->className();
    out << "\n";
    return 0;
}

DrawnScreen Simulator::frontScreen() {
    return settingsInFront() ? settingsScreenImage(_settings) : _controlCenter->screenImage();
}

int Simulator::screenshot(Arguments arguments, std::ostream& out, std::ostream& errors) {
    if (arguments.size() != 1)
        return printUsageError(screenCommands(), "screenshot", errors);
    const auto drawn = frontScreen();
    const auto* image = std::get_if<std::shared_ptr<UIImage>>(&drawn);
    const auto problem = image ? writePNG(**image, arguments[0]) : std::get<std::string>(drawn);
    if (problem) {
        errors << *problem << "\n";
        return 1;
    }
    out << "wrote " << arguments[0] << ", " << CGImageGetWidth((*image)->CGImage()) << " x "
        << CGImageGetHeight((*image)->CGImage()) << " pixels\n";
    return 0;
}

int Simulator::pageFrame(const std::filesystem::path& file, bool fresh, std::ostream& out,
                         std::ostream& errors) {
    state({}, out, errors);
    const auto drawn = frontScreen();
    const auto* image = std::get_if<std::shared_ptr<UIImage>>(&drawn);
    if (image && _pageFrame && !fresh && samePixels(**image, *_pageFrame))
        return BootedDevice::PageFrame::unchanged;
    const auto problem = image ? writePNG(**image, file) : std::get<std::string>(drawn);
    if (problem) {
        errors << *problem << "\n";
        return 1;
    }
    _pageFrame = *image;
    return BootedDevice::PageFrame::written;
}

namespace {

struct Finger {
    CGPoint at;
    bool hold = false;
    std::optional<CGPoint> liftedAt;
};

std::optional<CGPoint> pointFrom(const std::string& x, const std::string& y) {
    const auto across = parseAtLeast<CGFloat>(x, 0);
    const auto down = parseAtLeast<CGFloat>(y, 0);
    return across && down ? std::optional(CGPointMake(*across, *down)) : std::nullopt;
}

std::optional<Finger> fingerFrom(Arguments arguments) {
    if (arguments.size() < 2)
        return std::nullopt;
    Finger finger;
    const auto at = pointFrom(arguments[0], arguments[1]);
    if (!at)
        return std::nullopt;
    finger.at = *at;
    for (std::size_t index = 2; index < arguments.size(); ++index) {
        if (arguments[index] == "--hold" && !finger.hold) {
            finger.hold = true;
        } else if (arguments[index] == "--to" && !finger.liftedAt && index + 2 < arguments.size()) {
            finger.liftedAt = pointFrom(arguments[index + 1], arguments[index + 2]);
            if (!finger.liftedAt)
                return std::nullopt;
            index += 2;
        } else {
            return std::nullopt;
        }
    }
    return finger;
}

// The command the touch amounts to: along a slider the value where the finger lifts; elsewhere a button
// answers only when the finger lifts inside it, as with a control's touch up inside.
std::optional<std::vector<std::string>> wordsFor(const Touchable& touched, const Finger& finger) {
    const CGPoint lifted = finger.liftedAt.value_or(finger.at);
    if (touched.track)
        return slideTo(touched, lifted.x);
    if (!rectContains(touched.frame, lifted))
        return std::nullopt;
    return finger.hold && !touched.hold.empty() ? touched.hold : touched.tap;
}

} // namespace

std::optional<Touchable> Simulator::touchableAt(CGPoint point) {
    if (!settingsInFront())
        return _controlCenter->touchableAt(point);
    Touchables touchables;
    drawSettingsPage(_settings, touchables);
    const auto* found = touchables.at(point);
    return found ? std::optional(*found) : std::nullopt;
}

int Simulator::touch(Arguments arguments, std::ostream& out, std::ostream& errors) {
    const auto finger = fingerFrom(arguments);
    if (!finger)
        return printUsageError(screenCommands(), "touch", errors);
    const auto touched = touchableAt(finger->at);
    if (!touched) {
        errors << "nothing to touch at " << finger->at.x << " " << finger->at.y << "\n";
        return 1;
    }
    const auto words = wordsFor(*touched, *finger);
    if (!words) {
        out << "the finger left " << touched->name << " before lifting: nothing pressed\n";
        return 0;
    }
    out << "touched " << touched->name << "\n";
    return _commands.run(*words, out, errors);
}

int Simulator::touchable(Arguments arguments, std::ostream& out, std::ostream& errors) {
    if (!arguments.empty())
        return printUsageError(screenCommands(), "touchable", errors);
    Touchables touchables;
    if (settingsInFront())
        drawSettingsPage(_settings, touchables);
    else
        _controlCenter->drawScreen(touchables);
    if (touchables.all().empty())
        out << "nothing to touch\n";
    for (const auto& touchable : touchables.all())
        printTouchable(touchable, out);
    return 0;
}
