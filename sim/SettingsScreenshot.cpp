#include "SettingsScreenshot.h"

#include "Screenshot.h"
#include "UIKit/NSStringDrawing.h"
#include "UIKit/UIBezierPath.h"
#include "UIKit/UIGraphics.h"
#include "UIKit/UIScreen.h"

#include <algorithm>
#include <cmath>

namespace {

struct RGB {
    CGFloat red, green, blue;
};

constexpr RGB groupedBackground = {0.937, 0.937, 0.957};
constexpr RGB barBackground = {0.97, 0.97, 0.97};
constexpr RGB separatorColour = {0.78, 0.78, 0.8};
constexpr RGB secondaryText = {0.43, 0.43, 0.45};
constexpr RGB tint = {0.0, 0.48, 1.0};
constexpr RGB switchOn = {0.3, 0.85, 0.39};
constexpr RGB switchOff = {0.9, 0.9, 0.92};
constexpr RGB white = {1, 1, 1};

constexpr CGFloat statusBarHeight = 20;
constexpr CGFloat barHeight = 44;
constexpr CGFloat rowHeight = 44;
constexpr CGFloat margin = 15;
constexpr CGFloat barInset = 8;
constexpr CGFloat iconSide = 29;
constexpr CGFloat groupGap = 35;
constexpr CGFloat footerGap = 7;
// Between a row's title and what stands right of it.
constexpr CGFloat gap = 12;

std::shared_ptr<UIColor> colour(RGB rgb) {
    return UIColor::colorWithRed(rgb.red, rgb.green, rgb.blue, 1);
}

void setFill(RGB rgb) {
    CGContextSetRGBFillColor(UIGraphicsGetCurrentContext(), rgb.red, rgb.green, rgb.blue, 1);
}

void fill(CGRect rect, RGB rgb) {
    setFill(rgb);
    CGContextFillRect(UIGraphicsGetCurrentContext(), rect);
}

// One line of text in the system font, cut with an ellipsis where it does not fit, as UIKit's labels are.
NSStringAttributes line(CGFloat size, RGB rgb, bool bold = false,
                        NSTextAlignment alignment = NSTextAlignmentLeft) {
    return {size, bold, colour(rgb), alignment, 1};
}

CGFloat widthOf(std::string_view text, const NSStringAttributes& style) {
    // Rounded up, so that text drawn exactly this wide is not cut.
    return std::ceil(NSStringBoundingSize(text, 10000, style).width) + 1;
}

// The text from `left`, at most `width` wide, centred on the line at `centre`.
void drawLine(std::string_view text, CGFloat left, CGFloat width, CGFloat centre,
              const NSStringAttributes& style) {
    if (width <= 0)
        return;
    const CGFloat height = NSStringBoundingSize(text, width, style).height;
    NSStringDrawInRect(text, CGRectMake(left, centre - height / 2, width, height), style);
}

// The text ending at `right`, as wide as it is but at most `widest`; answers where it begins.
CGFloat drawLineToTheLeftOf(std::string_view text, CGFloat right, CGFloat widest, CGFloat centre,
                            const NSStringAttributes& style) {
    const CGFloat width = std::min(widthOf(text, style), std::max<CGFloat>(widest, 0));
    NSStringAttributes aligned = style;
    aligned.alignment = NSTextAlignmentRight;
    drawLine(text, right - width, width, centre, aligned);
    return right - width;
}

void hairline(CGFloat left, CGFloat y, CGFloat right) {
    fill(CGRectMake(left, y - 0.5, right - left, 0.5), separatorColour);
}

void drawIcon(const UIImage& image, CGRect rect) {
    const CGContextRef context = UIGraphicsGetCurrentContext();
    CGContextSaveGState(context);
    UIBezierPath::bezierPathWithRoundedRect(rect, rect.size.width * 0.22)->addClip();
    image.drawInRect(rect);
    CGContextRestoreGState(context);
}

void drawSwitch(bool on, CGFloat right, CGFloat centre) {
    const CGRect track = CGRectMake(right - 51, centre - 15.5, 51, 31);
    setFill(on ? switchOn : switchOff);
    UIBezierPath::bezierPathWithRoundedRect(track, track.size.height / 2)->fill();
    const CGFloat knob = track.size.height - 4;
    setFill(white);
    UIBezierPath::bezierPathWithOvalInRect(
        CGRectMake(on ? CGRectGetMaxX(track) - 2 - knob : track.origin.x + 2, track.origin.y + 2, knob, knob))
        ->fill();
}

// The thumb's centre goes from `left` to `right`; the track runs a thumb's radius past both, so the thumb
// stays within it and every slider of a page begins at one place, whatever its value.
void drawSlider(CGFloat fraction, CGFloat left, CGFloat right, CGFloat centre) {
    constexpr CGFloat radius = 12;
    const CGFloat knob = left + (right - left) * std::clamp<CGFloat>(fraction, 0, 1);
    fill(CGRectMake(left - radius, centre - 1, knob - left + radius, 2), tint);
    fill(CGRectMake(knob, centre - 1, right + radius - knob, 2), separatorColour);
    const auto thumb = UIBezierPath::bezierPathWithOvalInRect(
        CGRectMake(knob - radius, centre - radius, 2 * radius, 2 * radius));
    setFill(white);
    thumb->fill();
    CGContextSetRGBStrokeColor(UIGraphicsGetCurrentContext(), separatorColour.red, separatorColour.green,
                               separatorColour.blue, 1);
    thumb->setLineWidth(0.5);
    thumb->stroke();
}

double numberOf(const std::shared_ptr<NSObject>& value) {
    const auto* number = dynamic_cast<const NSNumber*>(value.get());
    return number ? number->doubleValue() : 0;
}

double sliderFraction(const PSTableCell& cell) {
    const auto& specifier = *cell.specifier();
    const double low = numberOf(specifier.propertyForKey("min"));
    const double high = numberOf(specifier.propertyForKey("max"));
    return high > low ? (numberOf(cell.value()) - low) / (high - low) : 0;
}

RGB colourOf(const UILabel& label) {
    const auto shown = label.textColor();
    return shown ? RGB{shown->red(), shown->green(), shown->blue()} : RGB{0, 0, 0};
}

bool isSlider(const UITableViewCell& cell) {
    const auto* row = dynamic_cast<const PSTableCell*>(&cell);
    return row && row->specifier()->cellType() == PSSliderCell;
}

const NSStringAttributes& rowTitle() {
    static const NSStringAttributes style = line(17, {0, 0, 0});
    return style;
}
const NSStringAttributes& sliderValue() {
    static const NSStringAttributes style = line(15, secondaryText);
    return style;
}
const NSStringAttributes& footer() {
    static const NSStringAttributes style{13, false, colour(secondaryText), NSTextAlignmentLeft};
    return style;
}

// Where a page's sliders go: all of them start right of the widest slider title and end left of the widest
// slider value, so that sliders one under the other line up.
struct SliderColumn {
    CGFloat titleWidth = 0;
    CGFloat valueWidth = widthOf("0.00", sliderValue());
};

SliderColumn sliderColumn(const std::vector<UITableView::Section>& sections) {
    SliderColumn column;
    for (const auto& section : sections) {
        for (const auto& cell : section.cells) {
            if (!isSlider(*cell))
                continue;
            column.titleWidth = std::max(column.titleWidth, widthOf(cell->textLabel()->text(), rowTitle()));
            column.valueWidth =
                std::max(column.valueWidth, widthOf(cell->detailTextLabel()->text(), sliderValue()));
        }
    }
    return column;
}

// The words that name a row to `settings tap` and `settings set`: within its group when the group has a
// header, or when the label itself has a slash.
std::string rowLabel(const std::optional<std::string>& header, const std::string& label) {
    if (header)
        return *header + "/" + label;
    return label.find('/') == std::string::npos ? label : "/" + label;
}

class PageDrawing {
  public:
    PageDrawing(CGFloat width, SliderColumn sliders, Touchables& touchables)
        : _width(width), _sliders(sliders), _touchables(touchables) {}

