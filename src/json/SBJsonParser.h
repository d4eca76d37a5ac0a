// Strict JSON reader for the web services' answers (RFC 4627).
//
// The top level must be an array or an object. Objects become dictionaries
// (a repeated key keeps its last value), arrays stay in document order,
// true/false become booleans and null the null value. Numbers without
// fraction or exponent that fit in 64 bits become integers; every other
// number becomes an exact platform::Decimal, so nothing is rounded.
//
// Limits: nesting is capped by maxDepth (32 unless changed), a number may
// carry at most 38 digits and a decimal exponent of -128..127. The input is
// untrusted: any fault is reported in error(), never by a crash or a throw.
// One parser serves one thread at a time.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/Value.h"

class SBJsonParser {
public:
    static constexpr unsigned long kDefaultMaxDepth = 32;

    // How many arrays and objects may be open at once.
    unsigned long maxDepth() const { return maxDepth_; }
    void setMaxDepth(unsigned long depth) { maxDepth_ = depth; }

    // Why the last call failed; empty after a call that succeeded.
    const std::string& error() const { return error_; }

    // The top-level array or dictionary of UTF-8 JSON data, or nothing (with
    // error() set) when the data is not such a document. No partial value is
    // ever returned. A null pointer stands for absent data.
    std::optional<platform::Value> objectWithData(std::span<const std::uint8_t> data);
    std::optional<platform::Value> objectWithData(const platform::Value::Bytes* data);

    // Same, for text already in a string. A null pointer stands for absent text.
    std::optional<platform::Value> objectWithString(std::string_view text);
    std::optional<platform::Value> objectWithString(const char* text);

private:
    std::optional<platform::Value> fail(std::string message);

    unsigned long maxDepth_ = kDefaultMaxDepth;
    std::string error_;
};
