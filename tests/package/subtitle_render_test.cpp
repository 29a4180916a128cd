// The subtitles of a render start through the render host: the SMPTE
// subtitle track file against the reference, the Interop subtitle folder,
// and the refusals on the way.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/asdcp/KM_uuid.h"
#include "tests/package/subtitle_render_support.h"
#include "tests/support/mxf_dump.h"
#include "tests/support/test_support.h"

using namespace lumavox_host;
using namespace lumavox_test;
using namespace subtitle_test;

namespace {

constexpr A_Err kStartCheck = 9993;
constexpr char kDocumentKey[] = "060e2b34.01020101.0d010301.17010b01";
constexpr char kResourceKey[] = "060e2b34.0101010c.0d010509.01000000";

void Finish(RenderHost& host) {
  host.SetQueueState(AEGP_RenderQueueState_STOPPED);
  EXPECT_EQ(host.EndAdding(), 0);
}

}  // namespace

TEST(SubtitleRenderStart, SmpteTrackFileMatchesTheReferenceAndGivesDocumentAndFontBack) {
  TempDir dir;
  auto host = SetUpHost(dir / "Film.DCP");
  OutputOptions& options = LiveOptions(*host);
  options.packing = 1;
  ChooseSubtitle(options, Reference("smpte/subs.xml"), 1);
  ASSERT_EQ(host->StartAdding(), 0) << Messages(*host);

  // The record now names the track file by its own fresh UUID.
  const std::string uuid = options.subtitleUuid;
  EXPECT_EQ(uuid.size(), 36u);
  EXPECT_NE(uuid, kSmpteId);
  EXPECT_EQ(std::string(options.subtitleFileName), "sub_" + uuid + ".mxf");
  const std::string path = dir / "Film/" + options.subtitleFileName;
  ASSERT_TRUE(FileExists(path));
  Finish(*host);

  const MxfFile ours = ReadMxf(path);
  ASSERT_TRUE(ours.ok) << ours.error;
  const MxfFile reference = ReadMxf(SharedDir() + "/reference/mxf/tt_smpte.mxf");
  for (const std::string& d :
       CompareListings(KlvListing(ours), ReferenceKlvListing(SharedDir() + "/reference/dumps/tt_smpte.klv.txt"))) {
    ADD_FAILURE() << d;
  }
  for (const std::string& d : CompareStructure(ours, reference)) ADD_FAILURE() << d;
  EXPECT_EQ(EssencePayloads(ours, kDocumentKey), std::vector<std::vector<uint8_t>>{ReadBytes(Reference("smpte/subs.xml"))});
  EXPECT_EQ(EssencePayloads(ours, kResourceKey),
            std::vector<std::vector<uint8_t>>{
                ReadBytes(Reference("smpte/77777777-0000-4000-8000-0000000000f0.ttf"))});

  // The file package carries the record's UUID: the asset's id in the documents.
  Kumu::UUID id;
  ASSERT_TRUE(id.DecodeHex(uuid.c_str()));
  const std::vector<uint8_t> bytes = ReadBytes(path);
  const std::string file(bytes.begin(), bytes.end());
  EXPECT_NE(file.find(std::string(reinterpret_cast<const char*>(id.Value()), 16)), std::string::npos);
}

TEST(SubtitleRenderStart, InteropFolderHoldsTheDocumentAndItsFont) {
  TempDir dir;
  auto host = SetUpHost(dir / "Film.DCP");
  OutputOptions& options = LiveOptions(*host);
  options.packing = 0;
  ChooseSubtitle(options, Reference("interop/subs_interop.xml"), 0);
  ASSERT_EQ(host->StartAdding(), 0) << Messages(*host);
  EXPECT_STREQ(options.subtitleUuid, kInteropId);
  const std::string folder = dir / "Film/" + kInteropId;
  EXPECT_EQ(Entries(folder), (std::vector<std::string>{std::string(kInteropId) + ".xml", "DejaVuSerif.ttf"}));
  EXPECT_EQ(ReadBytes(folder + "/" + kInteropId + ".xml"), ReadBytes(Reference("interop/subs_interop.xml")));
  EXPECT_EQ(ReadBytes(folder + "/DejaVuSerif.ttf"), ReadBytes(Reference("interop/DejaVuSerif.ttf")));
  Finish(*host);
}

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
