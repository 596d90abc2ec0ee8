#include "Foundation/libplist/PlainXmlPropertyList.h"

#include "Foundation/libplist/PropertyListLimits.h"

#include <algorithm>
#include <charconv>
#include <string>
#include <string_view>

namespace PlainXmlPropertyList {
namespace {

bool isBlank(char character) {
    return character == ' ' || character == '\t' || character == '\n' || character == '\r';
}

bool isLetter(char character) {
    return (character >= 'a' && character <= 'z') || (character >= 'A' && character <= 'Z');
}

bool isDigit(char character) {
    return character >= '0' && character <= '9';
}

// The five predefined entities, each with the character it stands for.
constexpr std::pair<std::string_view, char> entities[] = {
    {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};

class Reader {
  public:
    explicit Reader(std::string_view text) : _text(text) {}

    std::optional<NSDictionary> document() {
        if (!prolog() || !take("<dict") || !enterElement())
            return std::nullopt;
        auto root = dictionaryBody(0);
        skipBlanks();
        if (!root || !take("</plist>"))
            return std::nullopt;
        skipBlanks();
        if (_at != _text.size())
            return std::nullopt;
        return root;
    }

  private:
    // The declaration, the document type without an internal subset, and the document element's start tag.
    bool prolog() {
        if (take("<?xml") && !(attributes() && take("?>")))
            return false;
        skipBlanks();
        if (take("<!DOCTYPE")) {
            if (!documentType() || !take(">"))
                return false;
            skipBlanks();
        }
        if (!take("<plist") || !attributes() || !take(">"))
            return false;
        skipBlanks();
        return countObject();
    }

    // Blank-separated names and quoted literals: the root's name and its public and system identifiers.
    bool documentType() {
        for (;;) {
            const std::size_t start = _at;
            skipBlanks();
            if (_at == start || _at == _text.size())
                return true;
            if (_text[_at] == '"' || _text[_at] == '\'') {
                if (!quoted())
                    return false;
            } else if (isLetter(_text[_at])) {
                while (_at < _text.size() && isLetter(_text[_at]))
                    ++_at;
            } else {
                return true;
            }
        }
    }

    // A literal in single or double quotes, its text without markup or quotes of either kind.
    bool quoted() {
        if (_at == _text.size() || (_text[_at] != '"' && _text[_at] != '\''))
            return false;
        const char quote = _text[_at++];
        const auto end = _text.find(quote, _at);
        if (end == std::string_view::npos ||
            _text.substr(_at, end - _at).find_first_of("<>&\"'") != std::string_view::npos)
            return false;
        _at = end + 1;
        return true;
    }

    // Blank-separated name="value" pairs, single or double quoted, each value plain text.
    bool attributes() {
        for (;;) {
            const std::size_t start = _at;
            skipBlanks();
            if (_at == start || _at == _text.size() || !isLetter(_text[_at]))
                return true;
            while (_at < _text.size() && isLetter(_text[_at]))
                ++_at;
            if (!take("=") || !quoted())
                return false;
        }
    }

    void skipBlanks() {
        while (_at < _text.size() && isBlank(_text[_at]))
            ++_at;
    }

    bool take(std::string_view literal) {
        if (_text.compare(_at, literal.size(), literal) != 0)
            return false;
        _at += literal.size();
        return true;
    }

    bool skipPast(std::string_view terminator) {
        const auto found = _text.find(terminator, _at);
        if (found == std::string_view::npos)
            return false;
        _at = found + terminator.size();
        return true;
    }

    // Every element counts towards the limit on objects, as the limits count them.
    bool countObject() { return ++_objects <= PropertyListLimits::maximumObjects; }

    // After an element's name: true for `>`, false for `/>` (answered through `empty`), nothing otherwise.
    bool enterElement() {
        _empty = take("/>");
        return countObject() && (_empty || take(">"));
    }

    std::optional<NSDictionary> dictionaryBody(int depth) {
        NSMutableDictionary dictionary;
        if (_empty)
            return dictionary;
        for (;;) {
            skipBlanks();
            if (take("</dict>"))
                return dictionary;
            if (!take("<key>") || !countObject())
                return std::nullopt;
            auto key = text();
            if (!key || key->empty() || !take("</key>") || dictionary.objectForKey(*key))
                return std::nullopt;
            skipBlanks();
            auto value = this->value(depth + 1);
            if (!value)
                return std::nullopt;
            dictionary.setObject(std::move(*value), *key);
        }
    }

    std::optional<CFPropertyList> arrayBody(int depth) {
        CFPropertyList::Array array;
        if (!_empty) {
            for (skipBlanks(); !take("</array>"); skipBlanks()) {
                auto item = value(depth + 1);
                if (!item)
                    return std::nullopt;
                array.push_back(std::move(*item));
            }
        }
        return CFPropertyList::array(std::move(array));
    }

    std::optional<CFPropertyList> value(int depth) {
        if (depth > PropertyListLimits::maximumDepth)
            return std::nullopt;
        for (const bool truth : {true, false}) {
            if (take(truth ? "<true/>" : "<false/>"))
                return countObject() ? std::optional(CFPropertyList::boolean(truth)) : std::nullopt;
        }
        if (take("<string"))
            return enterElement() ? stringBody() : std::nullopt;
        if (take("<integer>"))
            return countObject() ? integerBody() : std::nullopt;
        if (take("<real>"))
            return countObject() ? realBody() : std::nullopt;
        if (take("<dict")) {
            auto dictionary = enterElement() ? dictionaryBody(depth) : std::nullopt;
            return dictionary ? std::optional(CFPropertyList::dictionary(std::move(*dictionary)))
                              : std::nullopt;
        }
        if (take("<array"))
            return enterElement() ? arrayBody(depth) : std::nullopt;
        return std::nullopt;
    }

    std::optional<CFPropertyList> stringBody() {
        if (_empty)
            return CFPropertyList::string(std::string());
        auto content = text();
        if (!content || !take("</string>"))
            return std::nullopt;
        return CFPropertyList::string(std::move(*content));
    }

    // Character data up to the next tag: printable ASCII, tabs and line feeds, and the predefined entities.
    std::optional<std::string> text() {
        std::string content;
        while (_at < _text.size() && _text[_at] != '<') {
            const char character = _text[_at];
            if (character == '&') {
                const auto entity = std::ranges::find_if(entities, [this](const auto& known) {
                    return _text.substr(_at).starts_with(known.first);
                });
                if (entity == std::end(entities))
                    return std::nullopt;
                content.push_back(entity->second);
                _at += entity->first.size();
                continue;
            }
            const auto code = static_cast<unsigned char>(character);
            if ((code < 0x20 && character != '\t' && character != '\n') || code >= 0x7f || character == '>')
                return std::nullopt;
            content.push_back(character);
            ++_at;
        }
        return content;
    }

    // The characters before `closing`, which must follow them.
    std::optional<std::string_view> contentBefore(std::string_view closing) {
        const auto end = _text.find('<', _at);
        if (end == std::string_view::npos)
            return std::nullopt;
        const auto content = _text.substr(_at, end - _at);
        _at = end;
        if (!take(closing))
            return std::nullopt;
        return content;
    }

    // Zero or a decimal number without leading zeros, and short enough that no reading of it overflows.
    std::optional<CFPropertyList> integerBody() {
        const auto content = contentBefore("</integer>");
        if (!content)
            return std::nullopt;
        const auto digits = content->starts_with('-') ? content->substr(1) : *content;
        if (digits.empty() || digits.size() > 18 || !std::ranges::all_of(digits, isDigit) ||
            (digits.front() == '0' && *content != "0"))
            return std::nullopt;
        std::int64_t number = 0;
        std::from_chars(content->data(), content->data() + content->size(), number);
        return CFPropertyList::integer(number);
    }

    // A decimal fraction with an optional exponent, read to the nearest double as libplist reads it; no
    // hexadecimal, infinity or NaN, and no leading `+` or dot.
    std::optional<CFPropertyList> realBody() {
        const auto content = contentBefore("</real>");
        if (!content || content->empty() || content->size() > 64 || !isPlainDecimal(*content))
            return std::nullopt;
        double number = 0;
        const auto [end, error] = std::from_chars(content->data(), content->data() + content->size(), number);
        if (error != std::errc() || end != content->data() + content->size())
            return std::nullopt;
        return CFPropertyList::real(number);
    }

    static bool isPlainDecimal(std::string_view number) {
        std::size_t at = number.starts_with('-') ? 1 : 0;
        const auto digits = [&] {
            const std::size_t start = at;
            while (at < number.size() && isDigit(number[at]))
                ++at;
            return at > start;
        };
        if (!digits())
            return false;
        if (at < number.size() && number[at] == '.' && (++at, !digits()))
            return false;
        if (at < number.size() && (number[at] == 'e' || number[at] == 'E')) {
            ++at;
            if (at < number.size() && (number[at] == '+' || number[at] == '-'))
                ++at;
            if (!digits())
                return false;
        }
        return at == number.size();
    }

    std::string_view _text;
    std::size_t _at = 0;
    std::size_t _objects = 0;
    bool _empty = false;
};

} // namespace

std::optional<NSDictionary> read(std::span<const std::uint8_t> bytes) {
    return Reader(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())).document();
}

} // namespace PlainXmlPropertyList
