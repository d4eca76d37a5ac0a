// Splits UTF-8 JSON text into tokens for SBJsonParser. Internal to src/json.
//
// Strict RFC 4627 lexing: only space, tab, CR and LF count as whitespace,
// strings must be valid UTF-8, and a number token is only complete once a
// character follows it (so text that stops inside a number is cut short).
// Every failure is reported as the message the parser hands to its caller.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "platform/Value.h"

namespace json::detail {

enum class TokenKind {
    ArrayStart,
    ArrayEnd,
    ObjectStart,
    ObjectEnd,
    ValueSeparator,
    KeyValueSeparator,
    Number,
    String,
    Boolean,
    Null,
    End,  // no more tokens: only whitespace was left
};

// The name a token goes by in "Token '...' not expected ..." messages.
std::string_view tokenName(TokenKind kind);

struct Token {
    TokenKind kind = TokenKind::End;
    // Number: Integer or Decimal; Boolean: the flag. Unused otherwise.
    platform::Value value;
    // String tokens only: the decoded text, kept apart so keys need no copy.
    std::string text;
};

inline constexpr std::string_view kUnexpectedEnd = "Unexpected end of input";

class Tokeniser {
public:
    explicit Tokeniser(std::span<const std::uint8_t> data)
        : p_(data.data()), end_(data.data() + data.size()) {}

    // Reads the next token. Returns false with `error` set when the text is
    // malformed or stops inside a token.
    bool next(Token& token, std::string& error);

private:
    bool readString(std::string& out, std::string& error);
    bool readEscape(std::string& out, std::string& error);
    bool readHexQuad(std::uint32_t& unit, std::string& error);
    bool readNumber(platform::Value& out, std::string& error);
    bool readLiteral(std::string_view word, std::string& error);

    const std::uint8_t* p_;
    const std::uint8_t* end_;
};

}  // namespace json::detail
