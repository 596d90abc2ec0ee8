#pragma once

#include "objc/Badge.h"

// The hosts' side of the device's mail and message accounts, as its profile says.
namespace MessageUIHost {

void setCanSendMail(Badge<PlatformHost>, bool canSend);
void setCanSendText(Badge<PlatformHost>, bool canSend);
void setCanSendAttachments(Badge<PlatformHost>, bool canSend);

} // namespace MessageUIHost
