#pragma once

#include "objc/objc-api.h"

#include "CoreGraphics/CGGeometry.h"
#include "Foundation/NSObject.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

using AVMetadataObjectType = std::string_view;

inline constexpr AVMetadataObjectType AVMetadataObjectTypeQRCode = "org.iso.QRCode";
inline constexpr AVMetadataObjectType AVMetadataObjectTypeAztecCode = "org.iso.Aztec";
inline constexpr AVMetadataObjectType AVMetadataObjectTypeDataMatrixCode = "org.iso.DataMatrix";
inline constexpr AVMetadataObjectType AVMetadataObjectTypePDF417Code = "org.iso.PDF417";
inline constexpr AVMetadataObjectType AVMetadataObjectTypeEAN8Code = "org.gs1.EAN-8";
inline constexpr AVMetadataObjectType AVMetadataObjectTypeEAN13Code = "org.gs1.EAN-13";
inline constexpr AVMetadataObjectType AVMetadataObjectTypeUPCECode = "org.gs1.UPC-E";
inline constexpr AVMetadataObjectType AVMetadataObjectTypeCode39Code = "org.iso.Code39";
inline constexpr AVMetadataObjectType AVMetadataObjectTypeCode93Code = "com.intermec.Code93";
inline constexpr AVMetadataObjectType AVMetadataObjectTypeCode128Code = "org.iso.Code128";
inline constexpr AVMetadataObjectType AVMetadataObjectTypeInterleaved2of5Code = "org.ansi.Interleaved2of5";

// Something the metadata output found in a frame. Coordinates are fractions of the frame (0 to 1, origin at
// the top left of the camera's own picture).
class ORVANE_EXPORT AVMetadataObject : public NSObject {
    OBJC_OBJECT(AVMetadataObject, NSObject)
    const std::string& type() const { return _type; }
    CGRect bounds() const { return _bounds; }

  protected:
    AVMetadataObject(std::string type, CGRect bounds) : _type(std::move(type)), _bounds(bounds) {}

  private:
    std::string _type;
    CGRect _bounds;
};

class ORVANE_EXPORT AVMetadataMachineReadableCodeObject : public AVMetadataObject {
    OBJC_OBJECT(AVMetadataMachineReadableCodeObject, AVMetadataObject)
    // The decoded text; nothing when the code's bytes are not text.
    const std::optional<std::string>& stringValue() const { return _stringValue; }
    // The code's corners as it reads: top left, top right, bottom right, bottom left.
    const std::vector<CGPoint>& corners() const { return _corners; }

  protected:
    AVMetadataMachineReadableCodeObject(std::string type, std::optional<std::string> stringValue,
                                        std::vector<CGPoint> corners);

  private:
    std::optional<std::string> _stringValue;
    std::vector<CGPoint> _corners;
};
