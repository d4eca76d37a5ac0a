#include "platform/PropertyList.h"

#include <plist/plist.h>

#include <cmath>
#include <limits>
#include <memory>

#include "platform/Files.h"

namespace platform {
namespace {

// Deep enough for any document we ship, shallow enough that hostile input
// cannot exhaust the stack.
constexpr int maxDepth = 256;

struct PlistDeleter {
    void operator()(void* p) const { plist_free(static_cast<plist_t>(p)); }
};
using PlistPtr = std::unique_ptr<void, PlistDeleter>;

std::optional<Value> fromNode(plist_t node, int depth) {
    if (depth > maxDepth) return std::nullopt;
    switch (plist_get_node_type(node)) {
        case PLIST_BOOLEAN: {
            uint8_t b = 0;
            plist_get_bool_val(node, &b);
            return Value(b != 0);
        }
        case PLIST_UINT: {
            // Negative integers come back two's-complement in the same 64 bits.
            uint64_t u = 0;
            plist_get_uint_val(node, &u);
            return Value(static_cast<long long>(u));
        }
        case PLIST_REAL: {
            double d = 0;
            plist_get_real_val(node, &d);
            return Value(d);
        }
        case PLIST_STRING: {
            char* s = nullptr;
            plist_get_string_val(node, &s);
            Value v(s ? s : "");
            free(s);
            return v;
        }
        case PLIST_DATA: {
            char* d = nullptr;
            uint64_t n = 0;
            plist_get_data_val(node, &d, &n);
            Value::Bytes bytes(d, d + n);
            free(d);
            return Value(std::move(bytes));
        }
        case PLIST_DATE: {
            int32_t sec = 0, usec = 0;
            plist_get_date_val(node, &sec, &usec);
            return Value(Date{sec + usec / 1e6});
        }
        case PLIST_ARRAY: {
            Value::Array items;
            uint32_t n = plist_array_get_size(node);
            items.reserve(n);
            for (uint32_t i = 0; i < n; ++i) {
                auto item = fromNode(plist_array_get_item(node, i), depth + 1);
                if (!item) return std::nullopt;
                items.push_back(std::move(*item));
            }
            return Value(std::move(items));
        }
        case PLIST_DICT: {
            Value::Dictionary entries;
            plist_dict_iter it = nullptr;
            plist_dict_new_iter(node, &it);
            for (;;) {
                char* key = nullptr;
                plist_t val = nullptr;
                plist_dict_next_item(node, it, &key, &val);
                if (!val) {
                    free(key);
                    break;
                }
                auto item = fromNode(val, depth + 1);
                std::string k = key ? key : "";
                free(key);
                if (!item) {
                    free(it);
                    return std::nullopt;
                }
                entries.insert_or_assign(std::move(k), std::move(*item));
            }
            free(it);
            return Value(std::move(entries));
        }
        default:
            return Value();
    }
}

plist_t toNode(const Value& v) {
    switch (v.type()) {
        case Value::Type::Boolean: return plist_new_bool(v.asBool());
        case Value::Type::Integer: return plist_new_uint(static_cast<uint64_t>(v.asInt()));
        case Value::Type::Real:
        case Value::Type::Decimal: return plist_new_real(v.asDouble());
        case Value::Type::String: return plist_new_string(v.asString().c_str());
        case Value::Type::Data: {
            const auto& b = v.asData();
            return plist_new_data(reinterpret_cast<const char*>(b.data()), b.size());
        }
        case Value::Type::Date: {
            double t = v.asDate()->sinceReferenceDate;
            double sec = std::floor(t);
            return plist_new_date(static_cast<int32_t>(sec), static_cast<int32_t>((t - sec) * 1e6));
        }
        case Value::Type::Array: {
            plist_t a = plist_new_array();
            for (const Value& item : v.asArray()) plist_array_append_item(a, toNode(item));
            return a;
        }
        case Value::Type::Dictionary: {
            plist_t d = plist_new_dict();
            for (const auto& [key, item] : v.asDictionary()) plist_dict_set_item(d, key.c_str(), toNode(item));
            return d;
        }
        case Value::Type::Null: break;
    }
    // Property lists have no null; an empty string is the closest harmless stand-in.
    return plist_new_string("");
}

}  // namespace

std::optional<Value> readPropertyList(const std::uint8_t* bytes, std::size_t size) {
    if (!bytes || size == 0 || size > std::numeric_limits<uint32_t>::max()) return std::nullopt;
    plist_t root = nullptr;
    plist_from_memory(reinterpret_cast<const char*>(bytes), static_cast<uint32_t>(size), &root);
    if (!root) return std::nullopt;
    PlistPtr owner(root);
    return fromNode(root, 0);
}

std::optional<Value> readPropertyListFile(const std::string& path) {
    auto bytes = readFile(path);
    if (!bytes) return std::nullopt;
    return readPropertyList(bytes->data(), bytes->size());
}

std::vector<std::uint8_t> writePropertyList(const Value& value, PlistFormat format) {
    PlistPtr root(toNode(value));
    char* out = nullptr;
    uint32_t length = 0;
    if (format == PlistFormat::Binary) {
        plist_to_bin(static_cast<plist_t>(root.get()), &out, &length);
    } else {
        plist_to_xml(static_cast<plist_t>(root.get()), &out, &length);
    }
    std::vector<std::uint8_t> bytes(out, out + length);
    free(out);
    return bytes;
}

bool writePropertyListFile(const std::string& path, const Value& value, PlistFormat format) {
    auto bytes = writePropertyList(value, format);
    return writeFileAtomically(path, bytes.data(), bytes.size());
}

}  // namespace platform
