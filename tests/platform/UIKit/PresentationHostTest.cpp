#include "UIKit/PresentationHost.h"
#include "MessageUI/MFMailComposeViewController.h"
#include "MessageUI/MFMessageComposeViewController.h"
#include "Social/SLComposeViewController.h"
#include "UIKit/UIActivityViewController.h"
#include "UIKit/UIAlertController.h"
#include "UIKit/UIImagePickerController.h"
#include "UIKit/UIKitHost.h"
#include "UIKit/UINavigationController.h"

#include "support/ComposeAccounts.h"
#include "support/PresentationFixture.h"
#include "support/TemporaryDevice.h"

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

// Hears what is presented by kind and keeps the callback and the controller it heard.
class KindRecorder : public PresentationHost {
  public:
    KindRecorder() { UIKitHost::setPresentationHost(this); }
    ~KindRecorder() override { UIKitHost::setPresentationHost(nullptr); }
    KindRecorder(const KindRecorder&) = delete;
    KindRecorder& operator=(const KindRecorder&) = delete;

    void didPresentAlert(const std::shared_ptr<UIAlertController>& alert, bool) override {
        heard("alert", alert);
    }
    void didPresentMailSheet(const std::shared_ptr<MFMailComposeViewController>& sheet, bool) override {
        heard("mail", sheet);
    }
    void didPresentMessageSheet(const std::shared_ptr<MFMessageComposeViewController>& sheet, bool) override {
        heard("message", sheet);
    }
    void didPresentPostSheet(const std::shared_ptr<SLComposeViewController>& sheet, bool) override {
        heard("post", sheet);
    }
    void didPresentPicker(const std::shared_ptr<UIImagePickerController>& picker, bool) override {
        heard("picker", picker);
    }
    void didPresentShareSheet(const std::shared_ptr<UIActivityViewController>& sheet, bool) override {
        heard("share", sheet);
    }
    void didPresentScanner(const std::shared_ptr<UINavigationController>& scanner, bool) override {
        heard("scanner", scanner);
    }
    void didPresentNavigation(const std::shared_ptr<UINavigationController>& navigation, bool) override {
        heard("navigation", navigation);
    }
    void didPresentPage(const std::shared_ptr<UIViewController>& page, bool) override { heard("page", page); }
    void didDismiss(const std::shared_ptr<UIViewController>& presented, bool) override {
        heard("dismissed", presented);
    }

    Lines callbacks;
    std::vector<std::shared_ptr<UIViewController>> controllers;

  private:
    void heard(std::string callback, std::shared_ptr<UIViewController> controller) {
        callbacks.push_back(std::move(callback));
        controllers.push_back(std::move(controller));
    }
};

// A page that reads codes from the camera, as the scanner's does.
class ScanningPage : public UIViewController {
    OBJC_OBJECT(ScanningPage, UIViewController)
    bool scansWithCamera() const override { return true; }
};

// One controller of each kind a host hears, in the order of the host's callbacks.
std::vector<std::shared_ptr<UIViewController>> oneOfEachKind() {
    return {
        UIAlertController::alertControllerWithTitle("Title", std::nullopt, UIAlertControllerStyleActionSheet),
        MFMailComposeViewController::make(),
        MFMessageComposeViewController::make(),
        SLComposeViewController::composeViewControllerForServiceType(SLServiceTypeTwitter),
        UIImagePickerController::make(),
        UIActivityViewController::initWithActivityItems({}, {}),
        UINavigationController::make(ScanningPage::make()),
        UINavigationController::make(UIViewController::make()),
        UIViewController::make()};
}

class PresentationHostTest : public ::testing::Test {
  protected:
    PresentationHostTest() { restoreEveryComposeAccount(); }
    ~PresentationHostTest() override { restoreEveryComposeAccount(); }
    TemporaryDevice device;
    std::shared_ptr<UIViewController> root = UIViewController::make();
};