    // The bar: the page's title in the middle, the back button on the left with the title of the page below,
    // shortened to "Back" (in the device's language) or to its chevron where the page's title needs the room,
    // the navigation bar's button on the right.
    CGFloat navigationBar(PSListController& page, const std::string& back) const {
        fill(CGRectMake(0, 0, _width, statusBarHeight + barHeight), barBackground);
        const CGFloat centre = statusBarHeight + barHeight / 2;
        const auto& item = page.navigationItem();
        const auto button = line(17, tint);
        CGFloat rightButton = 0;
        if (const auto& right = item->rightBarButtonItem()) {
            rightButton =
                _width - drawLineToTheLeftOf(right->title(), _width - barInset, _width / 3, centre, button);
            _touchables.add({CGRectMake(_width - rightButton - barInset, statusBarHeight,
                                        rightButton + barInset, barHeight),
                             "button \"" + right->title() + "\"",
                             {"settings", "tap", right->title()},
                             {},
                             {}});
        }
        const std::string chevron = "\u2039";
        const CGFloat side =
            std::max<CGFloat>(rightButton, back.empty() ? 0 : widthOf(chevron, button)) + 2 * barInset;
        const auto titleStyle = line(17, {0, 0, 0}, true);
        const CGFloat titleWidth = std::min(widthOf(item->title(), titleStyle), _width - 2 * side);
        const CGFloat titleLeft = (_width - titleWidth) / 2;
        drawLine(item->title(), titleLeft, titleWidth, centre, titleStyle);
        if (back.empty()) {
            hairline(0, statusBarHeight + barHeight, _width);
            return statusBarHeight + barHeight;
        }
        const CGFloat room = titleLeft - barInset - 6;
        std::string shown = chevron;
        const std::string backWord = SettingsApplication::localizedText("Back");
        for (const std::string& candidate : {chevron + " " + back, chevron + " " + backWord}) {
            if (widthOf(candidate, button) <= room) {
                shown = candidate;
                break;
            }
        }
        drawLine(shown, barInset, room, centre, button);
        _touchables.add({CGRectMake(0, statusBarHeight,
                                    barInset + std::min(room, widthOf(shown, button)) + barInset, barHeight),
                         "button \"" + shown + "\"",
                         {"settings", "back"},
                         {},
                         {}});
        hairline(0, statusBarHeight + barHeight, _width);
        return statusBarHeight + barHeight;
    }

