#pragma once

#include "objc/objc-api.h"

#include "Foundation/NSObject.h"

#include <optional>
#include <string>

// The pasteboard every application shares. What is put on it leaves the plug-in, so it goes to the device's
// event log.
class ORVANE_EXPORT UIPasteboard : public NSObject {
    OBJC_OBJECT(UIPasteboard, NSObject)
    static UIPasteboard& generalPasteboard();

    void setString(std::string text);
    const std::optional<std::string>& string() const { return _string; }

  protected:
    UIPasteboard() = default;

  private:
    std::optional<std::string> _string;
};
