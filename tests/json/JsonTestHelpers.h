// Short forms for the JSON reader's tests: read a text that must succeed,
// or one that must fail and give back the error.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "json/SBJsonParser.h"
#include "platform/Value.h"

namespace jsontest {

inline platform::Value read(std::string_view text) {
    SBJsonParser parser;
    std::optional<platform::Value> value = parser.objectWithString(text);
    EXPECT_TRUE(value.has_value()) << "input: " << text << "\nerror: " << parser.error();
    EXPECT_EQ(parser.error(), "") << "input: " << text;
    return value.value_or(platform::Value());
}

inline std::string errorOf(std::string_view text, unsigned long maxDepth = SBJsonParser::kDefaultMaxDepth) {
    SBJsonParser parser;
    parser.setMaxDepth(maxDepth);
    std::optional<platform::Value> value = parser.objectWithString(text);
    EXPECT_FALSE(value.has_value()) << "input: " << text;
    EXPECT_NE(parser.error(), "") << "input: " << text;
    return parser.error();
}

inline platform::Value decimal(bool negative, std::string digits, int exponent) {
    return platform::Value(platform::Decimal{negative, std::move(digits), exponent});
}

}  // namespace jsontest
