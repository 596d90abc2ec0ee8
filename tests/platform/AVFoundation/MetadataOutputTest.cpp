#include "AVFoundation/zxing/MetadataRecognition.h"
#include "CaptureFixture.h"
#include "CoreImage/zxing/ZXingImage.h"
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

// A matrix code and a linear one, each light on a dark ground.
TEST_F(MetadataOutputTest, ReadsALightCodeOnADarkGround) {
    for (const auto format : {BarcodeFormat::QRCode, BarcodeFormat::Code128}) {
        const auto code = CodePictures::code(format, "light on dark");
        std::vector<std::uint32_t> pixels(code->pixels().begin(), code->pixels().end());
        for (auto& pixel : pixels)
            pixel ^= 0x00ffffffu;
        const auto inverted = CGImageCreate(code->width(), code->height(), std::move(pixels));
        const auto frame = CodePictures::frame({{inverted, CodePictures::frameCentre, 0.3}});
        const auto types = output->availableMetadataObjectTypes();
        for (std::size_t pass = 0; pass < 2; ++pass)
            EXPECT_TRUE(MetadataRecognition::recognize(*frame, types, pass).empty())
                << "as it comes, it cannot";
        const auto objects = read(frame);
        ASSERT_EQ(objects.size(), 1u) << ZXing::ToString(format);
        EXPECT_EQ(codeAt(objects, 0).stringValue(), "light on dark");
    }
}

TEST_F(MetadataOutputTest, TheHandMovesOnOnlyOnceTheOutputHasReadAViewInEveryWay) {
    const auto picture = CodePictures::code(BarcodeFormat::Code128, "no hurry", 2);
    AVCaptureHost::showPicture(*camera, picture);
    const auto first = camera->currentFrame();
    // Reading only linear codes, the output looks at each view in three passes; its report does not stop the
    // hand.
    output->setMetadataObjectTypes({std::string(AVMetadataObjectTypeCode128Code)});
    const auto before = AVCaptureHost::framesReadCount();
    session->startRunning();
    ASSERT_TRUE(NSRunLoop::mainRunLoop().runUntil([&] { return camera->currentFrame() != first; },
                                                  std::chrono::seconds(60)));
    EXPECT_GE(AVCaptureHost::framesReadCount(), before + AVCaptureHost::framesForAWholeLook());
    EXPECT_EQ(AVCaptureHost::framesForAWholeLook(), MetadataRecognition::passCount() + 1);
    // The second view is the same picture, doubled.
    EXPECT_EQ(camera->currentFrame()->pixelAt(960, 540),
              AVCaptureHost::sceneWithPicture(picture)->view(1)->pixelAt(960, 540));
    session->stopRunning();
    NSRunLoop::mainRunLoop().runForInterval(std::chrono::milliseconds(50));
    ASSERT_FALSE(recorder->reports.empty());
    EXPECT_EQ(codeAt(recorder->reports.front(), 0).stringValue(), "no hurry");
}

TEST(MetadataRecognitionTest, ReadsLargeLinearCodesAtTwoScalesWithoutTheLibrarysAbort) {
    // A Code 128 of 8-pixel modules: found both in the frame and in the library's own downscaled copy.
    const auto frame = CodePictures::frame(
        {{CodePictures::code(BarcodeFormat::Code128, "Code 128 text", 8), CodePictures::frameCentre}});
    const auto hints = ZXingImage::hintsFor(BarcodeFormat::Code128);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        ZXing::ReadBarcodes(ZXingImage::viewOf(*frame), ZXing::DecodeHints(hints).setTryDownscale(true)),
        "lineCount");
    const auto types = AVCaptureMetadataOutput::make()->availableMetadataObjectTypes();
    // Every pass, the downscaled one included, and each code once.
    const auto objects = MetadataRecognition::recognize(*frame, types);
    ASSERT_EQ(objects.size(), 1u);
    EXPECT_EQ(codeAt(objects, 0).stringValue(), "Code 128 text");
    // The downscaled pass reads matrix codes only, with their corners where the frame shows them.
    EXPECT_TRUE(MetadataRecognition::recognize(*frame, types, 3).empty());
    const auto large = CodePictures::frame(
        {{CodePictures::code(BarcodeFormat::QRCode, "large", 12), CodePictures::frameCentre}});
    const auto full = MetadataRecognition::recognize(*large, types, 0);
    const auto downscaled = MetadataRecognition::recognize(*large, types, 3);
    ASSERT_EQ(full.size(), 1u);
    ASSERT_EQ(downscaled.size(), 1u);
    EXPECT_NEAR(downscaled.front()->bounds().origin.x, full.front()->bounds().origin.x, 0.01);
    EXPECT_NEAR(downscaled.front()->bounds().size.width, full.front()->bounds().size.width, 0.01);
}

