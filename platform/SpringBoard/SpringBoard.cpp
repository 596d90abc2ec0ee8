#include "SpringBoard/SpringBoard.h"

#include "SpringBoard/SpringBoardHost.h"

bool SpringBoard::openURL(const NSURL& url) {
    SpringBoardHost::recordAction("openURL " + url.absoluteString());
    return true;
}
