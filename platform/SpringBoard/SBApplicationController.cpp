#include "SpringBoard/SBApplicationController.h"

std::shared_ptr<SBApplication>
SBApplicationController::applicationWithBundleIdentifier(std::string_view bundleIdentifier) const {
    const auto found = _applications.find(bundleIdentifier);
    return found == _applications.end() ? nullptr : found->second;
}

void SBApplicationController::addApplication(Badge<SpringBoardHost>,
                                             std::shared_ptr<SBApplication> application) {
    const std::string bundleIdentifier = application->bundleIdentifier();
    _applications.insert_or_assign(bundleIdentifier, std::move(application));
}
