#pragma once

#include "Caddex/CCSection.h"
#include "Foundation/NSBundle.h"
#include "Foundation/NSObject.h"
#include "MessageUI/MFMessageComposeViewController.h"
#include "UIKit/UIButton.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIGestureRecognizer.h"
#include "UIKit/UIImagePickerController.h"
#include "UIKit/UIView.h"
#include "scanner/QRCodeReaderViewController.h"

#include <array>
#include <memory>

// The Control Center section: a row of up to six buttons, each showing one function of the catalogue.
// Settings changes only raise flags; the next appearance rebuilds images, recolours and lays out as they say.
// The section is the delegate of every mail and message sheet, picker and scanner it shows.
class OrvaneCCSection : public NSObject,
                        public CCSection,
                        public MFMailComposeViewControllerDelegate,
                        public MFMessageComposeViewControllerDelegate,
                        public UIImagePickerControllerDelegate,
                        public QRCodeReaderDelegate {
    OBJC_OBJECT(OrvaneCCSection, NSObject)
    static constexpr std::size_t slotCount = 6;
    static constexpr std::size_t separatorCount = slotCount - 1;

    ~OrvaneCCSection() override;

    // CCSection
    std::shared_ptr<UIView> view() const override { return _view; }
    double sectionHeight() const override;
    void controlCenterWillAppear() override;
    void controlCenterDidDisappear() override {}

    // Driven by the loader's notifications.
    void controlCenterDidAppear();
    void controlCenterWillDisappear();

    // The sheets and the picker, answered.
    void
    mailComposeControllerDidFinishWithResult(const std::shared_ptr<MFMailComposeViewController>& controller,
                                             MFMailComposeResult result,
                                             const std::optional<std::string>& error) override;
    void messageComposeViewControllerDidFinishWithResult(
        const std::shared_ptr<MFMessageComposeViewController>& controller,
        MessageComposeResult result) override;
    void imagePickerControllerDidFinishPickingMediaWithInfo(
        const std::shared_ptr<UIImagePickerController>& picker,
        const std::optional<UIImagePickerMediaInfo>& info) override;
    void imagePickerControllerDidCancel(const std::shared_ptr<UIImagePickerController>& picker) override;

    double sectionWidth() const;
    virtual void layoutSubviews();
    virtual void reloadIcons();

    const std::shared_ptr<NSBundle>& bundle() const { return _bundle; }
    void setBundle(std::shared_ptr<NSBundle> bundle) { _bundle = std::move(bundle); }
    void setView(std::shared_ptr<UIView> view) { _view = std::move(view); }

    // Taps and long presses, one method per slot.
    virtual void button1Pressed(UIControl& sender);
    virtual void button2Pressed(UIControl& sender);
    virtual void button3Pressed(UIControl& sender);
    virtual void button4Pressed(UIControl& sender);
    virtual void button5Pressed(UIControl& sender);
    virtual void button6Pressed(UIControl& sender);
    virtual void button1LonePressed(UIGestureRecognizer& recognizer);
    virtual void button2LonePressed(UIGestureRecognizer& recognizer);
    virtual void button3LonePressed(UIGestureRecognizer& recognizer);
    virtual void button4LonePressed(UIGestureRecognizer& recognizer);
    virtual void button5LonePressed(UIGestureRecognizer& recognizer);
    virtual void button6LonePressed(UIGestureRecognizer& recognizer);

    // The scanner closes; a non-empty result is offered in the "Scan Result" alert.
    void readerDidScanResult(QRCodeReaderViewController& reader,
                             const std::optional<std::string>& result) override;
    void readerDidCancel(QRCodeReaderViewController& reader) override;

    // The views, for the host's inspection and for tests.
    const std::shared_ptr<UIView>& backgroundView() const { return _backgroundView; }
    const std::shared_ptr<UIButton>& button(std::size_t slot) const { return _buttons.at(slot - 1); }
    const std::shared_ptr<UIView>& separator(std::size_t index) const { return _separators.at(index - 1); }
    const std::shared_ptr<UILongPressGestureRecognizer>& longPress(std::size_t slot) const {
        return _longPresses.at(slot - 1);
    }

  protected:
    OrvaneCCSection() = default;
    // The creation steps: they need the shared_ptr that owns the section.
    void init() override;

  private:
    using TapMethod = void (OrvaneCCSection::*)(UIControl&);
    using PressMethod = void (OrvaneCCSection::*)(UIGestureRecognizer&);

    void lookUpSpringBoard();
    void makeSlot(std::size_t index, const std::shared_ptr<UIImage>& highlight, TapMethod tap,
                  PressMethod press);
    void observeLoader();
    void applyColours();
    void performSlotAction(std::size_t slot);
    bool deviceLocked() const;

    std::shared_ptr<UIView> _backgroundView;
    std::array<std::shared_ptr<UIButton>, slotCount> _buttons;
    std::array<std::shared_ptr<UIView>, separatorCount> _separators;
    std::array<std::shared_ptr<UILongPressGestureRecognizer>, slotCount> _longPresses;
    std::shared_ptr<NSBundle> _bundle;
    std::shared_ptr<UIView> _view;
    bool _observing = false;
};
