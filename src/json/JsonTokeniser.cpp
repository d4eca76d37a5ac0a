#include "json/JsonTokeniser.h"

#include <algorithm>
#include <cstdio>
#include <limits>

#include "platform/Utf8.h"

namespace json::detail {

namespace {

bool isDigit(std::uint8_t c) { return c >= '0' && c <= '9'; }

int hexValue(std::uint8_t c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool fail(std::string& error, std::string message) {
    error = std::move(message);
    return false;
}

bool cutShort(std::string& error) { return fail(error, std::string(kUnexpectedEnd)); }

// "0A" for control characters, "ff" for bytes that are not UTF-8: the forms the messages use.
std::string upperHex(std::uint8_t byte) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02X", static_cast<unsigned>(byte));
    return buf;
}

std::string lowerHex(std::uint8_t byte) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%x", static_cast<unsigned>(byte));
    return buf;
}

// One multi-byte UTF-8 sequence starting at p (whose first byte is >= 0x80).
struct Utf8Sequence {
    enum Status { Ok, CutShort, BadByte, NotScalar } status;
    int length = 0;           // Ok: bytes in the sequence
    std::uint8_t badByte = 0; // BadByte: the byte that cannot stand where it is
};

// A byte that cannot start or continue a sequence is "bad"; a sequence of the
// right shape that is overlong, a surrogate or beyond U+10FFFF is "not a scalar".
Utf8Sequence decodeUtf8(const std::uint8_t* p, const std::uint8_t* end) {
    const std::uint8_t lead = *p;
    int length;
    std::uint32_t cp;
    if (lead >= 0xC0 && lead <= 0xDF) {
        length = 2;
        cp = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        cp = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF7) {
        length = 4;
        cp = lead & 0x07;
    } else {
        return {Utf8Sequence::BadByte, 0, lead};
    }
    for (int i = 1; i < length; ++i) {
        if (p + i >= end) return {Utf8Sequence::CutShort};
        const std::uint8_t b = p[i];
        if ((b & 0xC0) != 0x80) return {Utf8Sequence::BadByte, 0, b};
        cp = (cp << 6) | (b & 0x3F);
    }
    static constexpr std::uint32_t shortest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < shortest[length] || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) {
        return {Utf8Sequence::NotScalar};
    }
    return {Utf8Sequence::Ok, length};
}

// How an unexpected first character is shown in an error. The message is
// logged, so it must stay printable, valid UTF-8 and free of NULs.
std::string describeStart(const std::uint8_t* p, const std::uint8_t* end) {
    const std::uint8_t c = *p;
    if (c > 0x20 && c < 0x7F) return std::string(1, static_cast<char>(c));
    if (c >= 0x80) {
        Utf8Sequence seq = decodeUtf8(p, end);
        const bool c1Control = c == 0xC2 && seq.status == Utf8Sequence::Ok && p[1] < 0xA0;
        if (seq.status == Utf8Sequence::Ok && !c1Control) {
            return std::string(reinterpret_cast<const char*>(p), static_cast<std::size_t>(seq.length));
        }
    }
    return "0x" + upperHex(c);
}

}  // namespace

std::string_view tokenName(TokenKind kind) {
    switch (kind) {
        case TokenKind::ArrayStart: return "start of array";
        case TokenKind::ArrayEnd: return "end of array";
        case TokenKind::ObjectStart: return "start of object";
        case TokenKind::ObjectEnd: return "end of object";
        case TokenKind::ValueSeparator: return "value separator";
        case TokenKind::KeyValueSeparator: return "key-value separator";
        case TokenKind::Number: return "number";
        case TokenKind::String: return "string";
        case TokenKind::Boolean: return "boolean";
        case TokenKind::Null: return "null";
        case TokenKind::End: break;
    }
    return "end of input";
}

