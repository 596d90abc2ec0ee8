#pragma once

#include "Foundation/PlatformHost.h"
#include "MessageUI/MessageUIHost.h"
#include "Social/SLComposeViewController.h"
#include "Social/SocialHost.h"

#include <string>

// Tests that take accounts away give the next test a device that can mail, message and post everywhere.
inline void restoreEveryComposeAccount() {
    MessageUIHost::setCanSendMail(PlatformHost::badge(), true);
    MessageUIHost::setCanSendText(PlatformHost::badge(), true);
    MessageUIHost::setCanSendAttachments(PlatformHost::badge(), true);
    SocialHost::setAccounts(PlatformHost::badge(),
                            {std::string(SLServiceTypeFacebook), std::string(SLServiceTypeTwitter),
                             std::string(SLServiceTypeSinaWeibo), std::string(SLServiceTypeTencentWeibo)});
}
