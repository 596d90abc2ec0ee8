#include "PersonCommands.h"

#include "CommandOptions.h"
#include "ParseNumber.h"
#include "PresentedAnswers.h"
#include "SpringBoard/SBControlCenterController.h"
#include "SpringBoard/SpringBoard.h"
#include "SpringBoard/SpringBoardHost.h"
#include "UIKit/UIAlertController.h"
#include "UIKit/UIButton.h"
#include "UIKit/UIGestureRecognizer.h"
#include "ViewTree.h"
#include "objc/runtime.h"

#include <algorithm>
#include <iomanip>
#include <nlohmann/json.hpp>

namespace {

void printText(std::ostream& out, std::string_view label, const std::optional<std::string>& text) {
    out << label << ": ";
    if (text)
        out << std::quoted(*text);
    else
        out << "none";
    out << "\n";
}

void printAlert(const UIAlertController& alert, std::ostream& out) {
    out << "UIAlertController, " << alert.styleName() << " style\n";
    printText(out, "title", alert.title());
    printText(out, "message", alert.message());
    for (const auto& action : alert.actions()) {
        out << "action: " << std::quoted(action->title()) << " (" << UIAlertActionStyleName(action->style())
            << (action == alert.preferredAction() ? ", preferred" : "") << ")\n";
    }
}

// A sheet, picker or share sheet: its class, then each property its class registers.
void printController(const UIViewController& controller, std::ostream& out) {
    out << controller.className() << "\n";
    for (const auto name : controller.objectClass().propertyNames()) {
        const auto value = controller.valueForKey(name);
        out << name << ": " << (value ? value->description() : "") << "\n";
    }
}

Json textOrNull(const std::optional<std::string>& text) {
    return text ? Json(*text) : Json();
}

// What `alert --json` gives: the class; an alert's style, texts and actions, or another controller's
// registered properties; a share sheet's items and activities; the command that answers it. Null when
// nothing is presented.
Json presentedJson(const PresentationStack& presented) {
    const auto topmost = presented.topmost();
    if (!topmost)
        return nullptr;
    const auto controller = presentedController(*topmost);
    Json shown{{"class", controller->className()}};
    if (const auto alert = presented.topmostOf<UIAlertController>()) {
        auto actions = Json::array();
        for (const auto& action : alert->actions())
            actions.push_back({{"title", action->title()},
                               {"style", UIAlertActionStyleName(action->style())},
                               {"preferred", action == alert->preferredAction()}});
        shown["style"] = alert->styleName();
        shown["title"] = textOrNull(alert->title());
        shown["message"] = textOrNull(alert->message());
        shown["actions"] = std::move(actions);
    } else {
        auto properties = Json::object();
        for (const auto name : controller->objectClass().propertyNames()) {
            const auto value = controller->valueForKey(name);
            properties[std::string(name)] = value ? value->description() : "";
        }
        shown["properties"] = std::move(properties);
    }
    if (const auto sheet = presented.topmostOf<UIActivityViewController>())
        shown.update(shareSheetJson(*sheet));
    shown["answer"] = answeringCommand(*topmost);
    return shown;
}

std::optional<int> integerFrom(const std::string& text, int lowest, int highest) {
    const auto number = text == "0" ? std::optional<int>(0) : parsePositive<int>(text);
    return number && *number >= lowest && *number <= highest ? number : std::nullopt;
}

} // namespace

PersonCommands::PersonCommands(const CaddexLoader& loader, PresentationStack& presented)
    : _loader(loader), _presented(presented) {}

std::span<const CommandEntry<PersonCommands>> PersonCommands::commandTable() {
    static constexpr CommandEntry<PersonCommands> commands[] = {
        {"tap", "tap SLOT", "touch up inside button SLOT (1 to 6) of the section", &PersonCommands::tap},
        {"hold", "hold SLOT [--state began|changed]",
         "a long press on button SLOT that ends with the finger lifted; with --state, one still in that "
         "state",
         &PersonCommands::hold},
        {"alert", "alert [--json]",
         "what is presented over Control Center: an alert with its actions, a sheet or picker with its "
         "properties; --json as one JSON object (null when nothing is)",
         &PersonCommands::alert},
        {"choose", "choose TITLE", "choose the action of that title in what is presented",
         &PersonCommands::choose},
        {"orientation", "orientation N",
         "the front-most application's orientation: 1, 2 portrait; 3, 4 landscape; 0 unknown",
         &PersonCommands::orientation},
        {"presented", "presented [--json]",
         "what is presented on the screen, bottom first, by class; --json as an array of class names",
         &PersonCommands::presented},
        {"dismiss", "dismiss", "the person dismisses what is presented on top, as a sheet is swiped away",
         &PersonCommands::dismiss},
    };
    return commands;
}

std::shared_ptr<UIButton> PersonCommands::reachableButton(int slot, std::ostream& errors) const {
    const auto& section = _loader.section();
    if (!section || !SBControlCenterController::sharedInstance()->isVisible()) {
        errors << "Control Center is not open with the section in it\n";
        return nullptr;
    }
    if (const auto topmost = _presented.topmost()) {
        errors << "something is presented over Control Center: " << answerHint(*topmost) << "\n";
        return nullptr;
    }
    const auto buttons = rowButtons(*section->view());
    const auto index = static_cast<std::size_t>(slot - 1);
    if (section->view()->isHidden() || index >= buttons.size() || buttons[index]->isHidden()) {
        errors << "button " << slot << " is not shown\n";
        return nullptr;
    }
    return buttons[index];
}

