#include "Foundation/NSDictionary.h"

#include "Device/DeviceRoot.h"
#include "Device/EventLog.h"
#include "Device/posix/FileIO.h"
#include "Foundation/libplist/PlainXmlPropertyList.h"
#include "Foundation/libplist/PropertyListLimits.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <plist/plist.h>
#include <string_view>

namespace {

// Settings and profiles are a few kilobytes; anything this large is not a property list we want to hold.
constexpr std::size_t maximumFileSize = 16 * 1024 * 1024;

struct PlistDeleter {
    void operator()(plist_t node) const { plist_free(node); }
};
using PlistNode = std::unique_ptr<void, PlistDeleter>;

struct MallocDeleter {
    void operator()(void* memory) const { std::free(memory); }
};

std::optional<CFPropertyList> convert(plist_t node, int depth);

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
    if (depth > PropertyListLimits::maximumDepth)
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

std::optional<std::string> limitProblem(std::span<const std::uint8_t> bytes) {
    using PropertyListLimits::Verdict;
    switch (PropertyListLimits::check(bytes)) {
    case Verdict::acceptable:
        return std::nullopt;
    case Verdict::tooDeep:
        return "it is nested more than " + std::to_string(PropertyListLimits::maximumDepth) + " levels deep";
    case Verdict::tooManyObjects:
        return "it holds more than " + std::to_string(PropertyListLimits::maximumObjects) + " objects";
    case Verdict::nulInString:
        return "it holds a string with a NUL character";
    case Verdict::malformed:
        break;
    }
    return "it is not a well-formed property list";
}

std::optional<std::string> serializedProblem(const std::string& xml) {
    if (xml.empty())
        return "it could not be written as XML";
    if (xml.size() > maximumFileSize)
        return "the file would be larger than 16 MiB";
    if (const auto problem =
            limitProblem(std::span(reinterpret_cast<const std::uint8_t*>(xml.data()), xml.size())))
        return "the file would be refused: " + std::string(*problem);
    return std::nullopt;
}

bool isXmlCharacter(char32_t character) {
    return character == 0x9 || character == 0xa || character == 0xd ||
           (character >= 0x20 && character <= 0xd7ff) || (character >= 0xe000 && character <= 0xfffd) ||
           character >= 0x10000;
}

// One UTF-8 sequence at the start of `text`: its code point and length, or nothing when it is malformed,
// overlong, a surrogate or beyond U+10FFFF.
std::optional<std::pair<char32_t, std::size_t>> decodeUtf8(std::string_view text) {
    const auto lead = static_cast<unsigned char>(text.front());
    const std::size_t length = lead < 0x80             ? 1
                               : (lead & 0xe0) == 0xc0 ? 2
                               : (lead & 0xf0) == 0xe0 ? 3
                               : (lead & 0xf8) == 0xf0 ? 4
                                                       : 0;
    if (length == 0 || length > text.size())
        return std::nullopt;
    constexpr unsigned char leadBits[] = {0, 0x7f, 0x1f, 0x0f, 0x07};
    char32_t character = lead & leadBits[length];
    for (std::size_t index = 1; index < length; ++index) {
        const auto next = static_cast<unsigned char>(text[index]);
        if ((next & 0xc0) != 0x80)
            return std::nullopt;
        character = character << 6 | (next & 0x3f);
    }
    constexpr char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (character < smallest[length] || character > 0x10ffff || (character >= 0xd800 && character <= 0xdfff))
        return std::nullopt;
    return std::pair{character, length};
}

std::optional<std::string> textProblem(std::string_view text) {
    while (!text.empty()) {
        const auto decoded = decodeUtf8(text);
        if (!decoded)
            return "a key or string is not valid UTF-8";
        if (!isXmlCharacter(decoded->first)) {
            char code[16];
            std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(decoded->first));
            return "a key or string holds " + std::string(code) + ", which XML 1.0 cannot carry";
        }
        text.remove_prefix(decoded->second);
    }
    return std::nullopt;
}

std::optional<std::string> textProblem(const CFPropertyList& value);

std::optional<std::string> textProblem(const NSDictionary& dictionary) {
    for (const auto& [key, value] : dictionary.entries()) {
        if (auto problem = textProblem(std::string_view(key)))
            return problem;
        if (auto problem = textProblem(value))
            return problem;
    }
    return std::nullopt;
}

std::optional<std::string> textProblem(const CFPropertyList& value) {
    if (const auto* text = value.stringValue())
        return textProblem(std::string_view(*text));
    if (const auto* dictionary = value.dictionaryValue())
        return textProblem(*dictionary);
    if (const auto* array = value.arrayValue()) {
        for (const auto& item : *array) {
            if (auto problem = textProblem(item))
                return problem;
        }
    }
    return std::nullopt;
}

