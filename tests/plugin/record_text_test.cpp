// Record texts on their way into documents and paths, against the UTF-8
// rules written out byte by byte.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "plugin/record_text.h"

namespace {

const std::string kFffd = "\xEF\xBF\xBD";

std::string Clean(const std::string& stored, size_t toSize = 64) {
  std::string to(toSize, '#');
  const size_t n = CopyRecordText(to.data(), toSize, stored.data(), stored.size());
  EXPECT_EQ(to[n], '\0');
  return to.substr(0, n);
}

}  // namespace

TEST(RecordText, KeepsValidTextAndReplacesWhatIsNotAPrintableCharacter) {
  EXPECT_EQ(Clean("Caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80 <&>"), "Caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80 <&>");
  EXPECT_EQ(Clean(std::string("a\tb\nc\rd\x01\x7F\0", 10)),
            "a" + kFffd + "b" + kFffd + "c" + kFffd + "d" + kFffd + kFffd);
  EXPECT_EQ(Clean("\xC2\x85\xC2\xA0"), kFffd + "\xC2\xA0");                         // C1 control, then no-break space
  EXPECT_EQ(Clean("\xEF\xBF\xBE\xEF\xBF\xBF\xEF\xBF\xBD"), kFffd + kFffd + kFffd);  // U+FFFE, U+FFFF
  // A lone continuation byte, overlong forms, a surrogate, beyond U+10FFFF,
  // a byte that never starts a sequence, a sequence cut by the text's end:
  // each byte that starts no well-formed sequence is one replacement.
  EXPECT_EQ(Clean("\x80x"), kFffd + "x");
  EXPECT_EQ(Clean("\xC0\xAF"), kFffd + kFffd);
  EXPECT_EQ(Clean("\xE0\x80\xAF"), kFffd + kFffd + kFffd);
  EXPECT_EQ(Clean("\xED\xA0\x80"), kFffd + kFffd + kFffd);
  EXPECT_EQ(Clean("\xF4\x90\x80\x80"), kFffd + kFffd + kFffd + kFffd);
  EXPECT_EQ(Clean("\xFF\xFE"), kFffd + kFffd);
  EXPECT_EQ(Clean("ok\xE2\x82"), "ok" + kFffd + kFffd);
  EXPECT_EQ(Clean("\xF4\x8F\xBF\xBF"), "\xF4\x8F\xBF\xBF");  // U+10FFFF itself is a character
}

TEST(RecordText, StaysWithinBothFieldsAndNeverCutsACharacter) {
  // A source field without its terminating zero is read to its end only.
  const char stored[4] = {'a', 'b', 'c', 'd'};
  char to[8];
  std::memset(to, '#', sizeof to);
  EXPECT_EQ(CopyRecordText(to, sizeof to, stored, sizeof stored), 4u);
  EXPECT_STREQ(to, "abcd");
  // The destination holds five bytes and the zero: "é" (2 bytes) would end
  // at byte 6, and a replacement (3 bytes) at byte 7.
  EXPECT_EQ(Clean("abcd\xC3\xA9", 6), "abcd");
  EXPECT_EQ(Clean("abc\x01", 6), "abc");
  EXPECT_EQ(Clean("ab\x01", 6), "ab" + kFffd);
  EXPECT_EQ(Clean("anything", 1), "");
  // In place, the text grows by its replacements and is cut at the field.
  char field[8] = {'\x01', '\x02', '\x03', 'x', 0, 0, 0, 0};
  CleanRecordText(field);
  EXPECT_EQ(std::string(field), kFffd + kFffd);
}
