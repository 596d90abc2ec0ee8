#pragma once

#include "Device/TemporaryDeviceRoot.h"

#include <benchmark/benchmark.h>

#include <memory>

// A device root of its own for a benchmark run, removed afterwards.
class BenchmarkDevice {
  public:
    // Takes the benchmark options and sets up a fresh device root; nothing when either fails.
    static std::unique_ptr<BenchmarkDevice> start(int& argc, char** argv) {
        benchmark::Initialize(&argc, argv);
        if (benchmark::ReportUnrecognizedArguments(argc, argv))
            return nullptr;
        auto root = TemporaryDeviceRoot::make("orvane-bench");
        if (!root)
            return nullptr;
        return std::unique_ptr<BenchmarkDevice>(new BenchmarkDevice(std::move(root)));
    }

  private:
    explicit BenchmarkDevice(std::unique_ptr<TemporaryDeviceRoot> root) : _root(std::move(root)) {}
    std::unique_ptr<TemporaryDeviceRoot> _root;
};
