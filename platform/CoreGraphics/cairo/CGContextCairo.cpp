#include "CoreGraphics/cairo/CGContextCairo.h"
#include "CoreGraphics/CGPixelPermutation.h"
#include "CoreGraphics/cairo/CGImageCairo.h"
#include "CoreGraphics/cairo/CairoHandles.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>
#include <utility>
#include <vector>

namespace {

struct Colour {
    CGFloat red = 0, green = 0, blue = 0, alpha = 1;
};

struct GraphicsState {
    CGAffineTransform ctm;
    CGBlendMode blendMode = kCGBlendModeNormal;
    CGFloat alpha = 1;
    Colour fill;
    Colour stroke;
    CGFloat lineWidth = 1;
    bool clipped = false;
    CGLineCap lineCap = kCGLineCapButt;
    CGLineJoin lineJoin = kCGLineJoinMiter;
    std::vector<double> dashLengths;
    CGFloat dashPhase = 0;
    // What CGContextClipToMask leaves in force, as coverage per device pixel (A8); saved states share it.
    std::shared_ptr<cairo_surface_t> mask;
};

struct SavedState {
    GraphicsState state;
    bool opensLayer;
};

// CoreGraphics transforms a path when it is added, so each part keeps the CTM of that moment.
struct PendingPath {
    CGPath path;
    CGAffineTransform ctm;
};

using Shape = std::function<void(cairo_t*)>;

} // namespace

struct CGContext {
    // The bitmap, which images made of the context share until the context draws again.
    std::shared_ptr<CGPixelBuffer> pixels;
    CairoSurface surface;
    CairoContext cairo;
    std::size_t width = 0;
    std::size_t height = 0;
    GraphicsState state;
    std::vector<SavedState> saved;
    std::vector<PendingPath> path;
    // Nothing has been drawn yet: the bitmap is all transparent.
    bool pristine = true;
    // The bitmap's memory may still hold an earlier bitmap's pixels: it is cleared before anything reads
    // it or draws on part of it.
    bool uncleared = true;
};

