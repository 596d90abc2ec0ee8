#pragma once

#include "Commands.h"
#include "CoreGraphics/CGImage.h"
#include "UIKit/PresentationHost.h"

#include <span>
#include <vector>

class UIControl;
class UIViewController;

// The scanner's camera switch on the screen of `scanner`, as the view tree's hit test finds it where the
// switch sits; nothing where it has none.
std::shared_ptr<UIControl> cameraSwitchOf(const UIViewController& scanner);

// The commands that play the person using the code scanner: holding a picture up to the camera, switching
// cameras, cancelling a scan.
class CameraCommands {
  public:
    // The presentation host outlives these commands.
    explicit CameraCommands(const PresentationStack& presented);
    CameraCommands(const CameraCommands&) = delete;
    CameraCommands& operator=(const CameraCommands&) = delete;

    static std::span<const CommandEntry<CameraCommands>> commandTable();
    // What the camera in use sees, one line: "camera: the back camera sees code.png".
    void printSight(std::ostream& out) const;
    // The picture held up to the camera; nothing while it sees nothing in particular.
    const CGImageRef& picture() const { return _picture; }

  private:
    int camera(std::span<const std::string> arguments, std::ostream& out, std::ostream& errors);
    int scan(std::span<const std::string> arguments, std::ostream& out, std::ostream& errors);
    int showPicture(const std::string& file, std::ostream& out, std::ostream& errors);
    int pressSwitch(std::ostream& out, std::ostream& errors);
    // The controller on top of the navigation controller shown on top: the scanner, when one is open.
    std::shared_ptr<UIViewController> shownScreen() const;

    const PresentationStack& _presented;
    // The file last shown, and to which camera; empty when it sees nothing in particular.
    std::string _sight;
    CGImageRef _picture;
};
