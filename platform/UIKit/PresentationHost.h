#pragma once

#include "objc/objc-api.h"

#include "objc/Badge.h"

#include <memory>
#include <optional>
#include <string_view>
#include <variant>
#include <vector>

enum MFMailComposeResult : int;
enum MessageComposeResult : int;
enum SLComposeViewControllerResult : int;
class MFMailComposeViewController;
class MFMessageComposeViewController;
class SLComposeViewController;
class UIActivityViewController;
class UIAlertController;
class NSURL;
class UIImage;
class UIImagePickerController;
class UIKitHost;
class UINavigationController;
class UIViewController;

// The scanner: a navigation container whose page on top reads codes from the camera. It is a kind apart from
// other navigation containers, though a navigation controller too, so that no host takes one for the other.
template <typename Pointer> struct ScannerKind { Pointer navigation; };
using PresentedScanner = ScannerKind<std::shared_ptr<UINavigationController>>;

// What is presented, as its kind: an alert or a menu, a mail, message or post sheet, a picker, a share sheet,
// the scanner, a navigation container of other pages, or any other controller. Each kind is a type of its
// own, so that a host chooses what to do by kind (std::visit, or std::get_if for one kind), and a kind added
// here does not compile until every visit handles it.
template <template <typename...> typename Pointer>
using PresentedKind = std::variant<
    Pointer<UIAlertController>, Pointer<MFMailComposeViewController>, Pointer<MFMessageComposeViewController>,
    Pointer<SLComposeViewController>, Pointer<UIImagePickerController>, Pointer<UIActivityViewController>,
    ScannerKind<Pointer<UINavigationController>>, Pointer<UINavigationController>, Pointer<UIViewController>>;
using Presented = PresentedKind<std::shared_ptr>;

// One function a kind, for std::visit over what is presented: a kind without a function of its own does not
// compile, where a function for any controller would quietly take it.
template <typename... Functions> struct ByKind : Functions... {
    using Functions::operator()...;
    template <typename Unhandled> void operator()(const Unhandled&) const = delete;
};
template <typename... Functions> ByKind(Functions...) -> ByKind<Functions...>;

// What shows presented controllers to the person and answers for the person: the simulator, or a test
// fixture. UIKit tells it of each presentation by a callback for the kind of what is presented, so that a
// new kind does not compile until every host shows it; a process without a host still presents and
// dismisses, with nobody to see it. Hosts only: a plug-in never registers one.
class ORVANE_EXPORT PresentationHost {
  public:
    virtual ~PresentationHost() = default;

    // Registers the host of this process (nullptr for none); a host unregisters itself before it is
    // destroyed.
    static void setCurrent(Badge<UIKitHost>, PresentationHost* host);
    static PresentationHost* current();

    // An alert, or a menu (an alert controller in the action sheet style).
    virtual void didPresentAlert(const std::shared_ptr<UIAlertController>& alert, bool animated) = 0;
    virtual void didPresentMailSheet(const std::shared_ptr<MFMailComposeViewController>& sheet,
                                     bool animated) = 0;
    virtual void didPresentMessageSheet(const std::shared_ptr<MFMessageComposeViewController>& sheet,
                                        bool animated) = 0;
    virtual void didPresentPostSheet(const std::shared_ptr<SLComposeViewController>& sheet,
                                     bool animated) = 0;
    virtual void didPresentPicker(const std::shared_ptr<UIImagePickerController>& picker, bool animated) = 0;
    virtual void didPresentShareSheet(const std::shared_ptr<UIActivityViewController>& sheet,
                                      bool animated) = 0;
    // The scanner, in the navigation container it is shown in.
    virtual void didPresentScanner(const std::shared_ptr<UINavigationController>& scanner, bool animated) = 0;
    // Other pages in a navigation container.
    virtual void didPresentNavigation(const std::shared_ptr<UINavigationController>& navigation,
                                      bool animated) = 0;
    // Any other controller.
    virtual void didPresentPage(const std::shared_ptr<UIViewController>& page, bool animated) = 0;

    virtual void didDismiss(const std::shared_ptr<UIViewController>& presented, bool animated) = 0;
};

