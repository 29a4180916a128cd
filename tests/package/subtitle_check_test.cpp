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
#include "tests/package/subtitle_render_support.h"
#include "tests/support/test_support.h"

using namespace lumavox_test;
using namespace subtitle_test;

namespace {

constexpr char kNoFont[] = "No font file found next to this subtitlefile";
constexpr char kIdNotUuid[] = "The id of this subtitlefile is not a UUID.";
constexpr char kFontNotPlain[] = "The font of this subtitlefile must be named by a plain file name.";

// What the inspection did to a record that held earlier values in every
// field it writes.
struct Outcome {
  int result;
  std::string message;
  OutputOptions options;
  bool Untouched() const {
    return std::string(options.subtitleUuid) == "earlier-id" && options.subtitleSmpte == 7 &&
           options.subtitleHasFont == 7 && std::string(options.fontFile) == "earlier.ttf";
  }
  bool Forgotten() const {
    return options.subtitleUuid[0] == '\0' && options.subtitleHasFont == 0 && options.fontFile[0] == '\0';
  }
};

Outcome Check(const std::string& path, A_u_long packing,
              int (*inspect)(const char*, OutputOptions*, char*) = CheckSubtitleFile) {
  Outcome o{0, "", {}};
  std::memset(&o.options, 0, sizeof o.options);
  o.options.packing = packing;
  o.options.frameRate = 24;
  std::strcpy(o.options.subtitleUuid, "earlier-id");
  o.options.subtitleSmpte = 7;
  o.options.subtitleHasFont = 7;
  std::strcpy(o.options.fontFile, "earlier.ttf");
  char message[kSubtitleMessageSize] = "";
  o.result = inspect(path.c_str(), &o.options, message);
  o.message = message;
  return o;
}

std::string Interop(const std::string& id, const std::string& loadFont) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<DCSubtitle Version=\"1.0\">\n  <SubtitleID>" + id +
         "</SubtitleID>\n  " + loadFont + "\n</DCSubtitle>\n";
}

std::string Smpte(const std::string& id, const std::string& font) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<SubtitleReel "
         "xmlns=\"http://www.smpte-ra.org/schemas/428-7/2010/DCST\">"
         "<Id>" +
         id + "</Id><EditRate>24 1</EditRate>" + (font.empty() ? "" : "<LoadFont ID=\"f\">" + font + "</LoadFont>") +
         "</SubtitleReel>\n";
}

}  // namespace

TEST(SubtitleCheck, AcceptsDocumentsWithTheirFontsBeside) {
  Outcome o = Check(Reference("interop/subs_interop.xml"), 0);
  EXPECT_EQ(o.result, 1);
  EXPECT_EQ(o.message, "");
  EXPECT_STREQ(o.options.subtitleUuid, kInteropId);
  EXPECT_EQ(o.options.subtitleSmpte, 0);
  EXPECT_EQ(o.options.subtitleHasFont, 1);
  EXPECT_STREQ(o.options.fontFile, "DejaVuSerif.ttf");
  // Its font stands beside it as "<font uuid>.ttf", where the track-file
  // writer finds it.
  o = Check(Reference("smpte/subs.xml"), 1);
  EXPECT_EQ(o.result, 1);
  EXPECT_EQ(o.message, "");
  EXPECT_STREQ(o.options.subtitleUuid, kSmpteId);
  EXPECT_EQ(o.options.subtitleSmpte, 1);
  EXPECT_EQ(o.options.subtitleHasFont, 1);
  EXPECT_STREQ(o.options.fontFile, kSmpteFont);

  TempDir dir;
  // The font named by its UUID alone; an Id without the prefix is whole.
  WriteText(dir / "reel.xml", Smpte(kSmpteId, std::string("urn:uuid:") + kSmpteFont));
  WriteText(dir / kSmpteFont, "font");
  o = Check(dir / "reel.xml", 1);
  EXPECT_EQ(o.result, 1);
  EXPECT_STREQ(o.options.subtitleUuid, kSmpteId);
  // Without LoadFont: no font; upper-case hexadecimal is a UUID text too.
  WriteText(dir / "nofont.xml", Interop("77777777-0000-4000-8000-0000000000BB", ""));
  o = Check(dir / "nofont.xml", 0);
  EXPECT_EQ(o.result, 1);
  EXPECT_EQ(o.options.subtitleHasFont, 0);
  // A font name of 63 characters is taken.
  const std::string longest(63, 'f');
  WriteText(dir / longest, "font");
  WriteText(dir / "long.xml", Interop(kInteropId, "<LoadFont URI=\"" + longest + "\"/>"));
  EXPECT_EQ(std::string(Check(dir / "long.xml", 0).options.fontFile), longest);
}

