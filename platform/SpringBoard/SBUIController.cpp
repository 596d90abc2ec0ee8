#include "SpringBoard/SBUIController.h"

#include "Device/EventLog.h"

void SBUIController::activateApplication(const std::shared_ptr<SBApplication>& application) {
    if (application)
        EventLog::record("springboard.activateApplication", {{"bundle", application->bundleIdentifier()}});
}
