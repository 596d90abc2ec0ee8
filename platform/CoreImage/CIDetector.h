#pragma once

#include "objc/objc-api.h"

#include "CoreGraphics/CGGeometry.h"
#include "CoreImage/CIImage.h"
#include "Foundation/NSObject.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

inline constexpr std::string_view CIDetectorTypeQRCode = "CIDetectorTypeQRCode";
inline constexpr std::string_view CIDetectorAccuracy = "CIDetectorAccuracy";
inline constexpr std::string_view CIDetectorAccuracyLow = "CIDetectorAccuracyLow";
inline constexpr std::string_view CIDetectorAccuracyHigh = "CIDetectorAccuracyHigh";
inline constexpr std::string_view CIFeatureTypeQRCode = "QRCode";

// Something a detector found, with its bounds in the image's coordinates (origin at the bottom left, pixels).
class ORVANE_EXPORT CIFeature : public NSObject {
    OBJC_OBJECT(CIFeature, NSObject)
    virtual std::string_view type() const = 0;
    CGRect bounds() const { return _bounds; }

  protected:
    explicit CIFeature(CGRect bounds) : _bounds(bounds) {}

  private:
    CGRect _bounds;
};

class ORVANE_EXPORT CIQRCodeFeature : public CIFeature {
    OBJC_OBJECT(CIQRCodeFeature, CIFeature)
    std::string_view type() const override { return CIFeatureTypeQRCode; }
    // The decoded text; nothing when the code's bytes are not text.
    const std::optional<std::string>& messageString() const { return _messageString; }

  protected:
    CIQRCodeFeature(CGRect bounds, std::optional<std::string> messageString)
        : CIFeature(bounds), _messageString(std::move(messageString)) {}

  private:
    std::optional<std::string> _messageString;
};

// Finds features in still pictures. Only QR codes are found; other code types in the picture are not.
class ORVANE_EXPORT CIDetector : public NSObject {
    OBJC_OBJECT(CIDetector, NSObject)
    using Options = std::map<std::string, std::string, std::less<>>;

    // Nothing for a type other than CIDetectorTypeQRCode. CIDetectorAccuracyHigh (the default) searches
    // harder, at some cost in time.
    static std::shared_ptr<CIDetector> detectorOfType(std::string_view type, const Options& options = {});

    // Every QR code in the picture, in reading order. Transparent parts of the picture count as white.
    std::vector<std::shared_ptr<CIFeature>> featuresInImage(const CIImage& image) const;

  protected:
    explicit CIDetector(bool highAccuracy) : _highAccuracy(highAccuracy) {}

  private:
    bool _highAccuracy;
};
