#include "platform/PropertyList.h"

#include <plist/plist.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>

#include "platform/Files.h"
#include "platform/Log.h"

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
            std::uint64_t length = 0;
            const char* s = plist_get_string_ptr(node, &length);
            return Value(s ? std::string(s, length) : std::string());
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

std::uint64_t bigEndian(const std::uint8_t* p, unsigned n) {
    std::uint64_t v = 0;
    for (unsigned i = 0; i < n; ++i) v = (v << 8) | p[i];
    return v;
}

// libplist stops the process (a failed assertion) when it hands out a key
// or string holding the character U+0000, which a binary list can carry in
// a UTF-16 string. Such strings are looked for before libplist parses:
// every string object the offset table names is scanned. Objects of a
// well-made list do not overlap, so a list whose strings add up to more
// than its own size is refused too, and the scan stays linear.
bool binaryListWithNulCharacter(const std::uint8_t* b, std::size_t size) {
    if (size < 8 + 32 || std::memcmp(b, "bplist00", 8) != 0) return false;
    const std::uint8_t* trailer = b + size - 32;
    const unsigned offsetSize = trailer[6];
    const std::uint64_t objects = bigEndian(trailer + 8, 8);
    const std::uint64_t table = bigEndian(trailer + 24, 8);
    if (offsetSize == 0 || offsetSize > 8 || table >= size - 32) return false;  // libplist refuses these itself
    const std::uint64_t entries = std::min<std::uint64_t>(objects, (size - 32 - table) / offsetSize);
    std::uint64_t scanned = 0;
    for (std::uint64_t i = 0; i < entries; ++i) {
        const std::uint64_t at = bigEndian(b + table + i * offsetSize, offsetSize);
        if (at >= size || (b[at] >> 4) != 0x6) continue;
        std::uint64_t units = b[at] & 0x0F;
        std::uint64_t from = at + 1;
        if (units == 0x0F) {
            // The length follows as an integer object.
            if (from >= size || (b[from] >> 4) != 0x1 || (b[from] & 0x0F) > 3) continue;
            const unsigned n = 1u << (b[from] & 0x0F);
            if (from + 1 + n > size) continue;
            units = bigEndian(b + from + 1, n);
            from += 1 + n;
        }
        units = std::min<std::uint64_t>(units, (size - from) / 2);
        scanned += units;
        if (scanned > size) return true;
        for (std::uint64_t u = 0; u < units; ++u)
            if (b[from + 2 * u] == 0 && b[from + 2 * u + 1] == 0) return true;
    }
    return false;
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
    if (binaryListWithNulCharacter(bytes, size)) {
        log("property list refused: a string holds the character U+0000");
        return std::nullopt;
    }
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
