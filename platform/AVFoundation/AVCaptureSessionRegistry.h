#pragma once

#include <memory>

class AVCaptureSession;
class AVCaptureDevice;

// The sessions that run now, so that the host can tell which camera a person would point. Internal to the
// platform.
namespace AVCaptureSessionRegistry {

void add(AVCaptureSession& session);
void remove(AVCaptureSession& session);
// Stops every session that runs.
void stopAll();
// The camera of the first running session that has one.
std::shared_ptr<AVCaptureDevice> capturingCamera();

} // namespace AVCaptureSessionRegistry
