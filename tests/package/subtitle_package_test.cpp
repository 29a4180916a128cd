// Whole renders with the reference subtitles: a SMPTE package with its
// subtitle track file and an Interop package with its subtitle folder, every
// document valid against its schema and naming the delivered files with
// their digests (by openssl) and sizes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "host/frame_source.h"
#include "platform/asdcp/KM_uuid.h"
#include "tests/package/stand_in_package.h"
#include "tests/package/subtitle_render_support.h"
#include "tests/support/mxf_dump.h"
#include "tests/support/retimed_subtitles.h"
#include "tests/support/test_support.h"

using namespace lumavox_host;
using namespace lumavox_test;
using namespace subtitle_test;
using package_test::Name;
using package_test::OpensslDigest;
using package_test::ValidateWithSchema;
using package_test::XPath;

namespace {

constexpr char kDocumentKey[] = "060e2b34.01020101.0d010301.17010b01";
constexpr char kResourceKey[] = "060e2b34.0101010c.0d010509.01000000";

std::vector<std::string> One(const std::string& text) { return {text}; }

std::string FileSize(const std::string& path) { return std::to_string(std::filesystem::file_size(path)); }

// Frames of a render as long as the subtitles: the reference subtitles' two
// seconds, or under a sanitizer the subtitles retimed into four frames.
constexpr int kFrames = kSanitized ? 4 : 48;

std::string ChosenSubtitles(const TempDir& dir, bool smpte) {
  if (kSanitized) return SubtitlesEndingAt(dir / "subtitles", smpte, kFrames);
  return Reference(smpte ? "smpte/subs.xml" : "interop/subs_interop.xml");
}

// A render as long as the subtitles, with timeline sound; the package folder.
std::string RenderPackage(const TempDir& dir, uint32_t packing, const std::string& subtitle, OutputOptions* after) {
  auto host = SetUpHost(dir / "Film.DCP", kFrames, 2);
  OutputOptions& options = LiveOptions(*host);
  options.packing = packing;
  ChooseSubtitle(options, subtitle, packing);
  auto source = MakePatternSource();
  EXPECT_EQ(host->Render(*source), 0) << Messages(*host);
  *after = options;
  return dir / "Film";
}

struct Documents {
  std::string cpl, pkl, assetMap, volIndex;
};

Documents Find(const std::string& folder, const OutputOptions& options, bool smpte) {
  return {folder + "/cpl_" + options.cplUuid + ".xml", folder + "/pkl_" + options.pklUuid + ".xml",
          folder + (smpte ? "/ASSETMAP.xml" : "/ASSETMAP"), folder + (smpte ? "/VOLINDEX.xml" : "/VOLINDEX")};
}

// The packing-list Asset and the asset-map entry of `id` name `path` (in the
// package folder) with its digest, size and type.
void ExpectAsset(const Documents& d, const std::string& folder, const std::string& id, const std::string& path,
                 const std::string& type) {
  SCOPED_TRACE(path);
  const std::string file = folder + "/" + path;
  ASSERT_TRUE(std::filesystem::is_regular_file(file));
  const std::string asset = "//" + Name("Asset") + "[" + Name("Id") + "='urn:uuid:" + id + "']/";
  EXPECT_EQ(XPath(d.pkl, asset + Name("Hash") + "/text()"), One(OpensslDigest(file)));
  EXPECT_EQ(XPath(d.pkl, asset + Name("Size") + "/text()"), One(FileSize(file)));
  EXPECT_EQ(XPath(d.pkl, asset + Name("Type") + "/text()"), One(type));
  EXPECT_EQ(XPath(d.pkl, asset + Name("OriginalFileName") + "/text()"), One(path));
  EXPECT_EQ(XPath(d.assetMap, asset + "/" + Name("Path") + "/text()"), One(path));
}

void ExpectMainSubtitle(const Documents& d, const std::string& id, const std::string& file) {
  const std::string subtitle = "//" + Name("MainSubtitle") + "/";
  EXPECT_EQ(XPath(d.cpl, subtitle + Name("Id") + "/text()"), One("urn:uuid:" + id));
  EXPECT_EQ(XPath(d.cpl, subtitle + Name("Hash") + "/text()"), One(OpensslDigest(file)));
  EXPECT_EQ(XPath(d.cpl, subtitle + Name("EditRate") + "/text()"), One("24 1"));
  EXPECT_EQ(XPath(d.cpl, subtitle + Name("Duration") + "/text()"), One(std::to_string(kFrames)));
}

}  // namespace

