#pragma once

#include "CoreGraphics/CGImage.h"
#include "sim/Simulator.h"
#include "support/TemporaryDevice.h"

#include <cstdint>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

// The simulator's commands in this process, with the section module the build staged.
struct Result {
    int status;
    std::string out;
    std::string errors;
};

class SimulatorTest : public ::testing::Test {
  protected:
    Result run(const std::string& line) {
        std::istringstream split(line);
        std::vector<std::string> words{std::istream_iterator<std::string>(split), {}};
        std::ostringstream out, errors;
        const int status = device->run(words, out, errors);
        return {status, out.str(), errors.str()};
    }
    std::string output(const std::string& line) {
        const auto result = run(line);
        EXPECT_EQ(result.status, 0) << line << ": " << result.errors;
        return result.out;
    }
    void useProfile(const DeviceProfile& profile) {
        device.reset();
        device = std::make_unique<Simulator>(profile);
    }
    // The whole screen as the screenshot command draws it.
    CGImageRef screen() {
        const auto file = root.root() / "screen.png";
        output("screenshot " + file.string());
        std::ifstream in(file, std::ios::binary);
        const std::vector<std::uint8_t> bytes(std::istreambuf_iterator<char>(in), {});
        return CGImageCreateWithPNGData(bytes);
    }
    static bool has(const std::string& text, std::string_view part) {
        return text.find(part) != std::string::npos;
    }

    TemporaryDevice root;
    std::unique_ptr<Simulator> device = std::make_unique<Simulator>(defaultDeviceProfile());
};
