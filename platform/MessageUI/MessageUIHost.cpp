#include "MessageUI/MessageUIHost.h"

#include "MessageUI/MFMessageComposeViewController.h"

void MessageUIHost::setCanSendMail(bool canSend) {
    MFMailComposeViewController::setCanSendMail(badge(), canSend);
}

void MessageUIHost::setCanSendText(bool canSend) {
    MFMessageComposeViewController::setCanSendText(badge(), canSend);
}

void MessageUIHost::setCanSendAttachments(bool canSend) {
    MFMessageComposeViewController::setCanSendAttachments(badge(), canSend);
}
