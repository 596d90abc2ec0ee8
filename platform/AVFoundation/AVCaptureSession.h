#pragma once

#include "objc/objc-api.h"

#include "AVFoundation/AVCaptureInput.h"
#include "CoreGraphics/CGImage.h"
#include "Foundation/NSObject.h"
#include "objc/Badge.h"

#include <cstdint>
#include <memory>
#include <vector>

class AVCaptureHost;

class AVCaptureOutput;
class NSTimer;

enum AVCaptureVideoOrientation {
    AVCaptureVideoOrientationPortrait = 1,
    AVCaptureVideoOrientationPortraitUpsideDown = 2,
    AVCaptureVideoOrientationLandscapeRight = 3,
    AVCaptureVideoOrientationLandscapeLeft = 4,
};

// The link between a session's camera and one output or preview.
class ORVANE_EXPORT AVCaptureConnection : public NSObject {
    OBJC_OBJECT(AVCaptureConnection, NSObject)
    bool isVideoOrientationSupported() const { return true; }
    AVCaptureVideoOrientation videoOrientation() const { return _videoOrientation; }
    void setVideoOrientation(AVCaptureVideoOrientation orientation) { _videoOrientation = orientation; }

  protected:
    AVCaptureConnection() = default;

  private:
    AVCaptureVideoOrientation _videoOrientation = AVCaptureVideoOrientationLandscapeRight;
};

// Moves frames from a camera input to the outputs while it runs: one frame per tick of the camera's rate, on
// the main run loop. One camera input at a time; outputs may be added before or after it.
class ORVANE_EXPORT AVCaptureSession : public NSObject {
    OBJC_OBJECT(AVCaptureSession, NSObject)
    ~AVCaptureSession() override;

    bool canAddInput(const std::shared_ptr<AVCaptureInput>& input) const;
    // An input that cannot be added is ignored.
    void addInput(const std::shared_ptr<AVCaptureInput>& input);
    void removeInput(const std::shared_ptr<AVCaptureInput>& input);
    const std::vector<std::shared_ptr<AVCaptureInput>>& inputs() const { return _inputs; }

    bool canAddOutput(const std::shared_ptr<AVCaptureOutput>& output) const;
    void addOutput(const std::shared_ptr<AVCaptureOutput>& output);
    void removeOutput(const std::shared_ptr<AVCaptureOutput>& output);
    const std::vector<std::shared_ptr<AVCaptureOutput>>& outputs() const { return _outputs; }

    // Changes between the two take effect together, at the commit.
    void beginConfiguration();
    void commitConfiguration();
    bool isConfiguring() const { return _configurationDepth > 0; }

    void startRunning();
    void stopRunning();
    // For hosts (AVCaptureHost::stopRunningSessions): every session that runs stops.
    static void stopRunningSessions(Badge<AVCaptureHost>);
    bool isRunning() const { return _running; }
    // Counts the runs: a result from a run that has ended is not delivered in a later one.
    std::uint64_t runNumber() const { return _runNumber; }

    // The camera that the session captures from, or nothing without a camera input.
    std::shared_ptr<AVCaptureDevice> camera() const;

  protected:
    AVCaptureSession() = default;

  private:
    void deliverFrame();

    std::vector<std::shared_ptr<AVCaptureInput>> _inputs;
    std::vector<std::shared_ptr<AVCaptureOutput>> _outputs;
    int _configurationDepth = 0;
    bool _running = false;
    std::uint64_t _runNumber = 0;
    std::shared_ptr<NSTimer> _frameTimer;
};

// Where a session sends its frames.
class ORVANE_EXPORT AVCaptureOutput : public NSObject {
    OBJC_OBJECT(AVCaptureOutput, NSObject)
    AVCaptureConnection& connection() { return *_connection; }
    // The session it belongs to, or nothing.
    std::shared_ptr<AVCaptureSession> session() const { return _session.lock(); }

  protected:
    AVCaptureOutput();
    // A new frame from the session's camera, on the main thread; it must return at once.
    virtual void captureFrame(const CGImageRef& frame) = 0;

  private:
    friend class AVCaptureSession;

    std::shared_ptr<AVCaptureConnection> _connection;
    std::weak_ptr<AVCaptureSession> _session;
};
