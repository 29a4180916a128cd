// The subtitle entries of the documents describe the files delivered in the
// package: the Interop subtitle and its font are digested from their copies
// in the subtitle folder, not from the user's files, which may have changed
// since the render start copied them.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "package/package_documents.h"
#include "tests/package/stand_in_package.h"

using package_test::Name;
using package_test::OpensslDigest;
using package_test::XPath;

TEST(SubtitleDocuments, InteropSubtitleAndFontAreDigestedFromThePackagedCopies) {
  LUMAVOX_REQUIRE_TOOL("xmllint");
  LUMAVOX_REQUIRE_TOOL("openssl");
  package_test::StandInPackage p({false, false, true});
  package_test::DialogUser user;
  // The user edits the files after the render start copied them.
  lumavox_test::WriteText(p.UserSubtitlePath(), "<DCSubtitle>edited later</DCSubtitle>\n");
  lumavox_test::WriteText(p.UserFontPath(), "another font");
  ASSERT_TRUE(WriteDcpXml(nullptr, &p.info).Success());

  const std::string uuid = p.info.subtitleUuid;
  const std::string subtitle = p.Path(uuid + "/" + uuid + ".xml");
  const std::string font = p.Path(uuid + "/font.ttf");
  const std::string pkl = p.Path(std::string("pkl_") + p.info.pklUuid + ".xml");
  const std::string cpl = p.Path(std::string("cpl_") + p.info.cplUuid + ".xml");
  const std::string asset = "//" + Name("Asset") + "[" + Name("Id") + "='urn:uuid:";
  for (const auto& [id, file] : {std::pair<std::string, std::string>{uuid, subtitle},
                                 std::pair<std::string, std::string>{p.info.fontUuid, font}}) {
    SCOPED_TRACE(file);
    EXPECT_EQ(XPath(pkl, asset + id + "']/" + Name("Hash") + "/text()"), std::vector<std::string>{OpensslDigest(file)});
    EXPECT_EQ(XPath(pkl, asset + id + "']/" + Name("Size") + "/text()"),
              std::vector<std::string>{std::to_string(std::filesystem::file_size(file))});
  }
  EXPECT_EQ(XPath(cpl, "//" + Name("MainSubtitle") + "/" + Name("Hash") + "/text()"),
            std::vector<std::string>{OpensslDigest(subtitle)});
}
