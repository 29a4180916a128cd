// The inspection of subtitle files: the reference documents accepted in their
// packing, every refusal with its message, and ids and font names that would
// reach outside the package refused.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "package/subtitle_check.h"
#include "plugin/output_options.h"
#include "tests/support/test_support.h"

using namespace lumavox_test;

namespace {

constexpr char kInteropId[] = "77777777-0000-4000-8000-0000000000bb";
constexpr char kSmpteId[] = "77777777-0000-4000-8000-0000000000aa";
constexpr char kSmpteFont[] = "77777777-0000-4000-8000-0000000000f0";

std::string Reference(const std::string& name) { return SharedDir() + "/reference/subtitles/" + name; }

// A record with earlier values in every field the inspection writes.
OutputOptions Record(A_u_long packing) {
  OutputOptions options;
  std::memset(&options, 0, sizeof options);
  options.packing = packing;
  std::strcpy(options.subtitleUuid, "earlier-id");
  options.subtitleSmpte = 7;
  options.subtitleHasFont = 7;
  std::strcpy(options.fontFile, "earlier.ttf");
  return options;
}

struct Outcome {
  int result;
  std::string message;
};

Outcome Check(const std::string& path, OutputOptions& options) {
  char message[kSubtitleMessageSize] = "";
  const int result = CheckSubtitleFile(path.c_str(), &options, message);
  return {result, message};
}

void ExpectUntouched(const OutputOptions& options) {
  EXPECT_STREQ(options.subtitleUuid, "earlier-id");
  EXPECT_EQ(options.subtitleSmpte, 7);
  EXPECT_EQ(options.subtitleHasFont, 7);
  EXPECT_STREQ(options.fontFile, "earlier.ttf");
}

void ExpectForgotten(const OutputOptions& options) {
  EXPECT_STREQ(options.subtitleUuid, "");
  EXPECT_EQ(options.subtitleHasFont, 0);
  EXPECT_STREQ(options.fontFile, "");
}

std::string Interop(const std::string& id, const std::string& loadFont) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<DCSubtitle Version=\"1.0\">\n  <SubtitleID>" + id +
         "</SubtitleID>\n  " + loadFont + "\n</DCSubtitle>\n";
}

std::string Smpte(const std::string& id, const std::string& font) {
  return "<?xml version=\"1.0\"?>\n<SubtitleReel xmlns=\"http://www.smpte-ra.org/schemas/428-7/2010/DCST\">"
         "<Id>" + id + "</Id><EditRate>24 1</EditRate>" +
         (font.empty() ? "" : "<LoadFont ID=\"f\">" + font + "</LoadFont>") + "</SubtitleReel>\n";
}

}  // namespace

TEST(SubtitleCheck, AcceptsTheReferenceDocumentsInTheirPacking) {
  {
    OutputOptions options = Record(0);
    const Outcome o = Check(Reference("interop/subs_interop.xml"), options);
    EXPECT_EQ(o.result, 1);
    EXPECT_EQ(o.message, "");
    EXPECT_STREQ(options.subtitleUuid, kInteropId);
    EXPECT_EQ(options.subtitleSmpte, 0);
    EXPECT_EQ(options.subtitleHasFont, 1);
    EXPECT_STREQ(options.fontFile, "DejaVuSerif.ttf");
  }
  {
    // Its font stands beside it as "<font uuid>.ttf", as the track-file
    // writer finds it.
    OutputOptions options = Record(1);
    const Outcome o = Check(Reference("smpte/subs.xml"), options);
    EXPECT_EQ(o.result, 1);
    EXPECT_EQ(o.message, "");
    EXPECT_STREQ(options.subtitleUuid, kSmpteId);
    EXPECT_EQ(options.subtitleSmpte, 1);
    EXPECT_EQ(options.subtitleHasFont, 1);
    EXPECT_STREQ(options.fontFile, kSmpteFont);
  }
}