TEST(SubtitlePackage, SmpteRenderDeliversTheSubtitleTrackFile) {
  LUMAVOX_REQUIRE_TOOL("xmllint");
  LUMAVOX_REQUIRE_TOOL("openssl");
  TempDir dir;
  OutputOptions options;
  const std::string chosen = ChosenSubtitles(dir, true);
  const std::string folder = RenderPackage(dir, 1, chosen, &options);
  const std::string uuid = options.subtitleUuid;
  const std::string track = std::string("sub_") + uuid + ".mxf";
  ASSERT_EQ(uuid.size(), 36u);
  ASSERT_NE(uuid, kSmpteId);
  const Documents d = Find(folder, options, true);
  const std::vector<std::string> files = Entries(folder);
  EXPECT_EQ(files.size(), 7u);
  for (const std::string& name : std::vector<std::string>{track, "ASSETMAP.xml", "VOLINDEX.xml"}) {
    EXPECT_TRUE(std::find(files.begin(), files.end(), name) != files.end()) << name;
  }

  EXPECT_EQ(ValidateWithSchema(d.cpl, "cpl-smpte-with-extensions.xsd"), "");
  EXPECT_EQ(ValidateWithSchema(d.pkl, "SMPTE-429-8-2006-PKL.xsd"), "");
  EXPECT_EQ(ValidateWithSchema(d.assetMap, "SMPTE-429-9-2007-AM.xsd"), "");
  EXPECT_EQ(ValidateWithSchema(d.volIndex, "SMPTE-429-9-2007-AM.xsd"), "");
  // The track file has the reference's structure (of the reference document)
  // and carries the document (valid) and its font byte for byte, under the
  // record's UUID.
  const MxfFile mxf = ReadMxf(folder + "/" + track);
  ASSERT_TRUE(mxf.ok) << mxf.error;
  const std::string reference = SharedDir() + "/reference/";
  if (!kSanitized) {
    for (const std::string& diff :
         CompareListings(KlvListing(mxf), ReferenceKlvListing(reference + "dumps/tt_smpte.klv.txt"))) {
      ADD_FAILURE() << diff;
    }
    for (const std::string& diff : CompareStructure(mxf, ReadMxf(reference + "mxf/tt_smpte.mxf")))
      ADD_FAILURE() << diff;
  }
  const auto documents = EssencePayloads(mxf, kDocumentKey);
  ASSERT_EQ(documents.size(), 1u);
  EXPECT_EQ(documents[0], ReadBytes(chosen));
  EXPECT_EQ(EssencePayloads(mxf, kResourceKey),
            std::vector<std::vector<uint8_t>>{ReadBytes(Reference(std::string("smpte/") + kSmpteFont + ".ttf"))});
  WriteBytes(dir / "carried.xml", documents[0]);
  EXPECT_EQ(ValidateWithSchema(dir / "carried.xml", "DCDMSubtitle-2010.xsd"), "");
  Kumu::UUID asset;
  ASSERT_TRUE(asset.DecodeHex(uuid.c_str()));
  const std::string bytes = ReadText(folder + "/" + track);
  EXPECT_NE(bytes.find(std::string(reinterpret_cast<const char*>(asset.Value()), 16)), std::string::npos);

  ExpectMainSubtitle(d, uuid, folder + "/" + track);
  ExpectAsset(d, folder, uuid, track, "application/mxf");
  // The font travels inside the track file: no asset of its own.
  EXPECT_TRUE(XPath(d.pkl, "//" + Name("Asset") + "[" + Name("Id") + "='urn:uuid:" + options.fontUuid + "']").empty());
  EXPECT_EQ(XPath(d.pkl, "count(//" + Name("Asset") + ")"), One("4"));
  EXPECT_EQ(XPath(d.assetMap, "count(//" + Name("Asset") + ")"), One("5"));
}

