#include "UIKit/libexif/ExifOrientation.h"

#include <libexif/exif-data.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <memory>

namespace {

// EXIF's values 1 to 8, in order, as UIKit names them.
constexpr std::array<UIImageOrientation, 8> byExifValue = {
    UIImageOrientationUp,
    UIImageOrientationUpMirrored,
    UIImageOrientationDown,
    UIImageOrientationDownMirrored,
    UIImageOrientationLeftMirrored,
    UIImageOrientationRight,
    UIImageOrientationRightMirrored,
    UIImageOrientationLeft,
};

struct ExifDataDeleter {
    void operator()(ExifData* data) const { exif_data_unref(data); }
};
using ExifDataHandle = std::unique_ptr<ExifData, ExifDataDeleter>;

struct ExifEntryDeleter {
    void operator()(ExifEntry* entry) const { exif_entry_unref(entry); }
};

} // namespace

UIImageOrientation ExifOrientation::ofJPEG(std::span<const std::uint8_t> jpeg) {
    if (jpeg.empty())
        return UIImageOrientationUp;
    const ExifDataHandle data(exif_data_new_from_data(jpeg.data(), static_cast<unsigned int>(jpeg.size())));
    if (!data)
        return UIImageOrientationUp;
    const ExifEntry* entry = exif_content_get_entry(data->ifd[EXIF_IFD_0], EXIF_TAG_ORIENTATION);
    if (!entry || entry->format != EXIF_FORMAT_SHORT || entry->components < 1 || !entry->data ||
        entry->size < 2)
        return UIImageOrientationUp;
    const ExifShort value = exif_get_short(entry->data, exif_data_get_byte_order(data.get()));
    if (value < 1 || value > byExifValue.size())
        return UIImageOrientationUp;
    return byExifValue[value - 1];
}

std::vector<std::uint8_t> ExifOrientation::payloadFor(UIImageOrientation orientation) {
    const auto found = std::find(byExifValue.begin(), byExifValue.end(), orientation);
    if (found == byExifValue.end())
        return {};
    const ExifDataHandle data(exif_data_new());
    if (!data)
        return {};
    exif_data_unset_option(data.get(), EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
    exif_data_set_byte_order(data.get(), EXIF_BYTE_ORDER_MOTOROLA);
    const std::unique_ptr<ExifEntry, ExifEntryDeleter> entry(exif_entry_new());
    if (!entry)
        return {};
    exif_content_add_entry(data->ifd[EXIF_IFD_0], entry.get());
    exif_entry_initialize(entry.get(), EXIF_TAG_ORIENTATION);
    exif_set_short(entry->data, EXIF_BYTE_ORDER_MOTOROLA, ExifShort(found - byExifValue.begin() + 1));
    unsigned char* bytes = nullptr;
    unsigned int length = 0;
    exif_data_save_data(data.get(), &bytes, &length);
    const std::unique_ptr<unsigned char, decltype(&std::free)> owned(bytes, &std::free);
    return bytes ? std::vector<std::uint8_t>(bytes, bytes + length) : std::vector<std::uint8_t>{};
}
