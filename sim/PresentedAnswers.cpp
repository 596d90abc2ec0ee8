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

std::string answeringCommand(const UIViewController& controller) {
    if (dynamic_cast<const UIAlertController*>(&controller))
        return "choose TITLE";
    if (dynamic_cast<const MFMailComposeViewController*>(&controller))
        return "sheet send|save|fail|cancel";
    if (dynamic_cast<const MFMessageComposeViewController*>(&controller))
        return "sheet send|fail|cancel";
    if (dynamic_cast<const SLComposeViewController*>(&controller))
        return "sheet post|cancel";
    if (const auto* picker = dynamic_cast<const UIImagePickerController*>(&controller))
        return picker->sourceType() == UIImagePickerControllerSourceTypeCamera ? "picker take FILE|cancel"
                                                                               : "picker choose NAME|cancel";
    if (dynamic_cast<const UIActivityViewController*>(&controller))
        return "share ACTIVITY|cancel";
    if (dynamic_cast<const UINavigationController*>(&controller))
        return "camera show FILE, or scan cancel";
    return "dismiss";
}

std::string answerHint(const UIViewController& controller) {
    return std::string(controller.className()) + " is presented: answer it with " +
           answeringCommand(controller) + " (alert shows it)";
}

std::string notPresented(const PresentationStack& presented, std::string_view what) {
    const auto shown = presented.shown();
    return "no " + std::string(what) + " is presented" +
           (shown.empty() ? "" : "; " + answerHint(*shown.back()));
}

void printShareSheet(const UIViewController& controller, std::ostream& out) {
    const auto* sheet = dynamic_cast<const UIActivityViewController*>(&controller);
    if (!sheet)
        return;
    for (const auto& item : sheet->activityItems()) {
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
    for (const auto type : sheet->activityTypes())
        out << "activity: " << type << "\n";
}
