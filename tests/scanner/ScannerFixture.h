#pragma once

#include "AVFoundation/AVCaptureHost.h"
#include "Foundation/NSBundle.h"
#include "UIKit/UIKitHost.h"
#include "UIKit/UIScreen.h"
#include "scanner/QRCodeReaderViewController.h"
#include "support/DeviceEvents.h"
#include "support/TemporaryDevice.h"

#include <filesystem>
#include <gtest/gtest.h>

// A fresh device with the section's bundle (strings, beep) and the scanner's images installed, a back and a
// front camera, and a 320 x 568 screen.
class ScannerTest : public ::testing::Test {
  protected:
    ScannerTest() {
        install(ORVANE_BUNDLES_DIR "/OrvaneCC.bundle", "/Library/Caddex/Bundles/OrvaneCC.bundle");
        install(ORVANE_BUNDLES_DIR "/SpringBoard.app", "/System/Library/CoreServices/SpringBoard.app");
        UIKitHost::setBounds(UIScreen::mainScreen(), CGRectMake(0, 0, 320, 568));
        AVCaptureHost::setCameras({AVCaptureDevicePositionBack, AVCaptureDevicePositionFront});
    }
    ~ScannerTest() override {
        if (reader)
            reader->stopScanning();
    }

    void install(const std::filesystem::path& from, std::string_view devicePath) {
        std::filesystem::create_directories(device.hostPath(devicePath).parent_path());
        std::filesystem::copy(from, device.hostPath(devicePath), std::filesystem::copy_options::recursive);
    }

    // Made, laid out and displayed as presenting it would.
    std::shared_ptr<QRCodeReaderViewController> makeReader() {
        reader = QRCodeReaderViewController::readerWithCancelButtonTitle("Close");
        reader->layoutAndDisplayIfNeeded();
        return reader;
    }

    TemporaryDevice device;
    std::shared_ptr<QRCodeReaderViewController> reader;
};

// Records what a scanner reports.
struct ReaderDelegate : QRCodeReaderDelegate {
    std::vector<std::optional<std::string>> results;
    int cancels = 0;
    void readerDidScanResult(QRCodeReaderViewController&, const std::optional<std::string>& result) override {
        results.push_back(result);
    }
    void readerDidCancel(QRCodeReaderViewController&) override { ++cancels; }
};

inline CGRect pathRect(const CAShapeLayer& layer) {
    return layer.path()->elements().at(0).rect;
}

inline testing::AssertionResult rectNear(CGRect actual, CGRect expected) {
    const auto near = [](CGFloat a, CGFloat b) { return std::abs(a - b) < 0.01; };
    if (near(actual.origin.x, expected.origin.x) && near(actual.origin.y, expected.origin.y) &&
        near(actual.size.width, expected.size.width) && near(actual.size.height, expected.size.height))
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << "(" << actual.origin.x << ", " << actual.origin.y << ", "
                                       << actual.size.width << ", " << actual.size.height << ")";
}
