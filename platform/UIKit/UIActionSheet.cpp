#include "UIKit/UIActionSheet.h"

#include "Device/EventLog.h"

#include <string>

UIActionSheet::UIActionSheet(std::optional<std::string> title) : _title(std::move(title)) {}

void UIActionSheet::showFromRect(CGRect, const std::shared_ptr<UIView>& view, bool) {
    if (!view || _visible)
        return;
    _visible = true;
    EventLog::record("uikit.actionSheet.shown", {{"title", _title.value_or("")}});
}

void UIActionSheet::dismissWithClickedButtonIndex(long buttonIndex, bool) {
    if (!_visible)
        return;
    _visible = false;
    EventLog::record("uikit.actionSheet.dismissed", {{"buttonIndex", std::to_string(buttonIndex)}});
}
