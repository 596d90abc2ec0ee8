#include "Foundation/libplist/PropertyListLimits.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string_view>
#include <vector>

namespace PropertyListLimits {
namespace {

constexpr std::string_view binaryMagic = "bplist00";

std::uint64_t bigEndian(std::span<const std::uint8_t> bytes) {
    std::uint64_t value = 0;
    for (const std::uint8_t byte : bytes)
        value = value << 8 | byte;
    return value;
}

// The binary form: a trailer locates the offset table, which locates each object; containers refer to their
// members by index. The walk follows references from the top object without recursing, measuring the tree
// libplist would build: its height and its size, each shared object counted once per reference.
class BinaryWalk {
  public:
    explicit BinaryWalk(std::span<const std::uint8_t> bytes) : _bytes(bytes) {}

    Verdict run() {
        if (!readTrailer())
            return Verdict::malformed;
        if (_count > maximumObjects)
            return Verdict::tooManyObjects;
        _state.assign(_count, State::unseen);
        _height.assign(_count, 0);
        _size.assign(_count, 0);
        if (const auto verdict = enter(_top, 0); verdict != Verdict::acceptable)
            return verdict;
        while (!_stack.empty()) {
            if (const auto verdict = step(); verdict != Verdict::acceptable)
                return verdict;
        }
        return _size[_top] > maximumObjects ? Verdict::tooManyObjects : Verdict::acceptable;
    }

  private:
    enum class State : std::uint8_t { unseen, open, done };

    struct Object {
        std::uint8_t type = 0;
        std::uint64_t length = 0; // members of a container, units of a string
        std::uint64_t start = 0;  // where its references or contents begin
    };

    struct Frame {
        std::uint64_t index;
        std::uint64_t references; // offset of the first reference
        std::uint64_t count;      // references in all (keys and values for a dictionary)
        std::uint64_t next = 0;
    };

    bool readTrailer() {
        if (_bytes.size() < binaryMagic.size() + 32)
            return false;
        const auto trailer = _bytes.last(32);
        _offsetSize = trailer[6];
        _referenceSize = trailer[7];
        _count = bigEndian(trailer.subspan(8, 8));
        _top = bigEndian(trailer.subspan(16, 8));
        _table = bigEndian(trailer.subspan(24, 8));
        const std::uint64_t end = _bytes.size() - 32;
        return _offsetSize >= 1 && _offsetSize <= 8 && _referenceSize >= 1 && _referenceSize <= 8 &&
               _table <= end && _count <= (end - _table) / _offsetSize && _top < _count;
    }

    std::optional<Object> objectAt(std::uint64_t index) const {
        const std::uint64_t offset = bigEndian(_bytes.subspan(_table + index * _offsetSize, _offsetSize));
        if (offset >= _table)
            return std::nullopt;
        Object object{static_cast<std::uint8_t>(_bytes[offset] >> 4), _bytes[offset] & 0xfu, offset + 1};
        if (object.length == 0xf && object.type >= 0x4 && object.type != 0x8) {
            const std::uint64_t marker = object.start;
            if (marker >= _table || _bytes[marker] >> 4 != 0x1 || (_bytes[marker] & 0xf) > 3)
                return std::nullopt;
            const std::size_t size = std::size_t{1} << (_bytes[marker] & 0xf);
            if (marker + 1 + size > _table)
                return std::nullopt;
            object.length = bigEndian(_bytes.subspan(marker + 1, size));
            object.start = marker + 1 + size;
        }
        return object;
    }

    bool holdsUtf16Nul(const Object& string) const {
        if (string.length > (_table - string.start) / 2)
            return false; // libplist refuses the truncated string itself
        for (std::uint64_t unit = 0; unit < string.length; ++unit) {
            if (_bytes[string.start + 2 * unit] == 0 && _bytes[string.start + 2 * unit + 1] == 0)
                return true;
        }
        return false;
    }

    // Opens an object met at `depth`: a container gets a frame, anything else is a leaf of size 1.
    Verdict enter(std::uint64_t index, std::size_t depth) {
        if (_state[index] == State::open)
            return Verdict::malformed; // a container that holds itself
        if (_state[index] == State::done)
            return depth + _height[index] > maximumDepth ? Verdict::tooDeep : Verdict::acceptable;
        if (depth > maximumDepth)
            return Verdict::tooDeep;
        const auto object = objectAt(index);
        if (!object)
            return Verdict::malformed;
        if (object->type == 0x6 && holdsUtf16Nul(*object))
            return Verdict::nulInString;
        _state[index] = State::done;
        _size[index] = 1;
        const bool container = object->type == 0xa || object->type == 0xc || object->type == 0xd;
        if (!container)
            return Verdict::acceptable;
        const std::uint64_t count = object->type == 0xd ? 2 * object->length : object->length;
        if (object->length > _table || count > (_table - object->start) / _referenceSize)
            return Verdict::malformed;
        _state[index] = State::open;
        _stack.push_back({index, object->start, count});
        return Verdict::acceptable;
    }

