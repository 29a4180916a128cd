#include <gtest/gtest.h>

#include <cstring>
#include <regex>
#include <set>
#include <string>

#include "plugin/uuid_text.h"

TEST(UuidText, IsAFreshLowerCaseVersion4UuidFillingTheField) {
  const std::regex form("[0-9a-f]{8}-[0-9a-f]{4}-4[0-9a-f]{3}-[89ab][0-9a-f]{3}-[0-9a-f]{12}");
  std::set<std::string> seen;
  for (int k = 0; k < 100; ++k) {
    char field[kUuidTextSize];
    std::memset(field, 'x', sizeof field);
    MakeUUIDText(field);
    const std::string text(field);
    EXPECT_TRUE(std::regex_match(text, form)) << text;
    for (int i = 36; i < kUuidTextSize; ++i) EXPECT_EQ(field[i], '\0');
    seen.insert(text);
  }
  EXPECT_EQ(seen.size(), 100u);
}
