// The parser object: depth limit, absent input, the error's life time and
// the two ways of handing it text.
#include <gtest/gtest.h>

#include <string>

#include "JsonTestHelpers.h"

namespace {

using jsontest::errorOf;
using jsontest::read;
using platform::Value;

std::string nestedArrays(int depth) { return std::string(depth, '[') + std::string(depth, ']'); }

// {"a":[{"a":[ ... ]}]} with `depth` containers open at the innermost point.
std::string nestedMixed(int depth) {
    std::string open, close;
    for (int i = 0; i < depth; ++i) {
        if (i % 2 == 0) {
            open += i + 1 < depth ? "{\"a\":" : "{";
            close = "}" + close;
        } else {
            open += "[";
            close = "]" + close;
        }
    }
    return open + close;
}

TEST(JsonDepth, ThirtyTwoLevelsReadAndThirtyThreeFail) {
    Value got = read(nestedArrays(32));
    const Value* v = &got;
    for (int level = 1; level < 32; ++level) {
        ASSERT_EQ(v->size(), 1u) << level;
        v = &(*v)[0];
    }
    EXPECT_TRUE(v->isArray());
    EXPECT_EQ(v->size(), 0u);

    EXPECT_EQ(errorOf(nestedArrays(33)), "Input depth exceeds max depth of 32");
    EXPECT_TRUE(read(nestedMixed(32)).isDictionary());
    EXPECT_EQ(errorOf(nestedMixed(33)), "Input depth exceeds max depth of 32");
}

TEST(JsonDepth, CountsOpenContainersNotAllOfThem) {
    // Fifty siblings at the deepest allowed level.
    std::string wide = std::string(31, '[') + "[]";
    for (int i = 1; i < 50; ++i) wide += ",[]";
    wide += std::string(31, ']');
    Value got = read(wide);
    const Value* v = &got;
    for (int level = 1; level < 31; ++level) v = &(*v)[0];
    EXPECT_EQ(v->size(), 50u);
}

TEST(JsonDepth, LimitIsSettable) {
    EXPECT_TRUE(read(nestedArrays(3)).isArray());
    EXPECT_EQ(errorOf(nestedArrays(4), 3), "Input depth exceeds max depth of 3");
    EXPECT_EQ(errorOf("{\"a\":[{}]}", 2), "Input depth exceeds max depth of 2");
    EXPECT_EQ(errorOf("[]", 0), "Input depth exceeds max depth of 0");

    SBJsonParser parser;
    EXPECT_EQ(parser.maxDepth(), 32u);
    parser.setMaxDepth(100);
    EXPECT_TRUE(parser.objectWithString(nestedArrays(100)));
}

TEST(JsonDepth, VeryDeepInputFailsAtTheLimit) {
    EXPECT_EQ(errorOf(std::string(1'000'000, '[')), "Input depth exceeds max depth of 32");
}

TEST(JsonParser, AbsentInput) {
    SBJsonParser parser;
    EXPECT_FALSE(parser.objectWithData(static_cast<const Value::Bytes*>(nullptr)));
    EXPECT_EQ(parser.error(), "Input was 'nil'");

    SBJsonParser other;
    EXPECT_FALSE(other.objectWithString(static_cast<const char*>(nullptr)));
    EXPECT_EQ(other.error(), "Input was 'nil'");
}

TEST(JsonParser, DataAndStringReadAlike) {
    const std::string text = R"({"apps":[{"name":"Meadow","price":0.99}]})";
    const Value::Bytes bytes(text.begin(), text.end());
    SBJsonParser parser;
    std::optional<Value> fromData = parser.objectWithData(&bytes);
    std::optional<Value> fromSpan = parser.objectWithData(bytes);
    std::optional<Value> fromString = parser.objectWithString(text);
    std::optional<Value> fromChars = parser.objectWithString(text.c_str());
    ASSERT_TRUE(fromData && fromSpan && fromString && fromChars);
    EXPECT_EQ(*fromData, *fromString);
    EXPECT_EQ(*fromSpan, *fromString);
    EXPECT_EQ(*fromChars, *fromString);
    EXPECT_EQ((*fromString)["apps"][0]["name"].asString(), "Meadow");
}

TEST(JsonParser, ErrorDescribesOnlyTheLastCall) {
    SBJsonParser parser;
    EXPECT_FALSE(parser.objectWithString("[1,]"));
    EXPECT_EQ(parser.error(), "Token 'end of array' not expected as array value");

    // A failure leaves nothing behind that spoils the next document.
    std::optional<Value> next = parser.objectWithString("[2]");
    ASSERT_TRUE(next);
    EXPECT_EQ(*next, Value(Value::Array{2}));
    EXPECT_EQ(parser.error(), "");

    EXPECT_FALSE(parser.objectWithString("{\"a\":"));
    EXPECT_EQ(parser.error(), "Unexpected end of input");
    EXPECT_FALSE(parser.objectWithString("[1] x"));
    EXPECT_EQ(parser.error(), "Illegal start of token [x]");
}

TEST(JsonParser, FailureAfterACompleteValueReturnsNothing) {
    // A whole first document is no partial success.
    SBJsonParser parser;
    EXPECT_FALSE(parser.objectWithString(R"({"a":[1,2,3]} [)"));
    EXPECT_EQ(parser.error(), "Token 'start of array' not expected after outer-most array or object");
}

}  // namespace