TEST(SubtitleCheck, RefusesAMissingFontAndForgetsTheDocument) {
  TempDir dir;
  WriteText(dir / "reel.xml", Smpte(std::string("urn:uuid:") + kSmpteId, std::string("urn:uuid:") + kSmpteFont));
  WriteText(dir / "dc.xml", Interop(kInteropId, "<LoadFont Id=\"f\" URI=\"font.ttf\"/>"));
  std::filesystem::create_directory(dir / "font.ttf");  // a folder of that name is no font
  WriteText(dir / "nouri.xml", Interop(kInteropId, "<LoadFont Id=\"f\"/>"));
  for (const auto& [name, packing] :
       std::vector<std::pair<std::string, A_u_long>>{{"reel.xml", 1}, {"dc.xml", 0}, {"nouri.xml", 0}}) {
    SCOPED_TRACE(name);
    const Outcome o = Check(dir / name, packing);
    EXPECT_EQ(o.result, 0);
    EXPECT_EQ(o.message, kNoFont);
    EXPECT_TRUE(o.Forgotten());
  }
}

TEST(SubtitleCheck, RefusesWhatIsNoSubtitleOfThePacking) {
  TempDir dir;
  WriteText(dir / "text.xml", "subtitles, but no XML");
  WriteText(dir / "empty.xml", "");
  WriteText(dir / "other.xml", "<?xml version=\"1.0\"?><CompositionPlaylist/>");
  const std::string declaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  WriteText(dir / "noid.xml", declaration + "<DCSubtitle><LoadFont URI=\"f.ttf\"/></DCSubtitle>");
  WriteText(dir / "noid-reel.xml", declaration + "<SubtitleReel><EditRate>24 1</EditRate></SubtitleReel>");
  struct Case {
    std::string path;
    A_u_long packing;
    std::string message;
    bool idEmptied;  // else nothing written
  };
  const std::vector<Case> cases = {
      {dir / "text.xml", 0, "Not a valid subtitlefile", false},
      {dir / "empty.xml", 1, "Not a valid subtitlefile", false},
      {Reference("smpte/subs.xml"), 0, "You are trying to load a SMPTE subtitle file in interOp packaging mode.", true},
      {dir / "other.xml", 0, "Unknown subtitle file.", true},
      // Refusals that leave the record as it was say why, too.
      {Reference("interop/subs_interop.xml"), 1,
       "You are trying to load an InterOp subtitle file in SMPTE packaging mode.", false},
      {dir / "other.xml", 1, "Unknown subtitle file.", false},
      {dir / "noid.xml", 0, "This subtitlefile has no SubtitleID: it cannot be packaged without its id.", false},
      {dir / "noid-reel.xml", 1, "This subtitlefile has no Id: it cannot be packaged without its id.", false},
      {dir / "missing.xml", 0, "", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path + " in packing " + std::to_string(c.packing));
    const Outcome o = Check(c.path, c.packing);
    EXPECT_EQ(o.result, 0);
    EXPECT_EQ(o.message, c.message);
    if (c.idEmptied) {
      EXPECT_STREQ(o.options.subtitleUuid, "");
    } else {
      EXPECT_TRUE(o.Untouched());
    }
  }
}

TEST(SubtitleCheck, RefusesFilesOfTenMegabytesOrMore) {
  TempDir dir;
  const std::string head = Interop(kInteropId, "");
  const auto document = [&](size_t size) { return head + "<!--" + std::string(size - head.size() - 7, 'x') + "-->"; };
  WriteText(dir / "big.xml", document(kSubtitleFileLimit - 1));
  EXPECT_EQ(Check(dir / "big.xml", 0).result, 1);
  WriteText(dir / "big.xml", document(kSubtitleFileLimit));
  const Outcome o = Check(dir / "big.xml", 0);
  EXPECT_EQ(o.result, 0);
  EXPECT_NE(o.message, "");
  EXPECT_TRUE(o.Untouched());
}

