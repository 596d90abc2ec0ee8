#include "MobileCoreServices/UTType.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <initializer_list>

namespace {

struct DeclaredType {
    std::string_view identifier;
    std::initializer_list<std::string_view> conformsTo;
    std::initializer_list<std::string_view> mimeTypes;
    std::initializer_list<std::string_view> extensions;
};

// The types the platform declares, from the generic to the concrete. A type's first MIME type and first
// extension are its preferred ones.
const std::array declaredTypes = {
    DeclaredType{"public.item", {}, {}, {}},
    DeclaredType{"public.content", {}, {}, {}},
    DeclaredType{"public.data", {"public.item"}, {"application/octet-stream"}, {}},
    DeclaredType{"public.text", {"public.data", "public.content"}, {"text/plain"}, {}},
    DeclaredType{"public.plain-text", {"public.text"}, {"text/plain"}, {"txt", "text"}},
    DeclaredType{"public.html", {"public.text"}, {"text/html"}, {"html", "htm"}},
    DeclaredType{"public.xml", {"public.text"}, {"application/xml", "text/xml"}, {"xml"}},
    DeclaredType{"public.json", {"public.text"}, {"application/json"}, {"json"}},
    DeclaredType{"public.comma-separated-values-text", {"public.text"}, {"text/csv"}, {"csv"}},
    DeclaredType{"public.vcard", {"public.text"}, {"text/vcard", "text/x-vcard"}, {"vcf", "vcard"}},
    DeclaredType{"com.apple.property-list", {"public.data"}, {}, {"plist"}},
    DeclaredType{"com.adobe.pdf", {"public.data", "public.content"}, {"application/pdf"}, {"pdf"}},
    DeclaredType{"public.archive", {"public.data"}, {}, {}},
    DeclaredType{"public.zip-archive", {"public.archive"}, {"application/zip"}, {"zip"}},
    DeclaredType{
        "org.gnu.gnu-zip-archive", {"public.archive"}, {"application/gzip", "application/x-gzip"}, {"gz"}},
    DeclaredType{"public.image", {"public.data", "public.content"}, {}, {}},
    DeclaredType{"public.png", {"public.image"}, {"image/png"}, {"png"}},
    DeclaredType{"public.jpeg", {"public.image"}, {"image/jpeg", "image/jpg"}, {"jpeg", "jpg", "jpe"}},
    DeclaredType{"com.compuserve.gif", {"public.image"}, {"image/gif"}, {"gif"}},
    DeclaredType{"public.tiff", {"public.image"}, {"image/tiff"}, {"tiff", "tif"}},
    DeclaredType{"com.microsoft.bmp", {"public.image"}, {"image/bmp", "image/x-bmp"}, {"bmp"}},
    DeclaredType{
        "com.microsoft.ico", {"public.image"}, {"image/vnd.microsoft.icon", "image/x-icon"}, {"ico"}},
    DeclaredType{"public.heic", {"public.image"}, {"image/heic"}, {"heic"}},
    DeclaredType{"public.heif", {"public.image"}, {"image/heif"}, {"heif"}},
    DeclaredType{"org.webmproject.webp", {"public.image"}, {"image/webp"}, {"webp"}},
    DeclaredType{"public.svg-image", {"public.image", "public.xml"}, {"image/svg+xml"}, {"svg"}},
    DeclaredType{"public.audiovisual-content", {"public.data", "public.content"}, {}, {}},
    DeclaredType{"public.audio", {"public.audiovisual-content"}, {}, {}},
    DeclaredType{"public.mp3", {"public.audio"}, {"audio/mpeg", "audio/mp3"}, {"mp3"}},
    DeclaredType{"public.mpeg-4-audio", {"public.audio"}, {"audio/mp4", "audio/x-m4a"}, {"m4a"}},
    DeclaredType{"com.apple.m4a-audio", {"public.audio"}, {"audio/x-m4a"}, {"m4a"}},
    DeclaredType{"com.microsoft.waveform-audio", {"public.audio"}, {"audio/wav", "audio/x-wav"}, {"wav"}},
    DeclaredType{"com.apple.coreaudio-format", {"public.audio"}, {"audio/x-caf"}, {"caf"}},
    DeclaredType{"public.aiff-audio", {"public.audio"}, {"audio/aiff", "audio/x-aiff"}, {"aiff", "aif"}},
    DeclaredType{"public.movie", {"public.audiovisual-content"}, {}, {}},
    DeclaredType{"public.video", {"public.movie"}, {}, {}},
    DeclaredType{"com.apple.quicktime-movie", {"public.movie"}, {"video/quicktime"}, {"mov", "qt"}},
    DeclaredType{"public.mpeg-4", {"public.movie"}, {"video/mp4", "video/mp4v"}, {"mp4", "mpg4"}},
    DeclaredType{"com.apple.m4v-video", {"public.movie"}, {"video/x-m4v"}, {"m4v"}},
    DeclaredType{"public.mpeg", {"public.movie"}, {"video/mpeg", "video/mpg"}, {"mpeg", "mpg", "mpe"}},
    DeclaredType{"public.3gpp", {"public.movie"}, {"video/3gpp", "audio/3gpp"}, {"3gp", "3gpp"}},
    DeclaredType{"public.3gpp2", {"public.movie"}, {"video/3gpp2", "audio/3gpp2"}, {"3g2", "3gp2"}},
    DeclaredType{"public.avi", {"public.movie"}, {"video/avi", "video/msvideo", "video/x-msvideo"}, {"avi"}},
};

bool equalIgnoringCase(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

const DeclaredType* declared(std::string_view identifier) {
    const auto found = std::ranges::find_if(declaredTypes, [&](const DeclaredType& type) {
        return equalIgnoringCase(type.identifier, identifier);
    });
    return found == declaredTypes.end() ? nullptr : &*found;
}

const std::initializer_list<std::string_view>* tagsOf(const DeclaredType& type, std::string_view tagClass) {
    if (tagClass == kUTTagClassMIMEType)
        return &type.mimeTypes;
    if (tagClass == kUTTagClassFilenameExtension)
        return &type.extensions;
    return nullptr;
}

// Dynamic identifiers spell out a declaration: "?0=conforming:N=tag", where N is the tag class's number, in
// a base-32 alphabet that avoids letters easily misread, after "dyn.a".
constexpr std::string_view dynamicPrefix = "dyn.a";
constexpr std::string_view alphabet = "abcdefghkmnpqrstuvwxyz0123456789";
constexpr char mimeTypeClassNumber = '7';
constexpr char extensionClassNumber = '1';

std::string encodeBase32(std::string_view text) {
    std::string encoded;
    unsigned bits = 0;
    int count = 0;
    for (const char c : text) {
        bits = bits << 8 | static_cast<unsigned char>(c);
        for (count += 8; count >= 5; count -= 5)
            encoded += alphabet[(bits >> (count - 5)) & 31];
    }
    if (count > 0)
        encoded += alphabet[(bits << (5 - count)) & 31];
    return encoded;
}

std::optional<std::string> decodeBase32(std::string_view encoded) {
    std::string text;
    unsigned bits = 0;
    int count = 0;
    for (const char c : encoded) {
        const auto value = alphabet.find(c);
        if (value == std::string_view::npos)
            return std::nullopt;
        bits = bits << 5 | unsigned(value);
        if ((count += 5) >= 8) {
            count -= 8;
            text += static_cast<char>((bits >> count) & 0xff);
        }
    }
    return text;
}

std::string dynamicIdentifier(char classNumber, std::string_view tag, std::string_view conformingTo) {
    std::string declaration = "?";
    if (!conformingTo.empty())
        declaration += "0=" + std::string(conformingTo) + ":";
    declaration += std::string{classNumber, '='} + std::string(tag);
    return std::string(dynamicPrefix) + encodeBase32(declaration);
}

// What a dynamic identifier declares: the tag of the given class, and the type it conforms to.
struct DynamicDeclaration {
    std::string conformsTo;
    char classNumber = 0;
    std::string tag;
};

std::optional<DynamicDeclaration> parseDynamic(std::string_view identifier) {
    if (!identifier.starts_with(dynamicPrefix))
        return std::nullopt;
    const auto text = decodeBase32(identifier.substr(dynamicPrefix.size()));
    if (!text || !text->starts_with('?'))
        return std::nullopt;
    DynamicDeclaration declaration;
    std::string_view rest = std::string_view(*text).substr(1);
    if (rest.starts_with("0=")) {
        const auto colon = rest.find(':');
        if (colon == std::string_view::npos)
            return std::nullopt;
        declaration.conformsTo = rest.substr(2, colon - 2);
        rest = rest.substr(colon + 1);
    }
    if (rest.size() < 2 || rest[1] != '=')
        return std::nullopt;
    declaration.classNumber = rest[0];
    declaration.tag = rest.substr(2);
    return declaration;
}

} // namespace

std::optional<std::string> UTTypeCreatePreferredIdentifierForTag(std::string_view tagClass,
                                                                 std::string_view tag,
                                                                 std::string_view conformingTo) {
    const bool mime = tagClass == kUTTagClassMIMEType;
    if ((!mime && tagClass != kUTTagClassFilenameExtension) || tag.empty())
        return std::nullopt;
    for (const auto& type : declaredTypes) {
        const auto& tags = *tagsOf(type, tagClass);
        const bool carries =
            std::ranges::any_of(tags, [&](std::string_view t) { return equalIgnoringCase(t, tag); });
        if (carries && (conformingTo.empty() || UTTypeConformsTo(type.identifier, conformingTo)))
            return std::string(type.identifier);
    }
    return dynamicIdentifier(mime ? mimeTypeClassNumber : extensionClassNumber, tag, conformingTo);
}

std::optional<std::string> UTTypeCopyPreferredTagWithClass(std::string_view identifier,
                                                           std::string_view tagClass) {
    if (const auto* type = declared(identifier)) {
        const auto* tags = tagsOf(*type, tagClass);
        if (!tags || tags->size() == 0)
            return std::nullopt;
        return std::string(*tags->begin());
    }
    const auto dynamic = parseDynamic(identifier);
    const char wanted = tagClass == kUTTagClassMIMEType            ? mimeTypeClassNumber
                        : tagClass == kUTTagClassFilenameExtension ? extensionClassNumber
                                                                   : 0;
    if (!dynamic || dynamic->classNumber != wanted)
        return std::nullopt;
    return dynamic->tag;
}

bool UTTypeConformsTo(std::string_view identifier, std::string_view conformsTo) {
    if (equalIgnoringCase(identifier, conformsTo))
        return true;
    if (const auto* type = declared(identifier))
        return std::ranges::any_of(
            type->conformsTo, [&](std::string_view parent) { return UTTypeConformsTo(parent, conformsTo); });
    const auto dynamic = parseDynamic(identifier);
    return dynamic && !dynamic->conformsTo.empty() && UTTypeConformsTo(dynamic->conformsTo, conformsTo);
}
