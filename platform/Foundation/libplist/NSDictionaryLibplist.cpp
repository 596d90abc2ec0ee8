#include "Foundation/NSDictionary.h"

#include "Foundation/DeviceRoot.h"
#include "Foundation/EventLog.h"
#include "Foundation/posix/FileIO.h"

#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <plist/plist.h>
#include <string_view>

namespace {

// Settings and profiles are a few kilobytes; anything this large is not a property list we want to hold.
constexpr std::size_t maximumFileSize = 16 * 1024 * 1024;
// Deeper nesting than this is no file of ours, and converting it would only spend the stack.
constexpr int maximumDepth = 64;

struct PlistDeleter {
    void operator()(plist_t node) const { plist_free(node); }
};
using PlistNode = std::unique_ptr<void, PlistDeleter>;

struct MallocDeleter {
    void operator()(void* memory) const { std::free(memory); }
};

std::optional<CFPropertyList> convert(plist_t node, int depth);

std::uint64_t bigEndian(std::span<const std::uint8_t> bytes) {
    std::uint64_t value = 0;
    for (const std::uint8_t byte : bytes)
        value = value << 8 | byte;
    return value;
}

// libplist 2.2 decodes a UTF-16 string holding U+0000 into a key whose length disagrees with strlen, and
// plist_get_key_val then fails an assertion and aborts the process. Such a file is refused before parsing.
bool hasUtf16Nul(std::span<const std::uint8_t> bytes) {
    constexpr std::string_view magic = "bplist00";
    if (bytes.size() < magic.size() + 32 || std::memcmp(bytes.data(), magic.data(), magic.size()) != 0)
        return false;
    const auto trailer = bytes.last(32);
    const std::size_t offsetSize = trailer[6];
    const std::uint64_t count = bigEndian(trailer.subspan(8, 8));
    const std::uint64_t table = bigEndian(trailer.subspan(24, 8));
    if (offsetSize == 0 || offsetSize > 8 || table >= bytes.size() ||
        count > (bytes.size() - table) / offsetSize)
        return false;
    for (std::uint64_t index = 0; index < count; ++index) {
        const std::uint64_t offset = bigEndian(bytes.subspan(table + index * offsetSize, offsetSize));
        if (offset >= bytes.size() || bytes[offset] >> 4 != 0x6)
            continue;
        std::uint64_t units = bytes[offset] & 0xf;
        std::uint64_t start = offset + 1;
        if (units == 0xf) {
            if (start >= bytes.size() || bytes[start] >> 4 != 0x1 || (bytes[start] & 0xf) > 3)
                continue;
            const std::size_t size = std::size_t{1} << (bytes[start] & 0xf);
            if (start + 1 + size > bytes.size())
                continue;
            units = bigEndian(bytes.subspan(start + 1, size));
            start += 1 + size;
        }
        for (std::uint64_t unit = 0; unit < units && start + 2 * unit + 1 < bytes.size(); ++unit) {
            if (bytes[start + 2 * unit] == 0 && bytes[start + 2 * unit + 1] == 0)
                return true;
        }
    }
    return false;
}

std::optional<NSDictionary> convertDictionary(plist_t node, int depth) {
    NSMutableDictionary dictionary;
    plist_dict_iter iterator = nullptr;
    plist_dict_new_iter(node, &iterator);
    std::unique_ptr<void, MallocDeleter> iteratorOwner(iterator);
    for (;;) {
        char* rawKey = nullptr;
        plist_t value = nullptr;
        plist_dict_next_item(node, iterator, &rawKey, &value);
        std::unique_ptr<char, MallocDeleter> key(rawKey);
        if (!key || !value)
            break;
        auto converted = convert(value, depth + 1);
        if (!converted)
            return std::nullopt;
        dictionary.setObject(std::move(*converted), key.get());
    }
    return dictionary;
}

std::optional<CFPropertyList> convertArray(plist_t node, int depth) {
    CFPropertyList::Array array;
    const std::uint32_t size = plist_array_get_size(node);
    array.reserve(size);
    for (std::uint32_t index = 0; index < size; ++index) {
        auto converted = convert(plist_array_get_item(node, index), depth + 1);
        if (!converted)
            return std::nullopt;
        array.push_back(std::move(*converted));
    }
    return CFPropertyList::array(std::move(array));
}

std::optional<CFPropertyList> convertScalar(plist_t node) {
    switch (plist_get_node_type(node)) {
    case PLIST_BOOLEAN: {
        std::uint8_t value = 0;
        plist_get_bool_val(node, &value);
        return CFPropertyList::boolean(value != 0);
    }
    case PLIST_UINT: {
        std::uint64_t value = 0;
        plist_get_uint_val(node, &value);
        return CFPropertyList::integer(static_cast<std::int64_t>(value));
    }
    case PLIST_REAL: {
        double value = 0;
        plist_get_real_val(node, &value);
        return CFPropertyList::real(value);
    }
    case PLIST_STRING: {
        std::uint64_t length = 0;
        const char* text = plist_get_string_ptr(node, &length);
        return CFPropertyList::string(text ? std::string(text, length) : std::string());
    }
    case PLIST_DATA: {
        std::uint64_t length = 0;
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(plist_get_data_ptr(node, &length));
        return CFPropertyList::data(bytes ? NSData(bytes, bytes + length) : NSData());
    }
    case PLIST_DATE: {
        std::int32_t seconds = 0;
        std::int32_t microseconds = 0;
        plist_get_date_val(node, &seconds, &microseconds);
        return CFPropertyList::date(NSDate{seconds + microseconds / 1e6});
    }
    default:
        return std::nullopt;
    }
}

std::optional<CFPropertyList> convert(plist_t node, int depth) {
    if (depth > maximumDepth)
        return std::nullopt;
    switch (plist_get_node_type(node)) {
    case PLIST_DICT: {
        auto dictionary = convertDictionary(node, depth);
        if (!dictionary)
            return std::nullopt;
        return CFPropertyList::dictionary(std::move(*dictionary));
    }
    case PLIST_ARRAY:
        return convertArray(node, depth);
    default:
        return convertScalar(node);
    }
}

PlistNode toPlist(const CFPropertyList& value);

PlistNode toPlist(const NSDictionary& dictionary) {
    PlistNode node(plist_new_dict());
    for (const auto& [key, value] : dictionary.entries())
        plist_dict_set_item(node.get(), key.c_str(), toPlist(value).release());
    return node;
}

PlistNode toPlist(const CFPropertyList& value) {
    if (const auto* dictionary = value.dictionaryValue())
        return toPlist(*dictionary);
    if (const auto* array = value.arrayValue()) {
        PlistNode node(plist_new_array());
        for (const auto& item : *array)
            plist_array_append_item(node.get(), toPlist(item).release());
        return node;
    }
    if (const auto* text = value.stringValue())
        return PlistNode(plist_new_string(text->c_str()));
    if (const auto* data = value.dataValue())
        return PlistNode(plist_new_data(reinterpret_cast<const char*>(data->data()), data->size()));
    if (const auto* date = value.dateValue()) {
        const auto seconds = static_cast<std::int32_t>(date->timeIntervalSinceReferenceDate);
        const auto microseconds =
            static_cast<std::int32_t>((date->timeIntervalSinceReferenceDate - seconds) * 1e6);
        return PlistNode(plist_new_date(seconds, microseconds));
    }
    if (value.isBoolean())
        return PlistNode(plist_new_bool(*value.boolValue()));
    if (const auto integer = value.integerValue())
        return PlistNode(plist_new_uint(static_cast<std::uint64_t>(*integer)));
    return PlistNode(plist_new_real(value.doubleValue().value_or(0)));
}

} // namespace

