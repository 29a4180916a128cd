#include "platform/text/utf8_cut.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

bool IsContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

// The bytes of the character that the lead byte `b` begins; 1 for a byte
// that begins none.
size_t SequenceLength(unsigned char b) {
  if (b >= 0xC2 && b <= 0xDF) return 2;
  if (b >= 0xE0 && b <= 0xEF) return 3;
  if (b >= 0xF0 && b <= 0xF4) return 4;
  return 1;
}

}  // namespace

size_t Utf8CutLength(const char* text, size_t length, size_t limit) {
  if (length <= limit) return length;
  const auto* bytes = reinterpret_cast<const unsigned char*>(text);
  // Back over the continuation bytes of the character at the limit (a
  // character has at most three) to its lead byte.
  size_t start = limit;
  while (start > 0 && limit - start < 3 && IsContinuation(bytes[start])) --start;
  if (start < limit && start + SequenceLength(bytes[start]) > limit) return start;
  return limit;
}

size_t CopyTextCut(char* to, size_t size, const char* text) {
  const size_t length = Utf8CutLength(text, std::strlen(text), size - 1);
  std::memmove(to, text, length);
  to[length] = '\0';
  return length;
}

std::string TextCut(const std::string& text, size_t limit) {
  return text.substr(0, Utf8CutLength(text.data(), text.size(), limit));
}

bool FormatTextCut(char* to, size_t size, const char* format, ...) {
  va_list args;
  va_start(args, format);
  const bool whole = FormatTextCutV(to, size, format, args);
  va_end(args);
  return whole;
}

bool FormatTextCutV(char* to, size_t size, const char* format, va_list args) {
  va_list again;
  va_copy(again, args);
  const int needed = std::vsnprintf(to, size, format, args);
  if (needed < 0 || static_cast<size_t>(needed) < size) {
    va_end(again);
    if (needed < 0) to[0] = '\0';
    return needed >= 0;
  }
  // The whole text, to see where its characters end.
  std::string whole(static_cast<size_t>(needed) + 1, '\0');
  std::vsnprintf(&whole[0], whole.size(), format, again);
  va_end(again);
  const size_t length = Utf8CutLength(whole.data(), static_cast<size_t>(needed), size - 1);
  std::memcpy(to, whole.data(), length);
  to[length] = '\0';
  return false;
}