int PersonCommands::tap(std::span<const std::string> arguments, std::ostream& out, std::ostream& errors) {
    const auto slot = arguments.size() == 1 ? integerFrom(arguments[0], 1, 6) : std::nullopt;
    if (!slot)
        return printUsageError(commandTable(), "tap", errors);
    const auto button = reachableButton(*slot, errors);
    if (!button)
        return 1;
    button->sendActionsForControlEvents(UIControlEventTouchUpInside);
    out << "tapped button " << *slot << "\n";
    return 0;
}

// A long press goes through began and ends when the finger is lifted; with --state it stops in that state.
int PersonCommands::hold(std::span<const std::string> arguments, std::ostream& out, std::ostream& errors) {
    const auto slot = !arguments.empty() ? integerFrom(arguments[0], 1, 6) : std::nullopt;
    const bool stops = arguments.size() == 3 && arguments[1] == "--state" &&
                       (arguments[2] == "began" || arguments[2] == "changed");
    if (!slot || (arguments.size() != 1 && !stops))
        return printUsageError(commandTable(), "hold", errors);
    const auto button = reachableButton(*slot, errors);
    if (!button)
        return 1;
    const auto& recognizers = button->gestureRecognizers();
    const auto press = std::find_if(recognizers.begin(), recognizers.end(), [](const auto& recognizer) {
        return std::dynamic_pointer_cast<UILongPressGestureRecognizer>(recognizer) != nullptr;
    });
    if (press == recognizers.end()) {
        errors << "button " << *slot << " takes no long press\n";
        return 1;
    }
    (*press)->setState(UIGestureRecognizerStateBegan);
    if (stops && arguments[2] == "began") {
        out << "pressing button " << *slot << "\n";
        return 0;
    }
    (*press)->setState(UIGestureRecognizerStateChanged);
    if (stops) {
        out << "pressing button " << *slot << ", the finger moving\n";
        return 0;
    }
    (*press)->setState(UIGestureRecognizerStateEnded);
    out << "held button " << *slot << "\n";
    return 0;
}

int PersonCommands::alert(std::span<const std::string> arguments, std::ostream& out, std::ostream& errors) {
    const auto options = parseCommandOptions(arguments, jsonOption);
    if (!options || !options->operands.empty())
        return printUsageError(commandTable(), "alert", errors);
    if (options->has("json")) {
        printJson(presentedJson(_presented), out);
        return 0;
    }
    const auto topmost = _presented.topmost();
    if (!topmost) {
        out << "nothing presented\n";
        return 0;
    }
    if (const auto alertShown = _presented.topmostOf<UIAlertController>())
        printAlert(*alertShown, out);
    else
        printController(*presentedController(*topmost), out);
    if (const auto sheet = _presented.topmostOf<UIActivityViewController>())
        printShareSheet(*sheet, out);
    return 0;
}

int PersonCommands::choose(std::span<const std::string> arguments, std::ostream& out, std::ostream& errors) {
    if (arguments.size() != 1)
        return printUsageError(commandTable(), "choose", errors);
    const auto alertShown = _presented.topmostOf<UIAlertController>();
    if (!alertShown) {
        errors << notPresented(_presented, "alert") << "\n";
        return 1;
    }
    if (!PersonAnswers::chooseActionWithTitle(*alertShown, arguments[0])) {
        errors << "the alert has no action " << std::quoted(arguments[0]) << "\n";
        return 1;
    }
    out << "chose " << std::quoted(arguments[0]) << "\n";
    return 0;
}

int PersonCommands::orientation(std::span<const std::string> arguments, std::ostream& out,
                                std::ostream& errors) {
    const auto value = arguments.size() == 1 ? integerFrom(arguments[0], 0, 4) : std::nullopt;
    if (!value)
        return printUsageError(commandTable(), "orientation", errors);
    SpringBoardHost::setFrontMostAppOrientation(*SpringBoard::sharedApplication(), *value);
    out << "front-most application orientation " << *value << "\n";
    return 0;
}

int PersonCommands::presented(std::span<const std::string> arguments, std::ostream& out,
                              std::ostream& errors) {
    const auto options = parseCommandOptions(arguments, jsonOption);
    if (!options || !options->operands.empty())
        return printUsageError(commandTable(), "presented", errors);
    const auto controllers = _presented.shown();
    if (options->has("json")) {
        auto classes = Json::array();
        for (const auto& controller : controllers)
            classes.push_back(controller->className());
        printJson(classes, out);
        return 0;
    }
    if (controllers.empty())
        out << "nothing presented\n";
    for (const auto& controller : controllers)
        out << controller->className() << "\n";
    return 0;
}

int PersonCommands::dismiss(std::span<const std::string> arguments, std::ostream& out, std::ostream& errors) {
    if (!arguments.empty())
        return printUsageError(commandTable(), "dismiss", errors);
    const auto controllers = _presented.shown();
    if (controllers.empty()) {
        errors << "nothing is presented\n";
        return 1;
    }
    _presented.dismissTopmost();
    out << "dismissed " << controllers.back()->className() << "\n";
    return 0;
}
