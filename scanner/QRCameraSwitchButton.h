#pragma once

#include "UIKit/UIButton.h"

#include <memory>

// The front/back camera toggle: a camera with two arrows, drawn in code in one pair of colours when idle and
// another while a finger is on it.
class QRCameraSwitchButton : public UIButton {
    OBJC_OBJECT(QRCameraSwitchButton, UIButton)

    const std::shared_ptr<UIColor>& edgeColor() const { return _edgeColor; }
    void setEdgeColor(std::shared_ptr<UIColor> color) { _edgeColor = std::move(color); }
    const std::shared_ptr<UIColor>& fillColor() const { return _fillColor; }
    void setFillColor(std::shared_ptr<UIColor> color) { _fillColor = std::move(color); }
    const std::shared_ptr<UIColor>& edgeHighlightedColor() const { return _edgeHighlightedColor; }
    void setEdgeHighlightedColor(std::shared_ptr<UIColor> color) { _edgeHighlightedColor = std::move(color); }
    const std::shared_ptr<UIColor>& fillHighlightedColor() const { return _fillHighlightedColor; }
    void setFillHighlightedColor(std::shared_ptr<UIColor> color) { _fillHighlightedColor = std::move(color); }

    void touchesBegan() override;
    void touchesMoved() override;
    void touchesEnded() override;
    void touchesCancelled() override;

  protected:
    explicit QRCameraSwitchButton(CGRect frame = CGRectZero);
    void drawRect(CGRect rect) override;

  private:
    std::shared_ptr<UIColor> _edgeColor;
    std::shared_ptr<UIColor> _fillColor;
    std::shared_ptr<UIColor> _edgeHighlightedColor;
    std::shared_ptr<UIColor> _fillHighlightedColor;
};
