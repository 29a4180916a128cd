// Digests of files of every size around the 2 MB chunk, checked against
// openssl; files that cannot be read fail instead of hanging.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>

#include "package/asset_digest.h"
#include "plugin/composition_info.h"
#include "tests/package/stand_in_package.h"

namespace {

using lumavox_test::TempDir;

TEST(AssetDigest, MatchesOpensslAroundTheChunkSize) {
  LUMAVOX_REQUIRE_TOOL("openssl");
  TempDir dir;
  std::mt19937 generator(7);
  const uint64_t chunk = kDigestChunkSize;
  for (uint64_t size : {uint64_t{0}, uint64_t{1}, chunk - 1, chunk, chunk + 1, 2 * chunk, 2 * chunk + 4567}) {
    std::vector<uint8_t> bytes(size);
    for (auto& b : bytes) b = static_cast<uint8_t>(generator());
    const std::string path = dir / ("f" + std::to_string(size));
    lumavox_test::WriteBytes(path, bytes);
    char digest[kDigestTextSize];
    uint64_t measured = 12345;
    ASSERT_EQ(HashAssetFile(path.c_str(), digest, &measured), 0) << size;
    EXPECT_EQ(measured, size);
    EXPECT_EQ(std::string(digest), package_test::OpensslDigest(path)) << size;
    EXPECT_EQ(std::strlen(digest), 28u);
    EXPECT_EQ(digest[27], '=');
  }
}

TEST(AssetDigest, ProgressSeesEveryChunkAndCanStopTheDigest) {
  TempDir dir;
  const std::string path = dir / "five";
  lumavox_test::WriteBytes(path, std::vector<uint8_t>(5 * 1024 * 1024, 9));
  std::vector<uint64_t> seen;
  uint64_t size = 5 * 1024 * 1024;
  char digest[kDigestTextSize] = "untouched";
  ASSERT_EQ(DigestFileInChunks(path.c_str(), &size, false, digest,
                               [&](uint64_t done, uint64_t total) {
                                 EXPECT_EQ(total, size);
                                 seen.push_back(done);
                                 return true;
                               }),
            0);
  EXPECT_EQ(seen, (std::vector<uint64_t>{2 * 1024 * 1024, 4 * 1024 * 1024, 5 * 1024 * 1024}));
  std::strcpy(digest, "untouched");
  int calls = 0;
  EXPECT_EQ(DigestFileInChunks(path.c_str(), &size, false, digest, [&](uint64_t, uint64_t) { return ++calls < 2; }),
            -1);
  EXPECT_EQ(calls, 2);
  EXPECT_STREQ(digest, "untouched");
}

TEST(AssetDigest, UnreadableOrMissingFilesFailWithoutOutput) {
  TempDir dir;
  char digest[kDigestTextSize] = "untouched";
  uint64_t size = 77;
  // A folder opens but cannot be read: the read error ends the digest.
  EXPECT_EQ(HashAssetFile(dir.path().c_str(), digest, &size), -1);
  EXPECT_EQ(HashAssetFile((dir / "missing").c_str(), digest, &size), -1);
  EXPECT_STREQ(digest, "untouched");
  EXPECT_EQ(size, 77u);
  DcpCompositionInfo info{};
  std::strcpy(info.cplHash, "old");
  EXPECT_EQ(HashCplFile((dir / "missing").c_str(), 10, &info), -1);
  EXPECT_STREQ(info.cplHash, "old");
}

TEST(AssetDigest, Base64IsOneLineWithoutLineFeed) {
  auto encode = [](const std::string& s) {
    char* text = Base64Encode(reinterpret_cast<const unsigned char*>(s.data()), static_cast<int>(s.size()));
    std::string out = text != nullptr ? text : "(null)";
    std::free(text);
    return out;
  };
  EXPECT_EQ(encode("f"), "Zg==");
  EXPECT_EQ(encode("foobar"), "Zm9vYmFy");
  EXPECT_EQ(encode(std::string(20, '\xff')), "//////////////////////////8=");
}

}  // namespace
