#include "platform/Md5.h"

#include <openssl/evp.h>

namespace platform {

std::string md5Hex(const void* bytes, std::size_t size) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_Digest(bytes, size, digest, &length, EVP_md5(), nullptr);
    static const char hex[] = "0123456789abcdef";
    std::string out;
    out.reserve(32);
    for (unsigned i = 0; i < length; ++i) {
        out += hex[digest[i] >> 4];
        out += hex[digest[i] & 15];
    }
    return out;
}

std::string md5HexOfString(const std::string& text) {
    return md5Hex(text.data(), text.find('\0') == std::string::npos ? text.size() : text.find('\0'));
}

}  // namespace platform