TEST(SubtitleCheck, FontsBesideTheDocumentOrNot) {
  TempDir dir;
  // SMPTE: the font named by its UUID alone, without an extension.
  WriteText(dir / "reel.xml", Smpte(std::string("urn:uuid:") + kSmpteId, std::string("urn:uuid:") + kSmpteFont));
  WriteText(dir / kSmpteFont, "font");
  OutputOptions options = Record(1);
  EXPECT_EQ(Check(dir / "reel.xml", options).result, 1);
  EXPECT_STREQ(options.fontFile, kSmpteFont);
  // An Id without the prefix is taken whole; no LoadFont: no font.
  WriteText(dir / "plain.xml", Smpte(kSmpteId, ""));
  options = Record(1);
  EXPECT_EQ(Check(dir / "plain.xml", options).result, 1);
  EXPECT_STREQ(options.subtitleUuid, kSmpteId);
  EXPECT_EQ(options.subtitleHasFont, 0);

  std::filesystem::remove(dir / kSmpteFont);
  options = Record(1);
  Outcome o = Check(dir / "reel.xml", options);
  EXPECT_EQ(o.result, 0);
  EXPECT_EQ(o.message, "No font file found next to this subtitlefile");
  ExpectForgotten(options);

  // Interop: the URI names the file; a folder of that name is no font.
  WriteText(dir / "dc.xml", Interop(kInteropId, "<LoadFont Id=\"f\" URI=\"font.ttf\"/>"));
  std::filesystem::create_directory(dir / "font.ttf");
  options = Record(0);
  o = Check(dir / "dc.xml", options);
  EXPECT_EQ(o.result, 0);
  EXPECT_EQ(o.message, "No font file found next to this subtitlefile");
  ExpectForgotten(options);
  // Without a URI there is no font to find.
  WriteText(dir / "nouri.xml", Interop(kInteropId, "<LoadFont Id=\"f\"/>"));
  options = Record(0);
  EXPECT_EQ(Check(dir / "nouri.xml", options).message, "No font file found next to this subtitlefile");
  // Without LoadFont it is accepted without one.
  WriteText(dir / "nofont.xml", Interop(kInteropId, ""));
  options = Record(0);
  EXPECT_EQ(Check(dir / "nofont.xml", options).result, 1);
  EXPECT_STREQ(options.subtitleUuid, kInteropId);
  EXPECT_EQ(options.subtitleSmpte, 0);
  EXPECT_EQ(options.subtitleHasFont, 0);
}

TEST(SubtitleCheck, RefusesWhatIsNoSubtitleOfThePacking) {
  TempDir dir;
  WriteText(dir / "text.xml", "subtitles, but no XML");
  WriteText(dir / "empty.xml", "");
  WriteText(dir / "other.xml", "<?xml version=\"1.0\"?><CompositionPlaylist/>");
  for (A_u_long packing : {0u, 1u}) {
    for (const char* name : {"text.xml", "empty.xml"}) {
      OutputOptions options = Record(packing);
      const Outcome o = Check(dir / name, options);
      EXPECT_EQ(o.result, 0);
      EXPECT_EQ(o.message, "Not a valid subtitlefile") << name;
      ExpectUntouched(options);
    }
  }

  OutputOptions options = Record(0);
  Outcome o = Check(Reference("smpte/subs.xml"), options);
  EXPECT_EQ(o.result, 0);
  EXPECT_EQ(o.message, "You are trying to load a SMPTE subtitle file in interOp packaging mode.");
  EXPECT_STREQ(options.subtitleUuid, "");
  options = Record(0);
  o = Check(dir / "other.xml", options);
  EXPECT_EQ(o.message, "Unknown subtitle file.");
  EXPECT_STREQ(options.subtitleUuid, "");

  // SMPTE packing refuses other documents silently and stores nothing.
  for (const std::string& path : {Reference("interop/subs_interop.xml"), dir / "other.xml"}) {
    options = Record(1);
    o = Check(path, options);
    EXPECT_EQ(o.result, 0);
    EXPECT_EQ(o.message, "");
    ExpectUntouched(options);
  }

  // No id: refused silently, nothing stored.
  WriteText(dir / "noid.xml", "<DCSubtitle><LoadFont URI=\"f.ttf\"/></DCSubtitle>");
  WriteText(dir / "noid-reel.xml", "<SubtitleReel><EditRate>24 1</EditRate></SubtitleReel>");
  options = Record(0);
  o = Check(dir / "noid.xml", options);
  EXPECT_EQ(o.result, 0);
  EXPECT_EQ(o.message, "");
  ExpectUntouched(options);
  options = Record(1);
  o = Check(dir / "noid-reel.xml", options);
  EXPECT_EQ(o.result, 0);
  EXPECT_EQ(o.message, "");
  ExpectUntouched(options);

  // A file that cannot be opened: refused silently.
  options = Record(0);
  o = Check(dir / "missing.xml", options);
  EXPECT_EQ(o.result, 0);
  EXPECT_EQ(o.message, "");
  ExpectUntouched(options);
}

