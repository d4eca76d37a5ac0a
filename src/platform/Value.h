// One value type for everything read from property lists and JSON:
// dictionaries, arrays, strings, numbers, booleans, data, dates, null.
//
// Look-ups never fail: a missing key, an index out of range or a value of
// another shape yields the shared null value, which reads as 0, false, ""
// or an empty container. So a content look-up like
//   settings["CountAnimal"]["Positions"][0][n - 1].asInt()
// is 0 whenever any step is absent.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace platform {

// An exact decimal number: (-1)^negative * digits * 10^exponent, where digits
// is a string of decimal digits without leading zeros ("0" for zero). JSON
// numbers with a fraction or exponent are kept this way so no precision is lost.
struct Decimal {
    bool negative = false;
    std::string digits = "0";
    int exponent = 0;

    double toDouble() const;
    std::string toString() const;  // plain scientific form, e.g. "-12.5" -> "-125e-1"
    bool operator==(const Decimal&) const = default;
};

// Seconds since 2001-01-01 00:00:00 UTC, as property lists store dates.
struct Date {
    double sinceReferenceDate = 0;
    bool operator==(const Date&) const = default;
};

class Value {
public:
    enum class Type { Null, Boolean, Integer, Real, Decimal, String, Data, Date, Array, Dictionary };
    using Array = std::vector<Value>;
    using Dictionary = std::map<std::string, Value, std::less<>>;
    using Bytes = std::vector<std::uint8_t>;

    Value() = default;
    Value(bool b) : v_(b) {}
    Value(int i) : v_(static_cast<std::int64_t>(i)) {}
    Value(long i) : v_(static_cast<std::int64_t>(i)) {}
    Value(long long i) : v_(static_cast<std::int64_t>(i)) {}
    Value(unsigned i) : v_(static_cast<std::int64_t>(i)) {}
    Value(double d) : v_(d) {}
    Value(platform::Decimal d) : v_(std::move(d)) {}
    Value(platform::Date d) : v_(d) {}
    Value(std::string s) : v_(std::move(s)) {}
    Value(const char* s) : v_(std::string(s ? s : "")) {}
    Value(Bytes b) : v_(std::move(b)) {}
    Value(Array a) : v_(std::make_shared<Array>(std::move(a))) {}
    Value(Dictionary d) : v_(std::make_shared<Dictionary>(std::move(d))) {}

    Type type() const { return static_cast<Type>(v_.index()); }
    bool isNull() const { return type() == Type::Null; }
    bool isBool() const { return type() == Type::Boolean; }
    bool isNumber() const;  // integer, real, decimal or boolean
    bool isString() const { return type() == Type::String; }
    bool isData() const { return type() == Type::Data; }
    bool isArray() const { return type() == Type::Array; }
    bool isDictionary() const { return type() == Type::Dictionary; }

    // Conversions in the spirit of boolValue/intValue/floatValue: numbers
    // convert, numeric strings parse their leading number, anything else is 0.
    bool asBool() const;
    std::int64_t asInt() const;
    double asDouble() const;
    float asFloat() const { return static_cast<float>(asDouble()); }
    // Strings only; numbers and everything else read as "".
    const std::string& asString() const;
    const Bytes& asData() const;
    const Array& asArray() const;
    const Dictionary& asDictionary() const;
    const platform::Decimal* asDecimal() const { return std::get_if<platform::Decimal>(&v_); }
    const platform::Date* asDate() const { return std::get_if<platform::Date>(&v_); }

    // Never throw, never insert: absent means the shared null value.
    const Value& operator[](std::string_view key) const;
    const Value& operator[](const char* key) const { return (*this)[std::string_view(key)]; }
    const Value& operator[](std::size_t index) const;
    const Value& operator[](int index) const;
    const Value& operator[](std::int64_t index) const;
    bool contains(std::string_view key) const;
    // Elements of an array or entries of a dictionary; 0 for everything else.
    std::size_t size() const;

    // Building values (readers and tests). A null value becomes the container.
    Value& set(std::string key, Value v);
    Value& push(Value v);

    bool operator==(const Value& o) const;

    static const Value& null();

private:
    Array& mutableArray();
    Dictionary& mutableDictionary();

    std::variant<std::monostate, bool, std::int64_t, double, platform::Decimal, std::string, Bytes,
                 platform::Date, std::shared_ptr<Array>, std::shared_ptr<Dictionary>>
        v_;
};

}  // namespace platform
