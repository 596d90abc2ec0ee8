#include "Commands.h"

#include "Device/EventLogHost.h"
#include "Foundation/NSRunLoop.h"
#include "Foundation/NSTimer.h"
#include "ParseNumber.h"

namespace {

constexpr std::string_view eventsUsage = "events [--follow [--seconds S] | --clear]";
// New lines show within this time while following.
constexpr double followInterval = 0.1;

void printNewLines(EventLog::Reader& log, std::ostream& out) {
    bool printed = false;
    for (auto line = log.nextLine(); line; line = log.nextLine(), printed = true)
        out << *line << '\n';
    if (printed)
        out << std::flush;
}

// Prints the log, then what is added to it, until S seconds have passed (without S, until the process is
// stopped).
int follow(std::optional<double> seconds, std::ostream& out) {
    EventLog::Reader log;
    printNewLines(log, out);
    const auto poll = NSTimer::scheduledTimerWithTimeInterval(followInterval, true,
                                                              [&](NSTimer&) { printNewLines(log, out); });
    std::shared_ptr<NSTimer> deadline;
    if (seconds)
        deadline = NSTimer::scheduledTimerWithTimeInterval(*seconds, false,
                                                           [](NSTimer&) { NSRunLoop::mainRunLoop().stop(); });
    NSRunLoop::mainRunLoop().run();
    poll->invalidate();
    if (deadline)
        deadline->invalidate();
    printNewLines(log, out);
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

int runEvents(std::span<const std::string> arguments, std::ostream& out, std::ostream& errors) {
    if (arguments.empty()) {
        EventLog::Reader log;
        printNewLines(log, out);
        return 0;
    }
    if (arguments.size() == 1 && arguments[0] == "--clear")
        return clearLog(out, errors);
    if (arguments[0] == "--follow" && arguments.size() == 1)
        return follow(std::nullopt, out);
    const auto seconds = arguments.size() == 3 && arguments[0] == "--follow" && arguments[1] == "--seconds"
                             ? parsePositive<double>(arguments[2])
                             : std::nullopt;
    if (!seconds) {
        errors << "usage: " << eventsUsage << "\n";
        return 2;
    }
    return follow(seconds, out);
}

} // namespace

std::span<const Command> eventsCommands() {
    static const Command commands[] = {
        {"events", eventsUsage,
         "the device's event log; --follow keeps printing new events (for S seconds); --clear empties it",
         runEvents},
    };
    return commands;
}