TEST(SubtitleCheck, RefusesFilesOfTenMegabytesOrMore) {
  TempDir dir;
  const std::string head = Interop(kInteropId, "");
  const auto document = [&](size_t size) { return head + "<!--" + std::string(size - head.size() - 7, 'x') + "-->"; };
  WriteText(dir / "big.xml", document(kSubtitleFileLimit - 1));
  OutputOptions options = Record(0);
  EXPECT_EQ(Check(dir / "big.xml", options).result, 1);  // one byte below the limit

  WriteText(dir / "big.xml", document(kSubtitleFileLimit));
  options = Record(0);
  const Outcome o = Check(dir / "big.xml", options);
  EXPECT_EQ(o.result, 0);
  EXPECT_NE(o.message, "");
  ExpectUntouched(options);
}

// The id becomes a folder and a file name in the package, the font name a
// file name in that folder: anything but a UUID text, or a name that is not
// a plain file name, is refused with a message.
TEST(SubtitleCheck, RefusesIdsAndFontNamesThatAreNoPlainNames) {
  TempDir dir;
  WriteText(dir / "f.ttf", "font");
  for (const std::string& id : std::vector<std::string>{"../../escape", "", "77777777-0000-4000-8000-0000000000bbx",
                               "77777777/0000-4000-8000-0000000000b", "7777777g-0000-4000-8000-0000000000bb",
                               " 77777777-0000-4000-8000-0000000000bb"}) {
    SCOPED_TRACE(id);
    WriteText(dir / "dc.xml", Interop(id, "<LoadFont URI=\"f.ttf\"/>"));
    WriteText(dir / "reel.xml", Smpte("urn:uuid:" + id, "urn:uuid:f.ttf"));
    for (A_u_long packing : {0u, 1u}) {
      OutputOptions options = Record(packing);
      const Outcome o = Check(dir / (packing ? "reel.xml" : "dc.xml"), options);
      EXPECT_EQ(o.result, 0);
      EXPECT_EQ(o.message, "The id of this subtitlefile is not a UUID.");
      ExpectUntouched(options);
    }
  }
  // Upper-case hexadecimal is a UUID text too.
  WriteText(dir / "upper.xml", Interop("77777777-0000-4000-8000-0000000000BB", ""));
  OutputOptions upper = Record(0);
  EXPECT_EQ(Check(dir / "upper.xml", upper).result, 1);

  std::filesystem::create_directories(dir / "sub");
  WriteText(dir / "sub/f.ttf", "font");
  for (const std::string& font :
       std::vector<std::string>{"../f.ttf", "sub/f.ttf", "sub\\f.ttf", "..", ".", "f..ttf", std::string(64, 'f')}) {
    SCOPED_TRACE(font);
    WriteText(dir / "dc.xml", Interop(kInteropId, "<LoadFont URI=\"" + font + "\"/>"));
    WriteText(dir / "reel.xml", Smpte(std::string("urn:uuid:") + kSmpteId, "urn:uuid:" + font));
    for (A_u_long packing : {0u, 1u}) {
      OutputOptions options = Record(packing);
      const Outcome o = Check(dir / (packing ? "reel.xml" : "dc.xml"), options);
      EXPECT_EQ(o.result, 0);
      EXPECT_EQ(o.message, "The font of this subtitlefile must be named by a plain file name.");
      ExpectForgotten(options);
    }
  }
  // 63 characters are taken.
  const std::string longest(63, 'f');
  WriteText(dir / longest, "font");
  WriteText(dir / "dc.xml", Interop(kInteropId, "<LoadFont URI=\"" + longest + "\"/>"));
  OutputOptions options = Record(0);
  EXPECT_EQ(Check(dir / "dc.xml", options).result, 1);
  EXPECT_EQ(std::string(options.fontFile), longest);
}
