#include "Foundation/NSStringsFile.h"
#include "fuzz/Require.h"

#include <cstddef>
#include <cstdint>
#include <span>

// A strings table is whatever a bundle on the device holds; the parser must refuse or take it whole, and a
// table it takes must come out the same from a second parse of the same bytes.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span bytes(data, size);
    const auto table = parseStringsFile(bytes);
    const auto again = parseStringsFile(bytes);
    require(table.has_value() == again.has_value());
    if (table)
        require(*table == *again);
    return 0;
}
