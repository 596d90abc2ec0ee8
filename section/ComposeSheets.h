#pragma once

#include "MessageUI/MFMessageComposeViewController.h"
#include "Social/SLComposeViewController.h"
#include "UIKit/UIImagePickerController.h"

#include <memory>
#include <optional>
#include <string_view>

// The platform's compose sheets over Control Center: a post to a social service, a mail, a message. Each
// opens empty or with what the picker handed over: a post takes the photo as picked; a mail or message takes
// the photo made upright as "image.png", or the video file as the URL loading system reports it.

void presentSocialCompose(std::string_view serviceType, const std::shared_ptr<UIImage>& image = nullptr);
void presentMailCompose(const std::optional<UIImagePickerMediaInfo>& mediaInfo = std::nullopt);
void presentMessageCompose(const std::optional<UIImagePickerMediaInfo>& mediaInfo = std::nullopt);

// The section's answers to the mail and message sheets; a sheet that is no longer the one shown is ignored.
void mailComposeFinished(const std::shared_ptr<MFMailComposeViewController>& sheet,
                         MFMailComposeResult result);
void messageComposeFinished(const std::shared_ptr<MFMessageComposeViewController>& sheet,
                            MessageComposeResult result);

// What the picker handed over.
bool isMovie(const UIImagePickerMediaInfo& mediaInfo);
std::shared_ptr<UIImage> pickedPhoto(const UIImagePickerMediaInfo& mediaInfo);
std::shared_ptr<NSURL> pickedVideo(const UIImagePickerMediaInfo& mediaInfo);