TEST(MetadataRecognitionTest, PassesLookOnlyForTheTypesWanted) {
    const auto qr = CodePictures::frame(
        {{CodePictures::code(BarcodeFormat::QRCode, "wanted"), CodePictures::frameCentre}});
    const std::vector<std::string> qrOnly = {std::string(AVMetadataObjectTypeQRCode)};
    // Frame as it is, light and dark swapped, downscaled: the linear pass is left out, so the next three
    // passes come round to the frame as it is again.
    EXPECT_EQ(MetadataRecognition::recognize(*qr, qrOnly, 0).size(), 1u);
    EXPECT_TRUE(MetadataRecognition::recognize(*qr, qrOnly, 1).empty());
    EXPECT_EQ(MetadataRecognition::recognize(*qr, qrOnly, 3).size(), 1u);
    const auto all = AVCaptureMetadataOutput::make()->availableMetadataObjectTypes();
    EXPECT_TRUE(MetadataRecognition::recognize(*qr, all, 1).empty()) << "the linear pass";
    EXPECT_TRUE(MetadataRecognition::recognize(*qr, {}, 0).empty());
}

TEST(MetadataRecognitionTest, ReadsLinearCodesTheLibraryWouldAbortOnEachOnce) {
    // Two labels alike, and one turned 45 degrees that reads both upright and turned: the library compares
    // the two reads of one code through an assertion that aborts.
    const auto label = CodePictures::code(BarcodeFormat::EAN13, "5901234123457", 3);
    const auto twoAlike = CodePictures::frame({{label, {560, 540}}, {label, {1360, 540}}});
    const auto slanting = CodePictures::frame({{CodePictures::code(BarcodeFormat::EAN8, "96385074", 4),
                                                CodePictures::frameCentre, std::numbers::pi / 4}});
    const auto hints = ZXingImage::hintsFor(BarcodeFormat::EAN13 | BarcodeFormat::EAN8);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(ZXing::ReadBarcodes(ZXingImage::viewOf(*slanting), hints), "lineCount");
    const auto types = AVCaptureMetadataOutput::make()->availableMetadataObjectTypes();
    for (const auto& [frame, text] :
         {std::pair{twoAlike, "5901234123457"}, std::pair{slanting, "96385074"}}) {
        const auto results = ZXingImage::readBarcodes(ZXingImage::viewOf(*frame), hints);
        ASSERT_FALSE(results.empty()) << text;
        for (const auto& result : results)
            EXPECT_EQ(ZXingImage::textOf(result), text);
        const auto objects = MetadataRecognition::recognize(*frame, types);
        ASSERT_EQ(objects.size(), 1u) << text;
        EXPECT_EQ(codeAt(objects, 0).stringValue(), text);
    }
    // Both labels are found, each where it is.
    const auto both = ZXingImage::readBarcodes(ZXingImage::viewOf(*twoAlike), hints);
    ASSERT_EQ(both.size(), 2u);
    EXPECT_NE(ZXing::Center(both[0].position()).x < 960, ZXing::Center(both[1].position()).x < 960);
}

TEST(MetadataRecognitionTest, ReadsEachOfSeveralTiltedLinearCodesOnce) {
    // Each code found is painted out before the next read: a painted area off its code finds that code again,
    // or paints over its neighbour, and either way the row of codes is not read whole.
    const std::pair<BarcodeFormat, std::string> labels[] = {{BarcodeFormat::Code128, "first label"},
                                                            {BarcodeFormat::EAN13, "5901234123457"},
                                                            {BarcodeFormat::Code39, "THIRD"}};
    const double degrees[] = {20, -15, 30};
    std::vector<CodePictures::Placement> placements;
    for (std::size_t i = 0; i < std::size(labels); ++i)
        placements.push_back({CodePictures::code(labels[i].first, labels[i].second, 3),
                              {CGFloat(400 + 560 * i), CGFloat(380 + 160 * i)},
                              CGFloat(degrees[i] * std::numbers::pi / 180)});
    const auto frame = CodePictures::frame(placements);
    const auto results = ZXingImage::readBarcodes(ZXingImage::viewOf(*frame),
                                                  ZXingImage::hintsFor(BarcodeFormat::LinearCodes));
    std::vector<std::string> texts;
    for (const auto& result : results)
        texts.push_back(ZXingImage::textOf(result).value_or(""));
    std::sort(texts.begin(), texts.end());
    EXPECT_EQ(texts, (std::vector<std::string>{"5901234123457", "THIRD", "first label"}));
}

TEST(MetadataRecognitionTest, AnInterleavedTwoOfFiveSeenAtASlantGivesNoPieceOfItself) {
    // At 45 degrees a row runs through part of the bars, which reads as a shorter code with a valid check
    // digit; such a read is left out, and the code upright still reads whole.
    const auto code = CodePictures::code(BarcodeFormat::ITF, "00012345678905", 4);
    const auto types = AVCaptureMetadataOutput::make()->availableMetadataObjectTypes();
    for (const double degrees : {45.0, 50.0, 135.0, 140.0}) {
        const auto frame = CodePictures::frame(
            {{code, CodePictures::frameCentre, CGFloat(degrees * std::numbers::pi / 180)}});
        for (const auto& object : MetadataRecognition::recognize(*frame, types))
            EXPECT_EQ(codeAt({object}, 0).stringValue(), "00012345678905") << degrees;
    }
    for (const double degrees : {0.0, 5.0, 90.0, 175.0}) {
        const auto frame = CodePictures::frame(
            {{code, CodePictures::frameCentre, CGFloat(degrees * std::numbers::pi / 180)}});
        const auto objects = MetadataRecognition::recognize(*frame, types);
        ASSERT_EQ(objects.size(), 1u) << degrees;
        EXPECT_EQ(codeAt(objects, 0).stringValue(), "00012345678905");
    }
}
