// Draws the button artwork of the section bundle: for every application a coloured tile with a white mark
// ("<bundle id>-icon.png") and the bare mark in black on transparent ("<bundle id>-black.png"), at 50 x 50
// points, in 1x and @2x files. Run at build time: orvane-icons OUTPUT_FOLDER.
//
// With --settings, it makes the settings pane's row icons instead, at the Settings application's 29 points:
// the function picker's icons, shrunk from the section bundle's tiles and named as the pane and the
// Preferences framework keep them, the framework's shared-post icon, and the pane's own icon.
//   orvane-icons --settings SECTION_BUNDLE PANE_BUNDLE FRAMEWORK_FOLDER

#include "common/FunctionCatalogue.h"
#include "platform/CoreGraphics/cairo/CairoHandles.h"

#include <algorithm>
#include <cairo.h>
#include <cstdio>
#include <memory>
#include <pango/pangocairo.h>
#include <string>

namespace {

struct Artwork {
    std::string_view bundleId;
    Tile tile;
};

constexpr int side = 50;
constexpr int rowIconSide = 29;

// Drawn here rather than shrunk: the framework's icon for posting to any account, and the pane's own.
constexpr Artwork wallpaperArt = {"Wallpaper", {"\u21AA", 0.42, 0.47, 0.55, false}};
constexpr Artwork paneArt = {"icon", {"O", 0.35, 0.24, 0.72, false}};

struct ObjectDeleter {
    void operator()(void* object) const { g_object_unref(object); }
};

void roundedSquare(cairo_t* context, double size) {
    const double radius = size * 0.22;
    cairo_new_sub_path(context);
    cairo_arc(context, size - radius, radius, radius, -G_PI / 2, 0);
    cairo_arc(context, size - radius, size - radius, radius, 0, G_PI / 2);
    cairo_arc(context, radius, size - radius, radius, G_PI / 2, G_PI);
    cairo_arc(context, radius, radius, radius, G_PI, 3 * G_PI / 2);
    cairo_close_path(context);
}

// The mark is set large and shrunk to fit when it is wide, so one- and two-letter marks fill the tile alike.
void drawMark(cairo_t* context, std::string_view mark, double size) {
    std::unique_ptr<PangoLayout, ObjectDeleter> layout(pango_cairo_create_layout(context));
    const std::string font = "DejaVu Sans Bold " + std::to_string(static_cast<int>(size * 0.56)) + "px";
    PangoFontDescription* description = pango_font_description_from_string(font.c_str());
    pango_layout_set_font_description(layout.get(), description);
    pango_font_description_free(description);
    pango_layout_set_text(layout.get(), mark.data(), int(mark.size()));
    PangoRectangle ink;
    pango_layout_get_pixel_extents(layout.get(), &ink, nullptr);
    const double fit = ink.width > 0 ? std::min(1.0, size * 0.62 / ink.width) : 1.0;
    cairo_save(context);
    cairo_translate(context, size / 2, size / 2);
    cairo_scale(context, fit, fit);
    cairo_move_to(context, -ink.width / 2.0 - ink.x, -ink.height / 2.0 - ink.y);
    pango_cairo_show_layout(context, layout.get());
    cairo_restore(context);
}

bool writeSurface(cairo_surface_t* surface, const std::string& name) {
    return cairo_surface_write_to_png(surface, name.c_str()) == CAIRO_STATUS_SUCCESS;
}

// "Name.png" at 2x is "Name@2x.png"; a bare "Name" is "Name@2x".
std::string scaledName(const std::string& name, int scale) {
    if (scale == 1)
        return name;
    const auto dot = name.rfind('.');
    return dot == std::string::npos ? name + "@2x" : name.substr(0, dot) + "@2x" + name.substr(dot);
}

CairoSurface drawArtwork(const Artwork& art, bool tile, int pixels) {
    CairoSurface surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, pixels, pixels));
    CairoContext context(cairo_create(surface.get()));
    if (tile) {
        roundedSquare(context.get(), pixels);
        cairo_set_source_rgb(context.get(), art.tile.red, art.tile.green, art.tile.blue);
        cairo_fill(context.get());
        const double shade = art.tile.darkMark ? 0.1 : 1.0;
        cairo_set_source_rgb(context.get(), shade, shade, shade);
    } else {
        cairo_set_source_rgb(context.get(), 0, 0, 0);
    }
    drawMark(context.get(), art.tile.mark, pixels);
    return surface;
}

