#include "fuzz/Require.h"
#include "sim/DeviceProfile.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

// A profile is a file a person hands the simulator. It is taken whole with values in their documented ranges,
// or refused with a reason.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string error;
    const auto profile = parseDeviceProfile(std::span(data, size), error);
    if (!profile) {
        require(!error.empty());
        return 0;
    }
    require(profile->screenScale >= 1 && profile->screenScale <= 3);
    require(profile->frontMostAppOrientation >= 0 && profile->frontMostAppOrientation <= 4);
    require(profile->screenSize.width > 0 && profile->screenSize.height > 0);
    require(profile->controlCenterWidth > 0);
    for (const auto& application : profile->applications)
        require(!application.bundleIdentifier.empty());
    return 0;
}
