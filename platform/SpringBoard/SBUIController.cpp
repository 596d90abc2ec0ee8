#include "SpringBoard/SBUIController.h"

#include "Foundation/EventLog.h"

void SBUIController::activateApplication(const std::shared_ptr<SBApplication>& application) {
    if (application)
        EventLog::record("springboard.activateApplication", {{"bundle", application->bundleIdentifier()}});
}
