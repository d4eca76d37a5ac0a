#include "platform/Md5.h"

#include <md5.h>

namespace platform {

std::string md5Hex(const void* bytes, std::size_t size) {
    MD5_CTX context;
    MD5Init(&context);
    MD5Update(&context, static_cast<const std::uint8_t*>(bytes), size);
    std::uint8_t digest[MD5_DIGEST_LENGTH];
    MD5Final(digest, &context);
    static const char hex[] = "0123456789abcdef";
    std::string out;
    out.reserve(2 * MD5_DIGEST_LENGTH);
    for (std::uint8_t byte : digest) {
        out += hex[byte >> 4];
        out += hex[byte & 15];
    }
    return out;
}

std::string md5HexOfString(const std::string& text) {
    return md5Hex(text.data(), text.find('\0') == std::string::npos ? text.size() : text.find('\0'));
}

}  // namespace platform
