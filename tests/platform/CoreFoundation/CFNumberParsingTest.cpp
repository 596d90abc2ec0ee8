#include "CoreFoundation/CFNumberParsing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

namespace {

using Integer = std::optional<std::int64_t>;

TEST(NumberParsing, ThePlatformForgivesBlanksAndAPlusTheCommandLineNothing) {
    for (const auto* text : {" 42", "42\t", "\n 42 \r\n", "+42", " +42 "}) {
        EXPECT_EQ(parseNumber<std::int64_t>(text, platformNumbers), Integer(42)) << text;
        EXPECT_EQ(parseNumber<std::int64_t>(text, commandLineNumbers), std::nullopt) << text;
    }
    EXPECT_EQ(parseNumber<std::int64_t>("42", commandLineNumbers), Integer(42));
    EXPECT_EQ(parseNumber<std::int64_t>("-42", commandLineNumbers), Integer(-42));
    EXPECT_EQ(parseNumber<double>("+2.5", platformNumbers), std::optional<double>(2.5));
}

TEST(NumberParsing, OnlyTheWholeTextIsANumber) {
    for (const auto policy : {platformNumbers, commandLineNumbers, commandLineStoredReals}) {
        for (const auto* text : {"", " ", "+", "+-5", "++5", "5x", "x5", "4 2", "0x10", "1e", "--1"}) {
            EXPECT_EQ(parseNumber<std::int64_t>(text, policy), std::nullopt) << '"' << text << '"';
            EXPECT_EQ(parseNumber<double>(text, policy), std::nullopt) << '"' << text << '"';
        }
        EXPECT_EQ(parseNumber<std::int64_t>("2.5", policy), std::nullopt) << "an integer has no fraction";
        EXPECT_EQ(parseNumber<std::int32_t>("2147483648", policy), std::nullopt) << "out of the type's range";
        EXPECT_EQ(parseNumber<std::int32_t>("2147483647", policy), std::optional<std::int32_t>(2147483647));
        EXPECT_EQ(parseNumber<double>("1e999", policy), std::nullopt) << "out of a double's range";
    }
}

TEST(NumberParsing, NotANumberAndInfinityAreNumbersOnlyWhereThePolicySays) {
    EXPECT_EQ(parseNumber<double>("nan", commandLineNumbers), std::nullopt);
    EXPECT_EQ(parseNumber<double>("inf", commandLineNumbers), std::nullopt);
    EXPECT_EQ(parseNumber<double>("-inf", commandLineNumbers), std::nullopt);
    for (const auto policy : {platformNumbers, commandLineStoredReals}) {
        const auto nan = parseNumber<double>("nan", policy);
        ASSERT_TRUE(nan);
        EXPECT_TRUE(std::isnan(*nan));
        EXPECT_EQ(parseNumber<double>("-inf", policy), std::optional<double>(-INFINITY));
    }
    EXPECT_EQ(parseNumber<float>(" +inf ", platformNumbers), std::optional<float>(INFINITY));
    EXPECT_EQ(parseNumber<double>("+inf", commandLineStoredReals), std::nullopt)
        << "no plus on the command line";
}

} // namespace
