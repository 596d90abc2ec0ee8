#include "CommandOptions.h"
#include "Commands.h"
#include "JsonOutput.h"

#include "Device/EventLogHost.h"
#include "Foundation/NSRunLoop.h"
#include "Foundation/NSTimer.h"
#include "ParseNumber.h"

#include <fnmatch.h>
#include <nlohmann/json.hpp>

namespace {

constexpr std::string_view eventsUsage =
    "events [--follow [--seconds S]] [--kind PATTERN] [--json] | --clear";
constexpr CommandOption eventsOptions[] = {
    {"follow"}, {"seconds", true}, {"kind", true}, {"json"}, {"clear"},
};
// New lines show within this time while following.
constexpr double followInterval = 0.1;

// Which events are printed, and how: the lines as the log has them, or one JSON object a line.
struct EventsShown {
    std::optional<std::string> kind;
    bool json = false;
};

Json eventJson(const EventLog::Event& event) {
    auto fields = Json::object();
    for (const auto& [key, value] : event.fields)
        fields[key] = value;
    return {{"time", event.time},
            {"process", event.process},
            {"pid", event.pid},
            {"kind", event.kind},
            {"fields", std::move(fields)}};
}

// A line the log does not write (a torn or foreign one) is no event: only the plain listing shows it.
void printLine(std::string_view line, const EventsShown& shown, std::ostream& out) {
    if (!shown.kind && !shown.json) {
        out << line << '\n';
        return;
    }
    const auto event = EventLog::parseLine(line);
    if (!event || (shown.kind && ::fnmatch(shown.kind->c_str(), event->kind.c_str(), 0) != 0))
        return;
    if (shown.json)
        printJsonLine(eventJson(*event), out);
    else
        out << line << '\n';
}

void printNewLines(EventLog::Reader& log, const EventsShown& shown, std::ostream& out) {
    bool read = false;
    for (auto line = log.nextLine(); line; line = log.nextLine(), read = true)
        printLine(*line, shown, out);
    if (read)
        out << std::flush;
}

// Prints the log, then what is added to it, until S seconds have passed (without S, until the process is
// stopped).
int follow(std::optional<double> seconds, const EventsShown& shown, std::ostream& out) {
    EventLog::Reader log;
    printNewLines(log, shown, out);
    const auto poll = NSTimer::scheduledTimerWithTimeInterval(
        followInterval, true, [&](NSTimer&) { printNewLines(log, shown, out); });
    std::shared_ptr<NSTimer> deadline;
    if (seconds)
        deadline = NSTimer::scheduledTimerWithTimeInterval(*seconds, false,
                                                           [](NSTimer&) { NSRunLoop::mainRunLoop().stop(); });
    NSRunLoop::mainRunLoop().run();
    poll->invalidate();
    if (deadline)
        deadline->invalidate();
    printNewLines(log, shown, out);
    return 0;
}

int clearLog(std::ostream& out, std::ostream& errors) {
    if (!EventLog::clear()) {
        errors << "could not clear the event log: it is not a regular file, or may not be written\n";
        return 1;
    }
    out << "cleared the event log\n";
    return 0;
}

int usageError(std::ostream& errors) {
    errors << "usage: " << eventsUsage << "\n";
    return 2;
}

int runEvents(std::span<const std::string> arguments, std::ostream& out, std::ostream& errors) {
    const auto options = parseCommandOptions(arguments, eventsOptions);
    if (!options || !options->operands.empty())
        return usageError(errors);
    if (options->has("clear"))
        return options->given.size() == 1 ? clearLog(out, errors) : usageError(errors);
    const auto secondsText = options->value("seconds");
    const auto seconds = secondsText ? parsePositive<double>(*secondsText) : std::nullopt;
    if (secondsText && (!seconds || !options->has("follow")))
        return usageError(errors);
    const EventsShown shown{options->value("kind"), options->has("json")};
    if (options->has("follow"))
        return follow(seconds, shown, out);
    EventLog::Reader log;
    printNewLines(log, shown, out);
    return 0;
}

} // namespace

std::span<const Command> eventsCommands() {
    static const Command commands[] = {
        {"events", eventsUsage,
         "the device's event log; --follow keeps printing new events (for S seconds); --kind only the kinds "
         "the pattern matches (uikit.*); --json one JSON object a line; --clear empties it",
         runEvents},
    };
    return commands;
}
