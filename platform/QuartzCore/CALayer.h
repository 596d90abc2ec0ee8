#pragma once

#include "objc/objc-api.h"

#include "CoreGraphics/CGColor.h"
#include "CoreGraphics/CGContext.h"
#include "CoreGraphics/CGGeometry.h"
#include "Foundation/NSObject.h"

#include <memory>
#include <vector>

// A rectangle of content in its superlayer, drawn as its background colour, its own content and then its
// sublayers in order, all at its opacity. A layer owns its sublayers and only refers to its superlayer.
class ORVANE_EXPORT CALayer : public NSObject {
    OBJC_OBJECT(CALayer, NSObject)
    static std::shared_ptr<CALayer> layer();

    CGRect frame() const { return _frame; }
    void setFrame(CGRect frame) { _frame = frame; }
    CGRect bounds() const { return {{0, 0}, _frame.size}; }
    float opacity() const { return _opacity; }
    void setOpacity(float opacity) { _opacity = opacity; }
    bool isHidden() const { return _hidden; }
    void setHidden(bool hidden) { _hidden = hidden; }
    const CGColorRef& backgroundColor() const { return _backgroundColor; }
    void setBackgroundColor(CGColorRef color) { _backgroundColor = std::move(color); }

    const std::vector<std::shared_ptr<CALayer>>& sublayers() const { return _sublayers; }
    // Adding a layer that has another superlayer moves it here.
    void addSublayer(const std::shared_ptr<CALayer>& layer);
    // An index beyond the end adds at the end.
    void insertSublayerAtIndex(const std::shared_ptr<CALayer>& layer, std::size_t index);
    void removeFromSuperlayer();
    std::shared_ptr<CALayer> superlayer() const { return _superlayer.lock(); }

    // Draws the layer at its frame into a context whose user space is the superlayer's, y down.
    void renderInContext(const CGContextRef& context) const;
    // Draws the sublayers alone, in a user space that is this layer's own.
    void renderSublayersInContext(const CGContextRef& context) const;

  protected:
    CALayer() = default;
    // The layer's own content, in its bounds.
    virtual void drawInContext(const CGContextRef& context) const;

  private:
    CGRect _frame = CGRectZero;
    float _opacity = 1;
    bool _hidden = false;
    CGColorRef _backgroundColor;
    std::vector<std::shared_ptr<CALayer>> _sublayers;
    std::weak_ptr<CALayer> _superlayer;
};

// A layer that draws a path: filled, then stroked. Its frame may stay empty: the path is drawn in the layer's
// own coordinates whatever its bounds.
class ORVANE_EXPORT CAShapeLayer : public CALayer {
    OBJC_OBJECT(CAShapeLayer, CALayer)
    static std::shared_ptr<CAShapeLayer> layer();

    const std::shared_ptr<const CGPath>& path() const { return _path; }
    void setPath(std::shared_ptr<const CGPath> path) { _path = std::move(path); }
    // Opaque black unless set; nothing fills nothing.
    const CGColorRef& fillColor() const { return _fillColor; }
    void setFillColor(CGColorRef color) { _fillColor = std::move(color); }
    // Nothing unless set: no stroke.
    const CGColorRef& strokeColor() const { return _strokeColor; }
    void setStrokeColor(CGColorRef color) { _strokeColor = std::move(color); }
    CGFloat lineWidth() const { return _lineWidth; }
    void setLineWidth(CGFloat width) { _lineWidth = width; }
    const std::vector<CGFloat>& lineDashPattern() const { return _lineDashPattern; }
    void setLineDashPattern(std::vector<CGFloat> pattern) { _lineDashPattern = std::move(pattern); }
    CGFloat lineDashPhase() const { return _lineDashPhase; }
    void setLineDashPhase(CGFloat phase) { _lineDashPhase = phase; }

  protected:
    CAShapeLayer();
    void drawInContext(const CGContextRef& context) const override;

  private:
    std::shared_ptr<const CGPath> _path;
    CGColorRef _fillColor;
    CGColorRef _strokeColor;
    CGFloat _lineWidth = 1;
    std::vector<CGFloat> _lineDashPattern;
    CGFloat _lineDashPhase = 0;
};
