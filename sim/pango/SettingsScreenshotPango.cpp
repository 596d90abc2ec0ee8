#include "SettingsScreenshot.h"

#include "CoreGraphics/cairo/CairoHandles.h"
#include "UIKit/UIScreen.h"

#include <cairo.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

struct ObjectDeleter {
    void operator()(void* object) const { g_object_unref(object); }
};
using Layout = std::unique_ptr<PangoLayout, ObjectDeleter>;

struct RGB {
    double red, green, blue;
};

constexpr RGB groupedBackground = {0.937, 0.937, 0.957};
constexpr RGB barBackground = {0.97, 0.97, 0.97};
constexpr RGB separatorColour = {0.78, 0.78, 0.8};
constexpr RGB secondaryText = {0.43, 0.43, 0.45};
constexpr RGB tint = {0.0, 0.48, 1.0};
constexpr RGB switchOn = {0.3, 0.85, 0.39};

constexpr double statusBarHeight = 20;
constexpr double barHeight = 44;
constexpr double rowHeight = 44;
constexpr double margin = 15;
constexpr double iconSide = 29;
constexpr double groupGap = 35;

void setColour(cairo_t* context, RGB colour) {
    cairo_set_source_rgb(context, colour.red, colour.green, colour.blue);
}

Layout textLayout(cairo_t* context, const std::string& text, double size, bool bold, double wrapWidth = -1) {
    Layout layout(pango_cairo_create_layout(context));
    PangoFontDescription* font = pango_font_description_new();
    pango_font_description_set_family(font, "DejaVu Sans");
    pango_font_description_set_absolute_size(font, size * PANGO_SCALE);
    pango_font_description_set_weight(font, bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    pango_layout_set_font_description(layout.get(), font);
    pango_font_description_free(font);
    if (wrapWidth > 0) {
        pango_layout_set_width(layout.get(), static_cast<int>(wrapWidth * PANGO_SCALE));
        pango_layout_set_wrap(layout.get(), PANGO_WRAP_WORD_CHAR);
    } else {
        pango_layout_set_width(layout.get(), -1);
    }
    pango_layout_set_text(layout.get(), text.c_str(), -1);
    return layout;
}

double layoutWidth(PangoLayout* layout) {
    int width = 0, height = 0;
    pango_layout_get_pixel_size(layout, &width, &height);
    return width;
}

double layoutHeight(PangoLayout* layout) {
    int width = 0, height = 0;
    pango_layout_get_pixel_size(layout, &width, &height);
    return height;
}

// Text with its left edge at x, centred on the line at y.
void showText(cairo_t* context, PangoLayout* layout, double x, double centreY, RGB colour) {
    setColour(context, colour);
    cairo_move_to(context, x, centreY - layoutHeight(layout) / 2);
    pango_cairo_show_layout(context, layout);
}

void drawImage(cairo_t* context, const UIImage& image, double x, double y, double side) {
    const auto& bitmap = image.CGImage();
    const int width = static_cast<int>(bitmap->width());
    const int height = static_cast<int>(bitmap->height());
    auto* pixels = reinterpret_cast<unsigned char*>(const_cast<std::uint32_t*>(bitmap->pixels().data()));
    CairoSurface surface(
        cairo_image_surface_create_for_data(pixels, CAIRO_FORMAT_ARGB32, width, height, width * 4));
    cairo_save(context);
    const double radius = side * 0.22;
    cairo_new_sub_path(context);
    cairo_arc(context, x + side - radius, y + radius, radius, -M_PI / 2, 0);
    cairo_arc(context, x + side - radius, y + side - radius, radius, 0, M_PI / 2);
    cairo_arc(context, x + radius, y + side - radius, radius, M_PI / 2, M_PI);
    cairo_arc(context, x + radius, y + radius, radius, M_PI, 3 * M_PI / 2);
    cairo_close_path(context);
    cairo_clip(context);
    cairo_translate(context, x, y);
    cairo_scale(context, side / width, side / height);
    cairo_set_source_surface(context, surface.get(), 0, 0);
    cairo_pattern_set_extend(cairo_get_source(context), CAIRO_EXTEND_PAD);
    cairo_paint(context);
    cairo_restore(context);
}

void drawSwitch(cairo_t* context, bool on, double right, double centreY) {
    const double width = 51, height = 31, x = right - width, y = centreY - height / 2, r = height / 2;
    cairo_new_sub_path(context);
    cairo_arc(context, x + r, y + r, r, M_PI / 2, 3 * M_PI / 2);
    cairo_arc(context, x + width - r, y + r, r, -M_PI / 2, M_PI / 2);
    cairo_close_path(context);
    setColour(context, on ? switchOn : RGB{0.9, 0.9, 0.92});
    cairo_fill(context);
    cairo_arc(context, on ? x + width - r : x + r, y + r, r - 2, 0, 2 * M_PI);
    setColour(context, {1, 1, 1});
    cairo_fill(context);
}

void drawSlider(cairo_t* context, double fraction, double left, double right, double centreY) {
    const double knob = left + (right - left) * std::clamp(fraction, 0.0, 1.0);
    cairo_set_line_width(context, 2);
    setColour(context, tint);
    cairo_move_to(context, left, centreY);
    cairo_line_to(context, knob, centreY);
    cairo_stroke(context);
    setColour(context, separatorColour);
    cairo_move_to(context, knob, centreY);
    cairo_line_to(context, right, centreY);
    cairo_stroke(context);
    cairo_arc(context, knob, centreY, 12, 0, 2 * M_PI);
    setColour(context, {1, 1, 1});
    cairo_fill_preserve(context);
    setColour(context, separatorColour);
    cairo_set_line_width(context, 0.5);
    cairo_stroke(context);
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
    const auto colour = label.textColor();
    return colour ? RGB{colour->red(), colour->green(), colour->blue()} : RGB{0, 0, 0};
}

class PageDrawing {
  public:
    PageDrawing(cairo_t* context, double width) : _context(context), _width(width) {}

    double navigationBar(PSListController& page, const std::string& back) {
        setColour(_context, barBackground);
        cairo_rectangle(_context, 0, 0, _width, statusBarHeight + barHeight);
        cairo_fill(_context);
        const double centre = statusBarHeight + barHeight / 2;
        const auto& item = page.navigationItem();
        auto title = textLayout(_context, item->title(), 17, true);
        showText(_context, title.get(), (_width - layoutWidth(title.get())) / 2, centre, {0, 0, 0});
        if (!back.empty()) {
            auto backText = textLayout(_context, "\u2039 " + back, 17, false);
            showText(_context, backText.get(), 8, centre, tint);
        }
        if (const auto& button = item->rightBarButtonItem()) {
            auto text = textLayout(_context, button->title(), 17, false);
            showText(_context, text.get(), _width - 8 - layoutWidth(text.get()), centre, tint);
        }
        hairline(0, statusBarHeight + barHeight, _width);
        return statusBarHeight + barHeight;
    }

    double section(const UITableView::Section& section, double y) {
        y += section.header ? groupGap : groupGap / 2;
        if (section.header) {
            std::string header = *section.header;
            std::ranges::transform(header, header.begin(), [](unsigned char c) { return std::toupper(c); });
            auto text = textLayout(_context, header, 13, false);
            showText(_context, text.get(), margin, y - 8 - layoutHeight(text.get()) / 2, secondaryText);
        }
        if (!section.cells.empty())
            hairline(0, y, _width);
        for (std::size_t index = 0; index < section.cells.size(); ++index) {
            row(*section.cells[index], y, index + 1 == section.cells.size());
            y += rowHeight;
        }
        if (section.footer) {
            auto text = textLayout(_context, *section.footer, 13, false, _width - 2 * margin);
            setColour(_context, secondaryText);
            cairo_move_to(_context, margin, y + 7);
            pango_cairo_show_layout(_context, text.get());
            y += 7 + layoutHeight(text.get());
        }
        return y;
    }

    // The height a section takes, measured by drawing nothing.
    static double height(const UITableView::Section& section, cairo_t* context, double width) {
        double y = section.header ? groupGap : groupGap / 2;
        y += rowHeight * static_cast<double>(section.cells.size());
        if (section.footer)
            y += 7 + layoutHeight(textLayout(context, *section.footer, 13, false, width - 2 * margin).get());
        return y;
    }

  private:
    void hairline(double x, double y, double right) {
        setColour(_context, separatorColour);
        cairo_rectangle(_context, x, y - 0.5, right - x, 0.5);
        cairo_fill(_context);
    }

    void row(const UITableViewCell& cell, double top, bool last) {
        setColour(_context, {1, 1, 1});
        cairo_rectangle(_context, 0, top, _width, rowHeight);
        cairo_fill(_context);
        const double centre = top + rowHeight / 2;
        double textLeft = margin;
        if (const auto& image = cell.imageView()->image()) {
            drawImage(_context, *image, margin, centre - iconSide / 2, iconSide);
            textLeft += iconSide + margin - 1;
        }
        const auto* psCell = dynamic_cast<const PSTableCell*>(&cell);
        auto title = textLayout(_context, cell.textLabel()->text(), 17, false);
        const bool centred = psCell && psCell->alignment() == PSTableCellAlignmentCenter;
        showText(_context, title.get(), centred ? (_width - layoutWidth(title.get())) / 2 : textLeft, centre,
                 colourOf(*cell.textLabel()));
        accessory(cell, psCell, centre, textLeft + layoutWidth(title.get()) + 12);
        hairline(last ? 0 : textLeft, top + rowHeight, _width);
    }

    void accessory(const UITableViewCell& cell, const PSTableCell* psCell, double centre, double afterTitle) {
        double right = _width - margin;
        if (cell.accessoryType() == UITableViewCellAccessoryDisclosureIndicator) {
            auto chevron = textLayout(_context, "\u203A", 22, false);
            showText(_context, chevron.get(), right - layoutWidth(chevron.get()), centre - 1,
                     separatorColour);
            right -= layoutWidth(chevron.get()) + 10;
        }
        if (cell.accessoryType() == UITableViewCellAccessoryCheckmark) {
            auto tick = textLayout(_context, "\u2713", 17, true);
            showText(_context, tick.get(), right - layoutWidth(tick.get()), centre, tint);
        }
        const PSCellType type = psCell ? psCell->specifier()->cellType() : PSStaticTextCell;
        if (type == PSSwitchCell)
            return drawSwitch(_context, numberOf(psCell->value()) != 0, right, centre);
        if (type == PSSliderCell) {
            auto value = textLayout(_context, cell.detailTextLabel()->text(), 15, false);
            showText(_context, value.get(), right - layoutWidth(value.get()), centre, secondaryText);
            return drawSlider(_context, sliderFraction(*psCell), afterTitle + 12,
                              right - layoutWidth(value.get()) - 16, centre);
        }
        if (!cell.detailTextLabel()->text().empty()) {
            auto detail = textLayout(_context, cell.detailTextLabel()->text(), 17, false);
            showText(_context, detail.get(), right - layoutWidth(detail.get()), centre, secondaryText);
        }
    }

    cairo_t* _context;
    double _width;
};

} // namespace