namespace {

// cairo refuses a singular matrix by failing the whole context for good; CoreGraphics just draws nothing.
bool isInvertible(const CGAffineTransform& t) {
    const CGFloat determinant = t.a * t.d - t.b * t.c;
    return std::isfinite(determinant) && determinant != 0 && std::isfinite(t.tx) && std::isfinite(t.ty);
}

// cairo's device space starts at the top left with y down, CoreGraphics' at the bottom left with y up.
void setUserSpace(cairo_t* cairo, const CGAffineTransform& t, std::size_t height) {
    cairo_matrix_t matrix;
    cairo_matrix_init(&matrix, t.a, -t.b, t.c, -t.d, t.tx, CGFloat(height) - t.ty);
    cairo_set_matrix(cairo, &matrix);
}

cairo_operator_t blendOperator(const CGContext& context) {
    switch (context.state.blendMode) {
    case kCGBlendModeCopy:
        return CAIRO_OPERATOR_SOURCE;
    case kCGBlendModeDifference:
        return CAIRO_OPERATOR_DIFFERENCE;
    case kCGBlendModeClear:
        return CAIRO_OPERATOR_CLEAR;
    default:
        return CAIRO_OPERATOR_OVER;
    }
}

void appendRoundedRect(cairo_t* cairo, CGRect rect, CGFloat radiusX, CGFloat radiusY) {
    if (radiusX <= 0 || radiusY <= 0) {
        cairo_rectangle(cairo, rect.origin.x, rect.origin.y, rect.size.width, rect.size.height);
        return;
    }
    const CGFloat left = std::min(CGRectGetMinX(rect), CGRectGetMaxX(rect)) + radiusX;
    const CGFloat right = std::max(CGRectGetMinX(rect), CGRectGetMaxX(rect)) - radiusX;
    const CGFloat low = std::min(CGRectGetMinY(rect), CGRectGetMaxY(rect)) + radiusY;
    const CGFloat high = std::max(CGRectGetMinY(rect), CGRectGetMaxY(rect)) - radiusY;
    const CGPoint centres[] = {{right, low}, {right, high}, {left, high}, {left, low}};
    cairo_new_sub_path(cairo);
    for (int corner = 0; corner < 4; ++corner) {
        const CairoSaveGuard guard(cairo);
        cairo_translate(cairo, centres[corner].x, centres[corner].y);
        cairo_scale(cairo, radiusX, radiusY);
        const double start = (corner - 1) * std::numbers::pi / 2;
        cairo_arc(cairo, 0, 0, 1, start, start + std::numbers::pi / 2);
    }
    cairo_close_path(cairo);
}

void appendPath(cairo_t* cairo, const CGPath& path) {
    using Kind = CGPath::Element::Kind;
    for (const auto& element : path.elements()) {
        const CGRect& rect = element.rect;
        switch (element.kind) {
        case Kind::move:
            cairo_move_to(cairo, element.point.x, element.point.y);
            break;
        case Kind::line:
            cairo_line_to(cairo, element.point.x, element.point.y);
            break;
        case Kind::rect:
            appendRoundedRect(cairo, rect, 0, 0);
            break;
        case Kind::roundedRect:
            appendRoundedRect(cairo, rect, element.cornerWidth, element.cornerHeight);
            break;
        case Kind::ellipse:
            appendRoundedRect(cairo, rect, std::abs(rect.size.width) / 2, std::abs(rect.size.height) / 2);
            break;
        case Kind::close:
            cairo_close_path(cairo);
            break;
        }
    }
}

Shape rectShape(CGRect rect) {
    return [rect](cairo_t* cairo) {
        cairo_rectangle(cairo, rect.origin.x, rect.origin.y, rect.size.width, rect.size.height);
    };
}

// Appends the context's current path and leaves user space as the current CTM.
Shape pendingShape(const CGContext& context) {
    return [&context](cairo_t* cairo) {
        for (const auto& part : context.path) {
            setUserSpace(cairo, part.ctm, context.height);
            appendPath(cairo, part.path);
        }
        setUserSpace(cairo, context.state.ctm, context.height);
    };
}

void paintSurfaceInDeviceSpace(cairo_t* cairo, cairo_surface_t* surface, cairo_operator_t op) {
    const CairoSaveGuard guard(cairo);
    cairo_identity_matrix(cairo);
    cairo_set_source_surface(cairo, surface, 0, 0);
    cairo_set_operator(cairo, op);
    cairo_paint(cairo);
}

// Draws the image upright in y-up user space: its first row along the rect's max y, stretched over the rect.
void paintImage(cairo_t* cairo, CGRect rect, const CGImage& image, CGFloat alpha) {
    const double width = double(image.width());
    const double height = double(image.height());
    const double scaleX = rect.size.width / width;
    const double scaleY = -rect.size.height / height;
    if (!std::isnormal(scaleX) || !std::isnormal(scaleY))
        return;
    const CairoSurface surface = surfaceForImage(image);
    const CairoSaveGuard guard(cairo);
    cairo_translate(cairo, CGRectGetMinX(rect), CGRectGetMaxY(rect));
    cairo_scale(cairo, scaleX, scaleY);
    cairo_rectangle(cairo, 0, 0, width, height);
    cairo_clip(cairo);
    cairo_set_source_surface(cairo, surface.get(), 0, 0);
    // Without padding a stretched image fades out towards its edges.
    cairo_pattern_set_extend(cairo_get_source(cairo), CAIRO_EXTEND_PAD);
    cairo_paint_with_alpha(cairo, alpha);
}

void clearIfNeeded(CGContext& context) {
    if (!std::exchange(context.uncleared, false))
        return;
    CGPixelMemory::clear(context.pixels->data(), context.pixels->size() * sizeof(std::uint32_t));
    cairo_surface_mark_dirty(context.surface.get());
}

// Images made of the context keep what it showed then: before the context draws again, they get a copy and
// the context keeps the memory its surface draws on.
void prepareToWrite(CGContext& context) {
    clearIfNeeded(context);
    context.pristine = false;
    if (context.pixels.use_count() == 1)
        return;
    auto own = std::make_shared<CGPixelBuffer>();
    own->swap(*context.pixels);
    *context.pixels = *own;
    context.pixels = std::move(own);
}

// Runs one drawing operation in user space. cairo cannot clip to a mask, so under a mask the operation draws
// on a copy of the destination, which then replaces the destination in proportion to the mask's coverage.
void draw(CGContext& context, cairo_operator_t op, const std::function<void(cairo_t*)>& operation) {
    if (!isInvertible(context.state.ctm))
        return;
    prepareToWrite(context);
    cairo_t* cairo = context.cairo.get();
    const CairoSaveGuard guard(cairo);
    setUserSpace(cairo, context.state.ctm, context.height);
    cairo_set_operator(cairo, op);
    if (!context.state.mask) {
        operation(cairo);
        return;
    }
    cairo_surface_t* destination = cairo_get_group_target(cairo);
    cairo_push_group(cairo);
    paintSurfaceInDeviceSpace(cairo, destination, CAIRO_OPERATOR_SOURCE);
    operation(cairo);
    cairo_pop_group_to_source(cairo);
    cairo_identity_matrix(cairo);
    cairo_set_operator(cairo, CAIRO_OPERATOR_SOURCE);
    cairo_mask_surface(cairo, context.state.mask.get(), 0, 0);
}

// The colour at the context's alpha as cairo's source, then the shape as cairo's path.
void prepareShape(cairo_t* cairo, const CGContext& context, const Colour& colour, const Shape& shape) {
    cairo_set_source_rgba(cairo, colour.red, colour.green, colour.blue, colour.alpha * context.state.alpha);
    shape(cairo);
}

void fill(CGContext& context, const Shape& shape) {
    draw(context, blendOperator(context), [&](cairo_t* cairo) {
        prepareShape(cairo, context, context.state.fill, shape);
        cairo_fill(cairo);
    });
}

cairo_line_cap_t cairoLineCap(CGLineCap cap) {
    switch (cap) {
    case kCGLineCapRound:
        return CAIRO_LINE_CAP_ROUND;
    case kCGLineCapSquare:
        return CAIRO_LINE_CAP_SQUARE;
    default:
        return CAIRO_LINE_CAP_BUTT;
    }
}

cairo_line_join_t cairoLineJoin(CGLineJoin join) {
    switch (join) {
    case kCGLineJoinRound:
        return CAIRO_LINE_JOIN_ROUND;
    case kCGLineJoinBevel:
        return CAIRO_LINE_JOIN_BEVEL;
    default:
        return CAIRO_LINE_JOIN_MITER;
    }
}

// cairo puts a context in an error state for good on a pattern it cannot draw; CoreGraphics strokes solid.
bool isDrawableDash(std::span<const CGFloat> lengths) {
    return std::all_of(lengths.begin(), lengths.end(),
                       [](CGFloat l) { return std::isfinite(l) && l >= 0; }) &&
           std::any_of(lengths.begin(), lengths.end(), [](CGFloat l) { return l > 0; });
}

void stroke(CGContext& context, const Shape& shape) {
    draw(context, blendOperator(context), [&](cairo_t* cairo) {
        prepareShape(cairo, context, context.state.stroke, shape);
        cairo_set_line_width(cairo, context.state.lineWidth);
        cairo_set_line_cap(cairo, cairoLineCap(context.state.lineCap));
        cairo_set_line_join(cairo, cairoLineJoin(context.state.lineJoin));
        cairo_set_dash(cairo, context.state.dashLengths.data(), int(context.state.dashLengths.size()),
                       context.state.dashPhase);
        cairo_stroke(cairo);
    });
}

void clip(CGContext& context, const Shape& shape) {
    if (!isInvertible(context.state.ctm))
        return;
    cairo_t* cairo = context.cairo.get();
    setUserSpace(cairo, context.state.ctm, context.height);
    shape(cairo);
    cairo_clip(cairo);
    context.state.clipped = true;
}

// Image pixel coordinates (column, row; top-left origin) to cairo's device space, as paintImage draws them.
CGAffineTransform imageToDevice(const CGContext& context, CGRect rect, const CGImage& image) {
    const CGAffineTransform imageToUser = {rect.size.width / CGFloat(image.width()),
                                           0,
                                           0,
                                           -rect.size.height / CGFloat(image.height()),
                                           CGRectGetMinX(rect),
                                           CGRectGetMaxY(rect)};
    const CGAffineTransform& t = context.state.ctm;
    const CGAffineTransform userToDevice = {t.a, -t.b, t.c, -t.d, t.tx, CGFloat(context.height) - t.ty};
    return CGAffineTransformConcat(imageToUser, userToDevice);
}

// An image turned by right angles or mirrored, one pixel per pixel, replacing what lies below it (copy
// blending, or nothing drawn yet), outside transparency layers, unclipped and opaque as a whole: cairo would
// resample it for nothing, so its pixels are moved directly. Answers whether it drew.
bool drawImageByPermutation(CGContext& context, CGRect rect, const CGImage& image) {
    const bool replaces = context.state.blendMode == kCGBlendModeCopy ||
                          (context.state.blendMode == kCGBlendModeNormal && context.pristine);
    const bool inLayer = std::any_of(context.saved.begin(), context.saved.end(),
                                     [](const SavedState& saved) { return saved.opensLayer; });
    if (!replaces || inLayer || context.state.alpha != 1 || context.state.mask || context.state.clipped)
        return false;
    const auto permutation = CGPixelPermutation::of(imageToDevice(context, rect, image), image.width(),
                                                    image.height(), context.width, context.height);
    if (!permutation)
        return false;
    // An image covering the whole bitmap leaves nothing of what its memory held before.
    if (image.width() * image.height() == context.width * context.height)
        context.uncleared = false;
    prepareToWrite(context);
    cairo_surface_flush(context.surface.get());
    permutation->apply(image.pixels(), image.width(), image.height(), *context.pixels, context.width);
    cairo_surface_mark_dirty(context.surface.get());
    return true;
}

void concat(const CGContextRef& context, CGAffineTransform transform) {
    if (context)
        context->state.ctm = CGAffineTransformConcat(transform, context->state.ctm);
}

} // namespace

