#include "UIKit/UILabel.h"
#include "UIKit/UIImageView.h"

void UILabel::drawContent(CGRect bounds) const {
    if (_text.empty())
        return;
    const CGSize size = NSStringBoundingSize(_text, bounds.size.width, _attributes);
    // A line taller than the label (a font with tall lines, CJK's) stays centred and keeps its middle.
    const CGFloat top = (bounds.size.height - size.height) / 2;
    NSStringDrawInRect(_text,
                       CGRectMake(0, top, bounds.size.width, std::max(size.height, bounds.size.height - top)),
                       _attributes);
}

UIImageView::UIImageView(std::shared_ptr<UIImage> image)
    : UIView(image ? CGRect{{0, 0}, image->size()} : CGRectZero), _image(std::move(image)) {}

void UIImageView::drawContent(CGRect bounds) const {
    if (_image)
        _image->drawInRect(bounds);
}
