#pragma once

#include "objc/objc-api.h"

#include "UIKit/NSStringDrawing.h"
#include "UIKit/UIView.h"

#include <algorithm>
#include <string>

// Text drawn with the system font, centred vertically: one line by default, shortened with an ellipsis when
// it is longer, or as many lines as numberOfLines allows (0: as many as the text needs), wrapped at words.
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
    int numberOfLines() const { return _attributes.numberOfLines; }
    void setNumberOfLines(int lines) { _attributes.numberOfLines = std::max(lines, 0); }

  protected:
    explicit UILabel(CGRect frame = CGRectZero) : UIView(frame) {}
    void drawContent(CGRect bounds) const override;

  private:
    std::string _text;
    NSStringAttributes _attributes = {.numberOfLines = 1};
};
