#include "CoreGraphics/cairo/CGContextCairo.h"
#include "CoreGraphics/cairo/CairoHandles.h"
#include "Foundation/NSLocale.h"
#include "UIKit/NSStringDrawing.h"
#include "UIKit/UIGraphics.h"

#include <algorithm>
#include <memory>
#include <pango/pangocairo.h>

namespace {

struct GObjectDeleter {
    void operator()(void* object) const { g_object_unref(object); }
};
struct FontDescriptionDeleter {
    void operator()(PangoFontDescription* description) const { pango_font_description_free(description); }
};
struct FontOptionsDeleter {
    void operator()(cairo_font_options_t* options) const { cairo_font_options_destroy(options); }
};
using PangoLayoutHandle = std::unique_ptr<PangoLayout, GObjectDeleter>;

PangoAlignment pangoAlignment(NSTextAlignment alignment) {
    switch (alignment) {
    case NSTextAlignmentCenter:
        return PANGO_ALIGN_CENTER;
    case NSTextAlignmentRight:
        return PANGO_ALIGN_RIGHT;
    default:
        return PANGO_ALIGN_LEFT;
    }
}

// The language that chooses among the forms of a Han character (Simplified Chinese, Traditional Chinese,
// Japanese): the device's first, in the tag fontconfig knows.
const char* glyphLanguage() {
    const std::string& language = NSLocale::preferredLanguages().front();
    if (!language.starts_with("zh"))
        return language.starts_with("ja") ? "ja" : "en";
    const bool hongKong = language.ends_with("-HK") || language.ends_with("-MO");
    const bool traditional = hongKong || language.starts_with("zh-Hant") || language.ends_with("-TW");
    return !traditional ? "zh-cn" : hongKong ? "zh-hk" : "zh-tw";
}

// The text laid out for `cairo`'s user space, in points.
PangoLayoutHandle layoutFor(cairo_t* cairo, std::string_view text, CGFloat width,
                            const NSStringAttributes& attributes) {
    PangoLayoutHandle layout(pango_cairo_create_layout(cairo));
    pango_context_set_language(pango_layout_get_context(layout.get()),
                               pango_language_from_string(glyphLanguage()));
    // Metrics that do not snap to the device's pixels, so that text measured at one scale fits the same
    // width when drawn at another.
    const std::unique_ptr<cairo_font_options_t, FontOptionsDeleter> options(cairo_font_options_create());
    cairo_font_options_set_hint_metrics(options.get(), CAIRO_HINT_METRICS_OFF);
    pango_cairo_context_set_font_options(pango_layout_get_context(layout.get()), options.get());
    pango_layout_context_changed(layout.get());
    const std::unique_ptr<PangoFontDescription, FontDescriptionDeleter> font(pango_font_description_new());
    pango_font_description_set_family(font.get(), "Sans");
    pango_font_description_set_absolute_size(font.get(), attributes.fontSize * PANGO_SCALE);
    pango_font_description_set_weight(font.get(),
                                      attributes.bold ? PANGO_WEIGHT_SEMIBOLD : PANGO_WEIGHT_NORMAL);
    pango_layout_set_font_description(layout.get(), font.get());
    pango_layout_set_width(layout.get(), static_cast<int>(width * PANGO_SCALE));
    pango_layout_set_wrap(layout.get(), PANGO_WRAP_WORD_CHAR);
    if (attributes.numberOfLines > 0) {
        pango_layout_set_ellipsize(layout.get(), PANGO_ELLIPSIZE_END);
        pango_layout_set_height(layout.get(), -attributes.numberOfLines);
    }
    pango_layout_set_alignment(layout.get(), pangoAlignment(attributes.alignment));
    pango_layout_set_text(layout.get(), text.data(), static_cast<int>(text.size()));
    return layout;
}

} // namespace

CGSize NSStringBoundingSize(std::string_view text, CGFloat width, const NSStringAttributes& attributes) {
    const CairoSurface surface(cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1));
    const CairoContext cairo(cairo_create(surface.get()));
    const auto layout = layoutFor(cairo.get(), text, width, attributes);
    int textWidth = 0, textHeight = 0;
    pango_layout_get_size(layout.get(), &textWidth, &textHeight);
    if (attributes.numberOfLines > 0) {
        // An ellipsized layout reports the width it was given: the text's own width is that of the text
        // unbroken, where it is narrower.
        pango_layout_set_ellipsize(layout.get(), PANGO_ELLIPSIZE_NONE);
        pango_layout_set_width(layout.get(), -1);
        int lineWidth = 0, lineHeight = 0;
        pango_layout_get_size(layout.get(), &lineWidth, &lineHeight);
        textWidth = std::min(textWidth, lineWidth);
    }
    return CGSizeMake(CGFloat(textWidth) / PANGO_SCALE, CGFloat(textHeight) / PANGO_SCALE);
}

void NSStringDrawInRect(std::string_view text, CGRect rect, const NSStringAttributes& attributes) {
    CGContextDrawWithCairo(UIGraphicsGetCurrentContext(), [&](cairo_t* cairo, CGFloat alpha) {
        const auto& color = attributes.color ? *attributes.color : *UIColor::blackColor();
        cairo_rectangle(cairo, rect.origin.x, rect.origin.y, rect.size.width, rect.size.height);
        cairo_clip(cairo);
        cairo_set_source_rgba(cairo, color.red(), color.green(), color.blue(), color.alpha() * alpha);
        cairo_move_to(cairo, rect.origin.x, rect.origin.y);
        const auto layout = layoutFor(cairo, text, rect.size.width, attributes);
        pango_cairo_show_layout(cairo, layout.get());
    });
}
