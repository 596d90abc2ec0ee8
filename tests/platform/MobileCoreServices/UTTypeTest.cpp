#include "MobileCoreServices/UTType.h"

#include <gtest/gtest.h>

namespace {

TEST(UTType, MIMETypesAndExtensionsNameDeclaredTypes) {
    EXPECT_EQ(UTTypeCreatePreferredIdentifierForTag(kUTTagClassMIMEType, "video/quicktime"),
              "com.apple.quicktime-movie");
    EXPECT_EQ(UTTypeCreatePreferredIdentifierForTag(kUTTagClassMIMEType, "Video/MP4"), "public.mpeg-4");
    EXPECT_EQ(UTTypeCreatePreferredIdentifierForTag(kUTTagClassMIMEType, "image/png"), "public.png");
    EXPECT_EQ(UTTypeCreatePreferredIdentifierForTag(kUTTagClassFilenameExtension, "JPG"), "public.jpeg");
    EXPECT_EQ(UTTypeCreatePreferredIdentifierForTag(kUTTagClassMIMEType, "audio/3gpp", kUTTypeMovie),
              "public.3gpp");
    EXPECT_EQ(UTTypeCopyPreferredTagWithClass("com.apple.quicktime-movie", kUTTagClassMIMEType),
              "video/quicktime");
    EXPECT_EQ(UTTypeCopyPreferredTagWithClass("public.jpeg", kUTTagClassFilenameExtension), "jpeg");
    EXPECT_EQ(UTTypeCopyPreferredTagWithClass("public.movie", kUTTagClassMIMEType), std::nullopt);
}

TEST(UTType, ConformanceFollowsTheDeclarations) {
    EXPECT_TRUE(UTTypeConformsTo("com.apple.quicktime-movie", kUTTypeMovie));
    EXPECT_TRUE(UTTypeConformsTo("public.png", kUTTypeImage));
    EXPECT_TRUE(UTTypeConformsTo("public.png", kUTTypeItem)) << "through public.image and public.data";
    EXPECT_FALSE(UTTypeConformsTo("public.png", kUTTypeMovie));
    EXPECT_FALSE(UTTypeConformsTo("public.movie", "com.apple.quicktime-movie"));
    EXPECT_FALSE(UTTypeConformsTo("org.example.unknown", kUTTypeData));
}

TEST(UTType, AnUndeclaredTagGetsADynamicIdentifierThatCarriesIt) {
    const auto matroska = UTTypeCreatePreferredIdentifierForTag(kUTTagClassMIMEType, "video/x-matroska");
    ASSERT_TRUE(matroska);
    EXPECT_TRUE(matroska->starts_with("dyn.a")) << *matroska;
    EXPECT_EQ(matroska->find_first_not_of("abcdefghkmnpqrstuvwxyz0123456789", 5), std::string::npos);
    EXPECT_EQ(UTTypeCopyPreferredTagWithClass(*matroska, kUTTagClassMIMEType), "video/x-matroska");
    EXPECT_EQ(UTTypeCopyPreferredTagWithClass(*matroska, kUTTagClassFilenameExtension), std::nullopt);
    EXPECT_EQ(UTTypeCreatePreferredIdentifierForTag(kUTTagClassMIMEType, "video/x-matroska"), matroska)
        << "the same tag always gives the same identifier";
    EXPECT_NE(UTTypeCreatePreferredIdentifierForTag(kUTTagClassFilenameExtension, "video/x-matroska"),
              matroska);

    const auto conforming =
        UTTypeCreatePreferredIdentifierForTag(kUTTagClassMIMEType, "image/png", kUTTypeMovie);
    ASSERT_TRUE(conforming);
    EXPECT_TRUE(conforming->starts_with("dyn.a")) << "PNG is no movie";
    EXPECT_TRUE(UTTypeConformsTo(*conforming, kUTTypeMovie));

    EXPECT_EQ(UTTypeCreatePreferredIdentifierForTag(kUTTagClassMIMEType, ""), std::nullopt);
    EXPECT_EQ(UTTypeCreatePreferredIdentifierForTag("com.apple.ostype", "MooV"), std::nullopt);
    EXPECT_EQ(UTTypeCopyPreferredTagWithClass("dyn.a!", kUTTagClassMIMEType), std::nullopt);
}

} // namespace