    Verdict step() {
        Frame& frame = _stack.back();
        if (frame.next == frame.count) {
            _state[frame.index] = State::done;
            const std::uint64_t finished = frame.index;
            _stack.pop_back();
            if (!_stack.empty())
                absorb(_stack.back().index, finished);
            return Verdict::acceptable;
        }
        const std::uint64_t member =
            bigEndian(_bytes.subspan(frame.references + frame.next * _referenceSize, _referenceSize));
        ++frame.next;
        if (member >= _count)
            return Verdict::malformed;
        const std::uint64_t parent = frame.index;
        const auto verdict = enter(member, _stack.size());
        if (verdict == Verdict::acceptable && _state[member] == State::done)
            absorb(parent, member);
        return verdict;
    }

    void absorb(std::uint64_t parent, std::uint64_t member) {
        _height[parent] = std::max<std::uint8_t>(_height[parent], _height[member] + 1);
        _size[parent] = std::min<std::uint64_t>(_size[parent] + _size[member], maximumObjects + 1);
    }

    std::span<const std::uint8_t> _bytes;
    std::size_t _offsetSize = 0;
    std::size_t _referenceSize = 0;
    std::uint64_t _count = 0;
    std::uint64_t _top = 0;
    std::uint64_t _table = 0;
    std::vector<State> _state;
    std::vector<std::uint8_t> _height;
    std::vector<std::uint64_t> _size;
    std::vector<Frame> _stack;
};

// The XML form: elements are counted and their nesting measured from the tags alone; the document element
// and the root dictionary add two levels above the values.
class XmlScan {
  public:
    explicit XmlScan(std::span<const std::uint8_t> bytes)
        : _text(reinterpret_cast<const char*>(bytes.data()), bytes.size()) {}

    Verdict run() {
        int depth = 0;
        std::size_t elements = 0;
        for (std::size_t at = _text.find('<'); at != std::string_view::npos; at = _text.find('<', at)) {
            const auto rest = _text.substr(at);
            std::size_t end = std::string_view::npos;
            if (rest.starts_with("<?"))
                end = closing(at, "?>");
            else if (rest.starts_with("<!--"))
                end = closing(at, "-->");
            else if (rest.starts_with("<![CDATA["))
                end = closing(at, "]]>");
            else if (rest.starts_with("<!"))
                end = declarationEnd(at);
            else if (rest.starts_with("</")) {
                end = closing(at, ">");
                --depth;
            } else {
                end = tagEnd(at);
                if (end == std::string_view::npos)
                    return Verdict::malformed;
                if (++elements > maximumObjects)
                    return Verdict::tooManyObjects;
                if (_text[end - 1] != '/' && ++depth > maximumDepth + 2)
                    return Verdict::tooDeep;
            }
            if (end == std::string_view::npos)
                return Verdict::malformed;
            at = end;
        }
        return Verdict::acceptable;
    }

  private:
    // Just past the end of a construct that closes with `terminator`.
    std::size_t closing(std::size_t at, std::string_view terminator) const {
        const auto found = _text.find(terminator, at + 1);
        return found == std::string_view::npos ? found : found + terminator.size();
    }

    // A start tag ends at the first '>' outside quoted attribute values; answers the position of that '>'.
    std::size_t tagEnd(std::size_t at) const {
        char quote = 0;
        for (std::size_t index = at + 1; index < _text.size(); ++index) {
            const char character = _text[index];
            if (quote)
                quote = character == quote ? 0 : quote;
            else if (character == '"' || character == '\'')
                quote = character;
            else if (character == '>')
                return index;
        }
        return std::string_view::npos;
    }

    // A document type declaration may hold an internal subset in brackets.
    std::size_t declarationEnd(std::size_t at) const {
        int brackets = 0;
        for (std::size_t index = at + 2; index < _text.size(); ++index) {
            if (_text[index] == '[')
                ++brackets;
            else if (_text[index] == ']')
                --brackets;
            else if (_text[index] == '>' && brackets <= 0)
                return index + 1;
        }
        return std::string_view::npos;
    }

    std::string_view _text;
};

} // namespace

Verdict check(std::span<const std::uint8_t> bytes) {
    if (bytes.size() >= binaryMagic.size() &&
        std::memcmp(bytes.data(), binaryMagic.data(), binaryMagic.size()) == 0)
        return BinaryWalk(bytes).run();
    return XmlScan(bytes).run();
}

} // namespace PropertyListLimits
