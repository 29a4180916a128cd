#include "plugin/record_text.h"

#include <cstdint>
#include <cstring>
#include <string>

#include "platform/text/utf8_decode.h"

namespace {

constexpr char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD

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

size_t CopyRecordPath(char* to, size_t toSize, const char* from, size_t fromSize) {
  size_t length = strnlen(from, fromSize);
  if (length > toSize - 1) length = toSize - 1;
  std::memmove(to, from, length);
  to[length] = '\0';
  return length;
}
