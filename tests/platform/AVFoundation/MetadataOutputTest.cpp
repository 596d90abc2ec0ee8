#include "AVFoundation/zxing/MetadataRecognition.h"
#include "CaptureFixture.h"
#include "support/CodePictures.h"

#include <fstream>
#include <iterator>
#include <numbers>

using ZXing::BarcodeFormat;

namespace {

struct Sample {
    BarcodeFormat format;
    std::string_view type;
    std::string text;
};

const Sample samples[] = {
    {BarcodeFormat::QRCode, AVMetadataObjectTypeQRCode, "https://example.org/x"},
    {BarcodeFormat::Aztec, AVMetadataObjectTypeAztecCode, "Aztec text"},
    {BarcodeFormat::DataMatrix, AVMetadataObjectTypeDataMatrixCode, "DataMatrix 42"},
    {BarcodeFormat::PDF417, AVMetadataObjectTypePDF417Code, "PDF417 sample"},
    {BarcodeFormat::EAN8, AVMetadataObjectTypeEAN8Code, "96385074"},
    {BarcodeFormat::EAN13, AVMetadataObjectTypeEAN13Code, "4006381333931"},
    {BarcodeFormat::UPCE, AVMetadataObjectTypeUPCECode, "01234565"},
    {BarcodeFormat::Code39, AVMetadataObjectTypeCode39Code, "CODE39 TEST"},
    {BarcodeFormat::Code93, AVMetadataObjectTypeCode93Code, "CODE93"},
    {BarcodeFormat::Code128, AVMetadataObjectTypeCode128Code, "Code 128 text"},
    {BarcodeFormat::ITF, AVMetadataObjectTypeInterleaved2of5Code, "12345678901231"},
};

constexpr CGFloat quarterTurn = std::numbers::pi / 2;

} // namespace

using MetadataOutputTest = CaptureFixture;

TEST_F(MetadataOutputTest, OffersEverySymbologyThePhoneAndTheReaderShare) {
    EXPECT_EQ(output->availableMetadataObjectTypes().size(), std::size(samples));
    output->setMetadataObjectTypes({"org.iso.QRCode", "face", "org.iso.QRCode"});
    EXPECT_EQ(output->metadataObjectTypes(), std::vector<std::string>{"org.iso.QRCode"});
}

TEST_F(MetadataOutputTest, ReadsEachSymbologyShownToTheCameraOnTheMainThread) {
    for (const auto& sample : samples) {
        SCOPED_TRACE(sample.type);
        const auto objects = read(CodePictures::code(sample.format, sample.text));
        ASSERT_EQ(objects.size(), 1u);
        EXPECT_EQ(codeAt(objects, 0).type(), sample.type);
        EXPECT_EQ(codeAt(objects, 0).stringValue(), sample.text);
        EXPECT_EQ(codeAt(objects, 0).corners().size(), 4u);
    }
    EXPECT_FALSE(recorder->offMainThread);
}

TEST_F(MetadataOutputTest, ReadsTurnedSkewedSmallAndOffCentreCodes) {
    const auto qr = CodePictures::code(BarcodeFormat::QRCode, "turned");
    const auto barcode = CodePictures::code(BarcodeFormat::Code128, "turned", 3);
    for (int quarter = 0; quarter < 4; ++quarter) {
        SCOPED_TRACE(quarter);
        for (const auto& picture : {qr, barcode}) {
            const auto objects =
                read(CodePictures::frame({{picture, CodePictures::frameCentre, quarter * quarterTurn}}));
            ASSERT_EQ(objects.size(), 1u);
            EXPECT_EQ(codeAt(objects, 0).stringValue(), "turned");
        }
    }
    const auto skewed = read(CodePictures::frame({{qr, CodePictures::frameCentre, 0.1, 0.15}}));
    ASSERT_EQ(skewed.size(), 1u);
    // Small in the frame, and near a corner, far outside any scan box drawn over the picture.
    const auto small = CodePictures::code(BarcodeFormat::QRCode, "small", 2);
    const auto corner = read(CodePictures::frame({{small, {120, 110}}}));
    ASSERT_EQ(corner.size(), 1u);
    EXPECT_EQ(codeAt(corner, 0).stringValue(), "small");
    EXPECT_LT(corner.front()->bounds().origin.x, 0.1);
}