    CGFloat section(const UITableView::Section& section, CGFloat y) const {
        y += section.header ? groupGap : groupGap / 2;
        if (section.header) {
            std::string header = *section.header;
            std::ranges::transform(header, header.begin(), [](unsigned char c) { return std::toupper(c); });
            drawLine(header, margin, _width - 2 * margin, y - 14, line(13, secondaryText));
        }
        if (!section.cells.empty())
            hairline(0, y, _width);
        for (std::size_t index = 0; index < section.cells.size(); ++index) {
            row(*section.cells[index], section.header, y, index + 1 == section.cells.size());
            y += rowHeight;
        }
        if (section.footer) {
            const CGFloat height = footerHeight(*section.footer, _width);
            NSStringDrawInRect(*section.footer,
                               CGRectMake(margin, y + footerGap, _width - 2 * margin, height), footer());
            y += footerGap + height;
        }
        return y;
    }

    static CGFloat footerHeight(const std::string& text, CGFloat width) {
        return NSStringBoundingSize(text, width - 2 * margin, footer()).height;
    }

    // The height a section takes.
    static CGFloat height(const UITableView::Section& section, CGFloat width) {
        CGFloat y = section.header ? groupGap : groupGap / 2;
        y += rowHeight * static_cast<CGFloat>(section.cells.size());
        if (section.footer)
            y += footerGap + footerHeight(*section.footer, width);
        return y;
    }

  private:
    void row(const UITableViewCell& cell, const std::optional<std::string>& header, CGFloat top,
             bool last) const {
        fill(CGRectMake(0, top, _width, rowHeight), white);
        const CGFloat centre = top + rowHeight / 2;
        CGFloat textLeft = margin;
        if (const auto& image = cell.imageView()->image()) {
            drawIcon(*image, CGRectMake(margin, centre - iconSide / 2, iconSide, iconSide));
            textLeft += iconSide + margin - 1;
        }
        const auto* psCell = dynamic_cast<const PSTableCell*>(&cell);
        const std::string& title = cell.textLabel()->text();
        NSStringAttributes titleStyle = rowTitle();
        titleStyle.color = colour(colourOf(*cell.textLabel()));
        std::optional<Touchable::Track> track;
        if (psCell && psCell->alignment() == PSTableCellAlignmentCenter) {
            titleStyle.alignment = NSTextAlignmentCenter;
            drawLine(title, margin, _width - 2 * margin, centre, titleStyle);
        } else {
            const CGFloat right =
                accessory(cell, psCell, centre, textLeft, widthOf(title, titleStyle), track);
            drawLine(title, textLeft, right - textLeft, centre, titleStyle);
        }
        if (psCell)
            touchRow(*psCell, header, CGRectMake(0, top, _width, rowHeight), track);
        hairline(last ? 0 : textLeft, top + rowHeight, _width);
    }

