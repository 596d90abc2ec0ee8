#include "CoreFoundation/CFPropertyList.h"
#include "Foundation/NSDictionary.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace {

using Value = CFPropertyList;

TEST(CFPropertyListIntValue, NumbersAndNumericStringsConvert) {
    EXPECT_EQ(Value::integer(30).intValue(), 30);
    EXPECT_EQ(Value::integer(-20).intValue(), -20);
    EXPECT_EQ(Value::real(30.9).intValue(), 30);
    EXPECT_EQ(Value::real(-2.5).intValue(), -2);
    EXPECT_EQ(Value::boolean(true).intValue(), 1);
    EXPECT_EQ(Value::string("30").intValue(), 30);
    EXPECT_EQ(Value::string(" +30\n").intValue(), 30);
    EXPECT_EQ(Value::string("-7").intValue(), -7);
}

TEST(CFPropertyListIntValue, NothingRatherThanAnInventedNumber) {
    EXPECT_EQ(Value::integer(4294967336).intValue(), std::nullopt); // would truncate to 40
    EXPECT_EQ(Value::integer(std::numeric_limits<std::int32_t>::min() - 1LL).intValue(), std::nullopt);
    EXPECT_EQ(Value::real(std::nan("")).intValue(), std::nullopt);
    EXPECT_EQ(Value::real(INFINITY).intValue(), std::nullopt);
    EXPECT_EQ(Value::real(3e9).intValue(), std::nullopt);
    EXPECT_EQ(Value::string("30abc").intValue(), std::nullopt);
    EXPECT_EQ(Value::string("").intValue(), std::nullopt);
    EXPECT_EQ(Value::string("+-3").intValue(), std::nullopt);
    EXPECT_EQ(Value::string("99999999999").intValue(), std::nullopt);
    EXPECT_EQ(Value::array({Value::integer(30)}).intValue(), std::nullopt);
    EXPECT_EQ(Value::data({1, 2}).intValue(), std::nullopt);
}

TEST(CFPropertyListFloatValue, ConvertsToSinglePrecision) {
    EXPECT_EQ(Value::real(0.7).floatValue(), 0.7f);
    EXPECT_EQ(Value::integer(26).floatValue(), 26.0f);
    EXPECT_EQ(Value::string("0.5").floatValue(), 0.5f);
    EXPECT_EQ(Value::boolean(false).floatValue(), 0.0f);
    EXPECT_TRUE(std::isinf(*Value::real(1e300).floatValue()));
    EXPECT_TRUE(std::isnan(*Value::real(std::nan("")).floatValue()));
    EXPECT_EQ(Value::string("red").floatValue(), std::nullopt);
    EXPECT_EQ(Value::date({}).floatValue(), std::nullopt);
}

TEST(CFPropertyListBoolValue, TakesTheUsualSpellings) {
    EXPECT_EQ(Value::boolean(true).boolValue(), true);
    EXPECT_EQ(Value::integer(0).boolValue(), false);
    EXPECT_EQ(Value::integer(5).boolValue(), true);
    EXPECT_EQ(Value::real(0.0).boolValue(), false);
    EXPECT_EQ(Value::string("YES").boolValue(), true);
    EXPECT_EQ(Value::string("false").boolValue(), false);
    EXPECT_EQ(Value::string("1").boolValue(), true);
    EXPECT_EQ(Value::real(std::nan("")).boolValue(), std::nullopt);
    EXPECT_EQ(Value::string("maybe").boolValue(), std::nullopt);
}

TEST(CFPropertyListEquality, ComparesKindAndValueAndNestedDictionaries) {
    EXPECT_NE(Value::integer(1), Value::boolean(true));
    EXPECT_NE(Value::integer(1), Value::real(1.0));
    NSMutableDictionary first;
    first.setObject(Value::string("x"), "key");
    NSMutableDictionary second = first;
    EXPECT_EQ(Value::dictionary(first), Value::dictionary(second));
    second.setObject(Value::string("y"), "key");
    EXPECT_NE(Value::dictionary(first), Value::dictionary(second));
}

} // namespace
