#include "QuartzCore/CALayer.h"

#include <algorithm>

std::shared_ptr<CALayer> CALayer::layer() {
    return make();
}

void CALayer::addSublayer(const std::shared_ptr<CALayer>& layer) {
    insertSublayerAtIndex(layer, _sublayers.size());
}

void CALayer::insertSublayerAtIndex(const std::shared_ptr<CALayer>& layer, std::size_t index) {
    if (!layer || layer.get() == this)
        return;
    const auto keepAlive = layer;
    layer->removeFromSuperlayer();
    _sublayers.insert(_sublayers.begin() + std::ptrdiff_t(std::min(index, _sublayers.size())), layer);
    layer->_superlayer = std::static_pointer_cast<CALayer>(shared_from_this());
}

void CALayer::removeFromSuperlayer() {
    const auto parent = _superlayer.lock();
    if (!parent)
        return;
    auto& siblings = parent->_sublayers;
    siblings.erase(
        std::remove_if(siblings.begin(), siblings.end(), [this](const auto& l) { return l.get() == this; }),
        siblings.end());
    _superlayer.reset();
}

void CALayer::renderInContext(const CGContextRef& context) const {
    if (_hidden || !context)
        return;
    CGContextSaveGState(context);
    CGContextTranslateCTM(context, _frame.origin.x, _frame.origin.y);
    CGContextSetAlpha(context, _opacity);
    CGContextBeginTransparencyLayer(context);
    if (_backgroundColor) {
        CGContextSetRGBFillColor(context, _backgroundColor->red, _backgroundColor->green,
                                 _backgroundColor->blue, _backgroundColor->alpha);
        CGContextFillRect(context, bounds());
    }
    drawInContext(context);
    renderSublayersInContext(context);
    CGContextEndTransparencyLayer(context);
    CGContextRestoreGState(context);
}

void CALayer::renderSublayersInContext(const CGContextRef& context) const {
    for (const auto& sublayer : _sublayers)
        sublayer->renderInContext(context);
}

void CALayer::drawInContext(const CGContextRef&) const {}

std::shared_ptr<CAShapeLayer> CAShapeLayer::layer() {
    return make();
}

CAShapeLayer::CAShapeLayer() : _fillColor(CGColorCreateSRGB(0, 0, 0, 1)) {}

void CAShapeLayer::drawInContext(const CGContextRef& context) const {
    if (!_path)
        return;
    if (_fillColor && _fillColor->alpha > 0) {
        CGContextSetRGBFillColor(context, _fillColor->red, _fillColor->green, _fillColor->blue,
                                 _fillColor->alpha);
        CGContextAddPath(context, *_path);
        CGContextFillPath(context);
    }
    if (_strokeColor && _strokeColor->alpha > 0 && _lineWidth > 0) {
        CGContextSetRGBStrokeColor(context, _strokeColor->red, _strokeColor->green, _strokeColor->blue,
                                   _strokeColor->alpha);
        CGContextSetLineWidth(context, _lineWidth);
        CGContextSetLineDash(context, _lineDashPhase, _lineDashPattern);
        CGContextAddPath(context, *_path);
        CGContextStrokePath(context);
    }
}
