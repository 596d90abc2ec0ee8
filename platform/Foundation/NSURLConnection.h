#pragma once

#include "objc/objc-api.h"

#include "Foundation/NSURL.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// A request to load a URL.
class ORVANE_EXPORT NSURLRequest : public NSObject {
    OBJC_OBJECT(NSURLRequest, NSObject)
    static std::shared_ptr<NSURLRequest> requestWithURL(std::shared_ptr<NSURL> url) {
        return make(std::move(url));
    }

    const std::shared_ptr<NSURL>& URL() const { return _url; }

  protected:
    explicit NSURLRequest(std::shared_ptr<NSURL> url) : _url(std::move(url)) {}

  private:
    std::shared_ptr<NSURL> _url;
};

// What the loading system says about what it loaded.
class ORVANE_EXPORT NSURLResponse : public NSObject {
    OBJC_OBJECT(NSURLResponse, NSObject)
    const std::shared_ptr<NSURL>& URL() const { return _url; }
    // From the file's extension through the system's media-types table; "application/octet-stream" for an
    // extension the table does not know.
    const std::string& MIMEType() const { return _mimeType; }
    long long expectedContentLength() const { return _expectedContentLength; }
    // The URL's last path component; "Unknown" when it has none.
    std::string suggestedFilename() const;

  protected:
    NSURLResponse(std::shared_ptr<NSURL> url, std::string mimeType, long long expectedContentLength)
        : _url(std::move(url)), _mimeType(std::move(mimeType)),
          _expectedContentLength(expectedContentLength) {}

  private:
    std::shared_ptr<NSURL> _url;
    std::string _mimeType;
    long long _expectedContentLength;
};

class ORVANE_EXPORT NSURLConnection {
  public:
    // Loads the request on the calling thread: the bytes, with the response in `response`. Only file URLs
    // load here (device paths); a missing or unreadable file, a folder, a file beyond the size the platform
    // loads whole, or any other scheme gives nothing, and no response.
    static std::optional<std::vector<std::uint8_t>>
    sendSynchronousRequest(const std::shared_ptr<NSURLRequest>& request,
                           std::shared_ptr<NSURLResponse>& response);
};