// The id becomes a folder and a file name in the package, the font name a
// file name in that folder: anything but a UUID text, or a name that is not
// a plain file name, is refused with a message.
TEST(SubtitleCheck, RefusesIdsAndFontNamesThatAreNoPlainNames) {
  TempDir dir;
  WriteText(dir / "f.ttf", "font");
  std::filesystem::create_directories(dir / "sub");
  WriteText(dir / "sub/f.ttf", "font");
  for (const std::string& id :
       std::vector<std::string>{"../../escape", "", "77777777-0000-4000-8000-0000000000bbx",
                                "77777777/0000-4000-8000-0000000000b", "7777777g-0000-4000-8000-0000000000bb"}) {
    SCOPED_TRACE(id);
    WriteText(dir / "dc.xml", Interop(id, "<LoadFont URI=\"f.ttf\"/>"));
    WriteText(dir / "reel.xml", Smpte("urn:uuid:" + id, "urn:uuid:f.ttf"));
    for (A_u_long packing : {0u, 1u}) {
      const Outcome o = Check(dir / (packing ? "reel.xml" : "dc.xml"), packing);
      EXPECT_EQ(o.result, 0);
      EXPECT_EQ(o.message, kIdNotUuid);
      EXPECT_TRUE(o.Untouched());
    }
  }
  for (const std::string& font :
       std::vector<std::string>{"../f.ttf", "sub/f.ttf", "sub\\f.ttf", "..", ".", "f..ttf", std::string(64, 'f')}) {
    SCOPED_TRACE(font);
    WriteText(dir / "dc.xml", Interop(kInteropId, "<LoadFont URI=\"" + font + "\"/>"));
    WriteText(dir / "reel.xml", Smpte(std::string("urn:uuid:") + kSmpteId, "urn:uuid:" + font));
    for (A_u_long packing : {0u, 1u}) {
      const Outcome o = Check(dir / (packing ? "reel.xml" : "dc.xml"), packing);
      EXPECT_EQ(o.result, 0);
      EXPECT_EQ(o.message, kFontNotPlain);
      EXPECT_TRUE(o.Forgotten());
    }
  }
}

// A SMPTE document is timed at its EditRate: one that is not the
// composition's would be shown at the wrong times.
TEST(SubtitleCheck, RefusesSmpteDocumentsAtAnotherEditRate) {
  TempDir dir;
  const auto reel = [&](const std::string& rate) {
    std::string text = Smpte(std::string("urn:uuid:") + kSmpteId, "");
    text.replace(text.find("24 1"), 4, rate);
    WriteText(dir / "reel.xml", text);
    return dir / "reel.xml";
  };
  Outcome o = Check(reel("24 1"), 1);
  EXPECT_EQ(o.result, 1);
  o = Check(reel("48 2"), 1);  // the same rate
  EXPECT_EQ(o.result, 1);
  o = Check(reel("25 1"), 1);
  EXPECT_EQ(o.result, 0);
  EXPECT_EQ(o.message, "The subtitle file's EditRate is 25 1, but the composition's is 24 1 (24 fps).");
  EXPECT_TRUE(o.Untouched());
  for (const char* bad : {"24", "24 0", "twenty-four 1", "24 1 1"}) {
    SCOPED_TRACE(bad);
    o = Check(reel(bad), 1);
    EXPECT_EQ(o.result, 0);
    EXPECT_EQ(o.message, "The subtitle file has no valid EditRate.");
  }
}

