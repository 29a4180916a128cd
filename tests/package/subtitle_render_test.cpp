// The subtitles of a render start through the render host: documents that
// do not suit the packing or the frame rate, track files that fail, and the
// refusals on the way.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "tests/package/subtitle_render_support.h"
#include "tests/support/test_support.h"

using namespace lumavox_host;
using namespace lumavox_test;
using namespace subtitle_test;

namespace {

constexpr A_Err kStartCheck = 9993;

}  // namespace

// A subtitle file chosen under one packing, rendered under the other: refused
// with its reason before the package folder is made.
TEST(SubtitleRenderStart, ADocumentOfTheOtherPackingIsRefusedBeforeTheFolderIsMade) {
  struct Case {
    const char* document;
    uint32_t chosenIn, renderedIn;
    const char* message;
  };
  for (const Case c :
       {Case{"interop/subs_interop.xml", 0, 1,
             "You are trying to load an InterOp subtitle file in SMPTE packaging mode."},
        Case{"smpte/subs.xml", 1, 0, "You are trying to load a SMPTE subtitle file in interOp packaging mode."}}) {
    SCOPED_TRACE(c.document);
    TempDir dir;
    auto host = SetUpHost(dir / "Film.DCP");
    OutputOptions& options = LiveOptions(*host);
    ChooseSubtitle(options, Reference(c.document), c.chosenIn);
    options.packing = c.renderedIn;
    EXPECT_EQ(host->StartAdding(), kStartCheck);
    EXPECT_NE(Messages(*host).find(c.message), std::string::npos) << Messages(*host);
    EXPECT_FALSE(std::filesystem::exists(dir / "Film"));
    EXPECT_EQ(host->LiveHandles().size(), 1u);  // no encoder was set up
  }
}

// The record says SMPTE, but the file was replaced by an Interop document
// since it was chosen: the file itself is checked too.
TEST(SubtitleRenderStart, AFileReplacedByTheOtherKindIsRefused) {
  TempDir dir;
  std::filesystem::copy_file(Reference("smpte/subs.xml"), dir / "subs.xml");
  const std::string font = std::string(kSmpteFont) + ".ttf";
  std::filesystem::copy_file(Reference("smpte/" + font), dir / font);
  auto host = SetUpHost(dir / "Film.DCP");
  OutputOptions& options = LiveOptions(*host);
  options.packing = 1;
  ChooseSubtitle(options, dir / "subs.xml", 1);
  std::filesystem::copy_file(Reference("interop/subs_interop.xml"), dir / "subs.xml",
                             std::filesystem::copy_options::overwrite_existing);
  EXPECT_EQ(host->StartAdding(), kStartCheck);
  EXPECT_NE(Messages(*host).find("InterOp subtitle file in SMPTE packaging mode"), std::string::npos)
      << Messages(*host);
}

// A SMPTE document timed at 24 frames a second in a 25 fps render: refused,
// naming both rates.
TEST(SubtitleRenderStart, ASmpteDocumentAtAnotherEditRateIsRefused) {
  TempDir dir;
  auto host = SetUpHost(dir / "Film.DCP", 25, 1, 25);
  OutputOptions& options = LiveOptions(*host);
  ASSERT_EQ(options.frameRate, 25u);
  options.frameRate = 24;  // chosen while the composition ran at 24 fps
  ChooseSubtitle(options, Reference("smpte/subs.xml"), 1);
  options.frameRate = 25;
  options.packing = 1;
  EXPECT_EQ(host->StartAdding(), kStartCheck);
  EXPECT_NE(Messages(*host).find("EditRate is 24 1, but the composition's is 25 1"), std::string::npos)
      << Messages(*host);
  EXPECT_FALSE(std::filesystem::exists(dir / "Film"));
}

