// The four documents of 2D and stereoscopic packages in both packings,
// validated by xmllint against the published schemas and checked against
// the files they describe (digests by openssl, sizes by the file system).
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "package/package_documents.h"
#include "platform/aesdk/aegp_suites.h"
#include "platform/win/window.h"
#include "tests/package/stand_in_package.h"

namespace {

using package_test::Name;
using package_test::PackageKind;
using package_test::StandInPackage;
using package_test::XPath;

std::string Q(const std::string& path) { return "//" + path; }

std::string FileSize(const std::string& path) { return std::to_string(std::filesystem::file_size(path)); }

struct Written {
  std::string cpl, pkl, assetMap, volIndex;
};

Written Paths(const StandInPackage& p, bool smpte) {
  return {p.Path(std::string("cpl_") + p.info.cplUuid + ".xml"), p.Path(std::string("pkl_") + p.info.pklUuid + ".xml"),
          p.Path(smpte ? "ASSETMAP.xml" : "ASSETMAP"), p.Path(smpte ? "VOLINDEX.xml" : "VOLINDEX")};
}

void CheckPackage(const PackageKind& kind) {
  SCOPED_TRACE(std::string(kind.smpte ? "SMPTE" : "Interop") + (kind.stereoscopic ? " 3D" : " 2D") +
               (kind.subtitles ? " with subtitles" : ""));
  StandInPackage p(kind);
  package_test::DialogUser user;
  ASSERT_TRUE(WriteDcpXml(nullptr, &p.info).Success());
  const Written w = Paths(p, kind.smpte);

  // Schemas.
  EXPECT_EQ(package_test::ValidateWithSchema(
                w.cpl, kind.smpte ? "cpl-smpte-with-extensions.xsd" : "cpl-interop-with-extensions.xsd"),
            "");
  EXPECT_EQ(
      package_test::ValidateWithSchema(w.pkl, kind.smpte ? "SMPTE-429-8-2006-PKL.xsd" : "PROTO-ASDCP-PKL-20040311.xsd"),
      "");
  EXPECT_EQ(package_test::ValidateWithSchema(w.assetMap,
                                             kind.smpte ? "SMPTE-429-9-2007-AM.xsd" : "PROTO-ASDCP-AM-20040311.xsd"),
            "");
  if (kind.smpte) {
    EXPECT_EQ(package_test::ValidateWithSchema(w.volIndex, "SMPTE-429-9-2007-AM.xsd"), "");
  } else {
    EXPECT_EQ(XPath(w.volIndex, "namespace-uri(/*)"),
              std::vector<std::string>{"http://www.digicine.com/PROTO-ASDCP-VL-20040311#"});
    EXPECT_EQ(XPath(w.volIndex, "/" + Name("VolumeIndex") + "/*"), std::vector<std::string>{"<Index>1</Index>"});
  }

  // The reel: picture (or sound first for a stereoscopic one), subtitle.
  std::vector<std::string> reel = XPath(w.cpl, "for $a in " + Q(Name("AssetList")) + "/* return name($a)");
  if (reel.empty()) {  // xmllint knows XPath 1.0 only: list the names one by one
    for (int i = 1; i <= 4; ++i) {
      auto n = XPath(w.cpl, "name(" + Q(Name("AssetList")) + "/*[" + std::to_string(i) + "])");
      if (!n.empty() && !n[0].empty()) reel.push_back(n[0]);
    }
  }
  std::vector<std::string> expected;
  if (!kind.stereoscopic) expected.push_back("MainPicture");
  expected.push_back("MainSound");
  if (kind.subtitles) expected.push_back("MainSubtitle");
  if (kind.stereoscopic) expected.push_back("msp-cpl:MainStereoscopicPicture");
  EXPECT_EQ(reel, expected);
  const std::string picture = Q(Name(kind.stereoscopic ? "MainStereoscopicPicture" : "MainPicture"));
  EXPECT_EQ(XPath(w.cpl, picture + "/" + Name("Duration") + "/text()"),
            std::vector<std::string>{std::to_string(p.info.pictureDuration)});
  EXPECT_EQ(XPath(w.cpl, Q(Name("MainSound")) + "/" + Name("Duration") + "/text()"),
            XPath(w.cpl, picture + "/" + Name("Duration") + "/text()"));
  EXPECT_EQ(XPath(w.cpl, picture + "/" + Name("FrameRate") + "/text()"),
            std::vector<std::string>{kind.stereoscopic ? "48 1" : (kind.smpte ? "25 1" : "24 1")});
  EXPECT_EQ(XPath(w.cpl, picture + "/" + Name("EditRate") + "/text()"),
            std::vector<std::string>{kind.smpte && !kind.stereoscopic ? "25 1" : "24 1"});
  EXPECT_EQ(XPath(w.cpl, Q(Name("ContentVersion"))).empty(), !kind.smpte);

  // Every packing-list asset: its file's digest and size.
  const std::string assets = Q(Name("PackingList")) + "/" + Name("AssetList") + "/" + Name("Asset");
  const auto names = XPath(w.pkl, assets + "/" + Name("OriginalFileName") + "/text()");
  const auto hashes = XPath(w.pkl, assets + "/" + Name("Hash") + "/text()");
  const auto sizes = XPath(w.pkl, assets + "/" + Name("Size") + "/text()");
  const size_t count = 3 + (kind.subtitles ? 1 : 0) + (kind.subtitles && !kind.smpte ? 1 : 0);
  ASSERT_EQ(names.size(), count);
  ASSERT_EQ(hashes.size(), count);
  ASSERT_EQ(sizes.size(), count);
  for (size_t i = 0; i < count; ++i) {
    const std::string file = p.Path(names[i]);
    ASSERT_TRUE(std::filesystem::is_regular_file(file)) << file;
    EXPECT_EQ(hashes[i], package_test::OpensslDigest(file)) << names[i];
    EXPECT_EQ(sizes[i], FileSize(file)) << names[i];
  }
  EXPECT_EQ(names.back(), std::string("cpl_") + p.info.cplUuid + ".xml");
  // The playlist states the same track-file digests.
  EXPECT_EQ(XPath(w.cpl, picture + "/" + Name("Hash") + "/text()"), std::vector<std::string>{hashes[0]});
  EXPECT_EQ(XPath(w.cpl, Q(Name("MainSound")) + "/" + Name("Hash") + "/text()"), std::vector<std::string>{hashes[1]});

  // Every asset-map path names a file of the package; only the packing
  // list's entry is marked.
  const auto paths = XPath(w.assetMap, Q(Name("Path")) + "/text()");
  EXPECT_EQ(paths.size(), count + 1);
  for (const auto& path : paths) EXPECT_TRUE(std::filesystem::is_regular_file(p.Path(path))) << path;
  EXPECT_EQ(XPath(w.assetMap, Q(Name("PackingList")) + "/text()"), std::vector<std::string>{"true"});
  EXPECT_EQ(XPath(w.assetMap, "name(/*/*[2])"), std::vector<std::string>{kind.smpte ? "Creator" : "VolumeCount"});

  // What is in the folder, and nothing was shown but the dialog.
  auto files = p.FolderFiles();
  EXPECT_EQ(files.size(), 6u + (kind.subtitles && kind.smpte ? 1 : 0));
  EXPECT_TRUE(user.boxes.empty());
}

TEST(PackageDocuments, EveryPackingShapeIsValidAndDescribesItsFiles) {
  LUMAVOX_REQUIRE_TOOL("xmllint");
  LUMAVOX_REQUIRE_TOOL("openssl");
  for (bool smpte : {false, true}) {
    for (bool stereoscopic : {false, true}) {
      for (bool subtitles : {false, true}) CheckPackage({smpte, stereoscopic, subtitles});
    }
  }
}

TEST(PackageDocuments, MarkupCharactersInTextsReachTheDocumentsIntact) {
  LUMAVOX_REQUIRE_TOOL("xmllint");
  for (bool smpte : {false, true}) {
    StandInPackage p({smpte, false, false});
    std::strcpy(p.info.contentTitle, "Fish & Chips <Director's \"Cut\">");
    std::strcpy(p.info.annotation, "A&B");
    std::strcpy(p.info.issuer, "Q<R>");
    package_test::DialogUser user;
    ASSERT_TRUE(WriteDcpXml(nullptr, &p.info).Success());
    const Written w = Paths(p, smpte);
    EXPECT_EQ(XPath(w.cpl, Q(Name("ContentTitleText")) + "/text()"),
              std::vector<std::string>{"Fish &amp; Chips &lt;Director's \"Cut\"&gt;"});
    EXPECT_EQ(XPath(w.cpl, "string(" + Q(Name("ContentTitleText")) + ")"),
              std::vector<std::string>{"Fish & Chips <Director's \"Cut\">"});
    EXPECT_EQ(XPath(w.pkl, "string(" + Q(Name("AnnotationText")) + ")"), std::vector<std::string>{"A&B"});
    EXPECT_EQ(XPath(w.assetMap, "string(" + Q(Name("Issuer")) + ")"), std::vector<std::string>{"Q<R>"});
    EXPECT_EQ(
        package_test::ValidateWithSchema(w.pkl, smpte ? "SMPTE-429-8-2006-PKL.xsd" : "PROTO-ASDCP-PKL-20040311.xsd"),
        "");
  }
}

std::vector<std::string> g_messages;
A_Err CaptureMessage(A_Err, const A_char* text) {
  g_messages.push_back(text);
  return 0;
}

// A host that offers only its utility suite, whose main window is the
// desktop.
A_Err MainWindow(HWND* window) {
  *window = GetDesktopWindow();
  return 0;
}
A_Err Acquire(const char* name, A_long version, const void** suite) {
  static AEGP_UtilitySuite7 utility = {};
  utility.AEGP_GetMainHWND = MainWindow;
  if (std::string(name) != kAEGPUtilitySuite || version != kAEGPUtilitySuiteVersion7) return A_Err_MISSING_SUITE;
  *suite = &utility;
  return 0;
}
A_Err Release(const char*, A_long) { return 0; }
SPBasicSuite g_basicSuite = {Acquire, Release};

TEST(PackageDocuments, AnUnwritablePlaylistIsReportedByNameAndStopsTheRest) {
  StandInPackage p({true, false, false});
  const Written w = Paths(p, true);
  std::filesystem::create_directory(w.cpl);  // a folder where the playlist goes
  // A file of a document's name that this writer did not write stays.
  lumavox_test::WriteText(w.assetMap, "put there by someone else");
  AEIO_BasicData basic = {CaptureMessage, &g_basicSuite, 0, 0};
  g_messages.clear();
  package_test::DialogUser user;
  EXPECT_TRUE(WriteDcpXml(&basic, &p.info).Failure());
  EXPECT_EQ(user.results, std::vector<INT_PTR>{0});
  EXPECT_EQ(g_messages, std::vector<std::string>{"Cannot write file: " + w.cpl + ": Is a directory"});
  EXPECT_FALSE(std::filesystem::exists(w.pkl));
  EXPECT_EQ(lumavox_test::ReadText(w.assetMap), "put there by someone else");
  EXPECT_FALSE(std::filesystem::exists(w.volIndex));
}

TEST(PackageDocuments, ALaterDocumentThatCannotBeWrittenTakesTheEarlierOnesWithIt) {
  for (int blocked = 1; blocked <= 3; ++blocked) {
    SCOPED_TRACE(blocked);
    StandInPackage p({true, false, false});
    const Written w = Paths(p, true);
    const std::string path = blocked == 1 ? w.pkl : blocked == 2 ? w.assetMap : w.volIndex;
    std::filesystem::create_directory(path);  // as good as a full disk for that document
    AEIO_BasicData basic = {CaptureMessage, &g_basicSuite, 0, 0};
    g_messages.clear();
    package_test::DialogUser user;
    EXPECT_TRUE(WriteDcpXml(&basic, &p.info).Failure());
    EXPECT_EQ(g_messages, std::vector<std::string>{"Cannot write file: " + path + ": Is a directory"});
    // Nothing that looks like a finished package: no document is left.
    for (const std::string& document : {w.cpl, w.pkl, w.assetMap, w.volIndex})
      EXPECT_FALSE(std::filesystem::is_regular_file(document)) << document;
    EXPECT_TRUE(std::filesystem::is_directory(path));  // not the writer's to remove
  }
}

TEST(PackageDocuments, AListedFileThatCannotBeDigestedFailsWithNoDocumentLeft) {
  // The subtitle copy (digested for the playlist) or its font (for the
  // packing list) went missing during the render.
  for (const bool font : {false, true}) {
    SCOPED_TRACE(font ? "font" : "subtitle");
    StandInPackage p({false, false, true});
    const Written w = Paths(p, false);
    const std::string gone = p.Path(std::string(p.info.subtitleUuid) + "/" +
                                    (font ? std::string(p.info.fontFile) : std::string(p.info.subtitleUuid) + ".xml"));
    ASSERT_TRUE(std::filesystem::remove(gone));
    AEIO_BasicData basic = {CaptureMessage, &g_basicSuite, 0, 0};
    g_messages.clear();
    package_test::DialogUser user;
    EXPECT_TRUE(WriteDcpXml(&basic, &p.info).Failure());
    EXPECT_EQ(g_messages,
              std::vector<std::string>{"Cannot compute the digest of " + gone + ": No such file or directory"});
    for (const std::string& document : {w.cpl, w.pkl, w.assetMap, w.volIndex})
      EXPECT_FALSE(std::filesystem::exists(document)) << document;
  }
}

TEST(PackageDocuments, DocumentsUseTheDeclarationTwoSpaceIndentAndLineFeeds) {
  StandInPackage p({false, false, false});
  package_test::DialogUser user;
  ASSERT_TRUE(WriteDcpXml(nullptr, &p.info).Success());
  const Written w = Paths(p, false);
  for (const std::string& file : {w.cpl, w.pkl, w.assetMap, w.volIndex}) {
    const std::string text = lumavox_test::ReadText(file);
    EXPECT_EQ(text.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n", 0), 0u) << file;
    EXPECT_EQ(text.find('\r'), std::string::npos);
    EXPECT_NE(text.find("\n  <"), std::string::npos);
  }
  EXPECT_EQ(std::to_string(p.info.cplLength), FileSize(w.cpl));
  EXPECT_EQ(lumavox_test::ReadText(w.volIndex),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<VolumeIndex "
            "xmlns=\"http://www.digicine.com/PROTO-ASDCP-VL-20040311#\">\n  <Index>1</Index>\n</VolumeIndex>\n");
}

}  // namespace
