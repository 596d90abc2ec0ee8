#include "Foundation/NSURLConnection.h"

#include "Device/DeviceRoot.h"
#include "Device/posix/FileIO.h"
#include "Foundation/posix/MediaTypes.h"

namespace {

// A whole file in memory: far above a short video, well below what would hurt to read.
constexpr std::size_t maximumFileSize = 512u * 1024 * 1024;

std::string lastPathComponent(std::string_view path) {
    const auto slash = path.find_last_of('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

} // namespace

std::string NSURLResponse::suggestedFilename() const {
    const std::string name = _url ? lastPathComponent(_url->path()) : std::string();
    return name.empty() ? "Unknown" : name;
}

std::optional<std::vector<std::uint8_t>>
NSURLConnection::sendSynchronousRequest(const std::shared_ptr<NSURLRequest>& request,
                                        std::shared_ptr<NSURLResponse>& response) {
    response = nullptr;
    if (!request || !request->URL() || !request->URL()->isFileURL())
        return std::nullopt;
    const std::string path = request->URL()->path();
    auto bytes = FileIO::readFile(DeviceRoot::resolve(path), maximumFileSize);
    if (!bytes)
        return std::nullopt;
    response = NSURLResponse::make(request->URL(), MediaTypes::typeForFileName(lastPathComponent(path)),
                                   static_cast<long long>(bytes->size()));
    return bytes;
}
