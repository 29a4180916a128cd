// Packages with subtitles as the field's checkers see them: the SMPTE
// subtitle track file lasts the reel and is timed at the composition's rate,
// Interop image subtitles travel with their document, and a reel of many
// image subtitles gets its track file. The verifier and ClairMeta find
// nothing wrong; the track-file library's own reader gives the durations.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "host/frame_source.h"
#include "tests/package/stand_in_package.h"
#include "tests/package/subtitle_render_support.h"
#include "tests/support/checkers.h"
#include "tests/support/retimed_subtitles.h"
#include "tests/support/test_support.h"

using namespace lumavox_host;
using namespace lumavox_test;
using namespace subtitle_test;
using package_test::Name;
using package_test::OpensslDigest;
using package_test::XPath;

namespace {

constexpr A_Err kStartCheck = 9993;
constexpr char kImagesId[] = "77777777-0000-4000-8000-0000000000cc";

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  const size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

std::string One(const std::vector<std::string>& lines) { return lines.size() == 1 ? lines[0] : "?"; }

// The reference SubtitleReel at `rate` frames a second, its subtitles within
// the first 20 frames (under a sanitizer the first 6), with its font beside
// it in `dir`.
std::string SmpteDocument(const TempDir& dir, int rate) {
  std::string text = ReadText(Reference("smpte/subs.xml"));
  const std::string r = std::to_string(rate);
  text = Replaced(text, "<EditRate>24 1</EditRate>", "<EditRate>" + r + " 1</EditRate>");
  text = Replaced(text, "<TimeCodeRate>24</TimeCodeRate>", "<TimeCodeRate>" + r + "</TimeCodeRate>");
  text = Replaced(text, "TimeOut=\"00:00:00:22\"", kSanitized ? "TimeOut=\"00:00:00:03\"" : "TimeOut=\"00:00:00:10\"");
  text = Replaced(
      text, "TimeIn=\"00:00:01:00\" TimeOut=\"00:00:02:00\"",
      kSanitized ? "TimeIn=\"00:00:00:04\" TimeOut=\"00:00:00:06\"" : "TimeIn=\"00:00:00:12\" TimeOut=\"00:00:00:20\"");
  std::string path = dir / ("subs" + r + ".xml");
  WriteText(path, text);
  const std::string font = std::string(kSmpteFont) + ".ttf";
  std::filesystem::copy_file(Reference("smpte/" + font), dir / font, std::filesystem::copy_options::skip_existing);
  return path;
}

// The track file's ContainerDuration as the track-file library reads it.
long ContainerDuration(const std::string& mxf) {
  const CommandResult r = RunChecker({"asdcp-info", "-i", "-d", mxf});
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  const size_t at = r.out.find("ContainerDuration: ");
  return at == std::string::npos ? -1 : std::atol(r.out.c_str() + at + 19);
}

// Under a sanitizer the checkers do not run: the plain build checks the same packages.
void ExpectCheckersPass(const std::string& folder, bool interop) {
  if (kSanitized) return;
  EXPECT_EQ(JoinLines(DcpVerifyErrors(folder, interop)), "");
  const CommandResult clair = ClairMetaCheck(folder);
  EXPECT_EQ(clair.status, 0) << clair.out << clair.err;
}

std::string SubtitleEntry(const std::string& child) {
  return "//" + Name("MainSubtitle") + "/" + Name(child) + "/text()";
}

}  // namespace

// A second at 25 frames a second (under a sanitizer eight frames). A
// subtitle file chosen under Interop packing, and a SubtitleReel timed at 24
// frames a second, are refused; the one at 25 becomes a track file as long as
// the reel, though its subtitles end after 20 frames (6).
TEST(SubtitleCheckers, SmpteTrackFileLastsTheReelAtTheCompositionsRate) {
  LUMAVOX_REQUIRE_TOOL("xmllint");
  LUMAVOX_REQUIRE_CHECKERS();
  TempDir dir;
  const int frames = kSanitized ? 8 : 25;
  const std::string reel = std::to_string(frames);
  auto host = SetUpHost(dir / "Film.DCP", frames, 4, 25);
  OutputOptions& options = LiveOptions(*host);
  ASSERT_EQ(options.packing, 1u);
  ChooseSubtitle(options, Reference("interop/subs_interop.xml"), 0);
  EXPECT_EQ(host->StartAdding(), kStartCheck);
  options.frameRate = 24;  // chosen while the composition ran at 24
  ChooseSubtitle(options, SmpteDocument(dir, 24), 1);
  options.frameRate = 25;
  EXPECT_EQ(host->StartAdding(), kStartCheck);
  EXPECT_FALSE(std::filesystem::exists(dir / "Film"));

  ChooseSubtitle(options, SmpteDocument(dir, 25), 1);
  auto source = MakePatternSource();
  ASSERT_EQ(host->Render(*source), 0) << Messages(*host);
  const std::string folder = dir / "Film";
  const std::string cpl = folder + "/cpl_" + options.cplUuid + ".xml";
  EXPECT_EQ(ContainerDuration(folder + "/" + options.subtitleFileName), frames);
  EXPECT_EQ(One(XPath(cpl, SubtitleEntry("IntrinsicDuration"))), reel);
  EXPECT_EQ(One(XPath(cpl, SubtitleEntry("Duration"))), reel);
  EXPECT_EQ(One(XPath(cpl, SubtitleEntry("EditRate"))), "25 1");
  ExpectCheckersPass(folder, false);
}

