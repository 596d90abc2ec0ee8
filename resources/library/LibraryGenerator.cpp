// Makes the embedded iPhone's photo library: photos as a phone's camera stores them (JPEG, the sensor's
// landscape pixels, an EXIF orientation saying how to show them) and one short video (Motion-JPEG in a
// QuickTime movie). Every photo shows the same upright scene with its top-left corner marked, so that a
// wrong turn shows at a glance.
#include "CoreGraphics/CGContext.h"
#include "UIKit/UIGraphics.h"
#include "UIKit/UIImage.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

void fill(const CGContextRef& context, CGRect rect, CGFloat red, CGFloat green, CGFloat blue) {
    CGContextSetRGBFillColor(context, red, green, blue, 1);
    CGContextFillRect(context, rect);
}

// The scene as a person sees it, `width` x `height`, y up: sky, hills, a sun that moves with `phase` (0 to
// 1), and an orange marker in the top-left corner.
CGImageRef scene(std::size_t width, std::size_t height, CGFloat phase) {
    const auto context = CGBitmapContextCreate(width, height);
    const CGFloat w = CGFloat(width), h = CGFloat(height);
    for (int band = 0; band < 16; ++band)
        fill(context, CGRectMake(0, h * (0.4 + 0.6 * band / 16.0), w, h * 0.6 / 16 + 1), 0.35 + band * 0.02,
             0.6 + band * 0.015, 0.95);
    fill(context, CGRectMake(0, 0, w, h * 0.4), 0.2, 0.55, 0.25);
    fill(context, CGRectMake(w * 0.55, h * 0.3, w * 0.45, h * 0.15), 0.15, 0.45, 0.2);
    CGPath sun;
    sun.addEllipseInRect(CGRectMake(w * (0.45 + 0.3 * phase), h * 0.65, h * 0.18, h * 0.18));
    CGContextSetRGBFillColor(context, 1, 0.85, 0.2, 1);
    CGContextAddPath(context, sun);
    CGContextFillPath(context);
    fill(context, CGRectMake(0, h * 0.8, w * 0.2, h * 0.2), 1, 0.45, 0);
    return CGBitmapContextCreateImage(context);
}

// Shown with `orientation`, the stored pixels must give the scene: they are the scene turned back.
UIImageOrientation reverse(UIImageOrientation orientation) {
    if (orientation == UIImageOrientationLeft)
        return UIImageOrientationRight;
    if (orientation == UIImageOrientationRight)
        return UIImageOrientationLeft;
    return orientation;
}

CGImageRef storedPixels(const CGImageRef& upright, UIImageOrientation orientation) {
    const auto turned = UIImage::imageWithCGImage(upright, 1, reverse(orientation));
    UIGraphicsBeginImageContextWithOptions(turned->size(), true, 1);
    turned->drawInRect({{0, 0}, turned->size()}, kCGBlendModeCopy, 1);
    const auto stored = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    return stored->CGImage();
}

bool write(const std::filesystem::path& file, const Bytes& bytes) {
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return bytes.size() > 0 && out.good();
}

Bytes photo(std::size_t width, std::size_t height, UIImageOrientation orientation) {
    const auto upright = scene(width, height, 0.5);
    return UIImageJPEGRepresentation(
        *UIImage::imageWithCGImage(storedPixels(upright, orientation), 1, orientation), 0.85);
}

// QuickTime's atoms: a big-endian size, a four-character type, then the content.
class Atom {
  public:
    explicit Atom(const char* type) {
        _bytes = {0, 0, 0, 0, Byte(type[0]), Byte(type[1]), Byte(type[2]), Byte(type[3])};
    }
    Atom& u8(std::uint8_t value) { return append({value}); }
    Atom& u16(std::uint16_t value) { return append({Byte(value >> 8), Byte(value)}); }
    Atom& u32(std::uint32_t value) {
        return append({Byte(value >> 24), Byte(value >> 16), Byte(value >> 8), Byte(value)});
    }
    Atom& zeros(std::size_t count) { return append(Bytes(count, 0)); }
    Atom& text(const char* chars) {
        while (*chars)
            _bytes.push_back(Byte(*chars++));
        return *this;
    }
    Atom& append(const Bytes& bytes) {
        _bytes.insert(_bytes.end(), bytes.begin(), bytes.end());
        return *this;
    }
    Atom& child(const Atom& atom) { return append(atom.bytes()); }
    // The identity matrix in QuickTime's 16.16 and 2.30 fixed point.
    Atom& identity() {
        return u32(0x10000).u32(0).u32(0).u32(0).u32(0x10000).u32(0).u32(0).u32(0).u32(0x40000000);
    }
    Bytes bytes() const {
        Bytes sized = _bytes;
        const auto size = std::uint32_t(sized.size());
        sized[0] = Byte(size >> 24), sized[1] = Byte(size >> 16), sized[2] = Byte(size >> 8),
        sized[3] = Byte(size);
        return sized;
    }

