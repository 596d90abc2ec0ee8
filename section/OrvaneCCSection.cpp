#include "OrvaneCCSection.h"

#include "ActionMenu.h"
#include "ComposeSheets.h"
#include "IconImages.h"
#include "MediaPicking.h"
#include "Presentation.h"
#include "ScannerFlow.h"
#include "SectionState.h"
#include "SpringBoard/SBApplicationController.h"
#include "SpringBoard/SBControlCenterController.h"
#include "SpringBoard/SBIconController.h"
#include "SpringBoard/SBIconModel.h"
#include "SpringBoard/SpringBoard.h"
#include "TapDispatch.h"
#include "UIKit/UIGraphics.h"
#include "common/SectionSettings.h"
#include "objc/runtime.h"

#include "Foundation/NSNotificationCenter.h"

namespace {

// A lookup runs only while its reference is empty, so once per process.
template <typename Object, typename Lookup> void lookUpOnce(std::weak_ptr<Object>& reference, Lookup lookup) {
    if (reference.expired())
        reference = lookup();
}

std::shared_ptr<UIColor> backgroundColour(const SectionSettings& s) {
    return UIColor::colorWithRed(s.backgroundRed, s.backgroundGreen, s.backgroundBlue, s.backgroundAlpha);
}

std::shared_ptr<UIColor> separatorColour(const SectionSettings& s) {
    return UIColor::colorWithRed(s.separatorRed, s.separatorGreen, s.separatorBlue, s.separatorAlpha);
}

// The pressed look: a 1 x 1 point black veil at alpha 0.15, stretched over the button.
std::shared_ptr<UIImage> highlightImage() {
    return drawnImage(CGSizeMake(1, 1), 0, [](const CGContextRef& context) {
        CGContextSetRGBFillColor(context, 0, 0, 0, 0.15);
        UIRectFill(CGRectMake(0, 0, 1, 1));
    });
}

// The menu opens once the finger is lifted from a recognised long press, not while it is still down.
void showSlotMenu(std::size_t slot, const UIGestureRecognizer& recognizer) {
    if (recognizer.state() == UIGestureRecognizerStateEnded)
        showActionMenu(sectionSettingsState().settings.functions.at(slot - 1));
}

} // namespace

OrvaneCCSection::~OrvaneCCSection() {
    // The loader may drop a section while SpringBoard keeps running: nothing may call into it afterwards.
    if (_observing) {
        NSNotificationCenter::defaultCenter().removeObserver(this);
        unregisterFromSettingsChanges(this);
    }
}

void OrvaneCCSection::init() {
    Super::init();
    auto& state = sectionState();
    lookUpSpringBoard();
    _bundle = NSBundle::bundleForClass(NSClassFromString(staticClassName()));
    loadSettings();
    registerForSettingsChanges(this);
    _observing = true;
    state.lastSectionWidth = sectionWidth();

    const auto& settings = sectionSettingsState().settings;
    _backgroundView = UIView::make();
    _backgroundView->setBackgroundColor(backgroundColour(settings));
    const auto highlight = highlightImage();
    constexpr TapMethod taps[] = {&OrvaneCCSection::button1Pressed, &OrvaneCCSection::button2Pressed,
                                  &OrvaneCCSection::button3Pressed, &OrvaneCCSection::button4Pressed,
                                  &OrvaneCCSection::button5Pressed, &OrvaneCCSection::button6Pressed};
    constexpr PressMethod presses[] = {
        &OrvaneCCSection::button1LonePressed, &OrvaneCCSection::button2LonePressed,
        &OrvaneCCSection::button3LonePressed, &OrvaneCCSection::button4LonePressed,
        &OrvaneCCSection::button5LonePressed, &OrvaneCCSection::button6LonePressed};
    for (std::size_t index = 0; index < slotCount; ++index)
        makeSlot(index, highlight, taps[index], presses[index]);
    for (std::size_t index = 0; index < slotCount; ++index) {
        _backgroundView->addSubview(_buttons[index]);
        if (index < separatorCount)
            _backgroundView->addSubview(_separators[index]);
    }
    _view = _backgroundView;
    observeLoader();
    state.currentSection = std::static_pointer_cast<OrvaneCCSection>(shared_from_this());
}

