#include "Foundation/NSURL.h"

#include <algorithm>
#include <cctype>

namespace {

// "scheme:" followed by the rest; the scheme is letters, digits, "+", "-" and ".", starting with a letter.
std::size_t schemeLength(std::string_view text) {
    const auto colon = text.find(':');
    if (colon == std::string_view::npos || colon == 0 || !std::isalpha(static_cast<unsigned char>(text[0])))
        return 0;
    for (std::size_t i = 1; i < colon; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (!std::isalnum(c) && c != '+' && c != '-' && c != '.')
            return 0;
    }
    return colon;
}

// What a URL may hold: printable ASCII, less the characters that must be escaped in every part of one.
bool hasOnlyURLCharacters(std::string_view text) {
    constexpr std::string_view forbidden = "\"<>\\^`{|}";
    return std::all_of(text.begin(), text.end(), [forbidden](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte > 0x20 && byte < 0x7f && forbidden.find(c) == std::string_view::npos;
    });
}

} // namespace

NSURL::NSURL(std::string text) : _text(std::move(text)) {}

std::shared_ptr<NSURL> NSURL::URLWithString(std::string_view text) {
    if (schemeLength(text) == 0 || !hasOnlyURLCharacters(text))
        return nullptr;
    return make(std::string(text));
}

std::shared_ptr<NSURL> NSURL::fileURLWithPath(std::string_view path) {
    return make("file://" + std::string(path));
}

std::string NSURL::scheme() const {
    return _text.substr(0, schemeLength(_text));
}

std::string NSURL::host() const {
    const std::string_view rest = std::string_view(_text).substr(schemeLength(_text) + 1);
    if (!rest.starts_with("//"))
        return {};
    const auto authority = rest.substr(2, rest.find_first_of("/?#", 2) - 2);
    return std::string(
        authority.substr(authority.rfind('@') == std::string_view::npos ? 0 : authority.rfind('@') + 1));
}

std::string NSURL::path() const {
    std::string_view rest = std::string_view(_text).substr(schemeLength(_text) + 1);
    if (rest.starts_with("//")) {
        const auto slash = rest.find('/', 2);
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash);
    }
    return std::string(rest.substr(0, rest.find_first_of("?#")));
}
