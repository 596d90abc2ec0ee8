#include "fuzz/Require.h"
#include "sim/ControlSocket.h"
#include "sim/Limits.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// A request on the control socket comes from any process of this user. It is taken as the words it holds,
// exactly, within one command line's length, or refused with a reason.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view payload(reinterpret_cast<const char*>(data), size);
    std::string error;
    const auto request = ControlSocket::parseRequest(payload, error);
    if (!request) {
        require(!error.empty());
        return 0;
    }
    require(!request->directory.empty() && request->directory[0] == '/');
    std::size_t length = 0;
    for (const auto& word : request->words) {
        require(word.find('\0') == std::string::npos);
        length += word.size() + 1;
    }
    require(length <= longestCommandLine);
    require(ControlSocket::encodeRequest(*request) == payload);
    return 0;
}
