#include "Foundation/posix/MediaTypes.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <map>
#include <sstream>

namespace {

constexpr const char* tablePath = "/etc/mime.types";
constexpr std::string_view unknownType = "application/octet-stream";

std::string lowercase(std::string_view text) {
    std::string lower(text);
    std::ranges::transform(lower, lower.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return lower;
}

// Lines of "type/subtype ext ext ..."; "#" starts a comment. The first type that lists an extension keeps it.
std::map<std::string, std::string, std::less<>> readTable() {
    std::map<std::string, std::string, std::less<>> types;
    std::ifstream file(tablePath);
    std::string line;
    while (std::getline(file, line)) {
        std::istringstream words(line.substr(0, line.find('#')));
        std::string type, extension;
        if (!(words >> type) || type.find('/') == std::string::npos)
            continue;
        while (words >> extension)
            types.emplace(lowercase(extension), lowercase(type));
    }
    return types;
}

} // namespace

std::string MediaTypes::typeForFileName(std::string_view fileName) {
    static const auto table = readTable();
    const auto dot = fileName.find_last_of('.');
    if (dot == std::string_view::npos || dot == 0)
        return std::string(unknownType);
    const auto found = table.find(lowercase(fileName.substr(dot + 1)));
    return found == table.end() ? std::string(unknownType) : found->second;
}
