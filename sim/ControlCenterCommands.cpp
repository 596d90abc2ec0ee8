#include "ControlCenterCommands.h"

#include "CameraCommands.h"
#include "CommandOptions.h"
#include "Device/DeviceRoot.h"
#include "Foundation/NSBundle.h"
#include "PackageInstaller.h"
#include "ParseNumber.h"
#include "Screenshot.h"
#include "Script.h"
#include "SpringBoard/SBControlCenterController.h"
#include "SpringBoard/SpringBoard.h"
#include "SpringBoard/SpringBoardHost.h"
#include "UIKit/UINavigationBar.h"
#include "UIKit/UINavigationController.h"
#include "UIKit/UIScreen.h"
#include "ViewTree.h"

#include <algorithm>
#include <nlohmann/json.hpp>

namespace {

// Where the build's bundles go on a device. A bundle replaces what was there; the files of a shared folder
// (the Settings application's entry plists, the system's Preferences framework) join what is there.
struct StagedBundle {
    std::string_view folder;
    std::string_view devicePath;
    bool sharedFolder = false;
};
// The system's, not ours: a device has it before any package comes.
constexpr StagedBundle preferencesFramework = {"System/Library/PrivateFrameworks/Preferences.framework",
                                               "/System/Library/PrivateFrameworks/Preferences.framework/",
                                               true};
constexpr StagedBundle bundlesToInstall[] = {
    {"OrvaneCC.bundle", CaddexLoader::sectionBundlePath},
    {"OrvanePrefs.bundle", "/Library/PreferenceBundles/OrvanePrefs.bundle/"},
    {"PreferenceLoader", "/Library/PreferenceLoader/Preferences/", true},
    preferencesFramework,
};

// The system's folder is shared: its files join what is there.
std::optional<std::string> copySystemFolder(const std::filesystem::path& from, const StagedBundle& bundle) {
    const auto to = DeviceRoot::resolve(bundle.devicePath);
    std::error_code error;
    std::filesystem::create_directories(to, error);
    if (!error)
        std::filesystem::copy(from, to,
                              std::filesystem::copy_options::recursive |
                                  std::filesystem::copy_options::overwrite_existing,
                              error);
    if (error)
        return "cannot install " + from.filename().string() + ": " + error.message();
    return std::nullopt;
}

// Why nothing could be drawn: no width, or more pixels across than a bitmap may have.
std::string undrawable(const UIView& section) {
    const CGFloat width = section.frame().size.width * UIScreen::mainScreen().scale();
    if (width >= 1)
        return "the screenshot would be " + std::to_string(static_cast<long long>(width)) +
               " pixels wide, wider than the drawing limit of " + std::to_string(CGImage::maximumSide) +
               " pixels";
    return "Control Center has no width to draw";
}

// The bar's right button, which `scan cancel` presses; nothing where the bar has none.
std::optional<Touchable> cancelTouchable(const UINavigationBar& bar, const UIView& screen) {
    const auto item = bar.rightItemFrame();
    if (!item)
        return std::nullopt;
    const CGPoint origin = originIn(bar, screen);
    const CGRect frame = *item;
    return Touchable{
        CGRectMake(origin.x + frame.origin.x, origin.y + frame.origin.y, frame.size.width, frame.size.height),
        "button \"" + bar.topItem()->rightBarButtonItem()->title() + "\"",
        {"scan", "cancel"},
        {},
        {}};
}

Touchable switchTouchable(const UIView& control, const UIView& screen) {
    const CGPoint origin = originIn(control, screen);
    return {CGRectMake(origin.x, origin.y, control.frame().size.width, control.frame().size.height),
            "button \"camera switch\"",
            {"camera", "switch"},
            {},
            {}};
}

// What the finger at `point` presses on the scanner over Control Center, by the view tree's hit test: the
// bar's right button, or the scanner's camera switch where the bar leaves it bare.
std::optional<Touchable> scannerTouchableAt(const UINavigationController& navigation, CGPoint point) {
    const auto& screen = *navigation.view();
    const auto top = navigation.topViewController();
    const auto cameraSwitch = top ? cameraSwitchOf(*top) : nullptr;
    for (auto view = navigation.view()->hitTest(point); view; view = view->superview()) {
        if (view == navigation.navigationBar()) {
            auto cancel = cancelTouchable(*navigation.navigationBar(), screen);
            return cancel && rectContains(cancel->frame, point) ? cancel : std::nullopt;
        }
        if (cameraSwitch && view == cameraSwitch)
            return switchTouchable(*view, screen);
    }
    return std::nullopt;
}

// The camera switch is offered only where a finger reaches it: its place is the top right corner, which
// the navigation bar covers when there is one.
void scannerTouchables(const UINavigationController& navigation, Touchables& touchables) {
    const auto& screen = *navigation.view();
    const auto top = navigation.topViewController();
    if (const auto control = top ? cameraSwitchOf(*top) : nullptr) {
        const auto touchable = switchTouchable(*control, screen);
        const CGRect frame = touchable.frame;
        const auto reached =
            scannerTouchableAt(navigation, CGPointMake(frame.origin.x + frame.size.width / 2,
                                                       frame.origin.y + frame.size.height / 2));
        if (reached && reached->name == touchable.name)
            touchables.add(touchable);
    }
    if (const auto& bar = navigation.navigationBar())
        if (auto cancel = cancelTouchable(*bar, screen))
            touchables.add(std::move(*cancel));
}

} // namespace

