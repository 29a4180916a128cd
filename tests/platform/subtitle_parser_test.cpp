#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "platform/asdcp/KM_uuid.h"
#include "platform/asdcp/TimedText_subtitle_parser.h"
#include "tests/support/test_support.h"

using namespace lumavox_test;
using ASDCP::TimedText::DCSubtitleParser;
using ASDCP::TimedText::FrameBuffer;
using ASDCP::TimedText::TimedTextDescriptor;

namespace {

const char kFontId[] = "77777777-0000-4000-8000-0000000000f0";

std::string SmpteDir() { return SharedDir() + "/reference/subtitles/smpte"; }

std::string Hex(const uint8_t* id) {
  char buf[Kumu::UUID::HexTextSize];
  Kumu::UUID(id).EncodeHex(buf, sizeof buf);
  return buf;
}

// "Name = value" from the reference dump of the track file that the real
// library made from the same document.
std::string DumpValue(const std::string& dump, const std::string& name) {
  std::smatch m;
  std::regex line("\\n\\s*" + name + " = ([^\\n]*)");
  return std::regex_search(dump, m, line) ? m[1].str() : std::string("<missing>");
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

}  // namespace

TEST(DCSubtitleParser, ReferenceDocumentAsTheRealLibraryDescribesIt) {
  const std::string path = SmpteDir() + "/subs.xml";
  const std::string dump = ReadText(SharedDir() + "/reference/dumps/tt_smpte.header.txt");
  ASSERT_FALSE(dump.empty());
  DCSubtitleParser parser;
  ASSERT_TRUE(KM_SUCCESS(parser.OpenRead(path)));
  TimedTextDescriptor desc;
  ASSERT_TRUE(KM_SUCCESS(parser.FillTimedTextDescriptor(desc)));
  EXPECT_EQ(std::to_string(desc.EditRate.Numerator) + "/" + std::to_string(desc.EditRate.Denominator),
            DumpValue(dump, "SampleRate"));
  EXPECT_EQ(std::to_string(desc.ContainerDuration), DumpValue(dump, "ContainerDuration"));
  EXPECT_EQ(Hex(desc.AssetID), DumpValue(dump, "ResourceID"));
  EXPECT_EQ(desc.NamespaceName, DumpValue(dump, "NamespaceURI"));
  EXPECT_EQ(desc.EncodingName, DumpValue(dump, "UCSEncoding"));
  EXPECT_EQ(desc.RFC5646LanguageTagList, DumpValue(dump, "RFC5646LanguageTagList"));
  ASSERT_EQ(desc.ResourceList.size(), 1u);
  const auto& font = desc.ResourceList.front();
  EXPECT_EQ(Hex(font.ResourceID), DumpValue(dump, "AncillaryResourceID"));
  EXPECT_STREQ(ASDCP::TimedText::MIME2str(font.Type), DumpValue(dump, "MIMEMediaType").c_str());

  // The document and the font come back byte for byte.
  std::string text;
  ASSERT_TRUE(KM_SUCCESS(parser.ReadTimedTextResource(text)));
  EXPECT_EQ(text, ReadText(path));
  FrameBuffer fb(0x400000);
  ASSERT_TRUE(KM_SUCCESS(parser.ReadAncillaryResource(font.ResourceID, fb)));
  std::vector<uint8_t> expected = ReadBytes(SmpteDir() + "/" + kFontId + ".ttf");
  ASSERT_EQ(fb.Size(), expected.size());
  EXPECT_EQ(0, std::memcmp(fb.RoData(), expected.data(), expected.size()));
  EXPECT_EQ(Hex(fb.AssetID()), kFontId);
  EXPECT_EQ(fb.MIMEType(), "application/x-font-opentype");
}

TEST(DCSubtitleParser, FontWithoutExtensionImagesTimeCodesAndAGrowingBuffer) {
  TempDir dir;
  std::string doc = ReadText(SmpteDir() + "/subs.xml");
  // Time codes at 25 per second in a 24/1 document, an image resource, the
  // same font named twice.
  doc = Replace(doc, "<TimeCodeRate>24</TimeCodeRate>", "<TimeCodeRate>25</TimeCodeRate>");
  doc = Replace(doc, "TimeOut=\"00:00:02:00\"", "TimeOut=\"00:01:00:24\"");
  doc = Replace(doc, "<SubtitleList>",
                "<LoadFont ID=\"again\">urn:uuid:77777777-0000-4000-8000-0000000000F0</LoadFont>\n<SubtitleList>");
  doc = Replace(doc, "<Text Valign=\"bottom\" Vposition=\"12\" Halign=\"center\" Direction=\"ltr\">two lines</Text>",
                "<Image Valign=\"top\">urn:uuid:88888888-0000-4000-8000-000000000001</Image>");
  WriteText(dir / "doc.xml", doc);
  std::vector<uint8_t> font(5000);
  for (size_t i = 0; i < font.size(); ++i) font[i] = static_cast<uint8_t>(i * 31);
  WriteBytes(dir / kFontId, font);
  WriteBytes(dir / "88888888-0000-4000-8000-000000000001.PNG", {0x89, 'P', 'N', 'G'});

  DCSubtitleParser parser;
  ASSERT_TRUE(KM_SUCCESS(parser.OpenRead(dir / "doc.xml")));
  TimedTextDescriptor desc;
  parser.FillTimedTextDescriptor(desc);
  // 60 s and 24 of 25 time-code units at 24 edit units per second: 1440 +
  // 23.04, rounded up.
  EXPECT_EQ(desc.ContainerDuration, 1464u);
  ASSERT_EQ(desc.ResourceList.size(), 2u);
  EXPECT_EQ(desc.ResourceList.front().Type, ASDCP::TimedText::MT_OPENTYPE);
  EXPECT_EQ(desc.ResourceList.back().Type, ASDCP::TimedText::MT_PNG);

  FrameBuffer fb(16);
  ASSERT_TRUE(KM_SUCCESS(parser.ReadAncillaryResource(desc.ResourceList.front().ResourceID, fb)));
  ASSERT_EQ(fb.Size(), font.size());
  EXPECT_EQ(0, std::memcmp(fb.RoData(), font.data(), font.size()));
  ASSERT_TRUE(KM_SUCCESS(parser.ReadAncillaryResource(desc.ResourceList.back().ResourceID, fb)));
  EXPECT_EQ(fb.Size(), 4u);
  EXPECT_EQ(fb.MIMEType(), "image/png");
}

TEST(DCSubtitleParser, RefusesBadDocumentsAndMissingFontsWithAMessage) {
  TempDir dir;
  const std::string good = ReadText(SmpteDir() + "/subs.xml");
  struct Bad {
    std::string name;
    std::string text;
    std::string message;
  };
  std::vector<Bad> bad = {
      {"plain", "This is not XML at all.\n", "not a well-formed XML document"},
      {"cut", good.substr(0, good.size() / 2), "not a well-formed XML document"},
      {"empty", "", "empty"},
      {"no_id", Replace(good, "<Id>urn:uuid:77777777-0000-4000-8000-0000000000aa</Id>", ""), "has no Id"},
      {"bad_id", Replace(good, "urn:uuid:77777777-0000-4000-8000-0000000000aa", "urn:uuid:nonsense"),
       "is not \"urn:uuid:\" and a UUID"},
      {"interop", ReadText(SharedDir() + "/reference/subtitles/interop/subs_interop.xml"),
       "root element is DCSubtitle"},
      {"no_rate", Replace(good, "<EditRate>24 1</EditRate>", ""), "no EditRate"},
      {"bad_time", Replace(good, "TimeOut=\"00:00:02:00\"", "TimeOut=\"00:00:02:24\""), "TimeOut \"00:00:02:24\""},
      {"bad_font", Replace(good, "urn:uuid:77777777-0000-4000-8000-0000000000f0", "font.ttf"), "LoadFont"},
  };
  for (const Bad& b : bad) {
    SCOPED_TRACE(b.name);
    std::string path = dir / (b.name + ".xml");
    WriteText(path, b.text);
    DCSubtitleParser parser;
    testing::internal::CaptureStderr();
    Kumu::Result_t r = parser.OpenRead(path);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(KM_FAILURE(r));
    EXPECT_NE(err.find(b.message), std::string::npos) << err;
    EXPECT_NE(err.find(path), std::string::npos) << err;
    std::string text;
    EXPECT_TRUE(KM_FAILURE(parser.ReadTimedTextResource(text)));
  }

  DCSubtitleParser parser;
  testing::internal::CaptureStderr();
  EXPECT_EQ(parser.OpenRead(dir / "missing.xml"), Kumu::RESULT_NOT_FOUND);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("no such file"), std::string::npos);

