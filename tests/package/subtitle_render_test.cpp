// The subtitles of a render start through the render host: a document of
// the other kind than the packing, and the refusals on the way.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/package/subtitle_render_support.h"
#include "tests/support/test_support.h"

using namespace lumavox_host;
using namespace lumavox_test;
using namespace subtitle_test;

namespace {

constexpr A_Err kStartCheck = 9993;

void Finish(RenderHost& host) {
  host.SetQueueState(AEGP_RenderQueueState_STOPPED);
  EXPECT_EQ(host.EndAdding(), 0);
}

}  // namespace

TEST(SubtitleRenderStart, SmptePackingCopiesAnInteropDocumentAndWritesNoTrackFile) {
  TempDir dir;
  auto host = SetUpHost(dir / "Film.DCP");
  OutputOptions& options = LiveOptions(*host);
  options.packing = 1;
  ChooseSubtitle(options, Reference("interop/subs_interop.xml"), 0);
  ASSERT_EQ(host->StartAdding(), 0) << Messages(*host);
  EXPECT_EQ(Entries(dir / "Film/" + kInteropId),
            (std::vector<std::string>{std::string(kInteropId) + ".xml", "DejaVuSerif.ttf"}));
  for (const std::string& name : Entries(dir / "Film")) EXPECT_NE(name.rfind("sub_", 0), 0u) << name;
  Finish(*host);
}

TEST(SubtitleRenderStart, InteropRenderOfASmpteDocumentIsAGeneralError) {
  TempDir dir;
  auto host = SetUpHost(dir / "Film.DCP");
  OutputOptions& options = LiveOptions(*host);
  ChooseSubtitle(options, Reference("smpte/subs.xml"), 1);  // chosen in SMPTE packing
  options.packing = 0;                                      // then switched to Interop
  EXPECT_EQ(host->StartAdding(), -1);
  EXPECT_NE(Messages(*host).find("General error: 1:100"), std::string::npos) << Messages(*host);
  EXPECT_FALSE(std::filesystem::exists(dir / "Film/" + kSmpteId));
  EXPECT_EQ(host->LiveHandles().size(), 1u);  // no encoder was set up
}

TEST(SubtitleRenderStart, AMissingFontFailsTheTrackFileWithItsMessage) {
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
  EXPECT_NE(Messages(*host).find("Could not create subtitle file, please check if font file is missing!"),
            std::string::npos)
      << Messages(*host);
}

// A stored record is not inspected again: ids and font names that would
// name files outside the subtitle folder are refused at the render start.
TEST(SubtitleRenderStart, RefusesStoredIdsAndFontNamesThatAreNoPlainNames) {
  TempDir dir;
  struct Case {
    const char* id;
    const char* font;
  };
  for (const Case c : {Case{"../../Escaped", ""}, Case{kInteropId, "../../escaped.ttf"},
                       Case{kInteropId, "/tmp/escaped.ttf"}}) {
    SCOPED_TRACE(std::string(c.id) + " " + c.font);
    auto host = SetUpHost(dir / "pkg/Film.DCP");
    std::filesystem::create_directories(dir / "pkg");
    OutputOptions& options = LiveOptions(*host);
    options.packing = 0;
    ChooseSubtitle(options, Reference("interop/subs_interop.xml"), 0);
    std::snprintf(options.subtitleUuid, sizeof options.subtitleUuid, "%s", c.id);
    if (c.font[0] != '\0') std::snprintf(options.fontFile, sizeof options.fontFile, "%s", c.font);
    EXPECT_EQ(host->StartAdding(), -1);
    EXPECT_NE(Messages(*host).find("General error: 1:100"), std::string::npos) << Messages(*host);
  }
  EXPECT_EQ(Entries(dir.path()), std::vector<std::string>{"pkg"});
  EXPECT_EQ(Entries(dir / "pkg"), std::vector<std::string>{"Film"});
}

// A subtitle path without a folder part gives no folder to find the font in.
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
  EXPECT_NE(Messages(*host).find("Last path element could not be removed: subs.xml."), std::string::npos)
      << Messages(*host);
}
