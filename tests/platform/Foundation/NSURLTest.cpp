#include "Foundation/NSURL.h"

#include <gtest/gtest.h>

TEST(NSURLTest, TextIsAURLOnlyWithASchemeAndCharactersAURLMayHold) {
    for (const auto* text : {"https://example.org/x?q=1#top", "twitter://post", "tel:+15551234",
                             "mailto:a@b.c", "https://example.org/%20"})
        EXPECT_NE(NSURL::URLWithString(text), nullptr) << text;
    for (const auto* text :
         {"4006381333931", "no scheme", "://x", "1https://x", "https://example.org/a b",
          "https://example.org/\nline", "https://example.org/\x7f", "https://exämple.org",
          "https://example.org/<script>", "https://example.org/\"q\"", "https://example.org/{x}",
          "https://example.org/a\\b", "https://example.org/a|b"})
        EXPECT_EQ(NSURL::URLWithString(text), nullptr) << text;
    EXPECT_EQ(NSURL::URLWithString("HTTPS://example.org/p?q")->scheme(), "HTTPS");
}
