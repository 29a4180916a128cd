// The naming-convention code lists: sizes, row layout and the codes in
// their stored order.
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
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

std::vector<std::string> Split(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string word; std::getline(in, word, ',');) out.push_back(word.substr(word.find_first_not_of(' ')));
  return out;
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

TEST(CodeLists, CodesInStoredOrder) {
  EXPECT_EQ(Codes(0), Split("FTR, TRL, TSR, TST, RTG, ADV, SHR, XSN, PSA, POL"));
  EXPECT_EQ(Codes(1), Split("F, S, C"));
  EXPECT_EQ(Codes(2), Split("AR, BG, BS, CA, CMN, CS, DA, DE, EL, EN, ES, ET, FI, FR, GSW, HE, HI, HR, HU, IND, IS, "
                            "IT, JA, KO, LAS, LT, LV, MSA, NAN, NL, NO, PL, PT, QBP, QFC, QSA, QSM, QTM, RO, RU, SK, "
                            "SL, SQ, SR, SV, TA, TE, TH, TR, UK, VI, VLS, YUE"));
  EXPECT_EQ(Codes(3), Split("XX, AR, BG, BS, CA, CS, DA, DE, EL, EN, ES, ET, FI, FR, GSW, HE, HI, HR, HU, IND, IS, "
                            "IT, JA, KO, LAS, LT, LV, MSA, NL, NO, PL, PT, QBP, QFC, QMS, QMT, QSA, QSM, RO, RU, SK, "
                            "SL, SQ, SR, SV, TA, TE, TH, TR, UK, VI, VLS, YUE"));
  EXPECT_EQ(Codes(4), Split("AE, AL, AR, AT, AU, BA, BE, BG, BH, BO, BR, BY, CA, CH, CL, CN, CO, CS, CZ, DE, DK, DU, "
                            "EC, EE, EG, ES, FI, FR, GR, GT, HK, HR, HU, ID, IE, IL, IN, IS, IT, JO, JP, KE, KR, KW, "
                            "KZ, LB, LT, LU, LV, ME, MX, MY, NL, NO, NZ, OM, PA, PE, PH, PK, PL, PT, PY, QA, RO, RU, "
                            "SA, SE, SG, SI, SK, TH, TR, TT, TW, UA, UK, US, UY, VE, VN, ZA"));
  EXPECT_EQ(Codes(5), Split("G, PG, 13, NC, R, 1, 3, 6, 7, 9, 10, 11, 14, 15, 15, 16, 18, 21, 0A, 12A, 15A, 18R, 18R, "
                            "21X, 2A, 2B, A, AA, AE, AG, AL, AL, AO, AP, B, BN, BTL, C, CH, D, E, FA, G, GB, GC, GE, "
                            "GN, GR, IM8, J, J14, K, K1, K3, K5, K7, K8, K10, K13, K17, K18, KK, KN, KT, L, M, M4, "
                            "M6, M12, M5, M16, M18, P8, R5, R8, RB, RC8, RE, S, SB, T, U, U10, U16, UA, V4, V8, Y12, "
                            "Y16, Y7"));
  EXPECT_EQ(Codes(6), Split("NS, 51, 61, 71, 20"));
  EXPECT_EQ(Codes(7), Split("2K, 4K, 48"));
  EXPECT_EQ(Codes(8), Split("01S, AFG, CL, CRO, DI, EAG, ELO, FF, FG, FRE, FX, HF, ICON, IND, LION, LOK, LOMO, LVT, "
                            "MMP, MOM, MRMX, NT, OTA, PAT, PC, PC, PC, PICH, RLD, RP, SA, SB, SPE, SUM, TCF, TRIG, "
                            "UIG, UP, VEX, WC, WC, WR, XM, ZHDK"));
  const std::vector<std::string> facility = Codes(9);
  EXPECT_EQ(facility.front(), "01S");
  EXPECT_EQ(facility[175], "LCI");
  EXPECT_EQ(facility[177], "LHP");  // row 178: row 177 stands between LCI and LHP
  EXPECT_EQ(facility.back(), "ZOE");
  EXPECT_EQ(Codes(10), Split("2D, i3D-gb, i3D-ngb, i3D"));
  EXPECT_EQ(Codes(11), Split("OV"));
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
