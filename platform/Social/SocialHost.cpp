#include "Social/SocialHost.h"

#include "Social/SLComposeViewController.h"

void SocialHost::setAccounts(std::vector<std::string> serviceTypes) {
    SLComposeViewController::setAccounts(badge(), std::move(serviceTypes));
}
