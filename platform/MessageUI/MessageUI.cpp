#include "Device/EventLog.h"

#include "MessageUI/MFMessageComposeViewController.h"
#include "UIKit/PresentationHost.h"

#include <array>

namespace {

bool mailAccount = true;
bool messaging = true;
bool messageAttachments = true;

// A PNG's size from its header, "WIDTHxHEIGHT"; empty for anything else.
std::string pixelSizeOf(const std::vector<std::uint8_t>& data) {
    constexpr std::uint8_t signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    if (data.size() < 24 || !std::equal(std::begin(signature), std::end(signature), data.begin()))
        return {};
    const auto bigEndian = [&](std::size_t at) {
        return std::uint32_t(data[at]) << 24 | std::uint32_t(data[at + 1]) << 16 |
               std::uint32_t(data[at + 2]) << 8 | std::uint32_t(data[at + 3]);
    };
    return std::to_string(bigEndian(16)) + "x" + std::to_string(bigEndian(20));
}

void recordAttachment(std::string_view kind, std::string_view typeKey, const MFAttachment& attachment) {
    const std::string pixels = pixelSizeOf(attachment.data);
    const std::string bytes = std::to_string(attachment.data.size());
    if (pixels.empty())
        EventLog::record(kind, {{typeKey, attachment.type}, {"file", attachment.fileName}, {"bytes", bytes}});
    else
        EventLog::record(kind, {{typeKey, attachment.type},
                                {"file", attachment.fileName},
                                {"bytes", bytes},
                                {"pixels", pixels}});
}

} // namespace

std::string MFAttachmentSummary(const std::vector<MFAttachment>& attachments) {
    std::string summary;
    for (const auto& attachment : attachments) {
        summary += (summary.empty() ? "" : "; ") + attachment.type + " " + attachment.fileName + " " +
                   std::to_string(attachment.data.size());
    }
    return summary;
}

void MFMailComposeViewController::registerProperties(NSPropertyTable<MFMailComposeViewController>& table) {
    table.add("attachments", [](const MFMailComposeViewController& sheet) {
        return MFAttachmentSummary(sheet.attachments());
    });
}

void MFMessageComposeViewController::registerProperties(
    NSPropertyTable<MFMessageComposeViewController>& table) {
    table.add("attachments", [](const MFMessageComposeViewController& sheet) {
        return MFAttachmentSummary(sheet.attachments());
    });
}

void MFMailComposeViewController::setCanSendMail(Badge<MessageUIHost>, bool canSend) {
    mailAccount = canSend;
}

void MFMessageComposeViewController::setCanSendText(Badge<MessageUIHost>, bool canSend) {
    messaging = canSend;
}

void MFMessageComposeViewController::setCanSendAttachments(Badge<MessageUIHost>, bool canSend) {
    messageAttachments = canSend;
}

bool MFMailComposeViewController::canSendMail() {
    return mailAccount;
}

void MFMailComposeViewController::addAttachmentData(std::vector<std::uint8_t> data, std::string mimeType,
                                                    std::string fileName) {
    _attachments.push_back({std::move(data), std::move(mimeType), std::move(fileName)});
    recordAttachment("mail.attachment", "mime", _attachments.back());
}

bool MFMessageComposeViewController::canSendText() {
    return messaging;
}

bool MFMessageComposeViewController::canSendAttachments() {
    return messaging && messageAttachments;
}

bool MFMessageComposeViewController::addAttachmentData(std::vector<std::uint8_t> data,
                                                       std::string typeIdentifier, std::string fileName) {
    if (!canSendAttachments() || typeIdentifier.empty())
        return false;
    _attachments.push_back({std::move(data), std::move(typeIdentifier), std::move(fileName)});
    recordAttachment("message.attachment", "type", _attachments.back());
    return true;
}

void MFMailComposeViewController::presentTo(PresentationHost& host, bool animated) {
    host.didPresentMailSheet(std::static_pointer_cast<MFMailComposeViewController>(shared_from_this()),
                             animated);
}

void MFMessageComposeViewController::presentTo(PresentationHost& host, bool animated) {
    host.didPresentMessageSheet(std::static_pointer_cast<MFMessageComposeViewController>(shared_from_this()),
                                animated);
}
