#include "plugin/record_text.h"

#include <cstdint>
#include <cstring>
#include <string>

namespace {

constexpr char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD

// The length of the well-formed UTF-8 sequence at `s` (at most `n` bytes
// available) and its code point; 0 when the bytes there are not one.
size_t DecodeUtf8(const unsigned char* s, size_t n, uint32_t* codePoint) {
  const unsigned char b0 = s[0];
  if (b0 < 0x80) {
    *codePoint = b0;
    return 1;
  }
  size_t length;
  unsigned char low = 0x80, high = 0xBF;  // bounds of the second byte
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    length = 2;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    length = 3;
    if (b0 == 0xE0) low = 0xA0;   // no overlong forms
    if (b0 == 0xED) high = 0x9F;  // no surrogates
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    length = 4;
    if (b0 == 0xF0) low = 0x90;
    if (b0 == 0xF4) high = 0x8F;  // nothing beyond U+10FFFF
  } else {
    return 0;
  }
  if (n < length || s[1] < low || s[1] > high) return 0;
  uint32_t c = b0 & (0xFF >> (length + 1));
  for (size_t k = 1; k < length; ++k) {
    if (k > 1 && (s[k] & 0xC0) != 0x80) return 0;
    c = (c << 6) | (s[k] & 0x3F);
  }
  *codePoint = c;
  return length;
}

bool IsReplaced(uint32_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0xFFFE || c == 0xFFFF; }

}  // namespace

size_t CopyRecordText(char* to, size_t toSize, const char* from, size_t fromSize) {
  const auto* in = reinterpret_cast<const unsigned char*>(from);
  const size_t inLength = strnlen(from, fromSize);
  std::string out;
  out.reserve(toSize);
  const size_t room = toSize - 1;
  for (size_t at = 0; at < inLength;) {
    uint32_t c = 0;
    const size_t length = DecodeUtf8(in + at, inLength - at, &c);
    const bool replaced = length == 0 || IsReplaced(c);
    const size_t outLength = replaced ? sizeof kReplacement - 1 : length;
    if (out.size() + outLength > room) break;
    if (replaced) {
      out.append(kReplacement);
    } else {
      out.append(from + at, length);
    }
    at += length == 0 ? 1 : length;
  }
  std::memcpy(to, out.data(), out.size());
  to[out.size()] = '\0';
  return out.size();
}
