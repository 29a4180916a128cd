// The Interop aspect text (width / height, two decimals) of every accepted size and the content kind of a
// record whose options dialog was never opened.
#include <gtest/gtest.h>

#include "plugin/composition_rules.h"

namespace {

TEST(CompositionRules, InteropAspectTextOfEveryAcceptedSize) {
  struct Size {
    uint32_t width, height;
    bool stereoscopic;
    const char* text;
  };
  const Size sizes[] = {
      {2048, 1080, false, "1.90"}, {1998, 1080, false, "1.85"}, {2048, 858, false, "2.39"},
      {1920, 1080, false, "1.78"}, {4096, 2160, false, "1.90"}, {3996, 2160, false, "1.85"},
      {4096, 1716, false, "2.39"}, {3840, 2160, false, "1.78"}, {4096, 1080, true, "1.90"},
      {3996, 1080, true, "1.85"},  {4096, 858, true, "2.39"},   {3840, 1080, true, "1.78"},
  };
  for (const Size& s : sizes) {
    const uint32_t pictureWidth = s.stereoscopic ? s.width / 2 : s.width;
    EXPECT_EQ(InteropAspectText(pictureWidth, s.height), s.text) << s.width << "x" << s.height;
  }
}

TEST(CompositionRules, EmptyCategoryTextFollowsTheIndex) {
  EXPECT_STREQ(ContentKindText(0, ""), "feature");
  EXPECT_STREQ(ContentKindText(1, ""), "trailer");
  EXPECT_STREQ(ContentKindText(9, nullptr), "policy");
  EXPECT_STREQ(ContentKindText(10, ""), "feature");
  EXPECT_STREQ(ContentKindText(0, "short"), "short");
}

}  // namespace
