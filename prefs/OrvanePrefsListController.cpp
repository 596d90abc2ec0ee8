#include "OrvanePrefsListController.h"

#include "Foundation/NSBundle.h"
#include "common/SettingsWriter.h"

namespace {

constexpr std::string_view sectionBundlePath = "/Library/Caddex/Bundles/OrvaneCC.bundle";

using Action = void (OrvanePrefsListController::*)();
constexpr std::pair<std::string_view, Action> actions[] = {
    {"resetButtons", &OrvanePrefsListController::resetButtons},
    {"resetHeight", &OrvanePrefsListController::resetHeight},
    {"resetAll", &OrvanePrefsListController::resetAll},
    {"donate", &OrvanePrefsListController::donate},
    {"followTwitter", &OrvanePrefsListController::followTwitter},
    {"followWeibo", &OrvanePrefsListController::followWeibo},
};

// "Donate" in the section bundle's strings table; the key itself when the table or the bundle is missing.
std::string donateTitle() {
    const auto bundle = NSBundle::bundleWithPath(sectionBundlePath);
    return bundle ? bundle->localizedStringForKey("Donate", "", "Localizable") : "Donate";
}

constexpr std::string_view resetIds[] = {"RESET_BUTTONS", "RESET_HEIGHT", "RESET_ALL"};

} // namespace

void OrvanePrefsListController::viewDidLoad() {
    Super::viewDidLoad();
    const std::weak_ptr<OrvanePrefsListController> page =
        std::static_pointer_cast<OrvanePrefsListController>(shared_from_this());
    navigationItem()->setRightBarButtonItem(
        UIBarButtonItem::make(donateTitle(), UIBarButtonItemStylePlain, [page](UIBarButtonItem&) {
            if (const auto shown = page.lock())
                shown->donate();
        }));
}

bool OrvanePrefsListController::performAction(std::string_view selector) {
    return performNamedAction<OrvanePrefsListController>(*this, actions, selector);
}

std::span<const std::string_view> OrvanePrefsListController::resetButtonIds() const {
    return resetIds;
}

void OrvanePrefsListController::resetButtons() {
    resetThenReload(::resetButtons);
}

void OrvanePrefsListController::resetHeight() {
    resetThenReload(::resetHeight);
}

void OrvanePrefsListController::resetAll() {
    if (::resetAll())
        reload();
}

void OrvanePrefsListController::donate() {
    openMakerPage(makerDonationURL);
}

void OrvanePrefsListController::followTwitter() {
    openMakerPage(makerTwitterURL);
}

void OrvanePrefsListController::followWeibo() {
    openMakerPage(makerWeiboURL);
}
