#include "SpringBoard/SBUIController.h"

#include "SpringBoard/SpringBoardHost.h"

void SBUIController::activateApplication(const std::shared_ptr<SBApplication>& application) {
    if (application)
        SpringBoardHost::recordAction("activateApplication " + application->bundleIdentifier());
}
