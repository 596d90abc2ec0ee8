#pragma once

// The hosts' side of the device's mail and message accounts, as its profile says.
namespace MessageUIHost {

void setCanSendMail(bool canSend);
void setCanSendText(bool canSend);
void setCanSendAttachments(bool canSend);

} // namespace MessageUIHost
