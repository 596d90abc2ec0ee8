#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

// Prints, after the usual table, each measured benchmark's time over its baseline's, from the same run. With
// repetitions the fastest run of each benchmark is used, since noise only ever adds time; when only
// aggregates are reported, the median.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    struct Ratio {
        std::string measured;
        std::string baseline;
    };

    RatioReporter(std::vector<Ratio> ratios, OutputOptions options)
        : ConsoleReporter(options), _ratios(std::move(ratios)) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            _failed = _failed || run.error_occurred;
            if (run.error_occurred)
                continue;
            const double nanoseconds =
                run.GetAdjustedRealTime() * (1e9 / benchmark::GetTimeUnitMultiplier(run.time_unit));
            if (run.run_type == Run::RT_Iteration) {
                auto [entry, inserted] = _fastest.try_emplace(run.run_name.function_name, nanoseconds);
                if (!inserted)
                    entry->second = std::min(entry->second, nanoseconds);
            } else if (run.aggregate_name == "median") {
                _median[run.run_name.function_name] = nanoseconds;
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        auto& out = GetOutputStream();
        const auto& times = _fastest.empty() ? _median : _fastest;
        for (const Ratio& ratio : _ratios) {
            const auto measured = times.find(ratio.measured);
            const auto baseline = times.find(ratio.baseline);
            if (measured == times.end() || baseline == times.end())
                continue;
            out << ratio.measured << " / " << ratio.baseline << ": " << measured->second / baseline->second
                << " (" << measured->second / 1000 << " us / " << baseline->second / 1000 << " us)\n";
        }
    }

    bool failed() const { return _failed; }

  private:
    std::vector<Ratio> _ratios;
    std::map<std::string, double> _fastest;
    std::map<std::string, double> _median;
    bool _failed = false;
};

// Runs the registered benchmarks and prints the ratios; the exit status of a benchmark program.
inline int runWithRatios(std::vector<RatioReporter::Ratio> ratios) {
    RatioReporter reporter(std::move(ratios), ::isatty(STDOUT_FILENO)
                                                  ? benchmark::ConsoleReporter::OO_Defaults
                                                  : benchmark::ConsoleReporter::OO_Tabular);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return reporter.failed() ? 1 : 0;
}
