// Property lists (XML and binary) to and from Value.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/Value.h"

namespace platform {

// nullopt when the bytes are not a property list (or nest absurdly deep).
std::optional<Value> readPropertyList(const std::uint8_t* bytes, std::size_t size);
std::optional<Value> readPropertyListFile(const std::string& path);

enum class PlistFormat { Xml, Binary };
std::vector<std::uint8_t> writePropertyList(const Value& value, PlistFormat format);
// Atomic: a crash leaves either the old file or the new one.
bool writePropertyListFile(const std::string& path, const Value& value, PlistFormat format);

}  // namespace platform
