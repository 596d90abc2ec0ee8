// The scanner against its library on a set of hard pictures: each picture is read once by zxing-cpp straight
// from the file at its own size (searching hard, in every quarter turn: the library's defaults otherwise),
// and once as the scanner reads it, shown to the camera and read view after view of the hand's sequence, pass
// after pass, until the first frame that holds a code. Prints both counts by trouble and format, and fails
// when the scanner misses a picture the library reads, reads a wrong text, or reads a picture without a code.

#include "AVFoundation/AVCaptureHost.h"
#include "AVFoundation/AVMetadataObject.h"
#include "AVFoundation/zxing/MetadataRecognition.h"
#include "HardPictures.h"

#define ZX_USE_UTF8 1
#include <ZXing/ReadBarcode.h>

#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <iostream>
#include <map>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// What a reader made of a picture: nothing read, a text, or (for the library) an abort.
struct Reading {
    bool read = false;
    std::string text;
    bool aborted = false;
};

const ZXing::BarcodeFormats everyFormat = [] {
    ZXing::BarcodeFormats formats;
    for (const auto& sample : HardPictures::samples())
        formats |= sample.format;
    return formats;
}();

// zxing-cpp 1.4 aborts the process on some pictures (it compares a linear code found twice through an
// assertion), so the library reads each picture in a child process of its own. The child's assertion message
// is not shown: the aborts are counted in the summary instead.
Reading libraryReadingWith(const CGImage& picture, const ZXing::DecodeHints& hints) {
    int pipe[2];
    if (::pipe(pipe) != 0)
        return {};
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipe[0]);
        if (const int nowhere = ::open("/dev/null", O_WRONLY); nowhere >= 0)
            ::dup2(nowhere, STDERR_FILENO);
        const ZXing::ImageView view(reinterpret_cast<const std::uint8_t*>(picture.pixels().data()),
                                    int(picture.width()), int(picture.height()), ZXing::ImageFormat::BGRX);
        const auto results = ZXing::ReadBarcodes(view, hints);
        std::string text = results.empty() ? std::string() : "+" + results.front().text();
        [[maybe_unused]] const auto written = ::write(pipe[1], text.data(), text.size());
        ::_exit(0);
    }
    ::close(pipe[1]);
    std::string answer;
    char buffer[4096];
    for (ssize_t n; (n = ::read(pipe[0], buffer, sizeof buffer)) > 0;)
        answer.append(buffer, std::size_t(n));
    ::close(pipe[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status))
        return {false, {}, true};
    if (answer.empty())
        return {};
    return {true, answer.substr(1)};
}

// Where the library aborts with its own downscaled copies, it is given a second chance without them.
Reading libraryReading(const CGImage& picture, int& aborts) {
    const auto hints = ZXing::DecodeHints().setFormats(everyFormat).setTryHarder(true).setTryRotate(true);
    const auto reading = libraryReadingWith(picture, hints);
    if (!reading.aborted)
        return reading;
    ++aborts;
    return libraryReadingWith(picture, ZXing::DecodeHints(hints).setTryDownscale(false));
}

Reading scannerReading(const CGImageRef& picture) {
    std::vector<std::string> types;
    for (const auto type : MetadataRecognition::supportedTypes())
        types.emplace_back(type);
    const auto scene = AVCaptureHost::sceneWithPicture(picture);
    for (std::size_t v = 0; v < scene->viewCount(); ++v) {
        const auto frame = scene->view(v);
        for (std::size_t pass = 0; pass < MetadataRecognition::passCount(); ++pass) {
            const auto objects = MetadataRecognition::recognize(*frame, types, pass);
            if (objects.empty())
                continue;
            const auto& code = static_cast<const AVMetadataMachineReadableCodeObject&>(*objects.front());
            return {true, code.stringValue().value_or("(bytes)")};
        }
    }
    return {};
}

struct Tally {
    int pictures = 0;
    int library = 0;
    int scanner = 0;
    void add(bool libraryRead, bool scannerRead) {
        ++pictures;
        library += libraryRead;
        scanner += scannerRead;
    }
};

void printTallies(const char* heading, const std::map<std::string, Tally>& tallies) {
    std::printf("\n%-24s %8s %8s %8s\n", heading, "pictures", "library", "scanner");
    Tally all;
    for (const auto& [name, tally] : tallies) {
        std::printf("%-24s %8d %8d %8d\n", name.c_str(), tally.pictures, tally.library, tally.scanner);
        all.pictures += tally.pictures;
        all.library += tally.library;
        all.scanner += tally.scanner;
    }
    std::printf("%-24s %8d %8d %8d\n", "all", all.pictures, all.library, all.scanner);
}

std::string formatOf(const std::string& name) {
    return name.substr(0, name.find(' '));
}

} // namespace

int main() {
    const auto started = std::chrono::steady_clock::now();
    std::map<std::string, Tally> byTrouble, byFormat;
    std::vector<std::string> faults;
    int aborts = 0, abortsWithoutDownscaling = 0;
    for (const auto& picture : HardPictures::everyPicture()) {
        const auto image = picture.make();
        const auto library = libraryReading(*image, aborts);
        const auto scanner = scannerReading(image);
        abortsWithoutDownscaling += library.aborted;
        const bool libraryRight = library.read && picture.text && library.text == *picture.text;
        const bool scannerRight = scanner.read && picture.text && scanner.text == *picture.text;
        if (picture.text) {
            byTrouble[picture.trouble].add(libraryRight, scannerRight);
            byFormat[formatOf(picture.name)].add(libraryRight, scannerRight);
        }
        if (scanner.read && !scannerRight)
            faults.push_back(picture.name + ": the scanner read \"" + scanner.text + "\"");
        else if (libraryRight && !scannerRight)
            faults.push_back(picture.name + ": the library reads it, the scanner does not");
    }
    printTallies("trouble", byTrouble);
    printTallies("format", byFormat);
    std::printf(
        "\nthe library aborted on %d pictures, on %d of them without its downscaled copies too (counted "
        "as not read)\n",
        aborts, abortsWithoutDownscaling);
    std::printf("%.1f s\n",
                std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
    for (const auto& fault : faults)
        std::cerr << "fault: " << fault << "\n";
    return faults.empty() ? 0 : 1;
}
