#pragma once

#include "MessageUI/MessageUIHost.h"
#include "Social/SLComposeViewController.h"
#include "Social/SocialHost.h"

#include <string>

// Tests that take accounts away give the next test a device that can mail, message and post everywhere.
inline void restoreEveryComposeAccount() {
    MessageUIHost::setCanSendMail(true);
    MessageUIHost::setCanSendText(true);
    MessageUIHost::setCanSendAttachments(true);
    SocialHost::setAccounts({std::string(SLServiceTypeFacebook), std::string(SLServiceTypeTwitter),
                             std::string(SLServiceTypeSinaWeibo), std::string(SLServiceTypeTencentWeibo)});
}
