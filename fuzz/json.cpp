// Fuzz entry for the JSON reader. Besides crashes, leaks and undefined
// behaviour it catches broken promises: a success is an array or dictionary
// with no error, a failure always leaves a printable UTF-8 message, and a
// value written back out as JSON reads again to the same value.
//
// The value is written two ways: plainly (raw UTF-8, integers, decimals as
// "digits e exponent") and disguised (every character escaped, surrogate
// pairs for the supplementary planes, decimals with a point, whitespace
// between tokens). Both must read back equal, so a fault in one way of
// decoding a character or a number shows up against the other.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <span>
#include <string>

#include "Broken.h"
#include "json/SBJsonParser.h"
#include "platform/Value.h"

namespace {

using platform::Value;

void appendUnit(std::string& out, std::uint32_t unit, bool upper) {
    char buf[8];
    std::snprintf(buf, sizeof buf, upper ? "\\u%04X" : "\\u%04x", static_cast<unsigned>(unit));
    out += buf;
}

void writePlainString(const std::string& s, std::string& out) {
    out += '"';
    for (unsigned char c : s) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            appendUnit(out, c, false);
        } else {
            out += static_cast<char>(c);
        }
    }
    out += '"';
}

// The reader only hands out valid UTF-8, so decoding here needs no checks
// beyond staying inside the string.
void writeDisguisedString(const std::string& s, std::string& out) {
    out += '"';
    bool upper = false;
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        std::size_t extra = c < 0x80 ? 0 : c < 0xE0 ? 1 : c < 0xF0 ? 2 : 3;
        if (i + extra >= s.size() && extra > 0) broken("the reader made a string that is not UTF-8");
        std::uint32_t cp = extra == 0 ? c : extra == 1 ? (c & 0x1F) : extra == 2 ? (c & 0x0F) : (c & 0x07);
        for (std::size_t k = 1; k <= extra; ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
        i += extra + 1;

        switch (cp) {
            case '"': out += "\\\""; continue;
            case '\\': out += "\\\\"; continue;
            case '/': out += "\\/"; continue;
            case '\b': out += "\\b"; continue;
            case '\f': out += "\\f"; continue;
            case '\n': out += "\\n"; continue;
            case '\r': out += "\\r"; continue;
            case '\t': out += "\\t"; continue;
            default: break;
        }
        upper = !upper;
        if (cp >= 0x10000) {
            appendUnit(out, 0xD800 + ((cp - 0x10000) >> 10), upper);
            appendUnit(out, 0xDC00 + ((cp - 0x10000) & 0x3FF), !upper);
        } else {
            appendUnit(out, cp, upper);
        }
    }
    out += '"';
}

void write(const Value& v, std::string& out, bool disguised) {
    const char* gap = disguised ? " \t\r\n" : "";
    switch (v.type()) {
        case Value::Type::Null: out += "null"; break;
        case Value::Type::Boolean: out += v.asBool() ? "true" : "false"; break;
        case Value::Type::Integer: out += std::to_string(v.asInt()); break;
        case Value::Type::Decimal: {
            // Always with an exponent, so it reads back as a decimal, not an integer.
            const platform::Decimal& d = *v.asDecimal();
            out += d.negative ? "-" : "";
            if (disguised && d.digits.size() > 1) {
                // "1234e-5" as "1.234E-2": the same digits, the point moved into the exponent.
                out += d.digits.substr(0, 1) + "." + d.digits.substr(1) + "E" +
                       std::to_string(d.exponent + static_cast<int>(d.digits.size()) - 1);
            } else {
                out += d.digits + "e" + (disguised && d.exponent >= 0 ? "+" : "") + std::to_string(d.exponent);
            }
            break;
        }
        case Value::Type::String:
            if (disguised) {
                writeDisguisedString(v.asString(), out);
            } else {
                writePlainString(v.asString(), out);
            }
            break;
        case Value::Type::Array: {
            out += '[';
            bool first = true;
            for (const Value& item : v.asArray()) {
                if (!first) out += ',';
                first = false;
                out += gap;
                write(item, out, disguised);
            }
            out += gap;
            out += ']';
            break;
        }
        case Value::Type::Dictionary: {
            out += '{';
            bool first = true;
            for (const auto& [key, item] : v.asDictionary()) {
                if (!first) out += ',';
                first = false;
                out += gap;
                if (disguised) {
                    writeDisguisedString(key, out);
                } else {
                    writePlainString(key, out);
                }
                out += gap;
                out += ':';
                write(item, out, disguised);
            }
            out += '}';
            break;
        }
        default: broken("the reader made a kind of value JSON has not got");
    }
}

// Loose on purpose: lead bytes and continuation counts only.
bool printableUtf8(const std::string& s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c < 0x20 || c == 0x7F) return false;
        std::size_t extra = 0;
        if (c >= 0xC2 && c <= 0xDF) {
            extra = 1;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2;
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3;
        } else if (c >= 0x80) {
            return false;
        }
        if (i + extra >= s.size() && extra > 0) return false;
        for (std::size_t k = 1; k <= extra; ++k) {
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        }
        i += extra + 1;
    }
    return true;
}

void expectReadsBackAs(SBJsonParser& parser, const Value& value, bool disguised) {
    std::string text;
    write(value, text, disguised);
    std::optional<Value> again = parser.objectWithString(text);
    if (!again) {
        std::fprintf(stderr, "%s\n%s\n", text.c_str(), parser.error().c_str());
        broken("the value written back out does not read");
    }
    if (!(*again == value)) {
        std::fprintf(stderr, "%s\n", text.c_str());
        broken("the value written back out reads differently");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    SBJsonParser parser;
    std::optional<Value> value = parser.objectWithData(std::span<const std::uint8_t>(data, size));
    if (!value) {
        if (parser.error().empty()) broken("a failure without a message");
        if (!printableUtf8(parser.error())) broken("an error message that is not printable UTF-8");
        return 0;
    }
    if (!parser.error().empty()) broken("a success with a message");
    if (!value->isArray() && !value->isDictionary()) broken("a top level that is neither array nor object");

    expectReadsBackAs(parser, *value, false);
    expectReadsBackAs(parser, *value, true);
    return 0;
}
