#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win/code_page.h"

namespace {

// Converts the zero-terminated text into a destination of `size` bytes.
std::string Convert(std::vector<WCHAR> wide, int size, DWORD flags = 0, int* result = nullptr) {
  wide.push_back(0);
  std::string out(static_cast<size_t>(size), '\x7f');
  const int n = WideCharToMultiByte(CP_UTF8, flags, wide.data(), -1, out.data(), size, nullptr, nullptr);
  if (result) *result = n;
  return n > 0 ? out.substr(0, out.find('\0')) : "<failed>";  // up to the terminating zero
}

}  // namespace

TEST(CodePage, ConvertsEveryPlaneToUtf8WithItsZero) {
  // "é", "€", U+1F600 as a surrogate pair, then ASCII.
  int n = 0;
  EXPECT_EQ(Convert({0xE9, 0x20AC, 0xD83D, 0xDE00, 'a'}, 260, 0, &n),
            "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"
            "a");
  EXPECT_EQ(n, 11);  // ten bytes and the zero
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, std::vector<WCHAR>{'a', 0xE9, 0}.data(), -1, nullptr, 0, nullptr, nullptr),
            4);
}

TEST(CodePage, FailsWhenTheDestinationIsTooSmallOrTheTextIsBroken) {
  std::vector<WCHAR> long_text(260, 'x');  // 260 characters and the zero need 261 bytes
  EXPECT_EQ(Convert(long_text, 260), "<failed>");
  long_text.pop_back();
  EXPECT_EQ(Convert(long_text, 260).size(), 259u);
  // A lone surrogate fails with the strict flag, and becomes U+FFFD without it.
  EXPECT_EQ(Convert({'a', 0xD800, 'b'}, 260, WC_ERR_INVALID_CHARS), "<failed>");
  EXPECT_EQ(Convert({'a', 0xDC00}, 260), "a\xEF\xBF\xBD");
  std::vector<WCHAR> text{'a', 0};
  char out[4];
  EXPECT_EQ(WideCharToMultiByte(1252, 0, text.data(), -1, out, 4, nullptr, nullptr), 0);
}
