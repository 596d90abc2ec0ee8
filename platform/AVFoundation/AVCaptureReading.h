#pragma once

#include <cstdint>

// What the cameras need to know of the metadata outputs' reading, inside AVFoundation.
namespace AVCaptureReading {

// Frames every metadata output of the process has finished reading, whatever they held.
std::uint64_t framesRead();

// Frames read, from the moment a new view is first delivered, by which an output has looked at that view in
// every way: one for the frame in flight, then one per recognition pass.
std::uint64_t framesForAWholeLook();

} // namespace AVCaptureReading