ControlCenterCommands::ControlCenterCommands(CaddexLoader& loader, const PresentationStack& presented,
                                             std::filesystem::path stagedBundles)
    : _loader(loader), _presented(presented), _stagedBundles(std::move(stagedBundles)) {}

std::span<const CommandEntry<ControlCenterCommands>> ControlCenterCommands::commandTable() {
    static constexpr CommandEntry<ControlCenterCommands> commands[] = {
        {"install", "install [--package FILE] [--allow-downgrade]",
         "install the built plug-ins on the device as Orvane's package; with --package, from its Debian "
         "package. An older version than the installed one needs --allow-downgrade",
         &ControlCenterCommands::install},
        {"remove", "remove PACKAGE", "remove an installed package and its files from the device",
         &ControlCenterCommands::remove},
        {"packages", "packages", "the packages installed on the device, with their versions",
         &ControlCenterCommands::packages},
        {"open", "open [--width W]",
         "Control Center appears; with --width, its width becomes W as it slides in",
         &ControlCenterCommands::open},
        {"close", "close", "Control Center disappears", &ControlCenterCommands::close},
        {"width", "width W", "Control Center's width, in points", &ControlCenterCommands::width},
        {"lock", "lock", "lock the device", &ControlCenterCommands::lock},
        {"unlock", "unlock", "unlock the device", &ControlCenterCommands::unlock},
        {"describe", "describe [--json]", "Control Center and the section's views; --json as one JSON object",
         &ControlCenterCommands::describe},
    };
    return commands;
}

int ControlCenterCommands::usageError(std::string_view name, std::ostream& errors) const {
    return printUsageError(commandTable(), name, errors);
}

bool ControlCenterCommands::sectionLoaded() {
    return _loader.section() || _loader.loadSection();
}

std::optional<std::string> ControlCenterCommands::sectionLoadProblem() {
    if (sectionLoaded())
        return std::nullopt;
    const auto bundle = NSBundle::bundleWithPath(CaddexLoader::sectionBundlePath);
    if (!bundle)
        return std::nullopt;
    return bundle->loadError().empty() ? "its principal class makes no section" : bundle->loadError();
}

void ControlCenterCommands::printControlCenter(std::ostream& out) const {
    const auto controlCenter = SBControlCenterController::sharedInstance();
    out << "Control Center " << (controlCenter->isVisible() ? "open" : "closed") << ", "
        << controlCenter->view()->frame().size.width << " wide; ";
    if (!_loader.section()) {
        out << "no section (install it first)\n";
        return;
    }
    const CGSize container = _loader.containerView()->frame().size;
    out << "section " << container.width << " x " << container.height
        << (_loader.section()->view()->isHidden() ? ", hidden" : "") << "\n";
}

Json ControlCenterCommands::describeJson() const {
    const auto controlCenter = SBControlCenterController::sharedInstance();
    Json described{
        {"controlCenter",
         {{"open", controlCenter->isVisible()}, {"width", controlCenter->view()->frame().size.width}}},
        {"section", nullptr},
        {"views", nullptr}};
    if (_loader.section()) {
        const CGSize container = _loader.containerView()->frame().size;
        described["section"] = {{"width", container.width},
                                {"height", container.height},
                                {"hidden", _loader.section()->view()->isHidden()}};
    }
    if (_loader.containerView())
        described["views"] = viewTreeJson(*_loader.containerView());
    return described;
}

