#include "SpringBoard/SpringBoard.h"

#include "Device/EventLog.h"
#include "SpringBoard/SBApplicationController.h"

namespace {

constexpr std::string_view appStoreBundleIdentifier = "com.apple.AppStore";

bool isAppStorePage(const NSURL& url) {
    return (url.scheme() == "https" || url.scheme() == "http") && url.host() == "apps.apple.com";
}

} // namespace

// App Store pages open in the App Store application, and only when it is installed; what opens other URLs
// (the applications that claim their schemes, the browser) is not played here.
bool SpringBoard::openURL(const NSURL& url) {
    if (!isAppStorePage(url)) {
        EventLog::record("springboard.openURL", {{"url", url.absoluteString()}});
        return true;
    }
    const bool installed = SBApplicationController::sharedInstance()->applicationWithBundleIdentifier(
                               appStoreBundleIdentifier) != nullptr;
    EventLog::record("springboard.openURL", {{"url", url.absoluteString()},
                                             {"application", installed ? appStoreBundleIdentifier : ""}});
    return installed;
}