// A host that keeps what is shown, bottom first, so that the person can answer it later.
class ORVANE_EXPORT PresentationStack : public PresentationHost {
  public:
    void didPresentAlert(const std::shared_ptr<UIAlertController>& alert, bool animated) override;
    void didPresentMailSheet(const std::shared_ptr<MFMailComposeViewController>& sheet,
                             bool animated) override;
    void didPresentMessageSheet(const std::shared_ptr<MFMessageComposeViewController>& sheet,
                                bool animated) override;
    void didPresentPostSheet(const std::shared_ptr<SLComposeViewController>& sheet, bool animated) override;
    void didPresentPicker(const std::shared_ptr<UIImagePickerController>& picker, bool animated) override;
    void didPresentShareSheet(const std::shared_ptr<UIActivityViewController>& sheet, bool animated) override;
    void didPresentScanner(const std::shared_ptr<UINavigationController>& scanner, bool animated) override;
    void didPresentNavigation(const std::shared_ptr<UINavigationController>& navigation,
                              bool animated) override;
    void didPresentPage(const std::shared_ptr<UIViewController>& page, bool animated) override;
    void didDismiss(const std::shared_ptr<UIViewController>& presented, bool animated) override;

    // What is shown now, bottom first.
    std::vector<std::shared_ptr<UIViewController>> shown() const;
    // What the person sees on top, by its kind; nothing when nothing is shown.
    std::optional<Presented> topmost() const;
    // The topmost presented controller when it is of the kind `Controller`, else nothing.
    template <typename Controller> std::shared_ptr<Controller> topmostOf() const {
        const auto shown = topmost();
        const auto* kind = shown ? std::get_if<std::shared_ptr<Controller>>(&*shown) : nullptr;
        return kind ? *kind : nullptr;
    }
    // The navigation container of the scanner when the scanner is on top, else nothing.
    std::shared_ptr<UINavigationController> topmostScanner() const;
    // The person dismisses the topmost presented controller, as a sheet is swiped away; false when nothing is
    // shown.
    bool dismissTopmost();

  private:
    // Each presented kind is kept as it was presented, without keeping it alive.
    template <typename Controller> void keep(const std::shared_ptr<Controller>& presented) {
        _shown.emplace_back(std::in_place_type<std::weak_ptr<Controller>>, presented);
    }
    void keepScanner(const std::shared_ptr<UINavigationController>& scanner) {
        _shown.emplace_back(ScannerKind<std::weak_ptr<UINavigationController>>{scanner});
    }
    std::vector<Presented> shownKinds() const;

    std::vector<PresentedKind<std::weak_ptr>> _shown;
};

// The presented controller of any kind, as a controller.
ORVANE_EXPORT std::shared_ptr<UIViewController> presentedController(const Presented& presented);

// What the person does with what is presented, which only a host does for them: sends, saves or cancels a
// sheet, chooses an alert's action, picks in a picker or cancels it, completes an activity of the share sheet
// or cancels it. Only this class, in the hosts' library, does it: the controllers declare none of it and let
// this class alone in to their delegates and handlers, so that a plug-in cannot answer its own sheet.
class ORVANE_EXPORT PersonAnswers {
  public:
    static void finishWithResult(MFMailComposeViewController& sheet, MFMailComposeResult result);
    static void finishWithResult(MFMessageComposeViewController& sheet, MessageComposeResult result);
    static void finishWithResult(SLComposeViewController& sheet, SLComposeViewControllerResult result);
    // The alert goes away, then the action's handler runs; false, doing nothing, when the alert has no such
    // action.
    static bool chooseActionWithTitle(UIAlertController& alert, std::string_view title);
    // A photo or video the picker does not offer (its media types) is refused: false, and nothing reaches the
    // delegate.
    static bool pickPhoto(UIImagePickerController& picker, const std::shared_ptr<UIImage>& photo,
                          std::string_view fileName);
    static bool pickVideo(UIImagePickerController& picker, const std::shared_ptr<NSURL>& file);
    static void cancel(UIImagePickerController& picker);
    // False for an activity the sheet does not offer.
    static bool performActivity(UIActivityViewController& sheet, std::string_view activityType);
    static void cancel(UIActivityViewController& sheet);
};