TEST(SubtitlePackage, InteropRenderDeliversTheSubtitleFolder) {
  LUMAVOX_REQUIRE_TOOL("xmllint");
  LUMAVOX_REQUIRE_TOOL("openssl");
  TempDir dir;
  OutputOptions options;
  const std::string chosen = ChosenSubtitles(dir, false);
  const std::string folder = RenderPackage(dir, 0, chosen, &options);
  const std::string uuid = kInteropId;
  ASSERT_STREQ(options.subtitleUuid, kInteropId);
  const Documents d = Find(folder, options, false);
  EXPECT_EQ(Entries(folder).size(), 7u);
  const std::string document = uuid + "/" + uuid + ".xml";
  const std::string font = uuid + "/DejaVuSerif.ttf";
  EXPECT_EQ(Entries(folder + "/" + uuid), (std::vector<std::string>{uuid + ".xml", "DejaVuSerif.ttf"}));
  EXPECT_EQ(ReadBytes(folder + "/" + document), ReadBytes(chosen));
  EXPECT_EQ(ReadBytes(folder + "/" + font), ReadBytes(Reference("interop/DejaVuSerif.ttf")));

  EXPECT_EQ(ValidateWithSchema(d.cpl, "cpl-interop-with-extensions.xsd"), "");
  EXPECT_EQ(ValidateWithSchema(d.pkl, "PROTO-ASDCP-PKL-20040311.xsd"), "");
  EXPECT_EQ(ValidateWithSchema(d.assetMap, "PROTO-ASDCP-AM-20040311.xsd"), "");
  EXPECT_EQ(XPath(d.volIndex, "namespace-uri(/*)"), One("http://www.digicine.com/PROTO-ASDCP-VL-20040311#"));
  EXPECT_EQ(ValidateWithSchema(folder + "/" + document, "DCSubtitle.xsd"), "");

  ExpectMainSubtitle(d, uuid, folder + "/" + document);
  ExpectAsset(d, folder, uuid, document, "text/xml;asdcpKind=Subtitle");
  ASSERT_EQ(std::string(options.fontUuid).size(), 36u);
  ExpectAsset(d, folder, options.fontUuid, font, "application/ttf");
  EXPECT_EQ(XPath(d.pkl, "count(//" + Name("Asset") + ")"), One("5"));
  EXPECT_EQ(XPath(d.assetMap, "count(//" + Name("Asset") + ")"), One("6"));
}

// lumavox-render with a stored options record that switches subtitles on,
// as a saved project would: the reference document with its subtitles in
// the first eight frames (four under a sanitizer), beside its font.
TEST(SubtitlePackage, StoredRecordSwitchesSubtitlesOnInTheRenderProgram) {
  TempDir dir;
  const int frames = kSanitized ? 4 : 8;
  const std::string document = SubtitlesEndingAt(dir / "subtitles", true, frames);
  const std::string stored = dir / "options.bin";
  CommandResult r = MakeOptionsFile(stored);
  ASSERT_EQ(r.status, 0) << r.err;
  std::vector<uint8_t> bytes = ReadBytes(stored);
  ASSERT_EQ(bytes.size(), sizeof(OutputOptions));
  OutputOptions options;
  std::memcpy(&options, bytes.data(), sizeof options);
  options.packing = 1;
  ChooseSubtitle(options, document, 1);
  std::memcpy(bytes.data(), &options, sizeof options);
  WriteBytes(stored, bytes);

  r = RunCommand(
      {RenderPath(), "--frames", std::to_string(frames), "--threads", "2", "--options", stored, dir / "B.DCP"});
  ASSERT_EQ(r.status, 0) << r.err;
  std::string track;
  for (const std::string& name : Entries(dir / "B")) {
    if (name.rfind("sub_", 0) == 0) track = name;
  }
  ASSERT_EQ(track.size(), 4u + 36u + 4u);
  const std::vector<std::string> paths = XPath(dir / "B/ASSETMAP.xml", "//" + Name("Path") + "/text()");
  EXPECT_NE(std::find(paths.begin(), paths.end(), track), paths.end());
}
