#pragma once

#include "objc/objc-api.h"

#include <optional>
#include <string>
#include <string_view>

// Uniform type identifiers: the platform's names for kinds of data ("public.png"), each with the types it
// conforms to and its tags in other naming systems (MIME types, file name extensions).

inline constexpr std::string_view kUTTypeItem = "public.item";
inline constexpr std::string_view kUTTypeData = "public.data";
inline constexpr std::string_view kUTTypeContent = "public.content";
inline constexpr std::string_view kUTTypeImage = "public.image";
inline constexpr std::string_view kUTTypePNG = "public.png";
inline constexpr std::string_view kUTTypeJPEG = "public.jpeg";
inline constexpr std::string_view kUTTypeAudiovisualContent = "public.audiovisual-content";
inline constexpr std::string_view kUTTypeMovie = "public.movie";
inline constexpr std::string_view kUTTypeVideo = "public.video";
inline constexpr std::string_view kUTTypeQuickTimeMovie = "com.apple.quicktime-movie";
inline constexpr std::string_view kUTTypeMPEG4 = "public.mpeg-4";

inline constexpr std::string_view kUTTagClassMIMEType = "public.mime-type";
inline constexpr std::string_view kUTTagClassFilenameExtension = "public.filename-extension";

// The declared type that `tag` of `tagClass` names (MIME types and extensions compare without regard to
// case), preferring one that conforms to `conformingTo` when given. For a tag no declared type carries, a
// dynamic identifier ("dyn.a...") that encodes the tag, as the platform makes one; nothing for an unknown tag
// class or an empty tag.
ORVANE_EXPORT std::optional<std::string>
UTTypeCreatePreferredIdentifierForTag(std::string_view tagClass, std::string_view tag,
                                      std::string_view conformingTo = {});
// The type's preferred tag of `tagClass` (its first MIME type, its first extension); a dynamic identifier
// gives back the tag it encodes.
ORVANE_EXPORT std::optional<std::string> UTTypeCopyPreferredTagWithClass(std::string_view identifier,
                                                                         std::string_view tagClass);
// Whether the type is `conformsTo` or one of the types it conforms to, directly or through others.
ORVANE_EXPORT bool UTTypeConformsTo(std::string_view identifier, std::string_view conformsTo);