TEST_F(PresentationHostTest, EachKindArrivesThroughTheCallbackOfItsKind) {
    KindRecorder host;
    const auto kinds = oneOfEachKind();
    for (const auto& controller : kinds) {
        ASSERT_NE(controller, nullptr);
        root->presentViewController(controller, false, nullptr);
        root->dismissViewControllerAnimated(false, nullptr);
    }
    EXPECT_EQ(host.callbacks,
              (Lines{"alert", "dismissed", "mail", "dismissed", "message", "dismissed", "post", "dismissed",
                     "picker", "dismissed", "share", "dismissed", "scanner", "dismissed", "navigation",
                     "dismissed", "page", "dismissed"}));
    for (std::size_t index = 0; index < kinds.size(); ++index) {
        EXPECT_EQ(host.controllers.at(2 * index), kinds[index]) << host.callbacks.at(2 * index);
        EXPECT_EQ(host.controllers.at(2 * index + 1), kinds[index]);
    }
}

TEST_F(PresentationHostTest, TheStackAnswersWhatIsOnTopByItsKindOnly) {
    PresentationFixture person;
    EXPECT_FALSE(person.topmost());
    EXPECT_EQ(person.topmostOf<UIViewController>(), nullptr);

    const auto kinds = oneOfEachKind();
    for (std::size_t index = 0; index < kinds.size(); ++index) {
        root->presentViewController(kinds[index], false, nullptr);
        const auto topmost = person.topmost();
        ASSERT_TRUE(topmost);
        EXPECT_EQ(topmost->index(), index) << kinds[index]->className() << " is kept as its own kind";
        EXPECT_EQ(presentedController(*topmost), kinds[index]);
        root->dismissViewControllerAnimated(false, nullptr);
    }

    const auto mail = std::static_pointer_cast<MFMailComposeViewController>(kinds[1]);
    root->presentViewController(mail, false, nullptr);
    EXPECT_EQ(person.topmostOf<MFMailComposeViewController>(), mail);
    EXPECT_EQ(person.topmostOf<UIViewController>(), nullptr) << "a mail sheet is not taken for a plain page";
    EXPECT_EQ(person.topmostOf<MFMessageComposeViewController>(), nullptr);

    const auto alert = std::static_pointer_cast<UIAlertController>(kinds[0]);
    mail->presentViewController(alert, false, nullptr);
    EXPECT_EQ(person.topmostOf<UIAlertController>(), alert);
    EXPECT_EQ(person.topmostOf<MFMailComposeViewController>(), nullptr) << "only what is on top is answered";
    EXPECT_EQ(person.shown(), (std::vector<std::shared_ptr<UIViewController>>{mail, alert}));

    EXPECT_TRUE(person.dismissTopmost());
    EXPECT_EQ(person.topmostOf<MFMailComposeViewController>(), mail);
}

TEST_F(PresentationHostTest, AScannerIsKeptApartFromOtherNavigation) {
    PresentationFixture person;
    const auto pages = UINavigationController::make(UIViewController::make());
    root->presentViewController(pages, false, nullptr);
    EXPECT_EQ(person.topmostScanner(), nullptr) << "pages in a navigation container are no scanner";
    EXPECT_EQ(person.topmostOf<UINavigationController>(), pages);
    root->dismissViewControllerAnimated(false, nullptr);

    const auto scanner = UINavigationController::make(ScanningPage::make());
    root->presentViewController(scanner, false, nullptr);
    EXPECT_EQ(person.topmostScanner(), scanner);
    EXPECT_EQ(person.topmostOf<UINavigationController>(), nullptr) << "the scanner is not taken for pages";
    EXPECT_EQ(person.shown(), (std::vector<std::shared_ptr<UIViewController>>{scanner}));
    EXPECT_TRUE(person.dismissTopmost());
    EXPECT_EQ(person.topmostScanner(), nullptr);
    EXPECT_FALSE(person.topmost());
}

} // namespace
