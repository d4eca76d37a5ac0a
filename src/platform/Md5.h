// MD5 digests (RFC 1321) as 32 lowercase hexadecimal digits.
#pragma once

#include <cstddef>
#include <string>

namespace platform {

std::string md5Hex(const void* bytes, std::size_t size);
// A C string's digest: the bytes up to, not including, the first zero byte.
std::string md5HexOfString(const std::string& text);

}  // namespace platform