// A document whose last subtitle ends with the composition's last frame fits
// it exactly: the track file, the playlist and both checkers agree.
TEST(SubtitleCheckers, ADocumentEndingWithTheCompositionFitsIt) {
  LUMAVOX_REQUIRE_TOOL("xmllint");
  LUMAVOX_REQUIRE_CHECKERS();
  TempDir dir;
  // The reference subtitles retimed to end with a composition of a second,
  // the shortest reel the checkers take; under a sanitizer, of four frames.
  const int frames = kSanitized ? 4 : 24;
  auto host = SetUpHost(dir / "Film.DCP", frames, 2);
  OutputOptions& options = LiveOptions(*host);
  options.packing = 1;
  ChooseSubtitle(options, SubtitlesEndingAt(dir / "subtitles", true, frames), 1);
  auto source = MakePatternSource();
  ASSERT_EQ(host->Render(*source), 0) << Messages(*host);
  const std::string folder = dir / "Film";
  const std::string cpl = folder + "/cpl_" + options.cplUuid + ".xml";
  EXPECT_EQ(ContainerDuration(folder + "/" + options.subtitleFileName), frames);
  EXPECT_EQ(One(XPath(cpl, SubtitleEntry("IntrinsicDuration"))), std::to_string(frames));
  EXPECT_EQ(One(XPath(cpl, SubtitleEntry("Duration"))), std::to_string(frames));
  ExpectCheckersPass(folder, false);
}

