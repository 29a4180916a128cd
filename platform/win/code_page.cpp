#include "platform/win/code_page.h"

#include <string>

int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWCH wide, int wideLength, LPSTR multiByte, int multiByteSize,
                        LPCCH defaultChar, LPBOOL usedDefaultChar) {
  if (codePage != CP_UTF8 || wide == nullptr || wideLength < -1 || multiByteSize < 0 || defaultChar != nullptr ||
      usedDefaultChar != nullptr || (multiByteSize > 0 && multiByte == nullptr)) {
    return 0;
  }
  size_t count = 0;
  if (wideLength == -1) {
    while (wide[count] != 0) ++count;
    ++count;  // the terminating zero is converted too
  } else {
    count = static_cast<size_t>(wideLength);
  }
  std::string out;
  for (size_t k = 0; k < count; ++k) {
    uint32_t c = wide[k];
    if (c >= 0xD800 && c <= 0xDBFF && k + 1 < count && wide[k + 1] >= 0xDC00 && wide[k + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (wide[k + 1] - 0xDC00);
      ++k;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      if (flags & WC_ERR_INVALID_CHARS) return 0;
      c = 0xFFFD;
    }
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  if (out.size() > static_cast<size_t>(INT32_MAX)) return 0;
  if (multiByteSize == 0) return static_cast<int>(out.size());
  if (out.size() > static_cast<size_t>(multiByteSize)) return 0;
  out.copy(multiByte, out.size());
  return static_cast<int>(out.size());
}
