#pragma once

#include "objc/objc-api.h"

#include "UIKit/NSStringDrawing.h"
#include "UIKit/UIView.h"

#include <string>

// One or more lines of text, drawn with the system font, wrapped at words and centred vertically.
class ORVANE_EXPORT UILabel : public UIView {
    OBJC_OBJECT(UILabel, UIView)

    const std::string& text() const { return _text; }
    void setText(std::string text) { _text = std::move(text); }
    const std::shared_ptr<UIColor>& textColor() const { return _attributes.color; }
    void setTextColor(std::shared_ptr<UIColor> color) { _attributes.color = std::move(color); }
    CGFloat fontSize() const { return _attributes.fontSize; }
    // The system font of that size.
    void setFontSize(CGFloat size) { _attributes.fontSize = size; }
    NSTextAlignment textAlignment() const { return _attributes.alignment; }
    void setTextAlignment(NSTextAlignment alignment) { _attributes.alignment = alignment; }

  protected:
    explicit UILabel(CGRect frame = CGRectZero) : UIView(frame) {}
    void drawContent(CGRect bounds) const override;

  private:
    std::string _text;
    NSStringAttributes _attributes;
};
