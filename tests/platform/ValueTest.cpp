#include <gtest/gtest.h>

#include "platform/Value.h"

using platform::Value;

TEST(Value, LookupsThroughWrongShapesReadAsEmpty) {
    Value doc{Value::Dictionary{{"CountAnimal", Value(Value::Dictionary{{"Positions", Value(Value::Array{Value(5)})}})},
                                {"name", Value("meadow")}}};
    EXPECT_EQ(doc["CountAnimal"]["Positions"][0].asInt(), 5);
    // Every step that is missing or of another shape yields null, which reads as nothing.
    EXPECT_EQ(doc["CountAnimal"]["Positions"][7][3].asInt(), 0);
    EXPECT_EQ(doc["missing"]["Positions"][0].asInt(), 0);
    EXPECT_EQ(doc["name"][0].asString(), "");
    EXPECT_EQ(doc["name"]["key"].asDouble(), 0.0);
    EXPECT_EQ(doc[0].size(), 0u);
    EXPECT_EQ(doc["CountAnimal"]["Positions"][-1].asInt(), 0);
    EXPECT_TRUE(doc["CountAnimal"]["Positions"].asDictionary().empty());
    EXPECT_TRUE(doc["name"].asArray().empty());
    EXPECT_EQ(Value(42).asString(), "");  // numbers are not strings
}

TEST(Value, NumbersAndStringsConvertLikeTheirTextValues) {
    EXPECT_EQ(Value("12abc").asInt(), 12);
    EXPECT_DOUBLE_EQ(Value("2.5").asDouble(), 2.5);
    EXPECT_EQ(Value(2.9).asInt(), 2);
    EXPECT_EQ(Value(-2.9).asInt(), -2);
    EXPECT_TRUE(Value("YES").asBool());
    EXPECT_TRUE(Value("1").asBool());
    EXPECT_FALSE(Value("NO").asBool());
    EXPECT_FALSE(Value("000").asBool());
    EXPECT_TRUE(Value(true).asInt() == 1);
    EXPECT_EQ(Value(1e300).asInt(), INT64_MAX);  // no undefined conversion
}

TEST(Value, DecimalsKeepTheirDigits) {
    platform::Decimal d{true, "125", -1};
    Value v(d);
    EXPECT_DOUBLE_EQ(v.asDouble(), -12.5);
    EXPECT_EQ(v.asInt(), -12);
    ASSERT_NE(v.asDecimal(), nullptr);
    EXPECT_EQ(v.asDecimal()->digits, "125");
}

TEST(Value, CopiesDoNotShareLaterChanges) {
    Value a{Value::Array{Value(1)}};
    Value b = a;
    b.push(2);
    EXPECT_EQ(a.size(), 1u);
    EXPECT_EQ(b.size(), 2u);
    Value d;
    d.set("x", 1);
    Value e = d;
    e.set("x", 2);
    EXPECT_EQ(d["x"].asInt(), 1);
    EXPECT_EQ(e["x"].asInt(), 2);
}
