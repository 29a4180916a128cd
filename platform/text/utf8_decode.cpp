#include "platform/text/utf8_decode.h"

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

bool IsWellFormedUtf8(const char* text, size_t length) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text);
  for (size_t at = 0; at < length;) {
    uint32_t c = 0;
    const size_t n = DecodeUtf8(bytes + at, length - at, &c);
    if (n == 0) return false;
    at += n;
  }
  return true;
}
