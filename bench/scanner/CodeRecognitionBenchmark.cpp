#include "AVFoundation/AVCaptureHost.h"
#include "AVFoundation/AVCaptureMetadataOutput.h"
#include "AVFoundation/zxing/MetadataRecognition.h"
#include "CoreImage/zxing/ZXingImage.h"
#include "Foundation/NSOperationQueue.h"
#include "Foundation/NSRunLoop.h"
#include "Foundation/NSTimer.h"
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

// One frame's work: one recognition pass, as the camera's successive frames get successive passes.
void platformPass(benchmark::State& state, const CGImageRef& frame, std::size_t pass) {
    const auto types = everyType();
    for (auto _ : state)
        benchmark::DoNotOptimize(MetadataRecognition::recognize(*frame, types, pass));
}

const ZXing::BarcodeFormats matrixCodes = ZXing::BarcodeFormat::QRCode | ZXing::BarcodeFormat::Aztec |
                                          ZXing::BarcodeFormat::DataMatrix | ZXing::BarcodeFormat::PDF417;
const ZXing::BarcodeFormats linearCodes = ZXing::BarcodeFormat::EAN8 | ZXing::BarcodeFormat::EAN13 |
                                          ZXing::BarcodeFormat::UPCE | ZXing::BarcodeFormat::Code39 |
                                          ZXing::BarcodeFormat::Code93 | ZXing::BarcodeFormat::Code128 |
                                          ZXing::BarcodeFormat::ITF;

// zxing-cpp alone doing the same pass on the same frame, the frame already light-dark swapped for it (the
// library cannot swap them itself): what the pass costs beyond the library's reads is ours. The linear pass
// reads every linear code; the library does so in one read, but only without its downscaled copies, as with
// them it aborts on a code it sees twice.
void zxingPass(benchmark::State& state, const CGImageRef& frame, std::size_t pass) {
    ZXingImage::Luminance inverted;
    ZXingImage::invertedLuminanceOf(*frame, inverted);
    for (auto _ : state) {
        switch (pass) {
        case 0:
            benchmark::DoNotOptimize(
                ZXing::ReadBarcodes(ZXingImage::viewOf(*frame), ZXingImage::hintsFor(matrixCodes)));
            break;
        case 1:
            benchmark::DoNotOptimize(
                ZXing::ReadBarcodes(ZXingImage::viewOf(*frame), ZXingImage::hintsFor(linearCodes)));
            break;
        case 2:
            benchmark::DoNotOptimize(
                ZXing::ReadBarcodes(inverted.view(), ZXingImage::hintsFor(matrixCodes | linearCodes)));
            break;
        default:
            for (const int every : {2, 4})
                benchmark::DoNotOptimize(ZXing::ReadBarcodes(ZXingImage::viewOf(*frame, every),
                                                             ZXingImage::hintsFor(matrixCodes)));
        }
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
    AVCaptureHost::setCameras({AVCaptureDevicePositionBack});
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
    const std::pair<const char*, CGImageRef> frames[] = {
        {"qrCode", frameWithCode()},
        {"linearCode", AVCaptureHost::cameraFrameWithPicture(
                           CodePictures::code(ZXing::BarcodeFormat::EAN13, "5901234123457"))},
        {"noCode", frameWithoutCode()},
    };
    std::vector<RatioReporter::Ratio> ratios;
    for (const auto& [name, frame] : frames)
        for (std::size_t pass = 0; pass < MetadataRecognition::passCount(); ++pass) {
            const auto suffix = std::string(name) + "/pass" + std::to_string(pass);
            benchmark::RegisterBenchmark(("frame/" + suffix).c_str(), platformPass, frame, pass)
                ->Unit(benchmark::kMillisecond);
            benchmark::RegisterBenchmark(("zxing/" + suffix).c_str(), zxingPass, frame, pass)
                ->Unit(benchmark::kMillisecond);
            ratios.push_back({"frame/" + suffix, "zxing/" + suffix});
        }
    benchmark::RegisterBenchmark("mainThread/whileFramesFlow", mainThreadWhileFramesFlow)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(3);
    return runWithRatios(std::move(ratios));
}
