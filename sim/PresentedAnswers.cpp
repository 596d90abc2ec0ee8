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
#include <nlohmann/json.hpp>

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
            [](const PresentedScanner&) -> Command { return "camera show FILE, or scan cancel"; },
            [](const std::shared_ptr<UINavigationController>&) -> Command { return "dismiss"; },
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

Json shareSheetJson(const UIActivityViewController& sheet) {
    auto items = Json::array();
    for (const auto& item : sheet.activityItems()) {
        if (const auto* url = dynamic_cast<const NSURL*>(item.get())) {
            items.push_back(
                {{"type", url->isFileURL() ? "file URL" : "URL"}, {"url", url->absoluteString()}});
        } else if (const auto* image = dynamic_cast<const UIImage*>(item.get())) {
            const auto size = image->size();
            items.push_back({{"type", "image"},
                             {"width", std::lround(size.width * image->scale())},
                             {"height", std::lround(size.height * image->scale())}});
        } else {
            items.push_back({{"type", item->className()}});
        }
    }
    auto activities = Json::array();
    for (const auto type : sheet.activityTypes())
        activities.push_back(type);
    return {{"items", std::move(items)}, {"activities", std::move(activities)}};
}

void printShareSheet(const UIActivityViewController& sheet, std::ostream& out) {
    const auto shown = shareSheetJson(sheet);
    for (const auto& item : shown["items"]) {
        const auto type = item["type"].get<std::string>();
        out << "item: ";
        if (item.contains("url"))
            out << type << " " << item["url"].get<std::string>();
        else if (type == "image")
            out << "image, " << item["width"].get<long>() << " x " << item["height"].get<long>() << " pixels";
        else
            out << type;
        out << "\n";
    }
    for (const auto& type : shown["activities"])
        out << "activity: " << type.get<std::string>() << "\n";
}
