// Whether a text is whole UTF-8 characters: each lead byte followed by as many
// continuation bytes as it promises (overlong forms are not looked for).
#pragma once

#include <cstddef>
#include <string>

namespace tessiro::test {

inline bool IsValidUtf8(const std::string& text) {
  for (size_t i = 0; i < text.size();) {
    const auto byte = static_cast<unsigned char>(text[i]);
    const size_t length = byte < 0x80 ? 1 : (byte >> 5) == 0x6 ? 2 : (byte >> 4) == 0xE ? 3 : (byte >> 3) == 0x1E ? 4 : 0;
    if (length == 0 || i + length > text.size()) return false;
    for (size_t k = 1; k < length; ++k) {
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    }
    i += length;
  }
  return true;
}

}  // namespace tessiro::test
