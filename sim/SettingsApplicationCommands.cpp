#include "SettingsApplicationCommands.h"
#include "Foundation/FoundationHost.h"

#include "CommandOptions.h"
#include "Foundation/NSDateFormatter.h"
#include "SettingsScreenshot.h"

#include <nlohmann/json.hpp>

#include <ctime>

namespace {

constexpr std::string_view settingsUsage =
    "settings open | tap LABEL | set LABEL VALUE | back | show [--json]";
constexpr std::string_view clockUsage = "clock [YYYY-MM-DD [HH:MM:SS] | system]";

int usage(std::string_view text, std::ostream& errors) {
    errors << "usage: " << text << "\n";
    return 2;
}

int failed(const std::string& problem, std::ostream& errors) {
    errors << problem << "\n";
    return 1;
}

bool wellFormed(std::string_view verb, std::size_t words) {
    return ((verb == "open" || verb == "back" || verb == "show") && words == 1) ||
           (verb == "tap" && words == 2) || (verb == "set" && words == 3);
}

int runSettings(SettingsApplication& application, std::span<const std::string> arguments, std::ostream& out,
                std::ostream& errors) {
    const std::string verb = arguments.empty() ? std::string() : arguments[0];
    const auto shown = verb == "show" ? parseCommandOptions(arguments.subspan(1), jsonOption) : std::nullopt;
    const bool json = shown && shown->operands.empty() && shown->has("json");
    if (!wellFormed(verb, arguments.size()) && !json)
        return usage(settingsUsage, errors);
    if (verb == "open")
        application.open();
    else if (!application.isOpen())
        return failed("the Settings application is not open: settings open first", errors);
    std::optional<std::string> problem;
    if (verb == "tap")
        problem = application.tap(arguments[1]);
    else if (verb == "set")
        problem = application.set(arguments[1], arguments[2]);
    else if (verb == "back" && !application.back())
        problem = "already on the top list";
    if (problem)
        return failed(*problem, errors);
    if (json)
        printJson(application.pageJson(), out);
    else
        application.describe(out);
    return 0;
}

// Seconds since 2001 for a local date and time, or nothing for text that is no such moment.
std::optional<NSDate> parseMoment(std::span<const std::string> words) {
    std::tm moment{};
    int year = 0, month = 0, day = 0, hour = 12, minute = 0, second = 0;
    char tail = 0;
    if (std::sscanf(words[0].c_str(), "%4d-%2d-%2d%c", &year, &month, &day, &tail) != 3)
        return std::nullopt;
    if (words.size() == 2 &&
        std::sscanf(words[1].c_str(), "%2d:%2d:%2d%c", &hour, &minute, &second, &tail) != 3)
        return std::nullopt;
    moment.tm_year = year - 1900;
    moment.tm_mon = month - 1;
    moment.tm_mday = day;
    moment.tm_hour = hour;
    moment.tm_min = minute;
    moment.tm_sec = second;
    moment.tm_isdst = -1;
    const bool inRange = year >= 1970 && month >= 1 && month <= 12 && day >= 1 && day <= 31 && hour < 24 &&
                         minute < 60 && second < 60;
    const std::time_t since1970 = inRange ? std::mktime(&moment) : -1;
    if (since1970 == -1 || moment.tm_mday != day)
        return std::nullopt;
    constexpr double referenceDateOffset = 978307200;
    return NSDate{static_cast<double>(since1970) - referenceDateOffset};
}

int runClock(std::span<const std::string> arguments, std::ostream& out, std::ostream& errors) {
    if (arguments.size() == 1 && arguments[0] == "system") {
        FoundationHost::setClock(std::nullopt);
    } else if (!arguments.empty()) {
        const auto moment = arguments.size() <= 2 ? parseMoment(arguments) : std::nullopt;
        if (!moment)
            return usage(clockUsage, errors);
        FoundationHost::setClock(*moment);
    }
    const auto formatter = NSDateFormatter::make();
    formatter->setDateFormat("yyyy-MM-dd HH:mm:ss");
    out << "device clock " << formatter->stringFromDate(NSDateNow()) << "\n";
    return 0;
}

} // namespace

SettingsApplicationCommands::SettingsApplicationCommands(SettingsApplication& application)
    : _application(application) {}

std::span<const CommandEntry<SettingsApplicationCommands>> SettingsApplicationCommands::commandTable() {
    static constexpr CommandEntry<SettingsApplicationCommands> commands[] = {
        {"settings", settingsUsage,
         "the Settings application: open it, tap a row or the navigation bar's button, set a switch, slider "
         "or list, go back, show the page (--json: as one JSON object)",
         &SettingsApplicationCommands::settings},
    };
    return commands;
}

int SettingsApplicationCommands::settings(Arguments arguments, std::ostream& out, std::ostream& errors) {
    return runSettings(_application, arguments, out, errors);
}

std::span<const Command> clockCommands() {
    static constexpr Command commands[] = {
        {"clock", clockUsage,
         "the device's clock: show it, fix it at a moment (noon unless a time is given), or "
         "let it follow the system clock again",
         runClock},
    };
    return commands;
}