  // A good document whose font is not beside it: the document opens, the
  // font read fails and says what it looked for.
  WriteText(dir / "good.xml", good);
  ASSERT_TRUE(KM_SUCCESS(parser.OpenRead(dir / "good.xml")));
  TimedTextDescriptor desc;
  parser.FillTimedTextDescriptor(desc);
  FrameBuffer fb(0x400000);
  testing::internal::CaptureStderr();
  EXPECT_EQ(parser.ReadAncillaryResource(desc.ResourceList.front().ResourceID, fb), Kumu::RESULT_NOT_FOUND);
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find(kFontId), std::string::npos) << err;
  EXPECT_NE(err.find("not found"), std::string::npos) << err;
  // A resource the document does not name is refused too.
  uint8_t other[16] = {1, 2, 3};
  testing::internal::CaptureStderr();
  EXPECT_TRUE(KM_FAILURE(parser.ReadAncillaryResource(other, fb)));
  testing::internal::GetCapturedStderr();
}

TEST(DCSubtitleParser, SurvivesTruncatedAndCorruptedReferenceDocuments) {
  TempDir dir;
  const std::string original = ReadText(SmpteDir() + "/subs.xml");
  WriteBytes(dir / kFontId, std::vector<uint8_t>(1000, 7));
  std::mt19937 random(7031);
  const char noise[] = "<>&;:\"'/= 0123456789aZ\n\x01\xff";
  std::string path = dir / "fuzz.xml";
  int opened = 0;
  testing::internal::CaptureStderr();
  for (int round = 0; round < 3000; ++round) {
    std::string text = original;
    int kind = random() % 3;
    if (kind == 0) {
      text.resize(random() % text.size());
    } else {
      for (int k = 1 + random() % 3; k > 0; --k) {
        size_t at = random() % text.size();
        char c = noise[random() % (sizeof(noise) - 1)];
        if (kind == 1) {
          text[at] = c;
        } else {
          text.insert(at, 1, c);
        }
      }
    }
    // A fresh file each time: truncating one in place makes the file system
    // flush it to disk.
    (void)std::remove(path.c_str());  // absent the first time
    WriteText(path, text);
    DCSubtitleParser parser;
    if (KM_FAILURE(parser.OpenRead(path))) continue;
    ++opened;
    TimedTextDescriptor desc;
    ASSERT_TRUE(KM_SUCCESS(parser.FillTimedTextDescriptor(desc)));
    std::string back;
    ASSERT_TRUE(KM_SUCCESS(parser.ReadTimedTextResource(back)));
    ASSERT_EQ(back, text);
    FrameBuffer fb(64);
    for (const auto& resource : desc.ResourceList) parser.ReadAncillaryResource(resource.ResourceID, fb);
  }
  testing::internal::GetCapturedStderr();
  EXPECT_GT(opened, 100);
}