CGContextRef CGBitmapContextCreate(std::size_t width, std::size_t height) {
    if (!CGImage::isWithinLimits(width, height))
        return nullptr;
    auto context = std::make_shared<CGContext>();
    context->pixels = std::make_shared<CGPixelBuffer>(width * height, CGPixelAllocator<std::uint32_t>(true));
    context->surface.reset(
        cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(context->pixels->data()),
                                            CAIRO_FORMAT_ARGB32, int(width), int(height), int(width) * 4));
    context->cairo.reset(cairo_create(context->surface.get()));
    if (cairo_status(context->cairo.get()) != CAIRO_STATUS_SUCCESS)
        return nullptr;
    context->width = width;
    context->height = height;
    return context;
}

CGImageRef CGBitmapContextCreateImage(const CGContextRef& context) {
    if (!context)
        return nullptr;
    clearIfNeeded(*context);
    cairo_surface_flush(context->surface.get());
    return CGImage::make(context->width, context->height,
                         std::shared_ptr<const CGPixelBuffer>(context->pixels));
}

std::size_t CGBitmapContextGetWidth(const CGContextRef& context) {
    return context ? context->width : 0;
}

std::size_t CGBitmapContextGetHeight(const CGContextRef& context) {
    return context ? context->height : 0;
}