bool writeImage(const std::string& folder, const Artwork& art, bool tile, int scale) {
    const std::string name = folder + "/" + std::string(art.bundleId) + (tile ? "-icon" : "-black") +
                             (scale == 2 ? "@2x" : "") + ".png";
    return writeSurface(drawArtwork(art, tile, side * scale).get(), name);
}

// The function's section tile at this scale, shrunk to its row icon.
bool writeRowIcon(const std::string& sectionBundle, const FunctionInfo& function, const std::string& folder,
                  int scale) {
    const std::string tile = sectionBundle + "/" + std::string(function.targetBundleIds.front()) + "-icon" +
                             (scale == 2 ? "@2x" : "") + ".png";
    CairoSurface source(cairo_image_surface_create_from_png(tile.c_str()));
    if (cairo_surface_status(source.get()) != CAIRO_STATUS_SUCCESS)
        return false;
    const int pixels = rowIconSide * scale;
    CairoSurface surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, pixels, pixels));
    CairoContext context(cairo_create(surface.get()));
    const double shrink = double(pixels) / cairo_image_surface_get_width(source.get());
    cairo_scale(context.get(), shrink, shrink);
    cairo_set_source_surface(context.get(), source.get(), 0, 0);
    cairo_pattern_set_extend(cairo_get_source(context.get()), CAIRO_EXTEND_PAD);
    cairo_paint(context.get());
    return writeSurface(surface.get(), folder + "/" + scaledName(std::string(function.paneIcon.file), scale));
}

int writeSettingsIcons(const std::string& sectionBundle, const std::string& pane,
                       const std::string& framework) {
    for (const int scale : {1, 2}) {
        for (const auto& function : actionFunctions()) {
            const PaneIcon& icon = function.paneIcon;
            if (icon.sharedPostIcon)
                continue;
            if (!writeRowIcon(sectionBundle, function, icon.inFramework ? framework : pane, scale)) {
                std::fprintf(stderr, "orvane-icons: cannot make %s from the section's icons\n",
                             std::string(icon.file).c_str());
                return 1;
            }
        }
        const int pixels = rowIconSide * scale;
        if (!writeSurface(drawArtwork(wallpaperArt, true, pixels).get(),
                          framework + "/" +
                              scaledName(std::string(catalogue_rows::sharedPostIcon.file), scale)) ||
            !writeSurface(drawArtwork(paneArt, true, pixels).get(),
                          pane + "/" + scaledName("icon.png", scale))) {
            std::fprintf(stderr, "orvane-icons: cannot write the settings icons\n");
            return 1;
        }
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::string(argv[1]) == "--settings")
        return writeSettingsIcons(argv[2], argv[3], argv[4]);
    if (argc != 2) {
        std::fprintf(stderr, "usage: orvane-icons OUTPUT_FOLDER\n"
                             "       orvane-icons --settings SECTION_BUNDLE PANE_BUNDLE FRAMEWORK_FOLDER\n");
        return 2;
    }
    for (const auto& function : actionFunctions()) {
        if (!function.tile)
            continue;
        const Artwork art = {function.targetBundleIds.front(), *function.tile};
        for (const int scale : {1, 2}) {
            if (!writeImage(argv[1], art, true, scale) || !writeImage(argv[1], art, false, scale)) {
                std::fprintf(stderr, "orvane-icons: cannot write the icons of %s\n",
                             std::string(art.bundleId).c_str());
                return 1;
            }
        }
    }
    return 0;
}
