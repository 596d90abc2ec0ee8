#pragma once

#include "objc/objc-api.h"

#include "AVFoundation/AVCaptureSession.h"
#include "AVFoundation/AVMetadataObject.h"
#include "objc/Badge.h"

#include <atomic>
#include <memory>
#include <string>
#include <vector>

class AVCaptureHost;

class AVCaptureMetadataOutput;
class NSOperationQueue;

class ORVANE_EXPORT AVCaptureMetadataOutputObjectsDelegate {
  public:
    virtual ~AVCaptureMetadataOutputObjectsDelegate() = default;
    // The objects found in one frame, in reading order; only frames where something was found are reported.
    virtual void captureOutputDidOutputMetadataObjects(
        AVCaptureOutput& output, const std::vector<std::shared_ptr<AVMetadataObject>>& metadataObjects,
        AVCaptureConnection& connection) = 0;
};

// Recognises machine-readable codes in the session's frames. Recognition runs on a thread of its own; the
// delegate hears of results on the main run loop, while the session still runs. A frame that comes while the
// previous one is still being read waits in a single slot, replacing any frame already waiting there: a slow
// frame makes later ones drop, never pile up.
class ORVANE_EXPORT AVCaptureMetadataOutput : public AVCaptureOutput {
    OBJC_OBJECT(AVCaptureMetadataOutput, AVCaptureOutput)
    ~AVCaptureMetadataOutput() override;

    // Every code type this platform reads from camera frames.
    std::vector<std::string> availableMetadataObjectTypes() const;
    const std::vector<std::string>& metadataObjectTypes() const { return _types; }
    // Types the output does not offer are left out.
    void setMetadataObjectTypes(const std::vector<std::string>& types);

    // The queue must be the main queue, the only one there is. The delegate is held weakly.
    void setMetadataObjectsDelegate(std::weak_ptr<AVCaptureMetadataOutputObjectsDelegate> delegate,
                                    NSOperationQueue& queue);
    std::shared_ptr<AVCaptureMetadataOutputObjectsDelegate> metadataObjectsDelegate() const {
        return _delegate.lock();
    }

    // Frames that were replaced while waiting to be read.
    std::uint64_t droppedFrameCount() const { return _droppedFrames.load(); }

    // For hosts (AVCaptureHost): the frames every output of the process has finished reading; how many of
    // them, counted from a view's first frame, make sure that view has been read in every way.
    static std::uint64_t framesReadCount(Badge<AVCaptureHost>);
    static std::uint64_t framesForAWholeLook(Badge<AVCaptureHost>);

  protected:
    AVCaptureMetadataOutput();
    void captureFrame(const CGImageRef& frame) override;

  private:
    struct Reader;
    void deliver(const std::vector<std::shared_ptr<AVMetadataObject>>& objects, std::uint64_t runNumber);

    std::vector<std::string> _types;
    std::weak_ptr<AVCaptureMetadataOutputObjectsDelegate> _delegate;
    std::atomic<std::uint64_t> _droppedFrames = 0;
    std::unique_ptr<Reader> _reader;
};
