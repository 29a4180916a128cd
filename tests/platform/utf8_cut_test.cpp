// Texts cut to a bound on character boundaries.
#include <gtest/gtest.h>

#include <string>

#include "platform/text/utf8_cut.h"

namespace {

// One character of each length: e-acute (2 bytes), the euro sign (3), and a
// musical G clef (4).
const std::string kTwo = "\xC3\xA9";
const std::string kThree = "\xE2\x82\xAC";
const std::string kFour = "\xF0\x9D\x84\x9E";

}  // namespace

TEST(Utf8Cut, ABoundThatFallsInsideACharacterCutsBeforeIt) {
  const std::string text = "ab" + kTwo + kThree + kFour + "z";  // 2 + 2 + 3 + 4 + 1 = 12 bytes
  const struct {
    size_t limit;
    std::string kept;
  } cases[] = {
      {0, ""},
      {2, "ab"},
      {3, "ab"},
      {4, "ab" + kTwo},
      {5, "ab" + kTwo},
      {6, "ab" + kTwo},
      {7, "ab" + kTwo + kThree},
      {10, "ab" + kTwo + kThree},
      {11, "ab" + kTwo + kThree + kFour},
      {12, text},
      {100, text},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.limit);
    EXPECT_EQ(TextCut(text, c.limit), c.kept);
    EXPECT_EQ(Utf8CutLength(text.data(), text.size(), c.limit), c.kept.size());
    char field[16];
    if (c.limit < sizeof field) {
      EXPECT_EQ(CopyTextCut(field, c.limit + 1, text.c_str()), c.kept.size());
      EXPECT_EQ(std::string(field), c.kept);
    }
  }
}

TEST(Utf8Cut, BytesThatAreNotUtf8AreCutLikeCharactersOfTheirOwn) {
  // Stray continuation bytes and a lone lead byte followed by ASCII: nothing
  // crosses the bound, so the bound stands.
  EXPECT_EQ(TextCut("a\x80\x80\x80\x80z", 3), "a\x80\x80");
  EXPECT_EQ(TextCut("a\xC3zz", 2), "a\xC3");
  // A lead byte whose character would cross the bound goes.
  EXPECT_EQ(TextCut("a\xE2\x82", 2), "a");
}

TEST(Utf8Cut, AFormattedTextThatDoesNotFitEndsOnACharacter) {
  char text[8];
  EXPECT_TRUE(FormatTextCut(text, sizeof text, "%s%d", kTwo.c_str(), 42));
  EXPECT_EQ(std::string(text), kTwo + "42");
  // "x" + three e-acute = 7 bytes fit; a fourth would need 9.
  EXPECT_FALSE(FormatTextCut(text, sizeof text, "x%s", (kTwo + kTwo + kTwo + kTwo).c_str()));
  EXPECT_EQ(std::string(text), "x" + kTwo + kTwo + kTwo);
  EXPECT_FALSE(FormatTextCut(text, sizeof text, "%s!", (kThree + kThree + kThree).c_str()));
  EXPECT_EQ(std::string(text), kThree + kThree);
}
