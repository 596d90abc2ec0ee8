#include "CameraCommands.h"

#include "AVFoundation/AVCaptureHost.h"
#include "Foundation/NSOperationQueue.h"
#include "Foundation/NSRunLoop.h"
#include "UIKit/UIButton.h"
#include "UIKit/UINavigationController.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iterator>

namespace {

// A picture file a person holds up: PNG or JPEG, of at most this many bytes.
constexpr std::uintmax_t largestPictureFile = 64u * 1024 * 1024;
// However slow reading is, the command ends.
constexpr std::chrono::seconds longestRead{30};
// Where a finger finds the scanner's camera switch: this far from the screen's top right corner.
constexpr CGFloat switchFromRight = 35;
constexpr CGFloat switchFromTop = 25;

CGImageRef readPicture(const std::string& file, std::string& problem) {
    std::error_code error;
    const auto size = std::filesystem::file_size(file, error);
    if (error) {
        problem = file + ": " + error.message();
        return nullptr;
    }
    if (size > largestPictureFile) {
        problem = file + ": too large for a picture (more than 64 MiB)";
        return nullptr;
    }
    std::ifstream in(file, std::ios::binary);
    const std::vector<std::uint8_t> bytes(std::istreambuf_iterator<char>(in), {});
    const bool jpeg = bytes.size() > 2 && bytes[0] == 0xff && bytes[1] == 0xd8;
    auto picture = jpeg ? CGImageCreateWithJPEGData(bytes) : CGImageCreateWithPNGData(bytes);
    if (!picture)
        problem = file + ": not a whole PNG or JPEG picture of a size the device can hold";
    return picture;
}

const char* cameraName(const AVCaptureDevice& camera) {
    return camera.position() == AVCaptureDevicePositionFront ? "front" : "back";
}

// The control under the finger on `screen`: the view hit, or the control holding it.
std::shared_ptr<UIControl> controlUnder(const UIViewController& screen, CGPoint finger) {
    for (auto view = screen.view()->hitTest(finger); view; view = view->superview())
        if (auto control = std::dynamic_pointer_cast<UIControl>(view))
            return control;
    return nullptr;
}

} // namespace

std::shared_ptr<UIControl> cameraSwitchOf(const UIViewController& scanner) {
    return controlUnder(scanner,
                        CGPointMake(scanner.view()->frame().size.width - switchFromRight, switchFromTop));
}

CameraCommands::CameraCommands(const PresentationStack& presented) : _presented(presented) {}

std::span<const CommandEntry<CameraCommands>> CameraCommands::commandTable() {
    static constexpr CommandEntry<CameraCommands> commands[] = {
        {"camera", "camera show FILE | camera clear | camera switch",
         "the camera in use sees a PNG or JPEG picture held up to it, or nothing; switch presses the "
         "scanner's camera switch",
         &CameraCommands::camera},
        {"scan", "scan cancel", "presses \"Cancel\" on the scanner", &CameraCommands::scan},
    };
    return commands;
}

std::shared_ptr<UIViewController> CameraCommands::shownScreen() const {
    const auto navigation = _presented.topmostScanner();
    return navigation ? navigation->topViewController() : nullptr;
}

int CameraCommands::camera(std::span<const std::string> arguments, std::ostream& out, std::ostream& errors) {
    if (arguments.size() == 2 && arguments[0] == "show")
        return showPicture(arguments[1], out, errors);
    if (arguments.size() == 1 && arguments[0] == "switch")
        return pressSwitch(out, errors);
    if (arguments.size() != 1 || arguments[0] != "clear")
        return printUsageError(commandTable(), "camera", errors);
    if (const auto camera = AVCaptureHost::currentCamera()) {
        AVCaptureHost::clearPicture(*camera);
        out << "the " << cameraName(*camera) << " camera sees nothing in particular\n";
        _sight.clear();
        _picture.reset();
    }
    return 0;
}

// While a scanner is open, the command lasts until it has read the picture's first view in every way: what it
// shows then is there for the next command. The hand's later views come while time passes.
void CameraCommands::printSight(std::ostream& out) const {
    const auto camera = AVCaptureHost::currentCamera();
    out << "camera: ";
    if (!camera)
        out << "none";
    else
        out << "the " << cameraName(*camera) << " one in use; "
            << (_sight.empty() ? std::string("it sees nothing in particular") : _sight);
    out << "\n";
}

int CameraCommands::showPicture(const std::string& file, std::ostream& out, std::ostream& errors) {
    const auto camera = AVCaptureHost::currentCamera();
    if (!camera) {
        errors << "the device has no camera\n";
        return 1;
    }
    std::string problem;
    const auto picture = readPicture(file, problem);
    if (!picture) {
        errors << problem << "\n";
        return 1;
    }
    AVCaptureHost::showPicture(*camera, picture);
    out << "the " << cameraName(*camera) << " camera sees " << file << "\n";
    _sight = std::string("the ") + cameraName(*camera) + " camera sees " +
             std::filesystem::path(file).filename().string();
    _picture = picture;
    const auto screen = shownScreen();
    if (!screen)
        return 0;
    // A frame is counted once its result waits on the main queue: the look is over when that has run too.
    const auto enough = AVCaptureHost::framesReadCount() + AVCaptureHost::framesForAWholeLook();
    NSRunLoop::mainRunLoop().runUntil(
        [&] {
            return shownScreen() != screen || (AVCaptureHost::framesReadCount() >= enough &&
                                               NSOperationQueue::mainQueue().operationCount() == 0);
        },
        longestRead);
    return 0;
}

int CameraCommands::pressSwitch(std::ostream& out, std::ostream& errors) {
    const auto screen = shownScreen();
    const auto control = screen ? cameraSwitchOf(*screen) : nullptr;
    if (!control) {
        errors << "no camera switch on the screen\n";
        return 1;
    }
    control->touchesBegan();
    control->touchesEnded();
    if (const auto camera = AVCaptureHost::currentCamera())
        out << "the scanner uses the " << cameraName(*camera) << " camera\n";
    return 0;
}

int CameraCommands::scan(std::span<const std::string> arguments, std::ostream& out, std::ostream& errors) {
    if (arguments.size() != 1 || arguments[0] != "cancel")
        return printUsageError(commandTable(), "scan", errors);
    const auto screen = shownScreen();
    const auto cancel = screen ? screen->navigationItem()->rightBarButtonItem() : nullptr;
    if (!cancel) {
        errors << "no scanner on the screen\n";
        return 1;
    }
    cancel->press();
    out << "pressed " << std::quoted(cancel->title()) << "\n";
    return 0;
}
