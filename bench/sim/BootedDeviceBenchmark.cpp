#include "Device/DeviceRoot.h"
#include "sim/ChildProcess.h"
#include "sim/ControlSocket.h"
#include "sim/Simulator.h"
#include "support/BenchmarkDevice.h"
#include "support/RatioReporter.h"

#include <sstream>

// The booted device against a device inside this process: a cheap command's round trip through the control
// socket and the supervisor to SpringBoard, and the time from `boot` until the device takes commands.
namespace {

std::filesystem::path benchmarkRoot;

// Runs orvane-sim on the benchmark's device and answers its exit status.
int sim(std::vector<std::string> words) {
    words.insert(words.begin(), {ORVANE_SIM_PATH, "--device", benchmarkRoot.string()});
    return runToEnd(words).status;
}

void DescribeInProcess(benchmark::State& state) {
    Simulator device(defaultDeviceProfile());
    const std::vector<std::string> install{"install"}, open{"open"}, describe{"describe"};
    std::ostringstream ignored;
    if (device.run(install, ignored, ignored) != 0 || device.run(open, ignored, ignored) != 0) {
        state.SkipWithError("cannot open Control Center");
        return;
    }
    for (auto _ : state) {
        std::ostringstream out, errors;
        benchmark::DoNotOptimize(device.run(describe, out, errors));
    }
}
BENCHMARK(DescribeInProcess)->Unit(benchmark::kMicrosecond);

void DescribeThroughTheSocket(benchmark::State& state) {
    if (sim({"boot", "--lease"}) != 0 || sim({"install"}) != 0 || sim({"open"}) != 0) {
        state.SkipWithError("cannot boot the device");
        sim({"shutdown"});
        return;
    }
    const auto control = ControlSocket::controlPath(benchmarkRoot);
    const DeviceRequest describe{"/", {"describe"}};
    for (auto _ : state) {
        std::string error;
        const auto answer = ControlSocket::exchange(control, describe, error);
        if (!answer || answer->status != 0) {
            state.SkipWithError(("describe failed: " + error).c_str());
            break;
        }
    }
    sim({"shutdown"});
}
BENCHMARK(DescribeThroughTheSocket)->Unit(benchmark::kMicrosecond);

void BootToReady(benchmark::State& state) {
    for (auto _ : state) {
        if (sim({"boot", "--lease"}) != 0) {
            state.SkipWithError("cannot boot the device");
            break;
        }
        state.PauseTiming();
        sim({"shutdown"});
        state.ResumeTiming();
    }
}
BENCHMARK(BootToReady)->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

int main(int argc, char** argv) {
    const auto device = BenchmarkDevice::start(argc, argv);
    if (!device)
        return 1;
    benchmarkRoot = DeviceRoot::resolve("/");
    return runWithRatios({{"DescribeThroughTheSocket", "DescribeInProcess"}});
}
