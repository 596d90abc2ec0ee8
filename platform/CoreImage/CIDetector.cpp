#include "CoreImage/CIDetector.h"

std::shared_ptr<CIImage> CIImage::imageWithCGImage(CGImageRef image) {
    return image ? make(std::move(image)) : nullptr;
}

std::shared_ptr<CIDetector> CIDetector::detectorOfType(std::string_view type, const Options& options) {
    if (type != CIDetectorTypeQRCode)
        return nullptr;
    const auto accuracy = options.find(CIDetectorAccuracy);
    const bool low = accuracy != options.end() && accuracy->second == CIDetectorAccuracyLow;
    return make(!low);
}