void CGContextSaveGState(const CGContextRef& context) {
    if (!context)
        return;
    context->saved.push_back({context->state, false});
    cairo_save(context->cairo.get());
}

void CGContextRestoreGState(const CGContextRef& context) {
    if (!context || context->saved.empty() || context->saved.back().opensLayer)
        return;
    context->state = std::move(context->saved.back().state);
    context->saved.pop_back();
    cairo_restore(context->cairo.get());
}

void CGContextBeginTransparencyLayer(const CGContextRef& context) {
    if (!context)
        return;
    context->saved.push_back({context->state, true});
    // The group's pattern is painted back with the matrix it was opened under: device space keeps that
    // simple.
    cairo_identity_matrix(context->cairo.get());
    cairo_push_group(context->cairo.get());
    context->state.alpha = 1;
    context->state.blendMode = kCGBlendModeNormal;
    context->state.mask = nullptr;
}

void CGContextEndTransparencyLayer(const CGContextRef& context) {
    if (!context || context->saved.empty() || !context->saved.back().opensLayer)
        return;
    const CairoPattern layer(cairo_pop_group(context->cairo.get()));
    context->state = std::move(context->saved.back().state);
    context->saved.pop_back();
    draw(*context, blendOperator(*context), [&](cairo_t* cairo) {
        cairo_identity_matrix(cairo);
        cairo_set_source(cairo, layer.get());
        cairo_paint_with_alpha(cairo, context->state.alpha);
    });
}

void CGContextTranslateCTM(const CGContextRef& context, CGFloat tx, CGFloat ty) {
    concat(context, CGAffineTransformMakeTranslation(tx, ty));
}

void CGContextScaleCTM(const CGContextRef& context, CGFloat sx, CGFloat sy) {
    concat(context, CGAffineTransformMakeScale(sx, sy));
}

void CGContextRotateCTM(const CGContextRef& context, CGFloat angle) {
    concat(context, CGAffineTransformMakeRotation(angle));
}

void CGContextConcatCTM(const CGContextRef& context, CGAffineTransform transform) {
    concat(context, transform);
}

CGAffineTransform CGContextGetCTM(const CGContextRef& context) {
    return context ? context->state.ctm : CGAffineTransformIdentity;
}

