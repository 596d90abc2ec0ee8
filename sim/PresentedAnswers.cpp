#include "PresentedAnswers.h"

#include "Foundation/NSURL.h"
#include "MessageUI/MFMailComposeViewController.h"
#include "MessageUI/MFMessageComposeViewController.h"
#include "Social/SLComposeViewController.h"
#include "UIKit/UIActivityViewController.h"
#include "UIKit/UIAlertController.h"
#include "UIKit/UIImage.h"
#include "UIKit/UIImagePickerController.h"
#include "UIKit/UINavigationController.h"

#include <cmath>

std::string answeringCommand(const Presented& presented) {
    using Command = std::string;
    return std::visit(
        ByKind{
            [](const std::shared_ptr<UIAlertController>&) -> Command { return "choose TITLE"; },
            [](const std::shared_ptr<MFMailComposeViewController>&) -> Command {
                return "sheet send|save|fail|cancel";
            },
            [](const std::shared_ptr<MFMessageComposeViewController>&) -> Command {
                return "sheet send|fail|cancel";
            },
            [](const std::shared_ptr<SLComposeViewController>&) -> Command { return "sheet post|cancel"; },
            [](const std::shared_ptr<UIImagePickerController>& picker) -> Command {
                return picker->sourceType() == UIImagePickerControllerSourceTypeCamera
                           ? "picker take FILE|cancel"
                           : "picker choose NAME|cancel";
            },
            [](const std::shared_ptr<UIActivityViewController>&) -> Command {
                return "share ACTIVITY|cancel";
            },
            [](const std::shared_ptr<UINavigationController>&) -> Command {
                return "camera show FILE, or scan cancel";
            },
            [](const std::shared_ptr<UIViewController>&) -> Command { return "dismiss"; },
        },
        presented);
}

std::string answerHint(const Presented& presented) {
    return std::string(presentedController(presented)->className()) + " is presented: answer it with " +
           answeringCommand(presented) + " (alert shows it)";
}

std::string notPresented(const PresentationStack& presented, std::string_view what) {
    const auto topmost = presented.topmost();
    return "no " + std::string(what) + " is presented" + (topmost ? "; " + answerHint(*topmost) : "");
}

void printShareSheet(const UIActivityViewController& sheet, std::ostream& out) {
    for (const auto& item : sheet.activityItems()) {
        if (const auto* url = dynamic_cast<const NSURL*>(item.get())) {
            out << "item: " << (url->isFileURL() ? "file URL " : "URL ") << url->absoluteString() << "\n";
        } else if (const auto* image = dynamic_cast<const UIImage*>(item.get())) {
            const auto size = image->size();
            out << "item: image, " << std::lround(size.width * image->scale()) << " x "
                << std::lround(size.height * image->scale()) << " pixels\n";
        } else {
            out << "item: " << item->className() << "\n";
        }
    }
    for (const auto type : sheet.activityTypes())
        out << "activity: " << type << "\n";
}
