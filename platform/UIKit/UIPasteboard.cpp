#include "UIKit/UIPasteboard.h"

#include "Device/EventLog.h"

UIPasteboard& UIPasteboard::generalPasteboard() {
    static const auto pasteboard = make();
    return *pasteboard;
}

void UIPasteboard::setString(std::string text) {
    EventLog::record("pasteboard.string", {{"string", text}});
    _string = std::move(text);
}
