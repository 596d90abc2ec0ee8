#include "SpringBoard/SpringBoard.h"

#include "Foundation/EventLog.h"

bool SpringBoard::openURL(const NSURL& url) {
    EventLog::record("springboard.openURL", {{"url", url.absoluteString()}});
    return true;
}
