#include "Foundation/NSURLConnection.h"
#include "support/TemporaryDevice.h"

#include <gtest/gtest.h>

namespace {

std::optional<std::vector<std::uint8_t>> load(std::string_view url,
                                              std::shared_ptr<NSURLResponse>& response) {
    return NSURLConnection::sendSynchronousRequest(NSURLRequest::requestWithURL(NSURL::URLWithString(url)),
                                                   response);
}

TEST(NSURLConnection, AFileURLLoadsItsBytesWithTheMediaTypeOfItsExtension) {
    const TemporaryDevice device;
    device.writeText("/var/mobile/Media/DCIM/100APPLE/IMG_0001.MOV", "moov");
    device.writeText("/var/mobile/Media/clip.mkv", "");
    device.writeText("/var/mobile/Media/notes.unknownext", "x");
    device.writeText("/var/mobile/Media/README", "x");

    std::shared_ptr<NSURLResponse> response;
    const auto bytes = load("file:///var/mobile/Media/DCIM/100APPLE/IMG_0001.MOV", response);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(std::string(bytes->begin(), bytes->end()), "moov");
    ASSERT_NE(response, nullptr);
    EXPECT_EQ(response->MIMEType(), "video/quicktime") << "extensions compare without regard to case";
    EXPECT_EQ(response->suggestedFilename(), "IMG_0001.MOV");
    EXPECT_EQ(response->expectedContentLength(), 4);

    ASSERT_TRUE(load("file:///var/mobile/Media/clip.mkv", response));
    EXPECT_EQ(response->MIMEType(), "video/x-matroska");
    EXPECT_EQ(response->expectedContentLength(), 0) << "an empty file loads as no bytes";
    ASSERT_TRUE(load("file:///var/mobile/Media/notes.unknownext", response));
    EXPECT_EQ(response->MIMEType(), "application/octet-stream");
    ASSERT_TRUE(load("file:///var/mobile/Media/README", response));
    EXPECT_EQ(response->MIMEType(), "application/octet-stream");
}

TEST(NSURLConnection, WhatCannotBeLoadedGivesNoBytesAndNoResponse) {
    const TemporaryDevice device;
    device.writeText("/var/mobile/Media/a.mov", "x");
    std::shared_ptr<NSURLResponse> response;
    ASSERT_TRUE(load("file:///var/mobile/Media/a.mov", response));
    for (const auto* url :
         {"file:///var/mobile/Media/missing.mov", "file:///var/mobile/Media", "https://example.com/a.mov"}) {
        EXPECT_EQ(load(url, response), std::nullopt) << url;
        EXPECT_EQ(response, nullptr) << url;
    }
    EXPECT_EQ(NSURLConnection::sendSynchronousRequest(nullptr, response), std::nullopt);
}

} // namespace
