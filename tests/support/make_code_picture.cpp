// Writes a picture of a code made with zxing-cpp's writer, for scripts and seeds:
//   make-code-picture FORMAT TEXT OUT.png|OUT.jpg [MODULE_PIXELS]
// FORMAT is a zxing-cpp format name such as QRCode, EAN13 or Code128.
#include "support/CodePictures.h"

#include <ZXing/BarcodeFormat.h>

#include "support/JPEGEncoding.h"

#include <fstream>
#include <iostream>
#include <string_view>

int main(int argc, char** argv) {
    if (argc < 4 || argc > 5) {
        std::cerr << "usage: make-code-picture FORMAT TEXT OUT.png|OUT.jpg [MODULE_PIXELS]\n";
        return 2;
    }
    const auto format = ZXing::BarcodeFormatFromString(argv[1]);
    const int moduleSize = argc == 5 ? std::atoi(argv[4]) : 6;
    if (format == ZXing::BarcodeFormat::None || moduleSize < 1 || moduleSize > 64) {
        std::cerr << "make-code-picture: unknown format or module size\n";
        return 2;
    }
    const auto picture = CodePictures::code(format, argv[2], moduleSize);
    const bool jpeg = std::string_view(argv[3]).ends_with(".jpg");
    const auto bytes = jpeg ? jpegOf(*picture, 90, true) : CGImagePNGRepresentation(picture);
    std::ofstream(argv[3], std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return 0;
}
