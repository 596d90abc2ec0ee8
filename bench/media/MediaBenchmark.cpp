#include "CoreGraphics/CGImage.h"
#include "MessageUI/MFMailComposeViewController.h"
#include "MobileCoreServices/UTType.h"
#include "section/MediaPicking.h"
#include "section/Presentation.h"
#include "section/SectionState.h"
#include "section/UprightImage.h"
#include "support/RatioReporter.h"

#include <benchmark/benchmark.h>
#include <png.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <random>

namespace {

constexpr std::size_t photoWidth = 4032;
constexpr std::size_t photoHeight = 3024;
constexpr double decodedMegabytes = photoWidth * photoHeight * 4 / 1e6;

// A photo-like bitmap: smooth light across the frame with fine sensor noise, so that neither PNG nor JPEG
// finds it unusually easy.
CGImageRef makePhoto() {
    std::vector<std::uint32_t> pixels(photoWidth * photoHeight);
    std::minstd_rand noise(42);
    for (std::size_t y = 0; y < photoHeight; ++y) {
        for (std::size_t x = 0; x < photoWidth; ++x) {
            const auto grain = std::uint32_t(noise() % 9);
            const auto red = std::uint32_t(60 + 150 * x / photoWidth) + grain;
            const auto green = std::uint32_t(40 + 170 * y / photoHeight) + grain;
            const auto blue = std::uint32_t(120 + 60 * ((x / 97 + y / 89) % 2)) + grain;
            pixels[y * photoWidth + x] = 0xff000000u | red << 16 | green << 8 | blue;
        }
    }
    return CGImageCreate(photoWidth, photoHeight, std::move(pixels));
}

const CGImageRef& photo() {
    static const CGImageRef image = makePhoto();
    return image;
}

void warmCopy(benchmark::State& state) {
    const auto source = photo()->pixels();
    std::vector<std::uint32_t> target(source.size(), 1);
    for (auto _ : state) {
        std::memcpy(target.data(), source.data(), source.size_bytes());
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
}

void upright(benchmark::State& state, UIImageOrientation orientation) {
    const auto image = UIImage::imageWithCGImage(photo(), 1, orientation);
    for (auto _ : state) {
        auto upright = normaliseImageOrientation(image);
        if (!upright)
            state.SkipWithError("no upright image");
        benchmark::DoNotOptimize(upright);
    }
}

void uprightDown(benchmark::State& state) {
    upright(state, UIImageOrientationDown);
}
void uprightRight(benchmark::State& state) {
    upright(state, UIImageOrientationRight);
}
void uprightLeftMirrored(benchmark::State& state) {
    upright(state, UIImageOrientationLeftMirrored);
}
void uprightUp(benchmark::State& state) {
    upright(state, UIImageOrientationUp);
}

void appendToVector(png_structp png, png_bytep data, png_size_t length) {
    auto& bytes = *static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
    bytes.insert(bytes.end(), data, data + length);
}

// What libpng writes with its own defaults for the same RGB rows.
std::vector<std::uint8_t> encodeWithLibpngDefaults(const CGImage& image) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    std::vector<std::uint8_t> bytes;
    std::vector<png_byte> row(image.width() * 3);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(png, &bytes, appendToVector, nullptr);
    png_set_IHDR(png, info, png_uint_32(image.width()), png_uint_32(image.height()), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    const auto pixels = image.pixels();
    for (std::size_t y = 0; y < image.height(); ++y) {
        for (std::size_t x = 0; x < image.width(); ++x) {
            const std::uint32_t pixel = pixels[y * image.width() + x];
            row[x * 3] = png_byte(pixel >> 16), row[x * 3 + 1] = png_byte(pixel >> 8),
                    row[x * 3 + 2] = png_byte(pixel);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return bytes;
}

void pngLibpngDefaults(benchmark::State& state) {
    std::size_t bytes = 0;
    for (auto _ : state)
        bytes = encodeWithLibpngDefaults(*photo()).size();
    state.counters["MB"] = double(bytes) / 1e6;
}

void pngForAttachment(benchmark::State& state) {
    std::vector<std::uint8_t> encoded;
    for (auto _ : state)
        encoded = CGImagePNGRepresentation(photo());
    const auto decoded = CGImageCreateWithPNGData(encoded);
    if (!decoded || !std::ranges::equal(decoded->pixels(), photo()->pixels()))
        state.SkipWithError("the PNG does not decode back to the same pixels");
    state.counters["MB"] = double(encoded.size()) / 1e6;
    state.counters["bytes_vs_defaults"] =
        double(encoded.size()) / double(encodeWithLibpngDefaults(*photo()).size());
}

// What the camera hands over for a mail: a JPEG that the camera stored turned, EXIF orientation 6.
const std::vector<std::uint8_t>& cameraJPEG() {
    static const auto jpeg =
        UIImageJPEGRepresentation(*UIImage::imageWithCGImage(photo(), 1, UIImageOrientationRight), 0.9);
    return jpeg;
}

// The first step of the camera's photo into a mail: its JPEG decoded.
void decodeCameraJPEG(benchmark::State& state) {
    cameraJPEG();
    for (auto _ : state) {
        if (!CGImageCreateWithJPEGData(cameraJPEG()))
            state.SkipWithError("the camera's JPEG did not decode");
    }
}

// The photo from the camera's file to the mail sheet's attachment, as the section takes it: the picker over
// Control Center for a mail, its answer with the decoded photo, then the mail sheet with the photo made
// upright and encoded as PNG.
bool takePhotoIntoMail() {
    static const auto controlCenter = UIViewController::make();
    sectionState().controlCenterViewController = controlCenter;
    sectionState().pickerMode = PickerMode::mail;
    presentImagePicker(true, true);
    const auto picker =
        std::dynamic_pointer_cast<UIImagePickerController>(sectionState().presentedController);
    const UIImagePickerMediaInfo info = {
        {std::string(UIImagePickerControllerMediaType),
         NSString::stringWithString(std::string(kUTTypeImage))},
        {std::string(UIImagePickerControllerOriginalImage), UIImage::imageWithData(cameraJPEG())}};
    imagePickerFinished(picker, info);
    const auto mail =
        std::dynamic_pointer_cast<MFMailComposeViewController>(sectionState().presentedController);
    const bool attached = mail && mail->attachments().size() == 1 && !mail->attachments()[0].data.empty();
    closePresentedController();
    return attached;
}

long residentKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

template <typename Step> double millisecondsOf(const Step& step) {
    const auto start = std::chrono::steady_clock::now();
    step();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// The path's steps one after another, each timed on its own: what the sheet adds is the rest.
void timeEachStep(benchmark::State& state) {
    std::shared_ptr<UIImage> decoded, upright;
    state.counters["decode_ms"] = millisecondsOf([&] { decoded = UIImage::imageWithData(cameraJPEG()); });
    state.counters["upright_ms"] = millisecondsOf([&] { upright = normaliseImageOrientation(decoded); });
    decoded.reset();
    std::vector<std::uint8_t> png;
    state.counters["png_ms"] = millisecondsOf([&] { png = UIImagePNGRepresentation(*upright); });
    if (png.empty())
        state.SkipWithError("the upright photo did not encode");
}

void pickerTakeToMail(benchmark::State& state) {
    cameraJPEG();
    for (auto _ : state) {
        if (!takePhotoIntoMail())
            state.SkipWithError("the mail got no attachment");
    }
    timeEachStep(state);
    // Peak memory of one run, in a fresh child process so that earlier benchmarks do not count.
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return;
    const pid_t child = fork();
    if (child == 0) {
        const long before = residentKilobytes();
        const bool attached = takePhotoIntoMail();
        const long grown = attached ? residentKilobytes() - before : -1;
        [[maybe_unused]] const auto written = write(pipeEnds[1], &grown, sizeof grown);
        _exit(0);
    }
    long grown = -1;
    [[maybe_unused]] const auto read = ::read(pipeEnds[0], &grown, sizeof grown);
    waitpid(child, nullptr, 0);
    close(pipeEnds[0]);
    close(pipeEnds[1]);
    state.counters["peak_MB"] = double(grown) * 1024 / 1e6;
    state.counters["decoded_copies"] = double(grown) * 1024 / 1e6 / decodedMegabytes;
}

BENCHMARK(warmCopy)->Unit(benchmark::kMillisecond);
BENCHMARK(uprightDown)->Unit(benchmark::kMillisecond);
BENCHMARK(uprightRight)->Unit(benchmark::kMillisecond);
BENCHMARK(uprightLeftMirrored)->Unit(benchmark::kMillisecond);
BENCHMARK(uprightUp)->Unit(benchmark::kMicrosecond);
BENCHMARK(pngLibpngDefaults)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(pngForAttachment)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(decodeCameraJPEG)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(pickerTakeToMail)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    return runWithRatios({{"uprightDown", "warmCopy"},
                          {"uprightRight", "warmCopy"},
                          {"uprightLeftMirrored", "warmCopy"},
                          {"uprightUp", "warmCopy"},
                          {"pngLibpngDefaults", "pngForAttachment"}});
}