bool Tokeniser::next(Token& token, std::string& error) {
    while (p_ < end_ && (*p_ == ' ' || *p_ == '\t' || *p_ == '\n' || *p_ == '\r')) ++p_;
    if (p_ == end_) {
        token.kind = TokenKind::End;
        return true;
    }
    auto single = [&](TokenKind kind) {
        ++p_;
        token.kind = kind;
        return true;
    };
    switch (*p_) {
        case '[': return single(TokenKind::ArrayStart);
        case ']': return single(TokenKind::ArrayEnd);
        case '{': return single(TokenKind::ObjectStart);
        case '}': return single(TokenKind::ObjectEnd);
        case ',': return single(TokenKind::ValueSeparator);
        case ':': return single(TokenKind::KeyValueSeparator);
        case '"':
            token.kind = TokenKind::String;
            token.text.clear();
            return readString(token.text, error);
        case 't':
            token.kind = TokenKind::Boolean;
            token.value = true;
            return readLiteral("true", error);
        case 'f':
            token.kind = TokenKind::Boolean;
            token.value = false;
            return readLiteral("false", error);
        case 'n':
            token.kind = TokenKind::Null;
            token.value = platform::Value();
            return readLiteral("null", error);
        case '+':
            return fail(error, "Leading + is illegal in number");
        default:
            if (*p_ == '-' || isDigit(*p_)) {
                token.kind = TokenKind::Number;
                return readNumber(token.value, error);
            }
            return fail(error, "Illegal start of token [" + describeStart(p_, end_) + "]");
    }
}

bool Tokeniser::readLiteral(std::string_view word, std::string& error) {
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (p_ + i >= end_) return cutShort(error);
        if (p_[i] != static_cast<std::uint8_t>(word[i])) {
            return fail(error, "Expected '" + std::string(word) + "' after initial '" + word[0] + "'");
        }
    }
    p_ += word.size();
    return true;
}

bool Tokeniser::readString(std::string& out, std::string& error) {
    ++p_;  // opening quote
    for (;;) {
        if (p_ == end_) return cutShort(error);
        const std::uint8_t c = *p_;
        if (c == '"') {
            ++p_;
            return true;
        }
        if (c == '\\') {
            if (!readEscape(out, error)) return false;
        } else if (c < 0x20) {
            return fail(error, "Unescaped control character [0x" + upperHex(c) + "]");
        } else if (c < 0x80) {
            // Copy a run of plain ASCII at once; most text is nothing else.
            const std::uint8_t* run = p_;
            while (p_ < end_ && *p_ >= 0x20 && *p_ < 0x80 && *p_ != '"' && *p_ != '\\') ++p_;
            out.append(reinterpret_cast<const char*>(run), static_cast<std::size_t>(p_ - run));
        } else {
            Utf8Sequence seq = decodeUtf8(p_, end_);
            switch (seq.status) {
                case Utf8Sequence::CutShort: return cutShort(error);
                case Utf8Sequence::BadByte: return fail(error, "Invalid UTF-8: '" + lowerHex(seq.badByte) + "'");
                case Utf8Sequence::NotScalar: return fail(error, "Broken Unicode encoding");
                case Utf8Sequence::Ok: break;
            }
            out.append(reinterpret_cast<const char*>(p_), static_cast<std::size_t>(seq.length));
            p_ += seq.length;
        }
    }
}

bool Tokeniser::readEscape(std::string& out, std::string& error) {
    ++p_;  // backslash
    if (p_ == end_) return cutShort(error);
    const std::uint8_t c = *p_++;
    switch (c) {
        case '"': out += '"'; return true;
        case '\\': out += '\\'; return true;
        case '/': out += '/'; return true;
        case 'b': out += '\b'; return true;
        case 'f': out += '\f'; return true;
        case 'n': out += '\n'; return true;
        case 'r': out += '\r'; return true;
        case 't': out += '\t'; return true;
        case 'u': break;
        default: return fail(error, "Illegal escape character");
    }
    std::uint32_t unit;
    if (!readHexQuad(unit, error)) return false;
    if (unit >= 0xDC00 && unit <= 0xDFFF) return fail(error, "Invalid high character in surrogate pair");
    if (unit >= 0xD800 && unit <= 0xDBFF) {
        // A high surrogate is only half a character: "\u" and the low half must follow at once.
        if (p_ == end_) return cutShort(error);
        if (*p_ != '\\') return fail(error, "Missing low character in surrogate pair");
        if (p_ + 1 == end_) return cutShort(error);
        if (p_[1] != 'u') return fail(error, "Missing low character in surrogate pair");
        p_ += 2;
        std::uint32_t low;
        if (!readHexQuad(low, error)) return false;
        if (low < 0xDC00 || low > 0xDFFF) return fail(error, "Invalid low character in surrogate pair");
        unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
    }
    platform::appendUtf8(out, unit);
    return true;
}