void OrvaneCCSection::lookUpSpringBoard() {
    auto& state = sectionState();
    lookUpOnce(state.springBoardApp,
               [] { return sharedObject<SpringBoard>("SpringBoard", "sharedApplication"); });
    lookUpOnce(state.iconModel, []() -> std::shared_ptr<SBIconModel> {
        const auto map = sharedObject<SBIconViewMap>("SBIconViewMap", "homescreenMap");
        return map ? map->iconModel() : nullptr;
    });
    if (state.controlCenterController.expired()) {
        const auto controller =
            sharedObject<SBControlCenterController>("SBControlCenterController", "sharedInstance");
        state.controlCenterController = controller;
        if (controller)
            state.controlCenterViewController =
                std::dynamic_pointer_cast<UIViewController>(controller->valueForKey("_viewController"));
    }
    lookUpOnce(state.applicationController, [] {
        return sharedObject<SBApplicationController>("SBApplicationController", "sharedInstance");
    });
    lookUpOnce(state.iconController,
               [] { return sharedObject<SBIconController>("SBIconController", "sharedInstance"); });
}

void OrvaneCCSection::makeSlot(std::size_t index, const std::shared_ptr<UIImage>& highlight, TapMethod tap,
                               PressMethod press) {
    const std::weak_ptr<OrvaneCCSection> weakSelf =
        std::static_pointer_cast<OrvaneCCSection>(shared_from_this());
    auto button = UIButton::buttonWithType(UIButtonTypeCustom);
    button->setBackgroundImage(highlight, UIControlStateHighlighted);
    button->addTarget(
        [weakSelf, tap](UIControl& sender) {
            if (const auto self = weakSelf.lock())
                ((*self).*tap)(sender);
        },
        UIControlEventTouchUpInside);
    auto recognizer = UILongPressGestureRecognizer::make([weakSelf, press](UIGestureRecognizer& sender) {
        if (const auto self = weakSelf.lock())
            ((*self).*press)(sender);
    });
    button->addGestureRecognizer(recognizer);
    _buttons[index] = std::move(button);
    _longPresses[index] = std::move(recognizer);
    if (index < separatorCount) {
        _separators[index] = UIView::make();
        _separators[index]->setBackgroundColor(separatorColour(sectionSettingsState().settings));
    }
}

void OrvaneCCSection::observeLoader() {
    const std::weak_ptr<OrvaneCCSection> weakSelf =
        std::static_pointer_cast<OrvaneCCSection>(shared_from_this());
    const auto observe = [&](const char* name, void (OrvaneCCSection::*method)()) {
        NSNotificationCenter::defaultCenter().addObserver(
            this,
            [weakSelf, method](const NSNotification&) {
                if (const auto self = weakSelf.lock())
                    ((*self).*method)();
            },
            name, nullptr);
    };
    observe(CaddexCCDidAppearNotification, &OrvaneCCSection::controlCenterDidAppear);
    observe(CaddexCCWillDisappearNotification, &OrvaneCCSection::controlCenterWillDisappear);
}

void OrvaneCCSection::controlCenterWillAppear() {
    auto& settingsState = sectionSettingsState();
    auto& state = sectionState();
    if (!settingsState.iconsCurrent) {
        reloadIcons();
        settingsState.iconsCurrent = true;
    }
    applyColours();
    const double width = sectionWidth();
    if (settingsState.layoutDirty || width != state.lastSectionWidth) {
        state.lastSectionWidth = width;
        layoutSubviews();
        settingsState.layoutDirty = false;
    }
    _backgroundView->setHidden(deviceLocked() || settingsState.enabledCount == 0);
    state.warmUpDone = false;
}