    // A row takes a tap as `settings tap` does; its switch flips and its slider's track sets the value
    // under the finger, as `settings set` does.
    void touchRow(const PSTableCell& cell, const std::optional<std::string>& header, CGRect frame,
                  const std::optional<Touchable::Track>& track) const {
        const auto& specifier = *cell.specifier();
        const std::string label = rowLabel(header, specifier.name());
        const std::string name = "row \"" + specifier.name() + "\"";
        if (specifier.cellType() == PSSwitchCell) {
            _touchables.add({frame,
                             name,
                             {"settings", "set", label, numberOf(cell.value()) != 0 ? "off" : "on"},
                             {},
                             {}});
        } else if (track) {
            _touchables.add({frame, name, {"settings", "set", label}, {}, track});
        } else {
            _touchables.add({frame, name, {"settings", "tap", label}, {}, {}});
        }
    }

    // Draws what stands right of the title; answers how far right the title may reach.
    // A slider's track goes to `track`.
    CGFloat accessory(const UITableViewCell& cell, const PSTableCell* psCell, CGFloat centre,
                      CGFloat textLeft, CGFloat titleWidth, std::optional<Touchable::Track>& track) const {
        CGFloat right = _width - margin;
        if (cell.accessoryType() == UITableViewCellAccessoryDisclosureIndicator)
            right = drawLineToTheLeftOf("\u203A", right, _width, centre - 1, line(22, separatorColour)) - 10;
        if (cell.accessoryType() == UITableViewCellAccessoryCheckmark)
            right = drawLineToTheLeftOf("\u2713", right, _width, centre, line(17, tint, true)) - gap;
        const PSCellType type = psCell ? psCell->specifier()->cellType() : PSStaticTextCell;
        if (type == PSSwitchCell) {
            drawSwitch(numberOf(psCell->value()) != 0, right, centre);
            return right - 51 - gap;
        }
        if (type == PSSliderCell) {
            drawLineToTheLeftOf(cell.detailTextLabel()->text(), right, _sliders.valueWidth, centre,
                                sliderValue());
            const CGFloat left = textLeft + _sliders.titleWidth + gap + 12;
            const CGFloat trackEnd = right - _sliders.valueWidth - 16;
            drawSlider(sliderFraction(*psCell), left, trackEnd, centre);
            const auto& specifier = *psCell->specifier();
            track = Touchable::Track{left, trackEnd, numberOf(specifier.propertyForKey("min")),
                                     numberOf(specifier.propertyForKey("max"))};
            return left - 12 - gap;
        }
        const std::string& detail = cell.detailTextLabel()->text();
        if (detail.empty())
            return right;
        // The value gives way to the title, as in UIKit's value cells, but keeps some room of its own.
        const auto detailStyle = line(17, secondaryText);
        const CGFloat room = right - textLeft;
        const CGFloat detailRoom = std::max(room - titleWidth - gap, room * 0.4);
        return drawLineToTheLeftOf(detail, right, detailRoom, centre, detailStyle) - gap;
    }

    CGFloat _width;
    SliderColumn _sliders;
    Touchables& _touchables;
};

} // namespace

std::shared_ptr<UIImage> drawSettingsPage(const SettingsApplication& application, Touchables& touchables) {
    const auto page = application.page();
    if (!page)
        return nullptr;
    const CGFloat width = UIScreen::mainScreen().bounds().size.width;
    const auto& sections = page->table()->sections();
    CGFloat height = statusBarHeight + barHeight + groupGap;
    for (const auto& section : sections)
        height += PageDrawing::height(section, width);
    UIGraphicsBeginImageContextWithOptions(CGSizeMake(width, std::ceil(height)), true, 0);
    fill(CGRectMake(0, 0, width, std::ceil(height)), groupedBackground);
    const PageDrawing drawing(width, sliderColumn(sections), touchables);
    CGFloat y = drawing.navigationBar(*page, application.backTitle());
    for (const auto& section : sections)
        y = drawing.section(section, y);
    auto image = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    return image;
}

DrawnScreen settingsScreenImage(const SettingsApplication& application) {
    if (!application.page())
        return std::string("the Settings application is not open");
    Touchables touchables;
    if (auto image = drawSettingsPage(application, touchables))
        return image;
    return std::string("the page could not be drawn");
}
