#include "Foundation/NSStringsFile.h"

#include "Foundation/NSDictionary.h"

#include <algorithm>
#include <initializer_list>
#include <string_view>

namespace {

using Table = std::map<std::string, std::string, std::less<>>;

bool isHighSurrogate(char32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool isLowSurrogate(char32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}
char32_t joinSurrogates(char32_t high, char32_t low) {
    return 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00);
}

void appendUTF8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// UTF-16 without its byte-order mark, as UTF-8; nothing for an odd length or a surrogate without its partner.
std::optional<std::string> utf16ToUTF8(std::span<const std::uint8_t> bytes, bool bigEndian) {
    if (bytes.size() % 2 != 0)
        return std::nullopt;
    const auto unitAt = [&](std::size_t index) -> char32_t {
        const char32_t first = bytes[index];
        const char32_t second = bytes[index + 1];
        return bigEndian ? (first << 8 | second) : (second << 8 | first);
    };
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t index = 0; index < bytes.size(); index += 2) {
        char32_t code = unitAt(index);
        if (isLowSurrogate(code))
            return std::nullopt;
        if (isHighSurrogate(code)) {
            index += 2;
            if (index >= bytes.size() || !isLowSurrogate(unitAt(index)))
                return std::nullopt;
            code = joinSurrogates(code, unitAt(index));
        }
        appendUTF8(out, code);
    }
    return out;
}

bool startsWith(std::span<const std::uint8_t> bytes, std::initializer_list<std::uint8_t> prefix) {
    return bytes.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), bytes.begin());
}

// The text as UTF-8, by its byte-order mark; UTF-8 when it has none.
std::optional<std::string> decodeText(std::span<const std::uint8_t> bytes) {
    if (startsWith(bytes, {0xFF, 0xFE}))
        return utf16ToUTF8(bytes.subspan(2), false);
    if (startsWith(bytes, {0xFE, 0xFF}))
        return utf16ToUTF8(bytes.subspan(2), true);
    if (startsWith(bytes, {0xEF, 0xBB, 0xBF}))
        bytes = bytes.subspan(3);
    return std::string(bytes.begin(), bytes.end());
}

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

bool isUnquotedCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           std::string_view("_.-$:/").find(c) != std::string_view::npos;
}

std::optional<char32_t> hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return std::nullopt;
}

// The `"key" = "value";` syntax. Every step moves forward, so the parse is linear in the text.
class OldStyleParser {
  public:
    explicit OldStyleParser(std::string_view text) : _text(text) {}

    std::optional<Table> parse() {
        Table table;
        for (;;) {
            if (!skipTrivia())
                return std::nullopt;
            if (atEnd())
                return table;
            auto key = readString();
            if (!key || !expect('=') || !skipTrivia())
                return std::nullopt;
            auto value = readString();
            if (!value || !expect(';'))
                return std::nullopt;
            table.insert_or_assign(std::move(*key), std::move(*value));
        }
    }

  private:
    bool atEnd() const { return _position >= _text.size(); }
    std::string_view rest() const { return _text.substr(_position); }

    // Skips white space and comments; false for a block comment that never ends.
    bool skipTrivia() {
        while (!atEnd()) {
            if (isSpace(_text[_position])) {
                ++_position;
            } else if (rest().starts_with("//")) {
                const auto end = _text.find('\n', _position);
                _position = end == std::string_view::npos ? _text.size() : end + 1;
            } else if (rest().starts_with("/*")) {
                const auto end = _text.find("*/", _position + 2);
                if (end == std::string_view::npos)
                    return false;
                _position = end + 2;
            } else {
                break;
            }
        }
        return true;
    }

    bool expect(char wanted) {
        if (!skipTrivia() || atEnd() || _text[_position] != wanted)
            return false;
        ++_position;
        return true;
    }

    std::optional<std::string> readString() {
        if (atEnd())
            return std::nullopt;
        if (_text[_position] == '"')
            return readQuoted();
        const auto start = _position;
        while (!atEnd() && isUnquotedCharacter(_text[_position]))
            ++_position;
        if (_position == start)
            return std::nullopt;
        return std::string(_text.substr(start, _position - start));
    }

    std::optional<std::string> readQuoted() {
        std::string out;
        ++_position;
        while (!atEnd()) {
            const char c = _text[_position++];
            if (c == '"')
                return out;
            if (c != '\\')
                out += c;
            else if (!readEscape(out))
                return std::nullopt;
        }
        return std::nullopt;
    }

    bool readEscape(std::string& out) {
        if (atEnd())
            return false;
        const char c = _text[_position++];
        switch (c) {
        case 'n':
            out += '\n';
            return true;
        case 't':
            out += '\t';
            return true;
        case 'r':
            out += '\r';
            return true;
        case 'U':
            return readUnicodeEscape(out);
        default:
            // \" and \\ and, as in the classic reader, any other escaped character stand for themselves.
            out += c;
            return true;
        }
    }

    // \Uxxxx; a character beyond the basic plane is written as two escapes, a surrogate pair.
    bool readUnicodeEscape(std::string& out) {
        auto code = readHex4();
        if (!code || isLowSurrogate(*code))
            return false;
        if (isHighSurrogate(*code)) {
            if (!rest().starts_with("\\U"))
                return false;
            _position += 2;
            const auto low = readHex4();
            if (!low || !isLowSurrogate(*low))
                return false;
            code = joinSurrogates(*code, *low);
        }
        appendUTF8(out, *code);
        return true;
    }

    std::optional<char32_t> readHex4() {
        char32_t value = 0;
        for (int digit = 0; digit < 4; ++digit) {
            const auto nibble = atEnd() ? std::nullopt : hexValue(_text[_position++]);
            if (!nibble)
                return std::nullopt;
            value = value << 4 | *nibble;
        }
        return value;
    }

    std::string_view _text;
    std::size_t _position = 0;
};

bool looksLikePropertyList(std::string_view text) {
    if (text.starts_with("bplist"))
        return true;
    const auto first = text.find_first_not_of(" \t\r\n");
    return first != std::string_view::npos && text[first] == '<';
}

// A property-list table: its root dictionary must hold only strings.
std::optional<Table> parsePropertyList(std::string_view text) {
    const auto dictionary = NSDictionary::dictionaryWithPropertyListData(
        std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    if (!dictionary)
        return std::nullopt;
    Table table;
    for (const auto& [key, value] : dictionary->entries()) {
        const auto* string = value.stringValue();
        if (!string)
            return std::nullopt;
        table.emplace(key, *string);
    }
    return table;
}

} // namespace

std::optional<Table> parseStringsFile(std::span<const std::uint8_t> bytes) {
    if (bytes.size() > maximumStringsFileSize)
        return std::nullopt;
    const auto text = decodeText(bytes);
    if (!text)
        return std::nullopt;
    if (looksLikePropertyList(*text))
        return parsePropertyList(*text);
    return OldStyleParser(*text).parse();
}