  private:
    using Byte = std::uint8_t;
    Bytes _bytes;
};

// A short Motion-JPEG movie: frames of the scene with the sun crossing the sky, ten a second.
Bytes movie(std::uint16_t width, std::uint16_t height, std::uint32_t frames) {
    constexpr std::uint32_t timescale = 600, frameDuration = 60;
    const std::uint32_t duration = frames * frameDuration;
    std::vector<Bytes> samples;
    for (std::uint32_t frame = 0; frame < frames; ++frame)
        samples.push_back(UIImageJPEGRepresentation(
            *UIImage::imageWithCGImage(scene(width, height, CGFloat(frame) / frames), 1,
                                       UIImageOrientationUp),
            0.7));
    const Atom ftyp = Atom("ftyp").text("qt  ").u32(0x200).text("qt  ");
    Atom mdat("mdat");
    for (const auto& sample : samples)
        mdat.append(sample);
    Atom stsz("stsz");
    stsz.u32(0).u32(0).u32(frames);
    for (const auto& sample : samples)
        stsz.u32(std::uint32_t(sample.size()));
    const std::uint32_t firstSample = std::uint32_t(ftyp.bytes().size()) + 8;
    const Atom stsd = Atom("stsd").u32(0).u32(1).child(Atom("jpeg")
                                                           .zeros(6)
                                                           .u16(1)
                                                           .u16(0)
                                                           .u16(0)
                                                           .u32(0)
                                                           .u32(0)
                                                           .u32(512)
                                                           .u16(width)
                                                           .u16(height)
                                                           .u32(0x480000)
                                                           .u32(0x480000)
                                                           .u32(0)
                                                           .u16(1)
                                                           .u8(10)
                                                           .text("Photo JPEG")
                                                           .zeros(21)
                                                           .u16(24)
                                                           .u16(0xffff));
    const Atom stbl = Atom("stbl")
                          .child(stsd)
                          .child(Atom("stts").u32(0).u32(1).u32(frames).u32(frameDuration))
                          .child(Atom("stsc").u32(0).u32(1).u32(1).u32(frames).u32(1))
                          .child(stsz)
                          .child(Atom("stco").u32(0).u32(1).u32(firstSample));
    const Atom minf = Atom("minf")
                          .child(Atom("vmhd").u32(1).u16(0x40).zeros(6))
                          .child(Atom("hdlr").u32(0).text("dhlralis").zeros(12).u8(0))
                          .child(Atom("dinf").child(Atom("dref").u32(0).u32(1).child(Atom("alis").u32(1))))
                          .child(stbl);
    const Atom mdia = Atom("mdia")
                          .child(Atom("mdhd").u32(0).u32(0).u32(0).u32(timescale).u32(duration).u16(0).u16(0))
                          .child(Atom("hdlr").u32(0).text("mhlrvide").zeros(12).u8(0))
                          .child(minf);
    const Atom trak = Atom("trak")
                          .child(Atom("tkhd")
                                     .u32(3)
                                     .u32(0)
                                     .u32(0)
                                     .u32(1)
                                     .u32(0)
                                     .u32(duration)
                                     .zeros(8)
                                     .u16(0)
                                     .u16(0)
                                     .u16(0)
                                     .u16(0)
                                     .identity()
                                     .u32(std::uint32_t(width) << 16)
                                     .u32(std::uint32_t(height) << 16))
                          .child(mdia);
    const Atom moov = Atom("moov")
                          .child(Atom("mvhd")
                                     .u32(0)
                                     .u32(0)
                                     .u32(0)
                                     .u32(timescale)
                                     .u32(duration)
                                     .u32(0x10000)
                                     .u16(0x100)
                                     .zeros(10)
                                     .identity()
                                     .zeros(24)
                                     .u32(2))
                          .child(trak);
    Bytes file = ftyp.bytes();
    for (const auto& atom : {mdat.bytes(), moov.bytes()})
        file.insert(file.end(), atom.begin(), atom.end());
    return file;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: orvane-library FOLDER\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    // The camera's sensor is landscape: held upright, the phone stores it turned (EXIF 6); upside down, 3;
    // the other way, 8; as it lies, 1.
    const bool written = write(folder / "IMG_0001.JPG", photo(800, 600, UIImageOrientationUp)) &&
                         write(folder / "IMG_0002.JPG", photo(600, 800, UIImageOrientationRight)) &&
                         write(folder / "IMG_0003.JPG", photo(800, 600, UIImageOrientationDown)) &&
                         write(folder / "IMG_0004.JPG", photo(600, 800, UIImageOrientationLeft)) &&
                         write(folder / "IMG_0005.MOV", movie(320, 240, 12));
    if (!written)
        std::fprintf(stderr, "orvane-library: cannot write the library into %s\n", argv[1]);
    return written ? 0 : 1;
}
