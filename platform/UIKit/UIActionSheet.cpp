#include "UIKit/UIActionSheet.h"

UIActionSheet::UIActionSheet(std::optional<std::string> title) : _title(std::move(title)) {}

std::shared_ptr<UIActionSheet> UIActionSheet::make(std::optional<std::string> title) {
    return std::make_shared<UIActionSheet>(std::move(title));
}

void UIActionSheet::showFromRect(CGRect, const std::shared_ptr<UIView>& view, bool) {
    if (!view || _visible)
        return;
    _visible = true;
}

void UIActionSheet::dismissWithClickedButtonIndex(long, bool) {
    if (!_visible)
        return;
    _visible = false;
}
