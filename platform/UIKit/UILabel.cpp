#include "UIKit/UILabel.h"
#include "UIKit/UIImageView.h"

void UILabel::drawContent(CGRect bounds) const {
    if (_text.empty())
        return;
    const CGSize size = NSStringBoundingSize(_text, bounds.size.width, _attributes);
    const CGFloat top = std::max<CGFloat>((bounds.size.height - size.height) / 2, 0);
    NSStringDrawInRect(_text, CGRectMake(0, top, bounds.size.width, bounds.size.height - top), _attributes);
}

UIImageView::UIImageView(std::shared_ptr<UIImage> image)
    : UIView(image ? CGRect{{0, 0}, image->size()} : CGRectZero), _image(std::move(image)) {}

void UIImageView::drawContent(CGRect bounds) const {
    if (_image)
        _image->drawInRect(bounds);
}