// Image subtitles name PNG files beside the document, which travel with it
// into the package: each must be there and be a plain file name.
TEST(SubtitleCheck, InteropImagesMustStandBesideTheDocument) {
  TempDir dir;
  const auto dc = [&](const std::string& image) {
    WriteText(dir / "dc.xml", Interop(kInteropId, "<Font><Subtitle SpotNumber=\"1\"><Image HAlign=\"center\">" + image +
                                                      "</Image></Subtitle></Font>"));
    return dir / "dc.xml";
  };
  WriteText(dir / "sub1.png", "png");
  Outcome o = Check(dc("sub1.png"), 0);
  EXPECT_EQ(o.result, 1);
  EXPECT_EQ(o.message, "");
  o = Check(dc("sub2.png"), 0);
  EXPECT_EQ(o.result, 0);
  EXPECT_EQ(o.message, "No image file found next to this subtitlefile: sub2.png");
  EXPECT_TRUE(o.Forgotten());
  // Names that would reach out of the subtitle folder, or over the document's
  // own copy in it.
  std::filesystem::create_directories(dir / "sub");
  WriteText(dir / "sub/sub1.png", "png");
  WriteText(dir / (std::string(kInteropId) + ".xml"), "copy");
  for (const std::string& name : {std::string("../sub1.png"), std::string("sub/sub1.png"), std::string(" sub1.png"),
                                  std::string("sub1"), std::string(kInteropId) + ".xml"}) {
    SCOPED_TRACE(name);
    o = Check(dc(name), 0);
    EXPECT_EQ(o.result, 0);
    EXPECT_EQ(o.message, "The images of this subtitlefile must be PNG files with plain names (sub1.png).");
    EXPECT_TRUE(o.Forgotten());
  }
}

// Documents not in UTF-8, or Interop ones whose font or images the asset map
// cannot name as "<id>/<name>", are refused saying why; a path of 100
// characters, or a SMPTE font (never in the asset map), is taken.
TEST(SubtitleCheck, RefusesDocumentsThePackageCannotCarryAsTheyAre) {
  const auto utf16 = [](std::string text, bool bigEndian) {
    std::string wide;
    for (const char c : text.replace(30, 5, "UTF-16")) wide += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
    return wide;
  };
  const std::string interop = ReadText(Reference("interop/subs_interop.xml")),
                    smpte = ReadText(Reference("smpte/subs.xml"));
  const auto image = [](const std::string& name) { return Interop(kInteropId, "<Image>" + name + "</Image>"); };
  const std::string longest = std::string(59, 'i') + ".png", rule = "at most 63 characters): ";  // "<id>/": 37
  const struct {
    A_u_long packing;
    std::string document, refusal;  // none: taken
  } cases[] = {
      {0, "\xFF\xFE" + utf16(interop, false), "and this one is in UTF-16"},
      {1, utf16(smpte, true), "and this one is in UTF-16"},
      {0, std::string(interop).replace(30, 5, "ISO-8859-1"), "declares another encoding: ISO-8859-1"},
      {1, std::string(smpte).replace(30, 5, "US-ASCII"), "declares another encoding: US-ASCII"},
      {0, std::string(interop).replace(0, 38, "<?xml version=\"1.0\"?>"), "begins with the XML declaration"},
      {1, std::string(smpte).replace(30, 5, "utf-8"), "begins with the XML declaration"},
      {1, "<?xml version='1.0' encoding='UTF-8' standalone='no' ?>\r\n" + smpte.substr(39), "all in CR LF"},
      {0, image("my sub 1.png"), "(only a-z A-Z 0-9 . _ - and " + rule + "my sub 1.png"},
      {0, image("\u00fc\u5b57\u5e55.png"), rule + "\u00fc\u5b57\u5e55.png"},
      {0, Interop(kInteropId, "<LoadFont URI=\"my font.ttf\"/>"), rule + "my font.ttf"},
      {0, image("i" + longest), rule + "i" + longest},
      {0, image(longest), ""},
      {1, Smpte(kSmpteId, "urn:uuid:my font"), ""},
  };
  TempDir dir;
  for (const std::string& file :
       std::vector<std::string>{"my sub 1.png", "\u00fc\u5b57\u5e55.png", "my font.ttf", "my font", "DejaVuSerif.ttf",
                                std::string(kSmpteFont) + ".ttf", longest, "i" + longest}) {
    WriteText(dir / file, "beside");
  }
  for (const auto& c : cases) {
    SCOPED_TRACE(c.refusal + " in packing " + std::to_string(c.packing));
    WriteText(dir / "subs.xml", c.document);
    const Outcome o = Check(dir / "subs.xml", c.packing, InspectSubtitleFile);
    EXPECT_EQ(o.result, c.refusal.empty() ? 1 : 0);
    EXPECT_NE(o.message.find(c.refusal), std::string::npos) << o.message;
  }
}