int ControlCenterCommands::install(std::span<const std::string> arguments, std::ostream& out,
                                   std::ostream& errors) {
    static constexpr CommandOption installOptions[] = {{"package", true}, {"allow-downgrade"}};
    const auto options = parseCommandOptions(arguments, installOptions);
    if (!options || !options->operands.empty())
        return usageError("install", errors);
    const bool allowDowngrade = options->has("allow-downgrade");
    if (const auto package = options->value("package"))
        return installFromPackage(*package, allowDowngrade, out, errors);
    const auto installed = installBuild(_stagedBundles, allowDowngrade);
    if (!installed.refusal.empty()) {
        errors << "cannot install the build: " << installed.refusal << "\n";
        return 1;
    }
    if (installSystemFolder(errors) != 0)
        return 1;
    for (const auto& bundle : bundlesToInstall) {
        if (std::filesystem::is_directory(_stagedBundles / bundle.folder))
            out << "installed " << bundle.folder << " in " << bundle.devicePath << "\n";
    }
    return 0;
}

int ControlCenterCommands::installFromPackage(const std::string& package, bool allowDowngrade,
                                              std::ostream& out, std::ostream& errors) {
    const auto installed = installPackage(package, allowDowngrade);
    if (!installed.refusal.empty()) {
        errors << "refused " << printable(package) << ": " << installed.refusal << "\n";
        return 1;
    }
    out << "installed " << orvanePackageName << " " << installed.version << " (" << installed.files
        << " files) from " << package << "\n";
    return installSystemFolder(errors);
}

// The pane borrows the system's Preferences framework images, which a real device ships with.
int ControlCenterCommands::installSystemFolder(std::ostream& errors) {
    const auto framework = _stagedBundles / preferencesFramework.folder;
    if (!std::filesystem::is_directory(framework))
        return 0;
    if (const auto problem = copySystemFolder(framework, preferencesFramework)) {
        errors << *problem << "\n";
        return 1;
    }
    return 0;
}

int ControlCenterCommands::remove(std::span<const std::string> arguments, std::ostream& out,
                                  std::ostream& errors) {
    if (arguments.size() != 1)
        return usageError("remove", errors);
    const auto removed = removePackage(arguments[0]);
    if (!removed.refusal.empty()) {
        errors << "cannot remove " << printable(arguments[0]) << ": " << removed.refusal << "\n";
        return 1;
    }
    out << "removed " << removed.package << " " << removed.version << "\n";
    return 0;
}

int ControlCenterCommands::packages(std::span<const std::string> arguments, std::ostream& out,
                                    std::ostream& errors) {
    if (!arguments.empty())
        return usageError("packages", errors);
    std::vector<PackageDatabase::Installed> installed;
    if (const auto problem = PackageDatabase::read(installed)) {
        errors << *problem << "\n";
        return 1;
    }
    for (const auto& [control, system] : installed)
        out << control.package << " " << control.version << " " << control.architecture
            << (system ? " (system)" : "") << "\n";
    return 0;
}

int ControlCenterCommands::open(std::span<const std::string> arguments, std::ostream& out,
                                std::ostream& errors) {
    static constexpr CommandOption openOptions[] = {{"width", true}};
    const auto options = parseCommandOptions(arguments, openOptions);
    const auto widthText = options ? options->value("width") : std::nullopt;
    const auto newWidth = widthText ? parsePositive<double>(*widthText) : std::nullopt;
    if (!options || !options->operands.empty() || (widthText && !newWidth))
        return usageError("open", errors);
    if (const auto problem = sectionLoadProblem()) {
        errors << "the section bundle could not be loaded: " << *problem << "\n";
        return 1;
    }
    const auto settle = [this, newWidth] { _loader.setControlCenterWidth(*newWidth); };
    if (!_loader.appear(newWidth ? std::function<void()>(settle) : nullptr)) {
        errors << "Control Center is already open\n";
        return 1;
    }
    printControlCenter(out);
    return 0;
}

int ControlCenterCommands::close(std::span<const std::string> arguments, std::ostream& out,
                                 std::ostream& errors) {
    if (!arguments.empty())
        return usageError("close", errors);
    if (!_loader.disappear()) {
        errors << "Control Center is not open\n";
        return 1;
    }
    printControlCenter(out);
    return 0;
}

