// The naming-convention code lists: sizes, row layout and the codes in
// their stored order.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "ui/code_lists.h"
#include "ui/title_builder.h"

namespace {

std::string Code(const char* row) {
  char text[kCodeRowSize] = {};
  std::strncpy(text, row, sizeof text - 1);
  return GetListCode(text);
}

std::vector<std::string> Codes(int entry) {
  std::vector<std::string> codes;
  const CodeList& list = GetCodeList(entry);
  for (int row = 1; row < list.rowCount; ++row) codes.push_back(Code(list.rows[row]));
  return codes;
}

TEST(CodeLists, SizesLayoutAndControls) {
  const int rows[kCodeListCount] = {11, 4, 54, 54, 83, 91, 6, 4, 45, 335, 5, 2};
  const int ids[kCodeListCount] = {2802, 2803, 2804, 2805, 2806, 2807, 2808, 2810, 2811, 2813, 2814, 2815};
  for (int entry = 0; entry < kCodeListCount; ++entry) {
    const CodeList& list = GetCodeList(entry);
    EXPECT_EQ(list.rowCount, rows[entry]) << entry;
    EXPECT_EQ(list.controlId, ids[entry]) << entry;
    EXPECT_STREQ(list.rows[0], "") << entry;
    for (int row = 1; row < list.rowCount; ++row) {
      const std::string text = list.rows[row];
      EXPECT_LT(text.size(), size_t(kCodeRowSize)) << text;
      EXPECT_FALSE(Code(list.rows[row]).empty()) << text;
    }
  }
  EXPECT_STREQ(GetCodeList(2).rows[1], "AR  - ARABIC");
  EXPECT_STREQ(GetCodeList(3).rows[1], "XX  - NO SUBTITLES");
  EXPECT_STREQ(GetCodeList(3).rows[35], "QMS - CHINESE - MANDARIN SIMPLIFIED");
  EXPECT_STREQ(GetCodeList(4).rows[1], "AE - UNITED ARAB EMIRATES");
  EXPECT_STREQ(GetCodeList(4).rows[77], "UK - UNITED KINGDOM");
  EXPECT_STREQ(GetCodeList(5).rows[1], "G     General Admission");
  EXPECT_STREQ(GetCodeList(5).rows[43], "G     G");
  EXPECT_STREQ(GetCodeList(5).rows[89], "Y16   YELLOW CIRCLE16");
  EXPECT_STREQ(GetCodeList(8).rows[14], "IND  - INDEPENDENT FILM");
  EXPECT_STREQ(GetCodeList(10).rows[3], "i3D-ngb  3D Interop Non-ghostbusted");
  // Identical rows keep their places.
  EXPECT_STREQ(GetCodeList(5).rows[14], GetCodeList(5).rows[15]);
  EXPECT_STREQ(GetCodeList(5).rows[22], GetCodeList(5).rows[23]);
  EXPECT_STREQ(GetCodeList(5).rows[31], GetCodeList(5).rows[32]);
}

TEST(CodeLists, StoredOrderAroundFacilityRow177) {
  EXPECT_EQ(Codes(3).front(), "XX");
  EXPECT_EQ(Codes(5)[13], Codes(5)[14]);  // "15" twice
  EXPECT_EQ(Codes(8)[24], "PC");
  EXPECT_EQ(Codes(8)[26], "PC");
  const std::vector<std::string> facility = Codes(9);
  EXPECT_EQ(facility.front(), "01S");
  EXPECT_EQ(facility[175], "LCI");
  EXPECT_EQ(facility[177], "LHP");  // row 178: row 177 stands between LCI and LHP
  EXPECT_EQ(facility.back(), "ZOE");
}

TEST(CodeLists, ListCodeIsTheTextBeforeTheFirstBlank) {
  EXPECT_EQ(Code("AR  - ARABIC"), "AR");
  EXPECT_EQ(Code("2D       2D"), "2D");
  EXPECT_EQ(Code("i3D-gb   3D Interop Ghostbusted"), "i3D-gb");
  EXPECT_EQ(Code("G     General Admission"), "G");
  EXPECT_EQ(Code("NOBLANK"), "NOBLANK");
  EXPECT_EQ(Code(""), "");
}

}  // namespace
