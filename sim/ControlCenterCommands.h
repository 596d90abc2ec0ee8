#pragma once

#include "Caddex/CaddexLoader.h"
#include "Commands.h"
#include "JsonOutput.h"
#include "Touchables.h"
#include "UIKit/PresentationHost.h"
#include "UIKit/UIImage.h"

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

// The commands that play SpringBoard's Control Center and the section in it: install, remove, packages, open,
// close, width, lock, unlock, describe, and the screenshot of them.
class ControlCenterCommands {
  public:
    // `stagedBundles` holds the bundles as the build lays them out (OrvaneCC.bundle, ...); `install` copies
    // them onto the device. The loader and what is presented outlive these commands.
    ControlCenterCommands(CaddexLoader& loader, const PresentationStack& presented,
                          std::filesystem::path stagedBundles);
    ControlCenterCommands(const ControlCenterCommands&) = delete;
    ControlCenterCommands& operator=(const ControlCenterCommands&) = delete;

    static std::span<const CommandEntry<ControlCenterCommands>> commandTable();
    // The section over Control Center with what is presented over it, as `screenshot` draws it, or why it
    // cannot be drawn.
    std::variant<std::shared_ptr<UIImage>, std::string> screenImage();
    // The screen as the screenshot draws it; what a finger can press on it goes to `touchables`: what is
    // presented, else the section's buttons. Nothing when no section is loaded or it cannot be drawn.
    std::shared_ptr<UIImage> drawScreen(Touchables& touchables);
    // What the finger at `point` of the screenshot presses: on what is presented as the drawing placed
    // it, else the section's button that the view tree's hit test finds.
    std::optional<Touchable> touchableAt(CGPoint point);
    // "Control Center open, 320 wide; section 320 x 46", as `describe` begins.
    void printControlCenter(std::ostream& out) const;

  private:
    int install(std::span<const std::string> arguments, std::ostream& out, std::ostream& errors);
    int installFromPackage(const std::string& package, bool allowDowngrade, std::ostream& out,
                           std::ostream& errors);
    int installSystemFolder(std::ostream& errors);
    int remove(std::span<const std::string> arguments, std::ostream& out, std::ostream& errors);
    int packages(std::span<const std::string> arguments, std::ostream& out, std::ostream& errors);
    int open(std::span<const std::string> arguments, std::ostream& out, std::ostream& errors);
    int close(std::span<const std::string> arguments, std::ostream& out, std::ostream& errors);
    int width(std::span<const std::string> arguments, std::ostream& out, std::ostream& errors);
    int lock(std::span<const std::string> arguments, std::ostream& out, std::ostream& errors);
    int unlock(std::span<const std::string> arguments, std::ostream& out, std::ostream& errors);
    int setLocked(bool locked, std::string_view name, std::span<const std::string> arguments,
                  std::ostream& out, std::ostream& errors);
    int describe(std::span<const std::string> arguments, std::ostream& out, std::ostream& errors);

    int usageError(std::string_view name, std::ostream& errors) const;
    // The section, loaded when it is installed and not loaded yet.
    bool sectionLoaded();
    // Why the installed section bundle gives no section; nothing when it is loaded or none is installed.
    std::optional<std::string> sectionLoadProblem();
    // The section's button as a finger finds it: its frame in the screenshot, and `tap` and `hold` of its
    // slot.
    std::optional<Touchable> buttonTouchable(const UIView& hit) const;
    // Control Center, the section and its views, for `describe --json`.
    Json describeJson() const;

    CaddexLoader& _loader;
    const PresentationStack& _presented;
    std::filesystem::path _stagedBundles;
};