int ControlCenterCommands::width(std::span<const std::string> arguments, std::ostream& out,
                                 std::ostream& errors) {
    const auto newWidth = arguments.size() == 1 ? parsePositive<double>(arguments[0]) : std::nullopt;
    if (!newWidth)
        return usageError("width", errors);
    _loader.setControlCenterWidth(*newWidth);
    printControlCenter(out);
    return 0;
}

int ControlCenterCommands::lock(std::span<const std::string> arguments, std::ostream& out,
                                std::ostream& errors) {
    return setLocked(true, "lock", arguments, out, errors);
}

int ControlCenterCommands::unlock(std::span<const std::string> arguments, std::ostream& out,
                                  std::ostream& errors) {
    return setLocked(false, "unlock", arguments, out, errors);
}

int ControlCenterCommands::setLocked(bool locked, std::string_view name,
                                     std::span<const std::string> arguments, std::ostream& out,
                                     std::ostream& errors) {
    if (!arguments.empty())
        return usageError(name, errors);
    SpringBoardHost::setLocked(*SpringBoard::sharedApplication(), locked);
    out << "device " << name << "ed\n";
    return 0;
}

std::shared_ptr<UIImage> ControlCenterCommands::drawScreen(Touchables& touchables) {
    if (!sectionLoaded())
        return nullptr;
    const auto& container = *_loader.containerView();
    if (const auto topmost = _presented.topmost()) {
        auto screen = screenshotOfScreen(container, *topmost, touchables);
        if (const auto* scanner = std::get_if<PresentedScanner>(&*topmost))
            scannerTouchables(*scanner->navigation, touchables);
        return screen;
    }
    if (const auto& section = _loader.section())
        for (const auto& button : rowButtons(*section->view()))
            if (auto touchable = buttonTouchable(*button))
                touchables.add(std::move(*touchable));
    return screenshotOfView(container);
}

// What is presented is found where its drawing lays it out; the row through the section's own hit test,
// which needs no drawing.
std::optional<Touchable> ControlCenterCommands::touchableAt(CGPoint point) {
    if (!sectionLoaded())
        return std::nullopt;
    if (const auto topmost = _presented.topmost()) {
        Touchables touchables;
        if (!drawScreen(touchables))
            return std::nullopt;
        if (const auto* scanner = std::get_if<PresentedScanner>(&*topmost))
            return scannerTouchableAt(*scanner->navigation, point);
        const auto* found = touchables.at(point);
        return found ? std::optional(*found) : std::nullopt;
    }
    const auto& container = _loader.containerView();
    const CGPoint origin = sectionOrigin(*container, false);
    for (auto view = container->hitTest(CGPointMake(point.x - origin.x, point.y - origin.y)); view;
         view = view->superview())
        if (auto touchable = buttonTouchable(*view))
            return touchable;
    return std::nullopt;
}

std::optional<Touchable> ControlCenterCommands::buttonTouchable(const UIView& hit) const {
    const auto& section = _loader.section();
    if (!section || hit.isHidden() || section->view()->isHidden())
        return std::nullopt;
    const auto buttons = rowButtons(*section->view());
    const auto found =
        std::ranges::find_if(buttons, [&](const auto& button) { return button.get() == &hit; });
    if (found == buttons.end())
        return std::nullopt;
    const auto slot = std::to_string(found - buttons.begin() + 1);
    const auto& container = *_loader.containerView();
    const CGPoint inContainer = originIn(hit, container);
    const CGPoint origin = sectionOrigin(container, false);
    return Touchable{CGRectMake(origin.x + inContainer.x, origin.y + inContainer.y, hit.frame().size.width,
                                hit.frame().size.height),
                     "button " + slot,
                     {"tap", slot},
                     {"hold", slot},
                     {}};
}

DrawnScreen ControlCenterCommands::screenImage() {
    if (!sectionLoaded())
        return std::string("no section to draw: install it first");
    Touchables touchables;
    if (auto image = drawScreen(touchables))
        return image;
    return undrawable(*_loader.containerView());
}

int ControlCenterCommands::describe(std::span<const std::string> arguments, std::ostream& out,
                                    std::ostream& errors) {
    const auto options = parseCommandOptions(arguments, jsonOption);
    if (!options || !options->operands.empty())
        return usageError("describe", errors);
    sectionLoaded();
    if (options->has("json")) {
        printJson(describeJson(), out);
        return 0;
    }
    printControlCenter(out);
    if (_loader.containerView())
        describeViewTree(*_loader.containerView(), out);
    return 0;
}