bool Tokeniser::readHexQuad(std::uint32_t& unit, std::string& error) {
    unit = 0;
    for (int i = 0; i < 4; ++i) {
        if (p_ == end_) return cutShort(error);
        const int v = hexValue(*p_);
        if (v < 0) return fail(error, "Invalid hex quad");
        unit = (unit << 4) | static_cast<std::uint32_t>(v);
        ++p_;
    }
    return true;
}

bool Tokeniser::readNumber(platform::Value& out, std::string& error) {
    // Each step that runs into the end of the data reports it as cut short:
    // without a following character the number might still go on.
    const bool negative = *p_ == '-';
    if (negative) {
        ++p_;
        if (p_ == end_) return cutShort(error);
        if (!isDigit(*p_)) return fail(error, "No digits after initial minus");
    }

    const std::uint8_t* intStart = p_;
    if (*p_ == '0') {
        ++p_;
        if (p_ == end_) return cutShort(error);
        if (isDigit(*p_)) return fail(error, "Leading zero is illegal in number");
    } else {
        while (p_ < end_ && isDigit(*p_)) ++p_;
        if (p_ == end_) return cutShort(error);
    }
    const std::string_view intDigits(reinterpret_cast<const char*>(intStart), static_cast<std::size_t>(p_ - intStart));

    std::string_view fracDigits;
    const bool hasFraction = *p_ == '.';
    if (hasFraction) {
        ++p_;
        if (p_ == end_) return cutShort(error);
        if (!isDigit(*p_)) return fail(error, "No digits after decimal point");
        const std::uint8_t* fracStart = p_;
        while (p_ < end_ && isDigit(*p_)) ++p_;
        if (p_ == end_) return cutShort(error);
        fracDigits = std::string_view(reinterpret_cast<const char*>(fracStart), static_cast<std::size_t>(p_ - fracStart));
    }

    // Saturated well beyond the accepted range, so a long run of exponent
    // digits cannot overflow and still reads as out of range.
    constexpr std::int64_t kExponentCap = 1'000'000'000;
    std::int64_t exponent = 0;
    const bool hasExponent = *p_ == 'e' || *p_ == 'E';
    if (hasExponent) {
        ++p_;
        if (p_ == end_) return cutShort(error);
        bool negativeExponent = false;
        if (*p_ == '+' || *p_ == '-') {
            negativeExponent = *p_ == '-';
            ++p_;
            if (p_ == end_) return cutShort(error);
        }
        if (!isDigit(*p_)) return fail(error, "No digits in exponent");
        while (p_ < end_ && isDigit(*p_)) {
            exponent = std::min(exponent * 10 + (*p_ - '0'), kExponentCap);
            ++p_;
        }
        if (p_ == end_) return cutShort(error);
        if (negativeExponent) exponent = -exponent;
    }

    constexpr std::size_t kMaxDigits = 38;
    if (intDigits.size() + fracDigits.size() > kMaxDigits) return fail(error, "Precision is too high");
    const std::int64_t decimalExponent = exponent - static_cast<std::int64_t>(fracDigits.size());
    if (decimalExponent < -128 || decimalExponent > 127) return fail(error, "Exponent out of range");

    if (!hasFraction && !hasExponent && intDigits.size() <= 19) {
        // 19 digits always fit in 64 unsigned bits; the sign decides the limit.
        std::uint64_t magnitude = 0;
        for (char d : intDigits) magnitude = magnitude * 10 + static_cast<std::uint64_t>(d - '0');
        constexpr auto kMax = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
        if (!negative && magnitude <= kMax) {
            out = platform::Value(static_cast<long long>(magnitude));
            return true;
        }
        if (negative && magnitude <= kMax + 1) {
            out = platform::Value(static_cast<long long>(0 - magnitude));
            return true;
        }
    }

    // Everything else, integers too large for 64 bits included, stays an exact decimal.
    platform::Decimal decimal;
    decimal.negative = negative;
    decimal.exponent = static_cast<int>(decimalExponent);
    std::string digits;
    digits.reserve(intDigits.size() + fracDigits.size());
    digits.append(intDigits).append(fracDigits);
    const std::size_t firstNonZero = digits.find_first_not_of('0');
    decimal.digits = firstNonZero == std::string::npos ? "0" : digits.substr(firstNonZero);
    out = platform::Value(std::move(decimal));
    return true;
}

}  // namespace json::detail
