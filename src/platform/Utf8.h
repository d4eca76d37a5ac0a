// UTF-8 to and from code points, for text that is edited a character at a
// time and for readers that decode escapes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

void appendUtf8(std::string& out, std::uint32_t codePoint);
std::string toUtf8(const std::u32string& text);
// Bytes that do not form a character (stray continuations, cut or overlong
// sequences, surrogates) each become U+FFFD.
std::u32string fromUtf8(const std::string& utf8);
// Byte length of the sequence a lead byte starts (1 for anything else).
std::size_t utf8SequenceLength(unsigned char lead);

}  // namespace platform
