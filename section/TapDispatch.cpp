#include "TapDispatch.h"

#include "ApplicationLaunch.h"
#include "MediaFlows.h"
#include "Presentation.h"
#include "SectionState.h"
#include "SpringBoard/SBApplicationController.h"
#include "SpringBoard/SBIconModel.h"
#include "common/SectionSettings.h"

#include <algorithm>
#include <array>

namespace {

enum class Flow { social, mail, message, scanner };

// What the actions of a system function do inside the section: its own sheet (or the scanner) for its first
// action, and the picker in its mode for "Camera" and "Library". Social posts take photos only.
struct ServiceSteps {
    std::string_view functionId;
    std::string_view sheetAction;
    Flow flow;
    std::string_view serviceType;
    int pickerMode;
    bool includeVideos;
};

// clang-format off
constexpr std::array<ServiceSteps, 7> serviceSteps = {{
    {"SYS-Facebook", "Post", Flow::social, SLServiceTypeFacebook, 3, false},
    {"SYS-Mail", "Mail", Flow::mail, {}, 1, true},
    {"SYS-Message", "Message", Flow::message, {}, 2, true},
    {"SYS-Photo", "Scan", Flow::scanner, {}, 0, true},
    {"SYS-SinaWeibo", "Post", Flow::social, SLServiceTypeSinaWeibo, 4, false},
    {"SYS-TencentWeibo", "Post", Flow::social, SLServiceTypeTencentWeibo, 5, false},
    {"SYS-Twitter", "Tweet", Flow::social, SLServiceTypeTwitter, 6, false},
}};
// clang-format on

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

void openInstagramCamera() {
    const auto registry = sectionState().applicationController.lock();
    if (registry && registry->applicationWithBundleIdentifier("com.burbn.instagram"))
        openURLString("instagram://camera");
}

void runSheet(const ServiceSteps& steps) {
    switch (steps.flow) {
    case Flow::social:
        presentSocialCompose(steps.serviceType);
        break;
    case Flow::mail:
        presentMailCompose();
        break;
    case Flow::message:
        presentMessageCompose();
        break;
    case Flow::scanner:
        presentScanner();
        break;
    }
}

void runServiceStep(std::string_view functionId, std::string_view action) {
    const auto steps =
        std::find_if(serviceSteps.begin(), serviceSteps.end(),
                     [functionId](const auto& entry) { return entry.functionId == functionId; });
    if (steps == serviceSteps.end())
        return;
    if (action == steps->sheetAction) {
        runSheet(*steps);
    } else if (action == "Camera" || action == "Library") {
        sectionState().pickerMode = steps->pickerMode;
        presentImagePicker(action == "Camera", steps->includeVideos);
    }
}

void runAction(const FunctionInfo& function, std::string_view action, DeviceFamily family) {
    if (action == "Launch")
        launchTarget(function);
    else if (action == "AppStore" && function.appStorePath)
        openAppStorePage(*function.appStorePath);
    else if (const auto* routine = shortcutRoutineFor(function.functionId, action))
        launchApplicationShortcut(*routine, family);
    else if (function.functionId == "APP-Instagram" && action == "Camera")
        openInstagramCamera();
    else
        runServiceStep(function.functionId, action);
}

} // namespace

bool functionApplicationInstalled(const FunctionInfo& function) {
    return std::any_of(function.targetBundleIds.begin(), function.targetBundleIds.end(), hasIcon);
}

void performAction(std::string_view functionId, std::string_view action) {
    const DeviceFamily family = currentDeviceFamily();
    if (const FunctionInfo* function = functionInfoForId(functionId, family))
        runAction(*function, action, family);
}

void performDefaultAction(std::string_view functionId) {
    const DeviceFamily family = currentDeviceFamily();
    const FunctionInfo* function = functionInfoForId(functionId, family);
    if (!function || function->actionSet.empty())
        return;
    const std::string_view action = sectionSettingsState().settings.defaultActionFor(functionId);
    if (function->functionId.starts_with("APP-") && function->appStorePath &&
        !functionApplicationInstalled(*function)) {
        prompt(*function);
        return;
    }
    runAction(*function, action, family);
}