TEST_F(MetadataOutputTest, ReportsTwoCodesInOneFrameInReadingOrder) {
    const auto objects = read(CodePictures::frame({
        {CodePictures::code(BarcodeFormat::QRCode, "left"), {480, 540}},
        {CodePictures::code(BarcodeFormat::QRCode, "right"), {1440, 540}},
    }));
    ASSERT_EQ(objects.size(), 2u);
    EXPECT_EQ(codeAt(objects, 0).stringValue(), "left");
    EXPECT_EQ(codeAt(objects, 1).stringValue(), "right");
}

TEST_F(MetadataOutputTest, ACodeOfBytesHasNoStringValue) {
    const auto objects = read(CodePictures::binaryQRCode());
    ASSERT_EQ(objects.size(), 1u);
    EXPECT_EQ(codeAt(objects, 0).stringValue(), std::nullopt);
}

TEST_F(MetadataOutputTest, ReportsNothingForNoCodeOrUnwantedTypesOrAStoppedSession) {
    AVCaptureHost::clearPicture(*camera);
    EXPECT_TRUE(firstReport(std::chrono::milliseconds(400)).empty());

    AVCaptureHost::showPicture(*camera, CodePictures::code(BarcodeFormat::EAN13, "4006381333931"));
    output->setMetadataObjectTypes({std::string(AVMetadataObjectTypeQRCode)});
    EXPECT_TRUE(firstReport(std::chrono::milliseconds(400)).empty());

    // A result read in a run that has ended is not delivered, not even when the session runs again.
    output->setMetadataObjectTypes(output->availableMetadataObjectTypes());
    startAndDeliverOneFrame();
    session->stopRunning();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    AVCaptureHost::clearPicture(*camera);
    EXPECT_TRUE(firstReport(std::chrono::milliseconds(300)).empty());
}

TEST_F(MetadataOutputTest, AnOutputDestroyedWhileReadingDeliversNothing) {
    AVCaptureHost::showPicture(*camera, CodePictures::code(BarcodeFormat::QRCode, "gone"));
    startAndDeliverOneFrame();
    session->removeOutput(output);
    output.reset();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    NSRunLoop::mainRunLoop().runForInterval(std::chrono::milliseconds(100));
    EXPECT_TRUE(recorder->reports.empty());
}

TEST_F(MetadataOutputTest, TheHostCountsFramesReadAndStopsEveryRunningSession) {
    AVCaptureHost::clearPicture(*camera);
    const auto before = AVCaptureHost::framesReadCount();
    session->startRunning();
    EXPECT_TRUE(NSRunLoop::mainRunLoop().runUntil(
        [before] { return AVCaptureHost::framesReadCount() >= before + 2; }, std::chrono::seconds(20)))
        << "frames without a code count too";
    EXPECT_TRUE(recorder->reports.empty());

    const auto other = AVCaptureSession::make();
    other->addInput(AVCaptureDeviceInput::deviceInputWithDevice(
        AVCaptureDevice::devicesWithMediaType(AVMediaTypeVideo).back()));
    other->startRunning();
    AVCaptureHost::stopRunningSessions();
    EXPECT_FALSE(session->isRunning());
    EXPECT_FALSE(other->isRunning());
    EXPECT_EQ(AVCaptureHost::currentCamera(), camera) << "no session captures any more";
}

TEST(MetadataRecognitionTest, AFrameOnWhichTheReaderThrowsHoldsNoCode) {
    // Grey rows 255 pixels wide on which zxing-cpp's Aztec detector indexes out of range and throws.
    std::ifstream in(ORVANE_CODE_SEEDS "/aztec-detector-out-of-range.raw", std::ios::binary);
    const std::vector<std::uint8_t> bytes(std::istreambuf_iterator<char>(in), {});
    ASSERT_EQ(bytes.size(), 1024u);
    const std::size_t width = bytes[0];
    const std::size_t height = (bytes.size() - 1) / width;
    std::vector<std::uint32_t> pixels(width * height);
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = 0xff000000u | std::uint32_t(bytes[1 + i]) * 0x010101u;
    const auto frame = CGImageCreate(width, height, std::move(pixels));
    const auto types = AVCaptureMetadataOutput::make()->availableMetadataObjectTypes();
    EXPECT_TRUE(MetadataRecognition::recognize(*frame, types).empty());
}
