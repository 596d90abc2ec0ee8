#pragma once

#include <string>
#include <string_view>

// The system's table of media types by file name extension (/etc/mime.types, of the media-types package),
// read once.
namespace MediaTypes {

// The media type of the file name's extension, compared without regard to case; "application/octet-stream"
// when the name has no extension or the table does not know it.
std::string typeForFileName(std::string_view fileName);

} // namespace MediaTypes
