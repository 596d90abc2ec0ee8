#include "SpringBoard/SBIconController.h"

#include "SpringBoard/SpringBoardHost.h"

void SBIconController::_activateShortcutItem(const std::shared_ptr<SBSApplicationShortcutItem>& item,
                                             const std::shared_ptr<SBApplication>& application) {
    if (item && application)
        SpringBoardHost::recordAction("activateShortcutItem " + item->type() + " fromApplication " +
                                      application->bundleIdentifier());
}
