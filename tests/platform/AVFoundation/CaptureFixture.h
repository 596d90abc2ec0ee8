#pragma once

#include "AVFoundation/AVCaptureHost.h"
#include "AVFoundation/AVCaptureMetadataOutput.h"
#include "Foundation/NSOperationQueue.h"
#include "Foundation/NSRunLoop.h"
#include "Foundation/NSTimer.h"

#include <gtest/gtest.h>

#include <thread>

// Records what a metadata output reports, and on which thread.
struct MetadataRecorder : AVCaptureMetadataOutputObjectsDelegate {
    std::vector<std::vector<std::shared_ptr<AVMetadataObject>>> reports;
    std::thread::id mainThread = std::this_thread::get_id();
    bool offMainThread = false;

    void captureOutputDidOutputMetadataObjects(AVCaptureOutput&,
                                               const std::vector<std::shared_ptr<AVMetadataObject>>& objects,
                                               AVCaptureConnection&) override {
        offMainThread |= std::this_thread::get_id() != mainThread;
        reports.push_back(objects);
    }
};

// A back and a front camera, a session capturing from the back one and a metadata output reading every type.
class CaptureFixture : public testing::Test {
  protected:
    void SetUp() override {
        AVCaptureHost::setCameras({AVCaptureDevicePositionBack, AVCaptureDevicePositionFront});
        camera = AVCaptureDevice::defaultDeviceWithMediaType(AVMediaTypeVideo);
        session = AVCaptureSession::make();
        output = AVCaptureMetadataOutput::make();
        session->addOutput(output);
        session->addInput(AVCaptureDeviceInput::deviceInputWithDevice(camera));
        output->setMetadataObjectTypes(output->availableMetadataObjectTypes());
        output->setMetadataObjectsDelegate(recorder, NSOperationQueue::mainQueue());
    }

    void TearDown() override { session->stopRunning(); }

    // Runs the session until the first report; its objects, or none after `timeout`.
    std::vector<std::shared_ptr<AVMetadataObject>>
    firstReport(std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
        recorder->reports.clear();
        session->startRunning();
        NSRunLoop::mainRunLoop().runUntil([this] { return !recorder->reports.empty(); }, timeout);
        session->stopRunning();
        return recorder->reports.empty() ? std::vector<std::shared_ptr<AVMetadataObject>>()
                                         : recorder->reports.front();
    }

    // Starts the session and turns the loop until its first frame has gone to the output.
    void startAndDeliverOneFrame() {
        session->startRunning();
        bool ticked = false;
        // Scheduled after the session's own timer with the same interval, it fires just after the first
        // frame.
        const auto tick = NSTimer::scheduledTimerWithTimeInterval(
            1.0 / AVCaptureDevice::framesPerSecond, false, [&ticked](NSTimer&) { ticked = true; });
        NSRunLoop::mainRunLoop().runUntil([&ticked] { return ticked; }, std::chrono::seconds(5));
    }

    std::vector<std::shared_ptr<AVMetadataObject>> read(const CGImageRef& picture) {
        AVCaptureHost::showPicture(*camera, picture);
        return firstReport();
    }

    std::shared_ptr<AVCaptureDevice> camera;
    std::shared_ptr<AVCaptureSession> session;
    std::shared_ptr<AVCaptureMetadataOutput> output;
    std::shared_ptr<MetadataRecorder> recorder = std::make_shared<MetadataRecorder>();
};

inline const AVMetadataMachineReadableCodeObject&
codeAt(const std::vector<std::shared_ptr<AVMetadataObject>>& objects, std::size_t index) {
    return dynamic_cast<const AVMetadataMachineReadableCodeObject&>(*objects.at(index));
}
