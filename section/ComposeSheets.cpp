#include "ComposeSheets.h"

#include "Foundation/NSURLConnection.h"
#include "MobileCoreServices/UTType.h"
#include "OrvaneCCSection.h"
#include "Presentation.h"
#include "SectionState.h"
#include "UprightImage.h"

namespace {

template <typename Item>
std::shared_ptr<Item> itemFor(const UIImagePickerMediaInfo& info, std::string_view key) {
    const auto found = info.find(key);
    return found == info.end() ? nullptr : std::dynamic_pointer_cast<Item>(found->second);
}

// A photo always goes as an upright PNG, whatever the picture's own format. The encoder gets the only
// reference to a redrawn photo's pixels, so that it can let them go before it compresses.
std::optional<MFAttachment> photoAttachment(const UIImagePickerMediaInfo& info) {
    CGImageRef pixels = [&] {
        const auto upright = normaliseImageOrientation(pickedPhoto(info));
        return upright ? upright->CGImage() : nullptr;
    }();
    auto png = CGImagePNGRepresentation(std::move(pixels));
    if (png.empty())
        return std::nullopt;
    return MFAttachment{std::move(png), "image/png", "image.png"};
}

// A video goes whole, as the URL loading system reports it; one that cannot be read, or is empty, is left
// out and the sheet opens without it.
std::optional<MFAttachment> videoAttachment(const UIImagePickerMediaInfo& info) {
    const auto url = pickedVideo(info);
    if (!url)
        return std::nullopt;
    std::shared_ptr<NSURLResponse> response;
    auto bytes = NSURLConnection::sendSynchronousRequest(NSURLRequest::requestWithURL(url), response);
    if (!bytes || bytes->empty() || !response)
        return std::nullopt;
    return MFAttachment{std::move(*bytes), response->MIMEType(), response->suggestedFilename()};
}

// With a MIME type as its type.
std::optional<MFAttachment> attachmentFor(const UIImagePickerMediaInfo& info) {
    return isMovie(info) ? videoAttachment(info) : photoAttachment(info);
}

// A message names the attachment's type by identifier: PNG's, or the one the video's MIME type maps to (a
// dynamic identifier for a MIME type no declared type carries).
std::string typeIdentifierFor(const MFAttachment& attachment) {
    if (attachment.type == "image/png")
        return std::string(kUTTypePNG);
    return UTTypeCreatePreferredIdentifierForTag(kUTTagClassMIMEType, attachment.type)
        .value_or(std::string(kUTTypeData));
}

void socialComposeCompletion(const std::weak_ptr<SLComposeViewController>& weakSheet,
                             SLComposeViewControllerResult result) {
    if (closeIfPresented(weakSheet.lock(), true) && result == SLComposeViewControllerResultDone)
        dismissControlCenterIfWanted();
}

} // namespace

bool isMovie(const UIImagePickerMediaInfo& mediaInfo) {
    const auto type = itemFor<NSString>(mediaInfo, UIImagePickerControllerMediaType);
    return type && type->string() == kUTTypeMovie;
}

std::shared_ptr<UIImage> pickedPhoto(const UIImagePickerMediaInfo& mediaInfo) {
    return itemFor<UIImage>(mediaInfo, UIImagePickerControllerOriginalImage);
}

std::shared_ptr<NSURL> pickedVideo(const UIImagePickerMediaInfo& mediaInfo) {
    return itemFor<NSURL>(mediaInfo, UIImagePickerControllerMediaURL);
}

void presentSocialCompose(std::string_view serviceType, const std::shared_ptr<UIImage>& image) {
    closePresentedController();
    if (!SLComposeViewController::isAvailableForServiceType(serviceType) || presentLandscapeAlertIfNeeded())
        return;
    warmUpPresentation();
    const auto sheet = SLComposeViewController::composeViewControllerForServiceType(serviceType);
    if (!sheet)
        return;
    if (image)
        sheet->addImage(image);
    // The sheet keeps its handler, so the handler refers to the sheet weakly: neither would go otherwise.
    sheet->setCompletionHandler([weakSheet = std::weak_ptr(sheet)](SLComposeViewControllerResult result) {
        socialComposeCompletion(weakSheet, result);
    });
    presentOverControlCenter(sheet);
}

void presentMailCompose(const std::optional<UIImagePickerMediaInfo>& mediaInfo) {
    closePresentedController();
    if (!MFMailComposeViewController::canSendMail())
        return;
    warmUpPresentation();
    const auto sheet = MFMailComposeViewController::make();
    sheet->setMailComposeDelegate(sectionState().currentSection.lock());
    if (mediaInfo) {
        if (auto attachment = attachmentFor(*mediaInfo))
            sheet->addAttachmentData(std::move(attachment->data), attachment->type, attachment->fileName);
    }
    presentOverControlCenter(sheet);
}

void presentMessageCompose(const std::optional<UIImagePickerMediaInfo>& mediaInfo) {
    closePresentedController();
    if (!MFMessageComposeViewController::canSendText())
        return;
    warmUpPresentation();
    const auto sheet = MFMessageComposeViewController::make();
    sheet->setMessageComposeDelegate(sectionState().currentSection.lock());
    if (mediaInfo && MFMessageComposeViewController::canSendAttachments()) {
        if (auto attachment = attachmentFor(*mediaInfo)) {
            auto type = typeIdentifierFor(*attachment);
            sheet->addAttachmentData(std::move(attachment->data), std::move(type), attachment->fileName);
        }
    }
    presentOverControlCenter(sheet);
}

void mailComposeFinished(const std::shared_ptr<MFMailComposeViewController>& sheet,
                         MFMailComposeResult result) {
    if (closeIfPresented(sheet, true) && result != MFMailComposeResultCancelled)
        dismissControlCenterIfWanted();
}

void messageComposeFinished(const std::shared_ptr<MFMessageComposeViewController>& sheet,
                            MessageComposeResult result) {
    if (closeIfPresented(sheet, true) && result != MessageComposeResultCancelled)
        dismissControlCenterIfWanted();
}
