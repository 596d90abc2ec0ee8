#include "ScannerFlow.h"

#include "ApplicationLaunch.h"
#include "OrvaneCCSection.h"
#include "Presentation.h"
#include "SectionState.h"
#include "UIKit/UIAlertController.h"
#include "UIKit/UINavigationController.h"
#include "UIKit/UIPasteboard.h"
#include "scanner/QRCodeReaderViewController.h"

namespace {

// Copy and Open empty the slot before Control Center may go: its going closes what the slot holds, and the
// alert is closing already.
void copyResult(const std::string& result) {
    UIPasteboard::generalPasteboard().setString(result);
    sectionState().presentedController = nullptr;
    dismissControlCenterIfWanted();
}

void openResult(const std::string& result) {
    sectionState().presentedController = nullptr;
    dismissControlCenterIfWanted();
    openURLString(result);
}

// "Open" is offered for every text: a text that is no URL opens nothing.
std::shared_ptr<UIAlertController> scanResultAlert(const std::string& result) {
    const auto alert = UIAlertController::alertControllerWithTitle(localizedString("Scan Result"), result,
                                                                   UIAlertControllerStyleAlert);
    alert->addAction(UIAlertAction::actionWithTitle(localizedString("Copy"), UIAlertActionStyleDefault,
                                                    [result](UIAlertAction&) { copyResult(result); }));
    alert->addAction(UIAlertAction::actionWithTitle(localizedString("Open"), UIAlertActionStyleDefault,
                                                    [result](UIAlertAction&) { openResult(result); }));
    alert->setPreferredAction(closingAction(alert, "Cancel", UIAlertActionStyleCancel));
    return alert;
}

// The result and the cancellation both close the scanner and its navigation controller first.
void closeScanner(QRCodeReaderViewController& reader) {
    reader.dismissViewControllerAnimated(true, nullptr);
    closePresentedController();
}

} // namespace

// The scanner goes without the warm-up: it is a full-screen controller, not a sheet.
void presentScanner() {
    closePresentedController();
    if (presentLandscapeAlertIfNeeded())
        return;
    const auto section = sectionState().currentSection.lock();
    if (!section)
        return;
    const auto reader = QRCodeReaderViewController::readerWithCancelButtonTitle(localizedString("Cancel"));
    // The completion block is what makes the scanner beep; the result itself comes through the delegate.
    reader->setCompletionWithBlock([](const std::optional<std::string>&) {});
    reader->setDelegate(std::static_pointer_cast<QRCodeReaderDelegate>(section));
    presentOverControlCenter(UINavigationController::make(reader));
}

void OrvaneCCSection::readerDidScanResult(QRCodeReaderViewController& reader,
                                          const std::optional<std::string>& result) {
    closeScanner(reader);
    if (result && !result->empty())
        presentOverControlCenter(scanResultAlert(*result));
}

void OrvaneCCSection::readerDidCancel(QRCodeReaderViewController& reader) {
    closeScanner(reader);
}