std::variant<PixelSize, std::string> writeSettingsScreenshot(const SettingsApplication& application,
                                                             const std::filesystem::path& file) {
    const auto page = application.page();
    if (!page)
        return std::string("the Settings application is not open");
    const double width = UIScreen::mainScreen().bounds().size.width;
    const double scale = UIScreen::mainScreen().scale();
    const auto& sections = page->table()->sections();
    CairoSurface measuring(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1));
    CairoContext measure(cairo_create(measuring.get()));
    double height = statusBarHeight + barHeight + groupGap;
    for (const auto& section : sections)
        height += PageDrawing::height(section, measure.get(), width);
    const PixelSize size{static_cast<int>(std::ceil(width * scale)),
                         static_cast<int>(std::ceil(height * scale))};
    CairoSurface surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size.width, size.height));
    CairoContext context(cairo_create(surface.get()));
    cairo_scale(context.get(), scale, scale);
    setColour(context.get(), groupedBackground);
    cairo_paint(context.get());
    PageDrawing drawing(context.get(), width);
    double y = drawing.navigationBar(*page, application.backTitle());
    for (const auto& section : sections)
        y = drawing.section(section, y);
    cairo_surface_flush(surface.get());
    if (cairo_surface_write_to_png(surface.get(), file.c_str()) != CAIRO_STATUS_SUCCESS)
        return "cannot write " + file.string();
    return size;
}

// Fontconfig keeps its caches until the process ends, which the leak checker of a sanitized build would
// report.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\n";
}
extern "C" const char* __lsan_default_options() {
    return "print_suppressions=0";
}
