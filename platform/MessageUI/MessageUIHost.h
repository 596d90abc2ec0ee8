#pragma once

#include "objc/Badge.h"

// The hosts' side of the device's mail and message accounts, as its profile says. The sheets' setters of
// them take this class's badge.
class MessageUIHost {
  public:
    MessageUIHost() = delete;

    static void setCanSendMail(bool canSend);
    static void setCanSendText(bool canSend);
    static void setCanSendAttachments(bool canSend);

  private:
    static Badge<MessageUIHost> badge() { return {}; }
};
