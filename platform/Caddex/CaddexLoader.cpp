#include "Caddex/CaddexLoader.h"

#include "Device/EventLog.h"
#include "Foundation/NSBundle.h"
#include "Foundation/NSNotificationCenter.h"
#include "SpringBoard/SpringBoardHost.h"

#include <cstdio>

namespace {

std::string formatNumber(CGFloat value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

} // namespace

CaddexLoader::CaddexLoader(std::shared_ptr<SBControlCenterController> controlCenter)
    : _controlCenter(std::move(controlCenter)) {
    SpringBoardHost::setDismissHandler(*_controlCenter, [this] { disappear(); });
}

CaddexLoader::~CaddexLoader() {
    SpringBoardHost::setDismissHandler(*_controlCenter, nullptr);
    if (_container)
        _container->removeFromSuperview();
}

bool CaddexLoader::loadSection(std::string_view bundlePath) {
    if (_section)
        return true;
    const auto bundle = NSBundle::bundleWithPath(bundlePath);
    const Class principal = bundle ? bundle->principalClass() : nullptr;
    auto section = std::dynamic_pointer_cast<CCSection>(principal ? principal->makeInstance() : nullptr);
    const auto view = section ? section->view() : nullptr;
    if (!view)
        return false;
    _section = std::move(section);
    _container = UIView::make();
    _container->addSubview(view);
    _controlCenter->view()->addSubview(_container);
    fitContainer();
    return true;
}

bool CaddexLoader::appear(const std::function<void()>& onScreen) {
    if (_controlCenter->isVisible())
        return false;
    if (_section) {
        _section->controlCenterWillAppear();
        fitContainer();
    }
    SpringBoardHost::setVisible(*_controlCenter, true);
    if (onScreen)
        onScreen();
    EventLog::record("controlcenter.opened",
                     {{"width", formatNumber(_controlCenter->view()->frame().size.width)},
                      {"section", _section ? "loaded" : "none"}});
    NSNotificationCenter::defaultCenter().postNotificationName(CaddexCCDidAppearNotification, nullptr);
    return true;
}

bool CaddexLoader::disappear() {
    if (!_controlCenter->isVisible())
        return false;
    NSNotificationCenter::defaultCenter().postNotificationName(CaddexCCWillDisappearNotification, nullptr);
    SpringBoardHost::setVisible(*_controlCenter, false);
    if (_section)
        _section->controlCenterDidDisappear();
    EventLog::record("controlcenter.closed");
    return true;
}

void CaddexLoader::setControlCenterWidth(CGFloat width) {
    SpringBoardHost::setWidth(*_controlCenter, width);
    if (_container) {
        CGRect frame = _container->frame();
        frame.size.width = width;
        _container->setFrame(frame);
    }
}

void CaddexLoader::fitContainer() {
    _container->setFrame(
        CGRectMake(0, 0, _controlCenter->view()->frame().size.width, _section->sectionHeight()));
}
