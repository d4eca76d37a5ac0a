// What the reader builds from well-formed documents.
#include <gtest/gtest.h>

#include <string>

#include "JsonTestHelpers.h"

namespace {

using jsontest::decimal;
using jsontest::read;
using platform::Value;

TEST(JsonDocuments, EmptyContainersAtTheTopLevel) {
    Value object = read("{}");
    EXPECT_TRUE(object.isDictionary());
    EXPECT_EQ(object.size(), 0u);

    Value array = read(" \t\r\n[ \n ]\r\n");
    EXPECT_TRUE(array.isArray());
    EXPECT_EQ(array.size(), 0u);
}

TEST(JsonDocuments, NestedValuesOfEveryKind) {
    Value got = read(R"({"name":"Frog", "tags":["a", true, false, null, 3, {}],
                         "pos": {"x": -3, "y": [[]]}, "": "empty key"})");
    Value want = Value(Value::Dictionary{
        {"name", "Frog"},
        {"tags", Value::Array{"a", true, false, Value(), 3, Value::Dictionary{}}},
        {"pos", Value::Dictionary{{"x", -3}, {"y", Value::Array{Value::Array{}}}}},
        {"", "empty key"},
    });
    EXPECT_EQ(got, want);
    EXPECT_TRUE(got["tags"][3].isNull());
    EXPECT_TRUE(got["tags"][1].isBool());
}

TEST(JsonDocuments, ArraysKeepDocumentOrder) {
    EXPECT_EQ(read("[3,1,2,\"b\",\"a\"]"), Value(Value::Array{3, 1, 2, "b", "a"}));
}

TEST(JsonDocuments, RepeatedKeyKeepsTheLastValue) {
    Value got = read(R"({"a":1,"a":2})");
    EXPECT_EQ(got.size(), 1u);
    EXPECT_EQ(got["a"], Value(2));

    got = read(R"({"a":1,"b":0,"a":[3],"b":{"c":null}})");
    EXPECT_EQ(got, Value(Value::Dictionary{{"a", Value::Array{3}}, {"b", Value::Dictionary{{"c", Value()}}}}));
}

TEST(JsonStrings, SimpleEscapes) {
    EXPECT_EQ(read(R"(["\"\\\/\b\f\n\r\t"])")[0].asString(), "\"\\/\b\f\n\r\t");
    EXPECT_EQ(read(R"({"k\"ey":"v"})")["k\"ey"].asString(), "v");
}

TEST(JsonStrings, UnicodeEscapesBecomeUtf8) {
    EXPECT_EQ(read(R"(["\u0041\u00e9\u20AC\uFFFF"])")[0].asString(), "A\u00e9\u20ac\xEF\xBF\xBF");
    EXPECT_EQ(read(R"(["a\u0000b"])")[0].asString(), std::string("a\0b", 3));
}

TEST(JsonStrings, SurrogatePairIsOneSupplementaryCharacter) {
    EXPECT_EQ(read(R"(["\ud83d\ude00"])")[0].asString(), "\xF0\x9F\x98\x80");
    EXPECT_EQ(read(R"(["\uD83D\uDE00"])")[0].asString(), "\xF0\x9F\x98\x80");
    // The ends of the supplementary range.
    EXPECT_EQ(read(R"(["\ud800\udc00"])")[0].asString(), "\xF0\x90\x80\x80");
    EXPECT_EQ(read(R"(["\udbff\udfff"])")[0].asString(), "\xF4\x8F\xBF\xBF");
}

TEST(JsonStrings, RawUtf8PassesThroughUnchanged) {
    const std::string text = "Gr\xC3\xBC\xC3\x9F" "e \xE6\x95\xB0 \xF0\x9F\x98\x80 \xC2\x80 \xF4\x8F\xBF\xBF \x7F";
    EXPECT_EQ(read("[\"" + text + "\"]")[0].asString(), text);
    EXPECT_EQ(read("{\"" + text + "\":1}")[text], Value(1));
}

TEST(JsonNumbers, IntegersThatFitIn64Bits) {
    Value got = read("[0,-0,7,-7,1234567890,9223372036854775807,-9223372036854775808]");
    const long long want[] = {0, 0, 7, -7, 1234567890, INT64_MAX, INT64_MIN};
    ASSERT_EQ(got.size(), std::size(want));
    for (std::size_t i = 0; i < std::size(want); ++i) {
        EXPECT_EQ(got[i].type(), Value::Type::Integer) << i;
        EXPECT_EQ(got[i].asInt(), want[i]) << i;
    }
}

TEST(JsonNumbers, IntegersBeyond64BitsStayExact) {
    EXPECT_EQ(read("[9223372036854775808]")[0], decimal(false, "9223372036854775808", 0));
    EXPECT_EQ(read("[-9223372036854775809]")[0], decimal(true, "9223372036854775809", 0));
    EXPECT_EQ(read("[99999999999999999999]")[0], decimal(false, "99999999999999999999", 0));
    EXPECT_EQ(read("[12345678901234567890123456789012345678]")[0],
              decimal(false, "12345678901234567890123456789012345678", 0));
}

TEST(JsonNumbers, FractionsAndExponentsAreExactDecimals) {
    EXPECT_EQ(read("[0.1]")[0], decimal(false, "1", -1));
    EXPECT_EQ(read("[1.5]")[0], decimal(false, "15", -1));
    EXPECT_EQ(read("[-0.05]")[0], decimal(true, "5", -2));
    EXPECT_EQ(read("[1e2]")[0], decimal(false, "1", 2));
    EXPECT_EQ(read("[1E+2]")[0], decimal(false, "1", 2));
    EXPECT_EQ(read("[2.50e-3]")[0], decimal(false, "250", -5));
    EXPECT_EQ(read("[0.0]")[0], decimal(false, "0", -1));
    EXPECT_EQ(read("[7e0]")[0], decimal(false, "7", 0));
    EXPECT_EQ(read("[1e-0000000000000000000001]")[0], decimal(false, "1", -1));
    EXPECT_EQ(read("[1234567890123456789012345678.9012345678]")[0],
              decimal(false, "12345678901234567890123456789012345678", -10));
    EXPECT_DOUBLE_EQ(read("[-12.5e1]")[0].asDouble(), -125.0);
}

TEST(JsonNumbers, DecimalExponentLimits) {
    // The limit is on the exponent less the fraction digits.
    EXPECT_EQ(read("[1e127]")[0], decimal(false, "1", 127));
    EXPECT_EQ(read("[1e-128]")[0], decimal(false, "1", -128));
    EXPECT_EQ(read("[1.5e128]")[0], decimal(false, "15", 127));
    EXPECT_EQ(read("[100e-128]")[0], decimal(false, "100", -128));
}

TEST(JsonNumbers, ThirtyEightDigitsIsTheMostPrecision) {
    // Leading zeros of a fraction are digits too.
    EXPECT_EQ(read("[0." + std::string(36, '0') + "1]")[0], decimal(false, "1", -37));
    EXPECT_EQ(read("[-" + std::string(38, '9') + "]")[0], decimal(true, std::string(38, '9'), 0));
}

TEST(JsonNumbers, ValuesInsideObjects) {
    Value got = read(R"({"price": 0.99, "count": 12, "big": 1e100})");
    EXPECT_EQ(got["price"], decimal(false, "99", -2));
    EXPECT_EQ(got["count"], Value(12));
    EXPECT_EQ(got["big"], decimal(false, "1", 100));
}

}  // namespace
