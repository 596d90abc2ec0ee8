#include "UIKit/NSLayoutConstraint.h"

#include "UIKit/UIView.h"

#include <cctype>
#include <charconv>
#include <optional>
#include <variant>

namespace {

constexpr CGFloat standardSpacing = 8;
constexpr CGFloat standardEdgeSpacing = 20;

struct Edge {};
struct Spacing {
    std::optional<CGFloat> points;
};
struct Item {
    std::shared_ptr<UIView> view;
    std::optional<CGFloat> size;
};
using Element = std::variant<Edge, Spacing, Item>;

class FormatReader {
  public:
    FormatReader(std::string_view text, const NSLayoutConstraint::Views& views)
        : _text(text), _views(views) {}

    std::optional<std::vector<Element>> elements() {
        std::vector<Element> read;
        while (!_text.empty()) {
            std::optional<Element> next = _text[0] == '|'   ? skip(1, Edge{})
                                          : _text[0] == '-' ? spacing()
                                          : _text[0] == '[' ? item()
                                                            : std::nullopt;
            if (!next)
                return std::nullopt;
            read.push_back(std::move(*next));
        }
        return read;
    }

  private:
    std::optional<Element> skip(std::size_t count, Element element) {
        _text.remove_prefix(count);
        return element;
    }

    std::optional<CGFloat> number() {
        double value = 0;
        const auto [end, error] = std::from_chars(_text.data(), _text.data() + _text.size(), value);
        if (error != std::errc() || value < 0)
            return std::nullopt;
        _text.remove_prefix(std::size_t(end - _text.data()));
        return value;
    }

    // "-" alone, or "-N-".
    std::optional<Element> spacing() {
        _text.remove_prefix(1);
        if (_text.empty() || !std::isdigit(static_cast<unsigned char>(_text[0])))
            return Spacing{};
        const auto points = number();
        if (!points || _text.empty() || _text[0] != '-')
            return std::nullopt;
        return skip(1, Spacing{points});
    }

    std::optional<Element> item() {
        const auto close = _text.find(']');
        if (close == std::string_view::npos)
            return std::nullopt;
        std::string_view inside = _text.substr(1, close - 1);
        _text.remove_prefix(close + 1);
        std::optional<CGFloat> size;
        if (const auto open = inside.find('('); open != std::string_view::npos) {
            if (inside.back() != ')')
                return std::nullopt;
            double value = 0;
            const auto digits = inside.substr(open + 1, inside.size() - open - 2);
            const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
            if (error != std::errc() || end != digits.data() + digits.size() || value < 0)
                return std::nullopt;
            size = value;
            inside = inside.substr(0, open);
        }
        const auto view = _views.find(inside);
        if (view == _views.end() || !view->second)
            return std::nullopt;
        return Item{view->second, size};
    }

    std::string_view _text;
    const NSLayoutConstraint::Views& _views;
};

struct Axis {
    NSLayoutAttribute leading, trailing, size;
};

constexpr Axis horizontal{NSLayoutAttributeLeft, NSLayoutAttributeRight, NSLayoutAttributeWidth};
constexpr Axis vertical{NSLayoutAttributeTop, NSLayoutAttributeBottom, NSLayoutAttributeHeight};

// The constraint that the element before `item` (an edge or a view, with `gap` between) makes on it.
std::optional<NSLayoutConstraint> joinBefore(const Element& before, const Item& item, const Spacing* gap,
                                             const Axis& axis) {
    const bool isEdge = std::holds_alternative<Edge>(before);
    const CGFloat spacing =
        gap ? gap->points.value_or(isEdge ? standardEdgeSpacing : standardSpacing) : CGFloat(0);
    if (isEdge)
        return NSLayoutConstraint{item.view, axis.leading, {}, true, axis.leading, spacing};
    const auto* previous = std::get_if<Item>(&before);
    if (!previous)
        return std::nullopt;
    return NSLayoutConstraint{item.view, axis.leading, previous->view, false, axis.trailing, spacing};
}

} // namespace

std::vector<NSLayoutConstraint>
NSLayoutConstraint::constraintsWithVisualFormat(std::string_view format, unsigned, const Views& views) {
    Axis axis = horizontal;
    if (format.starts_with("V:") || format.starts_with("H:")) {
        axis = format[0] == 'V' ? vertical : horizontal;
        format.remove_prefix(2);
    }
    const auto elements = FormatReader(format, views).elements();
    if (!elements)
        return {};
    std::vector<NSLayoutConstraint> constraints;
    const Element* previous = nullptr;
    const Spacing* gap = nullptr;
    for (const auto& element : *elements) {
        if (const auto* spacing = std::get_if<Spacing>(&element)) {
            if (!previous || gap)
                return {};
            gap = spacing;
            continue;
        }
        if (const auto* item = std::get_if<Item>(&element)) {
            if (item->size)
                constraints.push_back({item->view, axis.size, {}, false, axis.size, *item->size});
            if (previous) {
                const auto join = joinBefore(*previous, *item, gap, axis);
                if (!join)
                    return {};
                constraints.push_back(*join);
            }
        } else if (const auto* last = previous ? std::get_if<Item>(previous) : nullptr) {
            const CGFloat spacing = gap ? gap->points.value_or(standardEdgeSpacing) : 0;
            constraints.push_back({last->view, axis.trailing, {}, true, axis.trailing, -spacing});
        } else if (previous || gap) {
            return {};
        }
        previous = &element;
        gap = nullptr;
    }
    return gap ? std::vector<NSLayoutConstraint>() : constraints;
}
