#pragma once

#include "Caddex/CaddexLoader.h"
#include "CameraCommands.h"
#include "Commands.h"
#include "ControlCenterCommands.h"
#include "DeviceProfile.h"
#include "MediaCommands.h"
#include "PersonCommands.h"
#include "Screenshot.h"
#include "SettingsApplication.h"
#include "SettingsApplicationCommands.h"
#include "UIKit/PresentationHost.h"

#include <filesystem>
#include <memory>
#include <ostream>
#include <span>
#include <string>

// A simulated device in this process: the profile's screen and SpringBoard, the section loader on Control
// Center, and the command language a person uses on it, one table that each area of commands fills from its
// own file. Only one may exist at a time.
class Simulator {
  public:
    // `stagedBundles` holds the bundles as the build lays them out (OrvaneCC.bundle, ...); `install` copies
    // them onto the device.
    explicit Simulator(const DeviceProfile& profile,
                       std::filesystem::path stagedBundles = ORVANE_STAGED_BUNDLES);
    ~Simulator();
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // One command, after which the run loop delivers what has come in (notifications from other processes).
    int run(std::span<const std::string> words, std::ostream& out, std::ostream& errors);
    const CommandTable& commands() const { return _commands; }
    // Every command's name, usage and owner, without a device to run them: how a booted device routes them.
    static CommandTable routes();

    // Whether the Settings application is in front: open while Control Center is not.
    bool settingsInFront() const;

    const CaddexLoader& loader() const { return *_loader; }

    // The screen in front as `screenshot` draws it, written to `file` unless it shows the pixels written
    // last time and `fresh` is false; then what `state` prints. PageFrame's statuses.
    int pageFrame(const std::filesystem::path& file, bool fresh, std::ostream& out, std::ostream& errors);

  private:
    // The areas of commands in the order `help` lists them, each with the process that serves it on a
    // booted device; bound to `device`'s objects when there is one.
    static void addAreas(CommandTable& table, Simulator* device);
    static std::span<const CommandEntry<Simulator>> screenCommands();
    static std::span<const CommandEntry<Simulator>> sessionCommands();
    static std::span<const CommandEntry<Simulator>> tourCommands();

    int help(Arguments arguments, std::ostream& out, std::ostream& errors);
    // The person's side of the device, as the device's page shows it.
    int state(Arguments arguments, std::ostream& out, std::ostream& errors);
    int tour(Arguments arguments, std::ostream& out, std::ostream& errors);
    // One screen: the Settings application when it is in front, else Control Center.
    int screenshot(Arguments arguments, std::ostream& out, std::ostream& errors);
    // A finger on the screen in front, at a point of its screenshot: it runs the command a person would
    // type for what is under it.
    int touch(Arguments arguments, std::ostream& out, std::ostream& errors);
    int touchable(Arguments arguments, std::ostream& out, std::ostream& errors);
    DrawnScreen frontScreen();
    std::optional<Touchable> touchableAt(CGPoint point);

    // What is presented over Control Center, for the person to see and answer.
    PresentationStack _presented;
    std::unique_ptr<CaddexLoader> _loader;
    std::unique_ptr<ControlCenterCommands> _controlCenter;
    std::unique_ptr<PersonCommands> _person;
    std::unique_ptr<MediaCommands> _media;
    std::unique_ptr<CameraCommands> _camera;

    SettingsApplication _settings;
    SettingsApplicationCommands _settingsCommands{_settings};
    CommandTable _commands;
    // The page's last picture, so that a redraw that shows nothing new is not encoded again.
    std::shared_ptr<UIImage> _pageFrame;
};
