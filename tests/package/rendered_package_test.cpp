// Whole packages from the render program, as a user makes them: 2D and
// stereoscopic, Interop and SMPTE. Every document is checked against its
// schema, every digest against openssl, every size against the file, and the
// durations of the playlist against what ffprobe counts in the track files;
// the field's verifier and ClairMeta find nothing wrong with the package.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/package/stand_in_package.h"
#include "tests/support/checkers.h"
#include "tests/support/test_support.h"

using namespace lumavox_test;
using package_test::Name;
using package_test::OpensslDigest;
using package_test::ValidateWithSchema;
using package_test::XPath;

namespace {

constexpr size_t kPackingOffset = 1352;  // where the stored record keeps its packing

struct Shape {
  const char* label;
  std::string size;
  std::string fps;
  bool smpte;
  bool stereoscopic;
};

std::string Text(const std::vector<std::string>& lines) { return lines.size() == 1 ? lines[0] : std::string("?"); }

// The one file of the folder whose name starts with `prefix`.
std::string FindFile(const std::string& folder, const std::string& prefix) {
  std::string found;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind(prefix, 0) == 0) {
      EXPECT_TRUE(found.empty()) << "two files start with " << prefix;
      found = name;
    }
  }
  return found;
}

// Edit units of the first stream of a track file, as ffprobe counts them.
long CountPackets(const std::string& file) {
  auto r = RunCommand({"ffprobe", "-v", "error", "-count_packets", "-select_streams", "0", "-show_entries",
                       "stream=nb_read_packets", "-of", "csv=p=0", file});
  EXPECT_EQ(r.status, 0) << r.err;
  return std::atol(r.out.c_str());
}

// A second of the shape's rate; two frames under a sanitizer.
long Frames(const Shape& shape) { return kSanitized ? 2 : std::stol(shape.fps); }

void Render(const TempDir& dir, const Shape& shape, const std::string& output) {
  std::vector<std::string> argv{
      RenderPath(), "--size", shape.size, "--fps",     shape.fps, "--frames", std::to_string(Frames(shape)),
      "--threads",  "4",      "--name",   "Q&A <test>"};
  if (shape.smpte && shape.fps == "24") {
    // SMPTE at 24 fps is a user's choice: it comes in the stored record.
    const std::string options = dir / "options.bin";
    auto first = MakeOptionsFile(options, {"--size", shape.size});
    ASSERT_EQ(first.status, 0) << first.err;
    auto record = ReadBytes(options);
    ASSERT_GT(record.size(), kPackingOffset + 4);
    const uint32_t smpte = 1;
    std::memcpy(record.data() + kPackingOffset, &smpte, sizeof smpte);
    WriteBytes(options, record);
    argv.insert(argv.end(), {"--options", options});
  }
  argv.push_back(output);
  auto r = RunCommand(argv);
  ASSERT_EQ(r.status, 0) << r.err;
}

}  // namespace