std::optional<NSDictionary>
NSDictionary::dictionaryWithPropertyListData(std::span<const std::uint8_t> bytes) {
    if (bytes.empty() || bytes.size() > std::numeric_limits<std::uint32_t>::max() || hasUtf16Nul(bytes))
        return std::nullopt;
    plist_t raw = nullptr;
    plist_from_memory(reinterpret_cast<const char*>(bytes.data()), static_cast<std::uint32_t>(bytes.size()),
                      &raw);
    const PlistNode root(raw);
    if (!root || plist_get_node_type(root.get()) != PLIST_DICT)
        return std::nullopt;
    return convertDictionary(root.get(), 0);
}

std::optional<NSDictionary> NSDictionary::dictionaryWithContentsOfFile(std::string_view path) {
    // Settings are read on every change: one buffer serves every read, released again after a large file.
    thread_local std::vector<std::uint8_t> buffer;
    constexpr std::size_t keptCapacity = 64 * 1024;
    const bool read = FileIO::readFile(DeviceRoot::resolve(path), maximumFileSize, buffer);
    auto dictionary = read ? dictionaryWithPropertyListData(buffer) : std::nullopt;
    if (buffer.capacity() > keptCapacity)
        std::vector<std::uint8_t>().swap(buffer);
    return dictionary;
}

std::string NSDictionary::xmlPropertyList() const {
    char* xml = nullptr;
    std::uint32_t length = 0;
    plist_to_xml(toPlist(*this).get(), &xml, &length);
    std::string text = xml ? std::string(xml, length) : std::string();
    plist_to_xml_free(xml);
    return text;
}

bool NSDictionary::writeToFile(std::string_view path, bool atomically) const {
    const std::string xml = xmlPropertyList();
    if (xml.empty())
        return false;
    const std::span bytes(reinterpret_cast<const std::uint8_t*>(xml.data()), xml.size());
    const auto target = DeviceRoot::resolve(path);
    if (!(atomically ? FileIO::writeFileAtomically(target, bytes) : FileIO::writeFile(target, bytes)))
        return false;
    EventLog::record("plist.written", {{"path", path}, {"keys", std::to_string(count())}});
    return true;
}