// An Interop document with image subtitles: the images stand beside the
// document in its folder of the package, each in the packing list with its
// digest and size and in the asset map.
TEST(SubtitleCheckers, InteropImageSubtitlesTravelWithTheirDocument) {
  LUMAVOX_REQUIRE_TOOL("xmllint");
  LUMAVOX_REQUIRE_TOOL("openssl");
  LUMAVOX_REQUIRE_TOOL("ffmpeg");
  LUMAVOX_REQUIRE_CHECKERS();
  TempDir dir;
  const std::vector<std::string> images = {"sub1.png", "sub2.png"};
  for (size_t k = 0; k < images.size(); ++k) {
    const CommandResult r = RunCommand({"ffmpeg", "-v", "error", "-f", "lavfi", "-i",
                                        "color=c=white:s=" + std::to_string(64 + 32 * k) + "x24", "-frames:v", "1",
                                        dir / images[k]});
    ASSERT_EQ(r.status, 0) << r.err;
  }
  std::filesystem::copy_file(Reference("interop/DejaVuSerif.ttf"), dir / "DejaVuSerif.ttf");
  std::string text = ReadText(Reference("interop/subs_interop.xml"));
  text = Replaced(text, "00000000bb", "00000000cc");
  text = Replaced(text, "TimeOut=\"00:00:00:229\"", "TimeOut=\"00:00:00:050\"");
  // The second subtitle becomes two image subtitles within the second.
  const size_t second = text.find("    <Subtitle SpotNumber=\"2\"");
  text = text.substr(0, second) +
         R"(    <Subtitle SpotNumber="2" TimeIn="00:00:00:075" TimeOut="00:00:00:125" FadeUpTime="0" FadeDownTime="0">
      <Image VAlign="bottom" VPosition="10" HAlign="center">sub1.png</Image>
    </Subtitle>
    <Subtitle SpotNumber="3" TimeIn="00:00:00:150" TimeOut="00:00:00:200" FadeUpTime="0" FadeDownTime="0">
      <Image VAlign="bottom" VPosition="10" HAlign="center">sub2.png</Image>
    </Subtitle>
  </Font>
</DCSubtitle>
)";
  // Under a sanitizer, eight frames: every time (in ticks of 4 ms) a third of its own.
  const int frames = kSanitized ? 8 : 24;
  if (kSanitized) {
    text = Replaced(text, "TimeOut=\"00:00:00:050\"", "TimeOut=\"00:00:00:016\"");
    text = Replaced(text, "TimeIn=\"00:00:00:075\" TimeOut=\"00:00:00:125\"",
                    "TimeIn=\"00:00:00:025\" TimeOut=\"00:00:00:041\"");
    text = Replaced(text, "TimeIn=\"00:00:00:150\" TimeOut=\"00:00:00:200\"",
                    "TimeIn=\"00:00:00:050\" TimeOut=\"00:00:00:066\"");
  }
  WriteText(dir / "images.xml", text);

  auto host = SetUpHost(dir / "Film.DCP", frames, 4);
  OutputOptions& options = LiveOptions(*host);
  ASSERT_EQ(options.packing, 0u);
  ChooseSubtitle(options, dir / "images.xml", 0);
  auto source = MakePatternSource();
  ASSERT_EQ(host->Render(*source), 0) << Messages(*host);

  const std::string folder = dir / "Film";
  const std::string id = kImagesId;
  EXPECT_EQ(Entries(folder + "/" + id),
            (std::vector<std::string>{id + ".xml", "DejaVuSerif.ttf", "sub1.png", "sub2.png"}));
  const std::string pkl = folder + "/pkl_" + options.pklUuid + ".xml";
  const std::vector<std::string> ids = XPath(
      pkl, "//" + Name("Asset") + "[" + Name("Type") + "='image/png']/" + Name("Id") + "/text()");
  ASSERT_EQ(ids.size(), images.size());
  EXPECT_NE(ids[0], ids[1]);
  for (size_t k = 0; k < images.size(); ++k) {
    SCOPED_TRACE(images[k]);
    const std::string path = id + "/" + images[k];
    const std::string asset = "//" + Name("Asset") + "[" + Name("Id") + "='" + ids[k] + "']/";
    EXPECT_EQ(One(XPath(pkl, asset + Name("OriginalFileName") + "/text()")), path);
    EXPECT_EQ(One(XPath(pkl, asset + Name("Hash") + "/text()")), OpensslDigest(folder + "/" + path));
    EXPECT_EQ(One(XPath(pkl, asset + Name("Size") + "/text()")),
              std::to_string(std::filesystem::file_size(folder + "/" + path)));
    EXPECT_EQ(One(XPath(folder + "/ASSETMAP", asset + "/" + Name("Path") + "/text()")), path);
    EXPECT_EQ(ReadBytes(folder + "/" + path), ReadBytes(dir / images[k]));
  }
  ExpectCheckersPass(folder, true);

  // Rendered again, the earlier package, subtitle folder and all, is replaced.
  host.reset();
  auto again = SetUpHost(dir / "Film.DCP", frames, 4);
  ChooseSubtitle(LiveOptions(*again), dir / "images.xml", 0);
  ASSERT_EQ(again->StartAdding(), 0) << Messages(*again);
  EXPECT_EQ(Entries(folder), (std::vector<std::string>{id, LiveOptions(*again).pictureFileName}));
  again->SetQueueState(AEGP_RenderQueueState_STOPPED);
  EXPECT_EQ(again->EndAdding(), 0);
}

// A SMPTE reel of 130 image subtitles: one header sub-descriptor per image
// outgrows the header region asked for, which the track-file library grows.
TEST(SubtitleCheckers, ManyImageSubtitlesFitTheTrackFile) {
  LUMAVOX_REQUIRE_CHECKERS();
  TempDir dir;
  const std::vector<uint8_t> png = {0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a};
  std::string spots;
  for (int k = 0; k < 130; ++k) {
    char id[40];
    std::snprintf(id, sizeof id, "88888888-0000-4000-8000-%012d", k);
    WriteBytes(dir / (std::string(id) + ".png"), png);
    spots += "<Subtitle SpotNumber=\"" + std::to_string(k + 1) +
             "\" TimeIn=\"00:00:00:00\" TimeOut=\"00:00:00:01\"><Image Valign=\"bottom\" Vposition=\"10\" "
             "Halign=\"center\">urn:uuid:" +
             id + "</Image></Subtitle>\n";
  }
  std::string text = ReadText(Reference("smpte/subs.xml"));
  const size_t font = text.find("  <LoadFont");
  text = text.substr(0, font) + "<SubtitleList>\n" + spots + "</SubtitleList>\n</SubtitleReel>\n";
  WriteText(dir / "many.xml", text);

  auto host = SetUpHost(dir / "Film.DCP", 2, 1);
  OutputOptions& options = LiveOptions(*host);
  options.packing = 1;
  ChooseSubtitle(options, dir / "many.xml", 1);
  auto source = MakePatternSource();
  ASSERT_EQ(host->Render(*source), 0) << Messages(*host);
  const CommandResult r = RunChecker(
      {"asdcp-info", "-i", "-d", dir / ("Film/" + std::string(options.subtitleFileName))});
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_NE(r.out.find("ResourceCount: 130"), std::string::npos) << r.out;
}
