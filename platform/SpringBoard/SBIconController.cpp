#include "SpringBoard/SBIconController.h"

#include "Device/EventLog.h"

void SBIconController::_activateShortcutItem(const std::shared_ptr<SBSApplicationShortcutItem>& item,
                                             const std::shared_ptr<SBApplication>& application) {
    if (item && application)
        EventLog::record("springboard.activateShortcutItem",
                         {{"type", item->type()}, {"bundle", application->bundleIdentifier()}});
}