// Subtitles that end after the composition would lie outside the reel:
// refused, naming the TimeOut, one frame short of the two seconds that the
// reference documents last (Interop in ticks and in decimal seconds, SMPTE in
// frames).
TEST(SubtitleRenderStart, SubtitlesEndingAfterTheCompositionAreRefused) {
  TempDir dir;
  std::string decimal = ReadText(Reference("interop/subs_interop.xml"));
  decimal.replace(decimal.find("TimeOut=\"00:00:02:000\""), 22, "TimeOut=\"00:00:01.96\"");
  WriteText(dir / "decimal.xml", decimal);
  std::filesystem::copy_file(Reference("interop/DejaVuSerif.ttf"), dir / "DejaVuSerif.ttf");
  struct Case {
    std::string document;
    uint32_t packing;
    const char* timeOut;
  };
  for (const Case& c :
       {Case{Reference("interop/subs_interop.xml"), 0, "00:00:02:000"}, Case{dir / "decimal.xml", 0, "00:00:01.96"},
        Case{Reference("smpte/subs.xml"), 1, "00:00:02:00"}}) {
    SCOPED_TRACE(c.document);
    TempDir out;
    auto host = SetUpHost(out / "Film.DCP", 47, 1, 24);
    OutputOptions& options = LiveOptions(*host);
    ChooseSubtitle(options, c.document, c.packing);
    options.packing = c.packing;
    EXPECT_EQ(host->StartAdding(), kStartCheck);
    EXPECT_NE(Messages(*host).find(std::string("A subtitle of the subtitle file ends at ") + c.timeOut +
                                   ", after the end of the composition (47 frames at 24 fps)."),
              std::string::npos)
        << Messages(*host);
    EXPECT_FALSE(std::filesystem::exists(out / "Film"));
  }
}

// Subtitle editors give a document a new id when they export it again: a
// document whose id is not the one kept at the choice is refused, naming both
// ids, before the earlier package goes. A record whose SMPTE render put its
// track file's id in place of the document's cannot tell: it renders.
TEST(SubtitleRenderStart, ADocumentWithANewIdIsRefused) {
  TempDir dir;
  std::filesystem::create_directory(dir / "Film");
  WriteText(dir / "Film/ASSETMAP.xml", "an earlier package's");
  const std::string newId = "12345678-0000-4000-8000-0000000000cc";
  const std::string smpteFont = std::string(kSmpteFont) + ".ttf";
  for (const auto& [packing, document, font, kept, idName, rendered] :
       {std::tuple{0u, "interop/subs_interop.xml", std::string("DejaVuSerif.ttf"), kInteropId, "SubtitleID", false},
        std::tuple{1u, "smpte/subs.xml", smpteFont, kSmpteId, "Id", false},
        std::tuple{1u, "smpte/subs.xml", smpteFont, kSmpteId, "Id", true}}) {
    SCOPED_TRACE(std::string(document) + (rendered ? " after a render" : ""));
    TempDir user;
    std::filesystem::copy_file(Reference(packing == 0 ? "interop/" + font : "smpte/" + font), user / font);
    std::filesystem::copy_file(Reference(document), user / "subs.xml");
    auto host = SetUpHost(dir / "Film.DCP");
    OutputOptions& options = LiveOptions(*host);
    options.packing = packing;
    ChooseSubtitle(options, user / "subs.xml", packing);
    std::string text = ReadText(user / "subs.xml");
    WriteText(user / "subs.xml", text.replace(text.find(kept), newId.size(), newId));
    if (rendered) {
      const std::string track = "0badc0de-0000-4000-8000-000000000001";
      std::snprintf(options.subtitleUuid, sizeof options.subtitleUuid, "%s", track.c_str());
      std::snprintf(options.subtitleFileName, sizeof options.subtitleFileName, "sub_%s.mxf", track.c_str());
      EXPECT_EQ(host->StartAdding(), 0) << Messages(*host);
      host->SetQueueState(AEGP_RenderQueueState_STOPPED);
      EXPECT_EQ(host->EndAdding(), 0);
      continue;
    }
    EXPECT_EQ(host->StartAdding(), kStartCheck);
    EXPECT_NE(Messages(*host).find("The subtitle file " + user / "subs.xml" + " has the " + idName + " " + newId +
                                   ", but it had " + kept +
                                   " when it was chosen: it was exported again since. Choose it again on the "
                                   "Subtitle page."),
              std::string::npos)
        << Messages(*host);
    EXPECT_EQ(Entries(dir / "Film"), std::vector<std::string>{"ASSETMAP.xml"});
  }
}

