#include "SpringBoard/SBApplicationController.h"
#include "SpringBoard/SBControlCenterController.h"
#include "SpringBoard/SBIconController.h"
#include "SpringBoard/SBIconModel.h"
#include "SpringBoard/SBUIController.h"
#include "SpringBoard/SpringBoard.h"

namespace {

// SpringBoard owns these; class methods answer them and a host replaces them all at once.
struct SharedObjects {
    std::shared_ptr<SpringBoard> application = SpringBoard::make();
    std::shared_ptr<SBIconViewMap> homescreenMap = SBIconViewMap::make();
    std::shared_ptr<SBUIController> uiController = SBUIController::make();
    std::shared_ptr<SBApplicationController> applicationController = SBApplicationController::make();
    std::shared_ptr<SBIconController> iconController = SBIconController::make();
    std::shared_ptr<SBControlCenterController> controlCenterController = SBControlCenterController::make();
};

SharedObjects& shared() {
    static SharedObjects objects;
    return objects;
}

} // namespace

std::shared_ptr<SpringBoard> SpringBoard::sharedApplication() {
    return shared().application;
}
std::shared_ptr<SBIconViewMap> SBIconViewMap::homescreenMap() {
    return shared().homescreenMap;
}
std::shared_ptr<SBUIController> SBUIController::sharedInstance() {
    return shared().uiController;
}
std::shared_ptr<SBApplicationController> SBApplicationController::sharedInstance() {
    return shared().applicationController;
}
std::shared_ptr<SBIconController> SBIconController::sharedInstance() {
    return shared().iconController;
}
std::shared_ptr<SBControlCenterController> SBControlCenterController::sharedInstance() {
    return shared().controlCenterController;
}

void SpringBoard::resetSharedObjects(Badge<SpringBoardHost>) {
    shared() = SharedObjects();
}
