#include "TapDispatch.h"

#include "ApplicationLaunch.h"
#include "ComposeSheets.h"
#include "MediaPicking.h"
#include "Presentation.h"
#include "ScannerFlow.h"
#include "SectionState.h"
#include "SpringBoard/SBApplicationController.h"
#include "SpringBoard/SBIconModel.h"
#include "common/SectionSettings.h"

#include <algorithm>

namespace {

constexpr bool postsToAPlatformService(const FunctionInfo& function) {
    constexpr std::string_view services[] = {SLServiceTypeFacebook, SLServiceTypeSinaWeibo,
                                             SLServiceTypeTencentWeibo, SLServiceTypeTwitter};
    return function.services.sheet != Sheet::socialPost ||
           std::ranges::find(services, function.services.serviceType) != std::end(services);
}
static_assert(std::ranges::all_of(functionCatalogue, postsToAPlatformService),
              "a post goes to a service of the Social framework");

bool hasIcon(std::string_view bundleIdentifier) {
    const auto iconModel = sectionState().iconModel.lock();
    return iconModel && iconModel->applicationIconForBundleIdentifier(bundleIdentifier);
}

void prompt(const FunctionInfo& function) {
    promptAppStore(*function.appStoreName, *function.appStorePath);
}

// The first candidate with an icon (the iPad's own Skype before the other). When none has one, a system
// function the App Store offers prompts for it; a store application's icon checked before its menu or tap
// may be gone by now, and then its Launch does nothing.
void launchTarget(const FunctionInfo& function) {
    const auto candidates = function.targetBundleIds;
    const auto found = std::find_if(candidates.begin(), candidates.end(), hasIcon);
    if (found != candidates.end())
        launchApplication(*found);
    else if (function.functionId.starts_with("SYS-") && function.appStorePath)
        prompt(function);
}

// The URL, when SpringBoard knows the function's application.
void openURLWhenKnown(const FunctionInfo& function, std::string_view url) {
    const auto registry = sectionState().applicationController.lock();
    if (registry && registry->applicationWithBundleIdentifier(function.targetBundleIds.front()))
        openURLString(url);
}

void runSheet(const Services& services) {
    switch (services.sheet) {
    case Sheet::socialPost:
        presentSocialCompose(services.serviceType);
        break;
    case Sheet::mail:
        presentMailCompose();
        break;
    case Sheet::message:
        presentMessageCompose();
        break;
    case Sheet::scanner:
        presentScanner();
        break;
    case Sheet::none:
        break;
    }
}

void openPicker(const Services& services, bool useCamera) {
    sectionState().pickerMode = services.pickerMode;
    presentImagePicker(useCamera, services.includeVideos);
}

void runAction(const FunctionInfo& function, Action action, DeviceFamily family) {
    const ActionRow* row = function.actionRow(action);
    if (!row)
        return;
    switch (row->step) {
    case Step::sheet:
        runSheet(function.services);
        break;
    case Step::takePicture:
    case Step::chooseFromLibrary:
        openPicker(function.services, row->step == Step::takePicture);
        break;
    case Step::launch:
        launchTarget(function);
        break;
    case Step::quickAction:
        if (const auto* routine = shortcutRoutineFor(function.functionId, action))
            launchApplicationShortcut(*routine, family);
        break;
    case Step::urlWhenKnown:
        openURLWhenKnown(function, row->url);
        break;
    case Step::appStorePage:
        if (function.appStorePath)
            openAppStorePage(*function.appStorePath);
        break;
    }
}

} // namespace

bool functionApplicationInstalled(const FunctionInfo& function) {
    return std::any_of(function.targetBundleIds.begin(), function.targetBundleIds.end(), hasIcon);
}

void performAction(std::string_view functionId, Action action) {
    const DeviceFamily family = currentDeviceFamily();
    if (const FunctionInfo* function = functionInfoForId(functionId, family))
        runAction(*function, action, family);
}

void performDefaultAction(std::string_view functionId) {
    const DeviceFamily family = currentDeviceFamily();
    const FunctionInfo* function = functionInfoForId(functionId, family);
    if (!function || function->actions.empty())
        return;
    const auto action = sectionSettingsState().settings.defaultActionFor(functionId);
    if (function->functionId.starts_with("APP-") && function->appStorePath &&
        !functionApplicationInstalled(*function)) {
        prompt(*function);
        return;
    }
    if (action)
        runAction(*function, *action, family);
}
