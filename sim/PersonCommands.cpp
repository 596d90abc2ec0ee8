#include "PersonCommands.h"

#include "UIKit/UIViewController.h"

PersonCommands::PersonCommands(PresentationStack& presented) : _presented(presented) {
    const auto bind =
        [this](int (PersonCommands::*method)(std::span<const std::string>, std::ostream&, std::ostream&)) {
            return [this, method](std::span<const std::string> arguments, std::ostream& out,
                                  std::ostream& errors) { return (this->*method)(arguments, out, errors); };
        };
    _commands = {
        {"presented", "presented", "what is presented on the screen, bottom first, by class",
         bind(&PersonCommands::presented)},
        {"dismiss", "dismiss", "the person dismisses what is presented on top, as a sheet is swiped away",
         bind(&PersonCommands::dismiss)},
    };
}

int PersonCommands::presented(std::span<const std::string> arguments, std::ostream& out,
                              std::ostream& errors) {
    if (!arguments.empty())
        return printUsageError(_commands, "presented", errors);
    const auto controllers = _presented.shown();
    if (controllers.empty())
        out << "nothing presented\n";
    for (const auto& controller : controllers)
        out << controller->className() << "\n";
    return 0;
}

int PersonCommands::dismiss(std::span<const std::string> arguments, std::ostream& out, std::ostream& errors) {
    if (!arguments.empty())
        return printUsageError(_commands, "dismiss", errors);
    const auto controllers = _presented.shown();
    if (controllers.empty()) {
        errors << "nothing is presented\n";
        return 1;
    }
    _presented.dismissTopmost();
    out << "dismissed " << controllers.back()->className() << "\n";
    return 0;
}
