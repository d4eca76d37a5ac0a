// Writing JSON text: a string as a quoted JSON string, for the node-tree dumps
// and the publisher service's answers. Bytes go through as they are (UTF-8
// stays UTF-8); quotes, backslashes and control characters are escaped.
#pragma once

#include <string>
#include <string_view>

namespace platform {

void appendJsonString(std::string& out, std::string_view text);

inline std::string jsonString(std::string_view text) {
    std::string out;
    appendJsonString(out, text);
    return out;
}

}  // namespace platform
