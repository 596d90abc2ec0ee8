#include "AVFoundation/AVCaptureHost.h"
#include "AVFoundation/AVCaptureMetadataOutput.h"
#include "AVFoundation/zxing/MetadataRecognition.h"
#include "Foundation/NSOperationQueue.h"
#include "Foundation/NSRunLoop.h"
#include "Foundation/NSTimer.h"
#include "Foundation/PlatformHost.h"
#include "support/BenchmarkDevice.h"
#include "support/CodePictures.h"
#include "support/RatioReporter.h"

#define ZX_USE_UTF8 1
#include <ZXing/ReadBarcode.h>

#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;

// A camera frame with a QR code held up to the camera, and one of the empty grey scene.
CGImageRef frameWithCode() {
    return AVCaptureHost::cameraFrameWithPicture(
        CodePictures::code(ZXing::BarcodeFormat::QRCode, "https://example.org/x"));
}

CGImageRef frameWithoutCode() {
    return CodePictures::frame({});
}

std::vector<std::string> everyType() {
    return AVCaptureMetadataOutput::make()->availableMetadataObjectTypes();
}

void platformRecognition(benchmark::State& state, const CGImageRef& frame, std::size_t expected) {
    const auto types = everyType();
    for (auto _ : state) {
        const auto objects = MetadataRecognition::recognize(*frame, types);
        if (objects.size() != expected)
            state.SkipWithError("unexpected number of codes");
    }
}

// zxing-cpp alone on the same pixels, with the same formats and the same search.
void zxingAlone(benchmark::State& state, const CGImageRef& frame, std::size_t expected,
                bool libraryDefaults) {
    const ZXing::ImageView view(reinterpret_cast<const std::uint8_t*>(frame->pixels().data()),
                                int(frame->width()), int(frame->height()), ZXing::ImageFormat::BGRX);
    auto hints = ZXing::DecodeHints().setFormats(
        ZXing::BarcodeFormat::QRCode | ZXing::BarcodeFormat::Aztec | ZXing::BarcodeFormat::DataMatrix |
        ZXing::BarcodeFormat::PDF417 | ZXing::BarcodeFormat::EAN8 | ZXing::BarcodeFormat::EAN13 |
        ZXing::BarcodeFormat::UPCE | ZXing::BarcodeFormat::Code39 | ZXing::BarcodeFormat::Code93 |
        ZXing::BarcodeFormat::Code128 | ZXing::BarcodeFormat::ITF);
    if (!libraryDefaults)
        hints.setTryDownscale(false);
    for (auto _ : state) {
        const auto results = ZXing::ReadBarcodes(view, hints);
        if (results.size() != expected)
            state.SkipWithError("unexpected number of codes");
    }
}

struct StallRecorder : AVCaptureMetadataOutputObjectsDelegate {
    int reports = 0;
    void captureOutputDidOutputMetadataObjects(AVCaptureOutput&,
                                               const std::vector<std::shared_ptr<AVMetadataObject>>&,
                                               AVCaptureConnection&) override {
        ++reports;
    }
};

// Frames flow for a second per iteration while a 1 ms timer measures how late the main loop gets to it: the
// longest such delay is the longest stall that frame delivery and result delivery cause.
void mainThreadWhileFramesFlow(benchmark::State& state) {
    AVCaptureHost::setCameras(PlatformHost::badge(), {AVCaptureDevicePositionBack});
    const auto camera = AVCaptureDevice::defaultDeviceWithMediaType(AVMediaTypeVideo);
    AVCaptureHost::showPicture(*camera, frameWithCode());
    const auto session = AVCaptureSession::make();
    const auto output = AVCaptureMetadataOutput::make();
    const auto recorder = std::make_shared<StallRecorder>();
    session->addOutput(output);
    session->addInput(AVCaptureDeviceInput::deviceInputWithDevice(camera));
    output->setMetadataObjectTypes(output->availableMetadataObjectTypes());
    output->setMetadataObjectsDelegate(recorder, NSOperationQueue::mainQueue());
    double longestStall = 0;
    for (auto _ : state) {
        session->startRunning();
        auto last = Clock::now();
        const auto probe = NSTimer::scheduledTimerWithTimeInterval(0.001, true, [&](NSTimer&) {
            const auto now = Clock::now();
            longestStall =
                std::max(longestStall, std::chrono::duration<double, std::milli>(now - last).count() - 1);
            last = now;
        });
        NSRunLoop::mainRunLoop().runForInterval(std::chrono::seconds(1));
        probe->invalidate();
        session->stopRunning();
    }
    state.counters["longestStallMs"] = longestStall;
    state.counters["reportsPerSecond"] = benchmark::Counter(recorder->reports, benchmark::Counter::kIsRate);
    state.counters["droppedFrames"] = double(output->droppedFrameCount());
}

} // namespace

int main(int argc, char** argv) {
    const auto device = BenchmarkDevice::start(argc, argv);
    if (!device)
        return 1;
    const auto withCode = frameWithCode();
    const auto withoutCode = frameWithoutCode();
    benchmark::RegisterBenchmark("frame/withCode", platformRecognition, withCode, 1)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("zxing/withCode", zxingAlone, withCode, 1, false)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("zxingDefaults/withCode", zxingAlone, withCode, 1, true)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("frame/withoutCode", platformRecognition, withoutCode, 0)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("zxing/withoutCode", zxingAlone, withoutCode, 0, false)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("zxingDefaults/withoutCode", zxingAlone, withoutCode, 0, true)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("mainThread/whileFramesFlow", mainThreadWhileFramesFlow)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(3);
    return runWithRatios({{"frame/withCode", "zxing/withCode"},
                          {"frame/withoutCode", "zxing/withoutCode"},
                          {"frame/withCode", "zxingDefaults/withCode"},
                          {"frame/withoutCode", "zxingDefaults/withoutCode"}});
}
