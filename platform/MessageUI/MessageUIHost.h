#pragma once

#include "objc/objc-api.h"

#include "objc/Badge.h"

// The hosts' side of the device's mail and message accounts, as its profile says.
namespace MessageUIHost {

ORVANE_EXPORT void setCanSendMail(Badge<PlatformHost>, bool canSend);
ORVANE_EXPORT void setCanSendText(Badge<PlatformHost>, bool canSend);
ORVANE_EXPORT void setCanSendAttachments(Badge<PlatformHost>, bool canSend);

} // namespace MessageUIHost
