#pragma once

#include "objc/objc-api.h"

#include "Foundation/NSObject.h"

#include <memory>
#include <string>
#include <string_view>

// A URL as text, with its scheme, host and path picked out.
class ORVANE_EXPORT NSURL : public NSObject {
    OBJC_OBJECT(NSURL, NSObject)
    // Nothing for text that has no scheme, or holds what no URL may hold unescaped (blanks, control
    // characters, bytes beyond ASCII, or any of "<>\^`{|}).
    static std::shared_ptr<NSURL> URLWithString(std::string_view text);
    static std::shared_ptr<NSURL> fileURLWithPath(std::string_view path);

    const std::string& absoluteString() const { return _text; }
    std::string scheme() const;
    std::string host() const;
    std::string path() const;
    bool isFileURL() const { return scheme() == "file"; }

  protected:
    explicit NSURL(std::string text);

  private:
    std::string _text;
};