void CGContextSetBlendMode(const CGContextRef& context, CGBlendMode mode) {
    if (context)
        context->state.blendMode = mode;
}

void CGContextSetAlpha(const CGContextRef& context, CGFloat alpha) {
    if (context)
        context->state.alpha = std::clamp<CGFloat>(alpha, 0, 1);
}

void CGContextSetRGBFillColor(const CGContextRef& context, CGFloat red, CGFloat green, CGFloat blue,
                              CGFloat alpha) {
    if (context)
        context->state.fill = {red, green, blue, alpha};
}

void CGContextSetRGBStrokeColor(const CGContextRef& context, CGFloat red, CGFloat green, CGFloat blue,
                                CGFloat alpha) {
    if (context)
        context->state.stroke = {red, green, blue, alpha};
}

void CGContextSetLineWidth(const CGContextRef& context, CGFloat width) {
    if (context)
        context->state.lineWidth = std::max<CGFloat>(width, 0);
}

void CGContextSetLineCap(const CGContextRef& context, CGLineCap cap) {
    if (context)
        context->state.lineCap = cap;
}

void CGContextSetLineJoin(const CGContextRef& context, CGLineJoin join) {
    if (context)
        context->state.lineJoin = join;
}

void CGContextSetLineDash(const CGContextRef& context, CGFloat phase, std::span<const CGFloat> lengths) {
    if (!context)
        return;
    const bool dashed = isDrawableDash(lengths) && std::isfinite(phase);
    context->state.dashLengths =
        dashed ? std::vector<double>(lengths.begin(), lengths.end()) : std::vector<double>();
    context->state.dashPhase = dashed ? phase : 0;
}

void CGContextFillRect(const CGContextRef& context, CGRect rect) {
    if (context)
        fill(*context, rectShape(rect));
}

void CGContextClearRect(const CGContextRef& context, CGRect rect) {
    if (!context)
        return;
    draw(*context, CAIRO_OPERATOR_CLEAR, [&](cairo_t* cairo) {
        rectShape(rect)(cairo);
        cairo_fill(cairo);
    });
}

void CGContextStrokeRect(const CGContextRef& context, CGRect rect) {
    if (context)
        stroke(*context, rectShape(rect));
}

void CGContextDrawImage(const CGContextRef& context, CGRect rect, const CGImageRef& image) {
    if (!context || !image || drawImageByPermutation(*context, rect, *image))
        return;
    draw(*context, blendOperator(*context),
         [&](cairo_t* cairo) { paintImage(cairo, rect, *image, context->state.alpha); });
}

void CGContextClipToRect(const CGContextRef& context, CGRect rect) {
    if (context)
        clip(*context, rectShape(rect));
}

void CGContextClipToMask(const CGContextRef& context, CGRect rect, const CGImageRef& mask) {
    if (!context || !mask || !isInvertible(context->state.ctm))
        return;
    CairoSurface coverage(
        cairo_image_surface_create(CAIRO_FORMAT_A8, int(context->width), int(context->height)));
    const CairoContext cairo(cairo_create(coverage.get()));
    setUserSpace(cairo.get(), context->state.ctm, context->height);
    paintImage(cairo.get(), rect, *mask, 1);
    if (context->state.mask)
        paintSurfaceInDeviceSpace(cairo.get(), context->state.mask.get(), CAIRO_OPERATOR_DEST_IN);
    cairo_surface_flush(coverage.get());
    context->state.mask = std::move(coverage);
}

void CGContextAddPath(const CGContextRef& context, const CGPath& path) {
    if (context && isInvertible(context->state.ctm))
        context->path.push_back({path, context->state.ctm});
}

void CGContextFillPath(const CGContextRef& context) {
    if (!context)
        return;
    fill(*context, pendingShape(*context));
    context->path.clear();
}

void CGContextStrokePath(const CGContextRef& context) {
    if (!context)
        return;
    stroke(*context, pendingShape(*context));
    context->path.clear();
}

void CGContextClip(const CGContextRef& context) {
    if (!context)
        return;
    clip(*context, pendingShape(*context));
    context->path.clear();
}

void CGContextDrawWithCairo(const CGContextRef& context,
                            const std::function<void(cairo_t* cairo, CGFloat alpha)>& operation) {
    if (context)
        draw(*context, blendOperator(*context),
             [&](cairo_t* cairo) { operation(cairo, context->state.alpha); });
}
