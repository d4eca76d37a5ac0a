#include "platform/Value.h"

#include <cmath>
#include <cstdlib>
#include <string>

namespace platform {

double Decimal::toDouble() const {
    // strtod rounds correctly, which assembling mantissa * 10^e by hand would not.
    std::string text = (negative ? "-" : "") + digits + "e" + std::to_string(exponent);
    return std::strtod(text.c_str(), nullptr);
}

std::string Decimal::toString() const {
    std::string s = (negative ? "-" : "") + digits;
    if (exponent != 0) s += "e" + std::to_string(exponent);
    return s;
}

const Value& Value::null() {
    static const Value nothing;
    return nothing;
}

bool Value::isNumber() const {
    switch (type()) {
        case Type::Boolean: case Type::Integer: case Type::Real: case Type::Decimal: return true;
        default: return false;
    }
}

bool Value::asBool() const {
    switch (type()) {
        case Type::Boolean: return std::get<bool>(v_);
        case Type::Integer: return std::get<std::int64_t>(v_) != 0;
        case Type::Real: return std::get<double>(v_) != 0.0;
        case Type::Decimal: return asDouble() != 0.0;
        case Type::String: {
            // Like boolValue: Y, y, T, t or a non-zero digit after optional blanks and sign.
            const std::string& s = std::get<std::string>(v_);
            std::size_t i = s.find_first_not_of(" \t\n");
            if (i == std::string::npos) return false;
            if (s[i] == '+' || s[i] == '-') ++i;
            while (i < s.size() && s[i] == '0') ++i;
            if (i >= s.size()) return false;
            char c = s[i];
            return c == 'Y' || c == 'y' || c == 'T' || c == 't' || (c >= '1' && c <= '9');
        }
        default: return false;
    }
}

std::int64_t Value::asInt() const {
    switch (type()) {
        case Type::Boolean: return std::get<bool>(v_) ? 1 : 0;
        case Type::Integer: return std::get<std::int64_t>(v_);
        case Type::Real:
        case Type::Decimal: {
            double d = asDouble();
            if (std::isnan(d)) return 0;
            if (d >= 9.2e18) return INT64_MAX;
            if (d <= -9.2e18) return INT64_MIN;
            return static_cast<std::int64_t>(d);
        }
        case Type::String: return std::strtoll(std::get<std::string>(v_).c_str(), nullptr, 10);
        default: return 0;
    }
}

double Value::asDouble() const {
    switch (type()) {
        case Type::Boolean: return std::get<bool>(v_) ? 1.0 : 0.0;
        case Type::Integer: return static_cast<double>(std::get<std::int64_t>(v_));
        case Type::Real: return std::get<double>(v_);
        case Type::Decimal: return std::get<Decimal>(v_).toDouble();
        case Type::String: return std::strtod(std::get<std::string>(v_).c_str(), nullptr);
        default: return 0.0;
    }
}

const std::string& Value::asString() const {
    static const std::string empty;
    const auto* s = std::get_if<std::string>(&v_);
    return s ? *s : empty;
}

const Value::Bytes& Value::asData() const {
    static const Bytes empty;
    const auto* b = std::get_if<Bytes>(&v_);
    return b ? *b : empty;
}

const Value::Array& Value::asArray() const {
    static const Array empty;
    const auto* a = std::get_if<std::shared_ptr<Array>>(&v_);
    return a ? **a : empty;
}

const Value::Dictionary& Value::asDictionary() const {
    static const Dictionary empty;
    const auto* d = std::get_if<std::shared_ptr<Dictionary>>(&v_);
    return d ? **d : empty;
}

const Value& Value::operator[](std::string_view key) const {
    const Dictionary& d = asDictionary();
    auto it = d.find(key);
    return it == d.end() ? null() : it->second;
}

const Value& Value::operator[](std::size_t index) const {
    const Array& a = asArray();
    return index < a.size() ? a[index] : null();
}

const Value& Value::operator[](int index) const {
    return index < 0 ? null() : (*this)[static_cast<std::size_t>(index)];
}

const Value& Value::operator[](std::int64_t index) const {
    return index < 0 ? null() : (*this)[static_cast<std::size_t>(index)];
}

bool Value::contains(std::string_view key) const {
    const Dictionary& d = asDictionary();
    return d.find(key) != d.end();
}

std::size_t Value::size() const {
    if (isArray()) return asArray().size();
    if (isDictionary()) return asDictionary().size();
    return 0;
}

// Containers are shared between copies; copy before writing to one that is shared.
Value::Array& Value::mutableArray() {
    auto* a = std::get_if<std::shared_ptr<Array>>(&v_);
    if (!a) {
        v_ = std::make_shared<Array>();
        a = std::get_if<std::shared_ptr<Array>>(&v_);
    } else if (a->use_count() > 1) {
        *a = std::make_shared<Array>(**a);
    }
    return **a;
}

Value::Dictionary& Value::mutableDictionary() {
    auto* d = std::get_if<std::shared_ptr<Dictionary>>(&v_);
    if (!d) {
        v_ = std::make_shared<Dictionary>();
        d = std::get_if<std::shared_ptr<Dictionary>>(&v_);
    } else if (d->use_count() > 1) {
        *d = std::make_shared<Dictionary>(**d);
    }
    return **d;
}

Value& Value::set(std::string key, Value v) {
    mutableDictionary().insert_or_assign(std::move(key), std::move(v));
    return *this;
}

Value& Value::push(Value v) {
    mutableArray().push_back(std::move(v));
    return *this;
}

bool Value::operator==(const Value& o) const {
    if (type() != o.type()) return false;
    switch (type()) {
        case Type::Array: return asArray() == o.asArray();
        case Type::Dictionary: return asDictionary() == o.asDictionary();
        default: return v_ == o.v_;
    }
}

}  // namespace platform