// A path typed on the Subtitle page leaves the record's id, kind and font
// as they were, and a document changed since its choice may be one the page
// would refuse: the render start inspects the file again. A right one is
// rendered as if browsed; a wrong one is refused with the inspection's
// message naming the file, and the earlier package is left as it was.
TEST(SubtitleRenderStart, EveryDocumentIsInspectedAgainBeforeTheFolderIsTouched) {
  const std::string outside = "<Image HAlign=\"center\">../outside.png</Image>";
  const struct {
    const char* name;
    uint32_t packing;
    std::string document, font;
    uint8_t staleKind;    // the kind the record holds for a typed path
    std::string image;    // put into the document after its choice
    std::string refusal;  // empty: rendered
  } cases[] = {
      {"Interop typed", 0, "interop/subs_interop.xml", "DejaVuSerif.ttf", 1, "", ""},
      {"SMPTE typed", 1, "smpte/subs.xml", std::string(kSmpteFont) + ".ttf", 0, "", ""},
      {"SMPTE typed in Interop", 0, "smpte/subs.xml", std::string(kSmpteFont) + ".ttf", 0, "",
       "You are trying to load a SMPTE subtitle file in interOp packaging mode."},
      {"an image outside its folder since the choice", 0, "interop/subs_interop.xml", "DejaVuSerif.ttf", 0, outside,
       "The images of this subtitlefile must be PNG files with plain names (sub1.png)."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir user, out;
    const std::string kind = c.document.substr(0, c.document.find('/') + 1);
    std::filesystem::copy_file(Reference(c.document), user / "subs.xml");
    std::filesystem::copy_file(Reference(kind + c.font), user / c.font);
    std::filesystem::create_directory(out / "Film");
    WriteText(out / "Film/ASSETMAP.xml", "an earlier package's");
    auto host = SetUpHost(out / "Film.DCP");
    OutputOptions& options = LiveOptions(*host);
    options.packing = c.packing;
    options.subtitleOn = 1;
    if (c.image.empty()) {
      std::snprintf(options.subtitlePath, sizeof options.subtitlePath, "%s", (user / "subs.xml").c_str());
      options.subtitleSmpte = c.staleKind;
    } else {
      ChooseSubtitle(options, user / "subs.xml", c.packing);
      std::string text = ReadText(user / "subs.xml");
      const size_t first = text.find("<Text");
      WriteText(user / "subs.xml", text.replace(first, text.find("</Text>") + 7 - first, c.image));
    }
    if (!c.refusal.empty()) {
      EXPECT_EQ(host->StartAdding(), kStartCheck);
      EXPECT_NE(Messages(*host).find("The subtitle file " + user / "subs.xml" + " cannot be used: " + c.refusal),
                std::string::npos)
          << Messages(*host);
      EXPECT_EQ(Entries(out / "Film"), std::vector<std::string>{"ASSETMAP.xml"});
      continue;
    }
    ASSERT_EQ(host->StartAdding(), 0) << Messages(*host);
    EXPECT_EQ(options.subtitleSmpte, c.packing);
    host->SetQueueState(AEGP_RenderQueueState_STOPPED);
    EXPECT_EQ(host->EndAdding(), 0);
    if (c.packing == 0) {
      EXPECT_EQ(Entries(out / "Film/" + kInteropId),
                (std::vector<std::string>{std::string(kInteropId) + ".xml", c.font}));
    } else {
      EXPECT_EQ(std::string(options.subtitleFileName).rfind("sub_", 0), 0u);
      EXPECT_TRUE(std::filesystem::exists(out / "Film/" + options.subtitleFileName));
    }
  }
}

// A font gone since the choice: the render start's inspection refuses the
// document, as the Subtitle page would, before any track file is begun.
TEST(SubtitleRenderStart, AMissingFontIsRefusedByTheInspection) {
  TempDir dir;
  std::filesystem::copy_file(Reference("smpte/subs.xml"), dir / "subs.xml");
  const std::string font = dir / "77777777-0000-4000-8000-0000000000f0";
  std::filesystem::copy_file(Reference("smpte/77777777-0000-4000-8000-0000000000f0.ttf"), font);
  auto host = SetUpHost(dir / "Film.DCP");
  OutputOptions& options = LiveOptions(*host);
  options.packing = 1;
  ChooseSubtitle(options, dir / "subs.xml", 1);
  std::filesystem::remove(font);  // gone between the choice and the render
  EXPECT_EQ(host->StartAdding(), kStartCheck);
  EXPECT_NE(Messages(*host).find("The subtitle file " + dir / "subs.xml" +
                                 " cannot be used: No font file found next to this subtitlefile"),
            std::string::npos)
      << Messages(*host);
  EXPECT_FALSE(std::filesystem::exists(dir / "Film"));
}

// A document the inspection takes but the track-file library's parser does
// not: the message gives that cause, not a missing font.
TEST(SubtitleRenderStart, ATrackFileFailureNamesItsOwnCause) {
  TempDir dir;
  std::string text = ReadText(Reference("smpte/subs.xml"));
  const std::string timeOut = "TimeOut=\"00:00:02:00\"";
  ASSERT_NE(text.find(timeOut), std::string::npos);
  text.replace(text.find(timeOut), timeOut.size(), "TimeOut=\"two seconds\"");
  WriteText(dir / "subs.xml", text);
  const std::string font = std::string(kSmpteFont) + ".ttf";
  std::filesystem::copy_file(Reference("smpte/" + font), dir / font);
  auto host = SetUpHost(dir / "Film.DCP");
  OutputOptions& options = LiveOptions(*host);
  options.packing = 1;
  ChooseSubtitle(options, dir / "subs.xml", 1);
  EXPECT_EQ(host->StartAdding(), kStartCheck);
  const std::string messages = Messages(*host);
  EXPECT_NE(messages.find("Could not create subtitle file: the subtitle document " + (dir / "subs.xml") +
                          " cannot be read as SMPTE timed text"),
            std::string::npos)
      << messages;
  EXPECT_EQ(messages.find("font"), std::string::npos) << messages;
}

// A stored record's id and font name are not taken as they stand: the
// document is inspected again, and ids and font names that would name files
// outside the subtitle folder give way to the document's own.
TEST(SubtitleRenderStart, StoredIdsAndFontNamesGiveWayToTheDocumentsOwn) {
  TempDir dir;
  struct Case {
    const char* id;
    const char* font;
  };
  for (const Case c :
       {Case{"../../Escaped", ""}, Case{kInteropId, "../../escaped.ttf"}, Case{kInteropId, "/tmp/escaped.ttf"}}) {
    SCOPED_TRACE(std::string(c.id) + " " + c.font);
    auto host = SetUpHost(dir / "pkg/Film.DCP");
    std::filesystem::create_directories(dir / "pkg");
    OutputOptions& options = LiveOptions(*host);
    options.packing = 0;
    ChooseSubtitle(options, Reference("interop/subs_interop.xml"), 0);
    std::snprintf(options.subtitleUuid, sizeof options.subtitleUuid, "%s", c.id);
    if (c.font[0] != '\0') std::snprintf(options.fontFile, sizeof options.fontFile, "%s", c.font);
    EXPECT_EQ(host->StartAdding(), 0) << Messages(*host);
    EXPECT_STREQ(options.subtitleUuid, kInteropId);
    EXPECT_STREQ(options.fontFile, "DejaVuSerif.ttf");
    host->SetQueueState(AEGP_RenderQueueState_STOPPED);
    EXPECT_EQ(host->EndAdding(), 0);
    EXPECT_EQ(Entries(dir / "pkg/Film/" + kInteropId),
              (std::vector<std::string>{"77777777-0000-4000-8000-0000000000bb.xml", "DejaVuSerif.ttf"}));
  }
  EXPECT_EQ(Entries(dir.path()), std::vector<std::string>{"pkg"});
  EXPECT_EQ(Entries(dir / "pkg"), std::vector<std::string>{"Film"});
}

// A subtitle path without a folder part gives no folder to find the font
// in: the inspection says so.
TEST(SubtitleRenderStart, ASubtitlePathWithoutAFolderCannotLocateItsFont) {
  TempDir dir;
  std::filesystem::copy_file(Reference("interop/subs_interop.xml"), dir / "subs.xml");
  std::filesystem::copy_file(Reference("interop/DejaVuSerif.ttf"), dir / "DejaVuSerif.ttf");
  auto host = SetUpHost(dir / "Film.DCP");
  OutputOptions& options = LiveOptions(*host);
  options.packing = 0;
  ChooseSubtitle(options, dir / "subs.xml", 0);
  std::strcpy(options.subtitlePath, "subs.xml");
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  const A_Err err = host->StartAdding();
  std::filesystem::current_path(previous);
  EXPECT_EQ(err, kStartCheck);
  EXPECT_NE(Messages(*host).find("The subtitle file subs.xml cannot be used: The folder of this subtitlefile is not "
                                 "known: give its full path."),
            std::string::npos)
      << Messages(*host);
}

// Files chosen from inside an earlier package of the same output (its
// Interop subtitle folder): the render would delete them with the folder.
// Refused by name before anything is removed.
TEST(SubtitleRenderStart, FilesChosenInsideThePackageFolderAreRefusedBeforeItIsReplaced) {
  TempDir dir;
  {
    // An earlier render's package folder with its subtitle folder, which the
    // render start makes; that render was stopped.
    auto earlier = SetUpHost(dir / "Film.DCP");
    ChooseSubtitle(LiveOptions(*earlier), Reference("interop/subs_interop.xml"), 0);
    ASSERT_EQ(earlier->StartAdding(), 0) << Messages(*earlier);
    earlier->SetQueueState(AEGP_RenderQueueState_STOPPED);
    ASSERT_EQ(earlier->EndAdding(), 0);
  }
  const std::string inside = dir / "Film/" + kInteropId;
  // A subtitle file of the user's whose font is a link into the package.
  std::filesystem::create_directory(dir / "user");
  std::filesystem::copy_file(Reference("interop/subs_interop.xml"), dir / "user/subs.xml");
  std::filesystem::create_symlink(inside + "/DejaVuSerif.ttf", dir / "user/DejaVuSerif.ttf");
  const struct {
    std::string subtitle, wav, named;
  } cases[] = {
      {inside + "/" + kInteropId + ".xml", "", "The subtitle file " + inside + "/" + kInteropId + ".xml"},
      {dir / "user/subs.xml", "", "The subtitle font " + dir / "user/DejaVuSerif.ttf"},
      {"", inside + "/L.wav", "The external audio file " + inside + "/L.wav"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.named);
    auto host = SetUpHost(dir / "Film.DCP");
    OutputOptions& options = LiveOptions(*host);
    if (!c.subtitle.empty()) ChooseSubtitle(options, c.subtitle, 0);
    if (!c.wav.empty()) {
      std::filesystem::copy_file(SharedDir() + "/reference/wav/ch1_L.wav", c.wav);
      options.audioSource = 0;
      std::snprintf(options.channelFiles[0], sizeof options.channelFiles[0], "%s", c.wav.c_str());
      std::snprintf(options.channelFiles[1], sizeof options.channelFiles[1], "%s",
                    (SharedDir() + "/reference/wav/ch2_R.wav").c_str());
    }
    const std::vector<std::string> before = Entries(inside);
    EXPECT_EQ(host->StartAdding(), kStartCheck);
    EXPECT_NE(Messages(*host).find(c.named + " lies in the package folder " + dir / "Film"), std::string::npos)
        << Messages(*host);
    EXPECT_EQ(Entries(inside), before);
  }
}

// A subtitle file whose copy into the package fails (here its font, past a
// file-size limit) is named with the system's reason after the general error.
TEST(SubtitleRenderStart, ACopyThatFailsSaysWhichFileAndWhy) {
  TempDir dir;
  auto host = SetUpHost(dir / "Film.DCP");
  OutputOptions& options = LiveOptions(*host);
  options.packing = 0;
  ChooseSubtitle(options, Reference("interop/subs_interop.xml"), 0);
  A_Err err = A_Err_NONE;
  WithFileSizeLimit(65536, [&] { err = host->StartAdding(); });
  EXPECT_EQ(err, -1);
  EXPECT_NE(Messages(*host).find("General error: 1:100\n The subtitle file "), std::string::npos) << Messages(*host);
  EXPECT_NE(Messages(*host).find("DejaVuSerif.ttf: File too large"), std::string::npos) << Messages(*host);
  EXPECT_EQ(host->LiveHandles().size(), 1u);
}
