// Every way the reader rejects a document, with the message it leaves.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "JsonTestHelpers.h"

namespace {

using jsontest::errorOf;

struct Case {
    std::string input;
    std::string error;
};

void expectErrors(const std::vector<Case>& cases) {
    for (const Case& c : cases) EXPECT_EQ(errorOf(c.input), c.error) << "input: " << c.input;
}

std::string unexpected(const std::string& token, const std::string& where) {
    return "Token '" + token + "' not expected " + where;
}

TEST(JsonErrors, TokenNotExpectedInEachState) {
    expectErrors({
        // Only an array or an object may open the document.
        {R"("a")", unexpected("string", "before outer-most array or object")},
        {"true", unexpected("boolean", "before outer-most array or object")},
        {"null", unexpected("null", "before outer-most array or object")},
        {"12 ", unexpected("number", "before outer-most array or object")},
        {"]", unexpected("end of array", "before outer-most array or object")},
        {"}", unexpected("end of object", "before outer-most array or object")},
        {",", unexpected("value separator", "before outer-most array or object")},
        {":", unexpected("key-value separator", "before outer-most array or object")},
        // Nothing may follow it.
        {"[] []", unexpected("start of array", "after outer-most array or object")},
        {"{}{}", unexpected("start of object", "after outer-most array or object")},
        {"[]\"x\"", unexpected("string", "after outer-most array or object")},
        {"{} false", unexpected("boolean", "after outer-most array or object")},
        {"[]]", unexpected("end of array", "after outer-most array or object")},
        // Arrays.
        {"[,1]", unexpected("value separator", "at array start")},
        {"[:", unexpected("key-value separator", "at array start")},
        {"[}", unexpected("end of object", "at array start")},
        {"[1 2]", unexpected("number", "after array value")},
        {"[[] {}]", unexpected("start of object", "after array value")},
        {"[1:2]", unexpected("key-value separator", "after array value")},
        {"[1}", unexpected("end of object", "after array value")},
        {"[1,]", unexpected("end of array", "as array value")},
        {"[1,,2]", unexpected("value separator", "as array value")},
        {"[1,}", unexpected("end of object", "as array value")},
        // Objects.
        {"{1:2}", unexpected("number", "at beginning of object")},
        {"{[]:2}", unexpected("start of array", "at beginning of object")},
        {"{null:2}", unexpected("null", "at beginning of object")},
        {"{]", unexpected("end of array", "at beginning of object")},
        {"{,}", unexpected("value separator", "at beginning of object")},
        {R"({"a" "b"})", unexpected("string", "after object key")},
        {R"({"a",1})", unexpected("value separator", "after object key")},
        {R"({"a"})", unexpected("end of object", "after object key")},
        {R"({"a":})", unexpected("end of object", "as object value")},
        {R"({"a":,})", unexpected("value separator", "as object value")},
        {R"({"a"::1})", unexpected("key-value separator", "as object value")},
        {R"({"a":1 "b":2})", unexpected("string", "after object value")},
        {R"({"a":1:2})", unexpected("key-value separator", "after object value")},
        {R"({"a":1])", unexpected("end of array", "after object value")},
        {R"({"a":1,})", unexpected("end of object", "in place of object key")},
        {R"({"a":1,2:3})", unexpected("number", "in place of object key")},
        {R"({"a":1,{}:3})", unexpected("start of object", "in place of object key")},
        {R"({"a":1,true:3})", unexpected("boolean", "in place of object key")},
    });
}

TEST(JsonErrors, IllegalTokenStarts) {
    expectErrors({
        {"[x]", "Illegal start of token [x]"},
        {"['a']", "Illegal start of token [']"},
        {"[True]", "Illegal start of token [T]"},
        {"[NaN]", "Illegal start of token [N]"},
        {"[.5]", "Illegal start of token [.]"},
        {"[1x]", "Illegal start of token [x]"},
        {"[0x10]", "Illegal start of token [x]"},
        {"[1.5.2]", "Illegal start of token [.]"},
        {"[trueish]", "Illegal start of token [i]"},
        {"[]x", "Illegal start of token [x]"},
        {"[+1]", "Leading + is illegal in number"},
        {"[+]", "Leading + is illegal in number"},
    });
}

TEST(JsonErrors, IllegalTokenStartsAreShownPrintably) {
    // The message goes to the log: control bytes and bytes that are not
    // UTF-8 are shown in hex, a whole non-ASCII character as itself.
    expectErrors({
        {"[\f]", "Illegal start of token [0x0C]"},
        {"[\v]", "Illegal start of token [0x0B]"},
        {std::string("[\0]", 3), "Illegal start of token [0x00]"},
        {"[\x7F]", "Illegal start of token [0x7F]"},
        {"[\xFF]", "Illegal start of token [0xFF]"},
        {"[\xC3]", "Illegal start of token [0xC3]"},
        {"[\xC3\xA9]", "Illegal start of token [\xC3\xA9]"},
        {"[\xC2\x85]", "Illegal start of token [0xC2]"},
        {"\xEF\xBB\xBF[]", "Illegal start of token [\xEF\xBB\xBF]"},
    });
}

TEST(JsonErrors, MisspeltLiterals) {
    expectErrors({
        {"[tru]", "Expected 'true' after initial 't'"},
        {"[tRUE]", "Expected 'true' after initial 't'"},
        {"[fals ]", "Expected 'false' after initial 'f'"},
        {"[nul]", "Expected 'null' after initial 'n'"},
        {"[nil]", "Expected 'null' after initial 'n'"},
    });
}

TEST(JsonErrors, MalformedNumbers) {
    expectErrors({
        {"[01]", "Leading zero is illegal in number"},
        {"[00]", "Leading zero is illegal in number"},
        {"[-01]", "Leading zero is illegal in number"},
        {"[-]", "No digits after initial minus"},
        {"[-a]", "No digits after initial minus"},
        {"[--1]", "No digits after initial minus"},
        {"[1.]", "No digits after decimal point"},
        {"[1.e3]", "No digits after decimal point"},
        {"[1e]", "No digits in exponent"},
        {"[1e+]", "No digits in exponent"},
        {"[1E-x]", "No digits in exponent"},
        {"[1.5e.5]", "No digits in exponent"},
    });
}

TEST(JsonErrors, NumberLimits) {
    expectErrors({
        {"[" + std::string(39, '1') + "]", "Precision is too high"},
        {"[-" + std::string(20, '9') + "." + std::string(19, '9') + "]", "Precision is too high"},
        {"[0." + std::string(37, '0') + "1]", "Precision is too high"},
        {"[1e128]", "Exponent out of range"},
        {"[1e-129]", "Exponent out of range"},
        {"[0.001e-126]", "Exponent out of range"},
        {"[1.5e129]", "Exponent out of range"},
        {"[1e99999999999999999999999999]", "Exponent out of range"},
        {"[1e-99999999999999999999999999]", "Exponent out of range"},
    });
}

TEST(JsonErrors, StringControlCharactersAndEscapes) {
    expectErrors({
        {"[\"a\nb\"]", "Unescaped control character [0x0A]"},
        {"[\"\t\"]", "Unescaped control character [0x09]"},
        {"[\"\x1F\"]", "Unescaped control character [0x1F]"},
        {std::string("[\"\0\"]", 5), "Unescaped control character [0x00]"},
        {R"(["\x"])", "Illegal escape character"},
        {R"(["\a"])", "Illegal escape character"},
        {R"(["\'"])", "Illegal escape character"},
        {R"(["\U0041"])", "Illegal escape character"},
        {R"(["\0"])", "Illegal escape character"},
        {R"(["\u12"])", "Invalid hex quad"},
        {R"(["\u12G4"])", "Invalid hex quad"},
        {R"(["\u-123"])", "Invalid hex quad"},
        {R"(["\u 123"])", "Invalid hex quad"},
    });
}

TEST(JsonErrors, BrokenSurrogatePairs) {
    expectErrors({
        {R"(["\ud83d"])", "Missing low character in surrogate pair"},
        {R"(["\ud83dx"])", "Missing low character in surrogate pair"},
        {R"(["\ud83d\n"])", "Missing low character in surrogate pair"},
        {R"(["\ud83d\u0041"])", "Invalid low character in surrogate pair"},
        {R"(["\ud83d\ud83d"])", "Invalid low character in surrogate pair"},
        {R"(["\ud83d\ue000"])", "Invalid low character in surrogate pair"},
        {R"(["\ud83d\uzzzz"])", "Invalid hex quad"},
        {R"(["\ude00"])", "Invalid high character in surrogate pair"},
        {R"(["\ude00\ud83d"])", "Invalid high character in surrogate pair"},
        {R"({"\udfff":1})", "Invalid high character in surrogate pair"},
    });
}

TEST(JsonErrors, BytesThatAreNotUtf8) {
    expectErrors({
        // A byte that cannot stand where it is, named in hex.
        {"[\"\xFF\"]", "Invalid UTF-8: 'ff'"},
        {"[\"\xF8\x88\x80\x80\x80\"]", "Invalid UTF-8: 'f8'"},
        {"[\"\x80\"]", "Invalid UTF-8: '80'"},
        {"[\"a\xBF\"]", "Invalid UTF-8: 'bf'"},
        {"[\"\xC3(\"]", "Invalid UTF-8: '28'"},
        {"[\"\xE2\x82\"]", "Invalid UTF-8: '22'"},
        {"{\"\xF0\x9F\x98\":1}", "Invalid UTF-8: '22'"},
        // Sequences of the right shape that encode no character.
        {"[\"\xC0\xAF\"]", "Broken Unicode encoding"},
        {"[\"\xC1\xBF\"]", "Broken Unicode encoding"},
        {"[\"\xE0\x80\xAF\"]", "Broken Unicode encoding"},
        {"[\"\xF0\x8F\xBF\xBF\"]", "Broken Unicode encoding"},
        {"[\"\xED\xA0\x80\"]", "Broken Unicode encoding"},
        {"[\"\xED\xBF\xBF\"]", "Broken Unicode encoding"},
        {"[\"\xF4\x90\x80\x80\"]", "Broken Unicode encoding"},
        {"[\"\xF5\x80\x80\x80\"]", "Broken Unicode encoding"},
    });
}

TEST(JsonErrors, DataCutShort) {
    expectErrors({
        {"", "Unexpected end of input"},
        {" \r\n\t", "Unexpected end of input"},
        {R"({"a":)", "Unexpected end of input"},
        {"[1", "Unexpected end of input"},
        // A number is only complete once a character follows it.
        {"1", "Unexpected end of input"},
        {"-12.5e3", "Unexpected end of input"},
        {"[]1", "Unexpected end of input"},
    });
}

TEST(JsonErrors, EveryProperPrefixOfADocumentIsCutShort) {
    const std::string document =
        R"( {"list": [1, -0, 12.5e-3, 9223372036854775808, true, false, null, [], {}],)"
        R"( "text": "a\"b\\c\/\b\f\n\r\t\u00e9\ud83d\ude00 Gr)" "\xC3\xBC\xE6\x95\xB0\xF0\x9F\x98\x80"
        R"(", "deep": {"x": [[{"y": -1E+2}]]}} )";
    ASSERT_TRUE(jsontest::read(document).isDictionary());
    for (std::size_t length = 0; length + 1 < document.size(); ++length) {
        EXPECT_EQ(errorOf(document.substr(0, length)), "Unexpected end of input") << "cut after " << length;
    }
}

}  // namespace