void OrvaneCCSection::applyColours() {
    const auto& settings = sectionSettingsState().settings;
    _backgroundView->setBackgroundColor(backgroundColour(settings));
    const auto separators = separatorColour(settings);
    for (const auto& separator : _separators)
        separator->setBackgroundColor(separators);
    for (const auto& button : _buttons)
        button->setAlpha(settings.buttonAlpha);
}

void OrvaneCCSection::controlCenterDidAppear() {
    auto& state = sectionState();
    const double width = sectionWidth();
    if (width != state.lastSectionWidth) {
        state.lastSectionWidth = width;
        layoutSubviews();
    }
}

// No sheet outlives Control Center.
void OrvaneCCSection::controlCenterWillDisappear() {
    closePresentedController();
}

double OrvaneCCSection::sectionWidth() const {
    if (const auto superview = _backgroundView ? _backgroundView->superview() : nullptr)
        return superview->frame().size.width;
    const auto controller = sectionState().controlCenterController.lock();
    const auto controlCenterView = controller ? controller->view() : nullptr;
    return controlCenterView ? controlCenterView->frame().size.width : 0;
}

bool OrvaneCCSection::deviceLocked() const {
    const auto springBoard = sectionState().springBoardApp.lock();
    return springBoard && springBoard->isLocked();
}

void OrvaneCCSection::button1Pressed(UIControl&) {
    performSlotAction(1);
}
void OrvaneCCSection::button2Pressed(UIControl&) {
    performSlotAction(2);
}
void OrvaneCCSection::button3Pressed(UIControl&) {
    performSlotAction(3);
}
void OrvaneCCSection::button4Pressed(UIControl&) {
    performSlotAction(4);
}
void OrvaneCCSection::button5Pressed(UIControl&) {
    performSlotAction(5);
}
void OrvaneCCSection::button6Pressed(UIControl&) {
    performSlotAction(6);
}

// The slot's function is read at the moment of the tap, as is its action.
void OrvaneCCSection::performSlotAction(std::size_t slot) {
    performDefaultAction(sectionSettingsState().settings.functions.at(slot - 1));
}

// The error of a mail that failed is not shown: the sheet has said so.
void OrvaneCCSection::mailComposeControllerDidFinishWithResult(
    const std::shared_ptr<MFMailComposeViewController>& controller, MFMailComposeResult result,
    const std::optional<std::string>&) {
    mailComposeFinished(controller, result);
}

void OrvaneCCSection::messageComposeViewControllerDidFinishWithResult(
    const std::shared_ptr<MFMessageComposeViewController>& controller, MessageComposeResult result) {
    messageComposeFinished(controller, result);
}

void OrvaneCCSection::imagePickerControllerDidFinishPickingMediaWithInfo(
    const std::shared_ptr<UIImagePickerController>& picker,
    const std::optional<UIImagePickerMediaInfo>& info) {
    imagePickerFinished(picker, info);
}

void OrvaneCCSection::imagePickerControllerDidCancel(const std::shared_ptr<UIImagePickerController>& picker) {
    imagePickerCancelled(picker);
}

void OrvaneCCSection::button1LonePressed(UIGestureRecognizer& recognizer) {
    showSlotMenu(1, recognizer);
}
void OrvaneCCSection::button2LonePressed(UIGestureRecognizer& recognizer) {
    showSlotMenu(2, recognizer);
}
void OrvaneCCSection::button3LonePressed(UIGestureRecognizer& recognizer) {
    showSlotMenu(3, recognizer);
}
void OrvaneCCSection::button4LonePressed(UIGestureRecognizer& recognizer) {
    showSlotMenu(4, recognizer);
}
void OrvaneCCSection::button5LonePressed(UIGestureRecognizer& recognizer) {
    showSlotMenu(5, recognizer);
}
void OrvaneCCSection::button6LonePressed(UIGestureRecognizer& recognizer) {
    showSlotMenu(6, recognizer);
}