NSPropertyListReadError::Kind readErrorKind(FileIO::ReadStatus status) {
    using Kind = NSPropertyListReadError::Kind;
    switch (status) {
    case FileIO::ReadStatus::read:
        return Kind::none;
    case FileIO::ReadStatus::missing:
        return Kind::missing;
    case FileIO::ReadStatus::notRegularFile:
        return Kind::notRegularFile;
    case FileIO::ReadStatus::tooLarge:
    case FileIO::ReadStatus::failed:
        break;
    }
    return Kind::unreadable;
}

std::string readProblem(const FileIO::ReadResult& result) {
    switch (result.status) {
    case FileIO::ReadStatus::read:
    case FileIO::ReadStatus::missing:
        return {};
    case FileIO::ReadStatus::notRegularFile:
        return "it is not a regular file";
    case FileIO::ReadStatus::tooLarge:
        return "it is larger than 16 MiB";
    case FileIO::ReadStatus::failed:
        break;
    }
    return "it cannot be read: " + std::error_code(result.error, std::generic_category()).message();
}

} // namespace

std::optional<NSDictionary> NSDictionary::dictionaryWithPropertyListData(std::span<const std::uint8_t> bytes,
                                                                         std::string& error) {
    if (bytes.empty() || bytes.size() > maximumFileSize) {
        error = bytes.empty() ? "it is empty" : "it is larger than 16 MiB";
        return std::nullopt;
    }
    if (auto plain = PlainXmlPropertyList::read(bytes))
        return plain;
    if (const auto problem = limitProblem(bytes)) {
        error = *problem;
        return std::nullopt;
    }
    plist_t raw = nullptr;
    plist_from_memory(reinterpret_cast<const char*>(bytes.data()), static_cast<std::uint32_t>(bytes.size()),
                      &raw);
    const PlistNode root(raw);
    if (!root || plist_get_node_type(root.get()) != PLIST_DICT) {
        error = root ? "its root is not a dictionary" : "it is not a well-formed property list";
        return std::nullopt;
    }
    auto dictionary = convertDictionary(root.get(), 0);
    if (!dictionary)
        error = "it holds a value that is not a property-list object";
    return dictionary;
}

std::optional<NSDictionary>
NSDictionary::dictionaryWithPropertyListData(std::span<const std::uint8_t> bytes) {
    std::string ignored;
    return dictionaryWithPropertyListData(bytes, ignored);
}

std::optional<NSDictionary> NSDictionary::dictionaryWithContentsOfFile(std::string_view path,
                                                                       NSPropertyListReadError& error) {
    // Settings are read on every change: one buffer serves every read, released again after a large file.
    thread_local std::vector<std::uint8_t> buffer;
    constexpr std::size_t keptCapacity = 64 * 1024;
    const auto read = FileIO::readDeviceFile(path, maximumFileSize, buffer);
    error = {readErrorKind(read.status), readProblem(read)};
    auto dictionary = read ? dictionaryWithPropertyListData(buffer, error.reason) : std::nullopt;
    if (!dictionary && error.kind == NSPropertyListReadError::Kind::none)
        error.kind = NSPropertyListReadError::Kind::unreadable;
    if (buffer.capacity() > keptCapacity)
        std::vector<std::uint8_t>().swap(buffer);
    return dictionary;
}

std::optional<NSDictionary> NSDictionary::dictionaryWithContentsOfFile(std::string_view path) {
    NSPropertyListReadError ignored;
    return dictionaryWithContentsOfFile(path, ignored);
}

std::string NSDictionary::xmlPropertyList() const {
    char* xml = nullptr;
    std::uint32_t length = 0;
    plist_to_xml(toPlist(*this).get(), &xml, &length);
    std::string text = xml ? std::string(xml, length) : std::string();
    plist_to_xml_free(xml);
    return text;
}

std::optional<std::string> NSDictionary::writingProblem() const {
    if (auto problem = textProblem(*this))
        return problem;
    return serializedProblem(xmlPropertyList());
}

// A refused write leaves the file as it was; the log says why, since the caller may tell no one.
bool NSDictionary::writeToFile(std::string_view path, bool atomically) const {
    auto problem = textProblem(*this);
    const std::string xml = problem ? std::string() : xmlPropertyList();
    if (!problem)
        problem = serializedProblem(xml);
    if (problem) {
        EventLog::record("plist.refused", {{"path", path}, {"reason", *problem}});
        return false;
    }
    const std::span bytes(reinterpret_cast<const std::uint8_t*>(xml.data()), xml.size());
    if (!(atomically ? FileIO::writeDeviceFileAtomically(path, bytes) : FileIO::writeDeviceFile(path, bytes)))
        return false;
    EventLog::record("plist.written", {{"path", path}, {"keys", std::to_string(count())}});
    return true;
}
