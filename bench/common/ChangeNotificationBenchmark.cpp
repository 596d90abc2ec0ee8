#include "CoreFoundation/CFNotificationCenter.h"
#include "Foundation/NSRunLoop.h"
#include "common/SectionSettings.h"
#include "common/SettingsWriter.h"
#include "support/BenchmarkDevice.h"
#include "support/RatioReporter.h"

#include <benchmark/benchmark.h>

#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <ctime>
#include <optional>
#include <vector>

namespace {

// What the section's process tells the benchmark each time its callback has read a change.
struct Sighting {
    std::int64_t monotonicNanoseconds;
    double viewHeight;
};

std::int64_t monotonicNanoseconds() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return std::int64_t(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

int sightingsOut = -1;

// The section's own reaction to the notification, then the moment it had the new settings in hand.
void reportSighting(CFNotificationCenterRef, void*, CFStringRef, const void*, CFDictionaryRef) {
    loadSettings();
    const Sighting sighting = {monotonicNanoseconds(), sectionSettingsState().settings.viewHeight};
    if (::write(sightingsOut, &sighting, sizeof sighting) != sizeof sighting)
        ::_exit(1);
}

// The other process: it observes the change notification on its main run loop until the benchmark ends it.
[[noreturn]] void runSection(int out) {
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    sightingsOut = out;
    loadSettings();
    CFNotificationCenterAddObserver(CFNotificationCenterGetDarwinNotifyCenter(), &sightingsOut,
                                    reportSighting, settingsChangedNotification, nullptr,
                                    CFNotificationSuspensionBehaviorCoalesce);
    // The first sighting only says that the observer is in place.
    reportSighting(nullptr, nullptr, {}, nullptr, nullptr);
    NSRunLoop::mainRunLoop().run();
    ::_exit(0);
}

struct Section {
    pid_t pid = -1;
    int sightings = -1;
};

Section section;

// The next sighting of `height`, skipping any earlier one; nothing after two seconds without.
std::optional<Sighting> awaitSighting(double height) {
    for (;;) {
        pollfd wanted = {section.sightings, POLLIN, 0};
        Sighting sighting{};
        if (::poll(&wanted, 1, 2000) != 1 ||
            ::read(section.sightings, &sighting, sizeof sighting) != sizeof sighting)
            return std::nullopt;
        if (sighting.viewHeight == height)
            return sighting;
    }
}

double percentile(std::vector<double> samples, double fraction) {
    std::sort(samples.begin(), samples.end());
    return samples[std::min(samples.size() - 1, std::size_t(fraction * double(samples.size())))];
}

// From the return of the pane's write, which posts the notification, to the section's callback having read
// the new file in the other process.
void settingsChangeSeenByTheSection(benchmark::State& state) {
    std::vector<double> milliseconds;
    double height = 30;
    for (auto _ : state) {
        height += 1;
        if (!writeSettingsValue("VIEW_HEIGHT", CFPropertyList::real(height))) {
            state.SkipWithError("the settings could not be written");
            break;
        }
        const std::int64_t written = monotonicNanoseconds();
        const auto sighting = awaitSighting(height);
        if (!sighting) {
            state.SkipWithError("the section did not see the change");
            break;
        }
        // The callback may even run before the writer's own post has returned.
        const double seconds =
            double(std::max<std::int64_t>(0, sighting->monotonicNanoseconds - written)) / 1e9;
        state.SetIterationTime(seconds);
        milliseconds.push_back(seconds * 1e3);
    }
    if (milliseconds.empty())
        return;
    state.counters["p50_ms"] = percentile(milliseconds, 0.5);
    state.counters["p99_ms"] = percentile(milliseconds, 0.99);
}

BENCHMARK(settingsChangeSeenByTheSection)->UseManualTime()->Iterations(400)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    const auto device = BenchmarkDevice::start(argc, argv);
    if (!device)
        return 1;
    writeSettingsValue("VIEW_HEIGHT", CFPropertyList::real(30));
    int ends[2];
    if (::pipe(ends) != 0)
        return 1;
    // Before this process runs a loop of its own, so that the section's process starts with none.
    section.pid = ::fork();
    if (section.pid == 0) {
        ::close(ends[0]);
        runSection(ends[1]);
    }
    ::close(ends[1]);
    section.sightings = ends[0];
    const bool ready = section.pid > 0 && awaitSighting(30).has_value();
    const int status = ready ? runWithRatios({}) : 1;
    if (section.pid > 0) {
        ::kill(section.pid, SIGKILL);
        ::waitpid(section.pid, nullptr, 0);
    }
    return status;
}