TEST(RenderedPackage, EveryShapeIsCompleteValidAndAgreesWithItsTrackFiles) {
  LUMAVOX_REQUIRE_TOOL("xmllint");
  LUMAVOX_REQUIRE_TOOL("openssl");
  LUMAVOX_REQUIRE_TOOL("ffprobe");
  LUMAVOX_REQUIRE_CHECKERS();
  const Shape shapes[] = {
      {"2D Interop", "1998x1080", "24", false, false},
      {"2D SMPTE", "2048x858", "25", true, false},
      {"stereoscopic Interop", "3996x1080", "24", false, true},
      {"stereoscopic SMPTE", "4096x1080", "24", true, true},
  };
  for (const Shape& shape : shapes) {
    SCOPED_TRACE(shape.label);
    TempDir dir;
    Render(dir, shape, dir / "Film.DCP");
    if (HasFatalFailure()) return;
    const std::string folder = dir / "Film";
    const std::string cpl = folder + "/" + FindFile(folder, "cpl_");
    const std::string pkl = folder + "/" + FindFile(folder, "pkl_");
    const std::string assetMap = folder + (shape.smpte ? "/ASSETMAP.xml" : "/ASSETMAP");
    const std::string volIndex = folder + (shape.smpte ? "/VOLINDEX.xml" : "/VOLINDEX");
    const std::string picture = FindFile(folder, "j2c_");
    const std::string sound = FindFile(folder, "pcm_");
    ASSERT_FALSE(picture.empty());
    ASSERT_FALSE(sound.empty());

    EXPECT_EQ(
        ValidateWithSchema(cpl, shape.smpte ? "cpl-smpte-with-extensions.xsd" : "cpl-interop-with-extensions.xsd"), "");
    EXPECT_EQ(ValidateWithSchema(pkl, shape.smpte ? "SMPTE-429-8-2006-PKL.xsd" : "PROTO-ASDCP-PKL-20040311.xsd"), "");
    EXPECT_EQ(ValidateWithSchema(assetMap, shape.smpte ? "SMPTE-429-9-2007-AM.xsd" : "PROTO-ASDCP-AM-20040311.xsd"),
              "");
    if (shape.smpte) {
      EXPECT_EQ(ValidateWithSchema(volIndex, "SMPTE-429-9-2007-AM.xsd"), "");
    } else {
      EXPECT_EQ(XPath(volIndex, "/" + Name("VolumeIndex") + "/*"), std::vector<std::string>{"<Index>1</Index>"});
    }
    if (!kSanitized) {
      EXPECT_EQ(JoinLines(DcpVerifyErrors(folder, !shape.smpte)), "");
      const CommandResult clair = ClairMetaCheck(folder);
      EXPECT_EQ(clair.status, 0) << clair.out << clair.err;
    }

    // The composition's name with its markup characters arrives intact.
    EXPECT_EQ(Text(XPath(cpl, "//" + Name("ContentTitleText") + "/text()")), "Q&amp;A &lt;test&gt;");

    // Each track file: its digest and size in the packing list, its digest
    // and duration in the playlist, its path in the asset map.
    const std::string pictureElement = shape.stereoscopic ? "MainStereoscopicPicture" : "MainPicture";
    const struct {
      std::string file, element;
      long units;
    } tracks[] = {
        {picture, pictureElement, CountPackets(folder + "/" + picture) / (shape.stereoscopic ? 2 : 1)},
        {sound, "MainSound", CountPackets(folder + "/" + sound)},
    };
    for (const auto& track : tracks) {
      SCOPED_TRACE(track.file);
      const std::string path = folder + "/" + track.file;
      EXPECT_EQ(track.units, Frames(shape));  // every frame, in both track files
      const std::string digest = OpensslDigest(path);
      const std::string id = track.file.substr(4, 36);
      const std::string asset = "//" + Name("Asset") + "[" + Name("Id") + "='urn:uuid:" + id + "']/";
      EXPECT_EQ(Text(XPath(pkl, asset + Name("Hash") + "/text()")), digest);
      EXPECT_EQ(Text(XPath(pkl, asset + Name("Size") + "/text()")), std::to_string(std::filesystem::file_size(path)));
      EXPECT_EQ(Text(XPath(assetMap, asset + "/" + Name("Path") + "/text()")), track.file);
      const std::string entry = "//" + Name(track.element) + "[" + Name("Id") + "='urn:uuid:" + id + "']/";
      EXPECT_EQ(Text(XPath(cpl, entry + Name("Hash") + "/text()")), digest);
      EXPECT_EQ(Text(XPath(cpl, entry + Name("Duration") + "/text()")), std::to_string(track.units));
      EXPECT_EQ(Text(XPath(cpl, entry + Name("IntrinsicDuration") + "/text()")), std::to_string(track.units));
    }
  }
}

TEST(RenderedPackage, ANameLongerThanTheHostKeepsIsCutBetweenCharacters) {
  LUMAVOX_REQUIRE_TOOL("xmllint");
  LUMAVOX_REQUIRE_CHECKERS();
  // 128 times e-acute is 256 bytes; the host's item names hold 255, which
  // is 127 whole characters and half of the last.
  std::string name;
  for (int k = 0; k < 128; ++k) name += "\xC3\xA9";
  TempDir dir;
  auto r = RunCommand(
      {RenderPath(), "--frames", kSanitized ? "3" : "24", "--threads", "2", "--name", name, dir / "Long.DCP"});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string folder = dir / "Long";
  const std::string cpl = folder + "/" + FindFile(folder, "cpl_");
  EXPECT_EQ(ValidateWithSchema(cpl, "cpl-interop-with-extensions.xsd"), "");
  EXPECT_EQ(Text(XPath(cpl, "//" + Name("ContentTitleText") + "/text()")), name.substr(0, 254));
  if (!kSanitized) {
    EXPECT_EQ(JoinLines(DcpVerifyErrors(folder, true)), "");
    const CommandResult clair = ClairMetaCheck(folder);
    EXPECT_EQ(clair.status, 0) << clair.out << clair.err;
  }
}
