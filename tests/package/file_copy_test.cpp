// Copying files: whole copies across the block boundaries, and every failure
// reported, with no file left open and no endless loop.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "package/file_copy.h"
#include "tests/support/test_support.h"

using namespace lumavox_test;

namespace {

constexpr size_t kBlock = 0x200000;

std::vector<uint8_t> Bytes(size_t count, unsigned seed) {
  std::mt19937 generator(seed);
  std::vector<uint8_t> bytes(count);
  for (auto& b : bytes) b = static_cast<uint8_t>(generator());
  return bytes;
}

size_t OpenDescriptors() {
  size_t count = 0;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    (void)entry;
    ++count;
  }
  return count;
}

}  // namespace

TEST(CopyFileTo, CopiesEveryByteAcrossBlockBoundaries) {
  TempDir dir;
  unsigned seed = 1;
  for (size_t size : {size_t{0}, size_t{1}, kBlock - 1, kBlock, kBlock + 1, 2 * kBlock + 17}) {
    SCOPED_TRACE(size);
    const std::vector<uint8_t> bytes = Bytes(size, seed++);
    WriteBytes(dir / "source", bytes);
    WriteBytes(dir / "copy", Bytes(3 * kBlock, 99));  // an older, longer file is replaced
    EXPECT_EQ(CopyFileTo((dir / "source").c_str(), (dir / "copy").c_str()), 0);
    EXPECT_EQ(ReadBytes(dir / "copy"), bytes);
  }
}

TEST(CopyFileTo, ReportsEveryFailureAndLeavesNoFileOpen) {
  TempDir dir;
  WriteBytes(dir / "source", Bytes(kBlock + 5, 3));
  WriteBytes(dir / "small", Bytes(10, 4));
  std::filesystem::create_directory(dir / "folder");
  const size_t before = OpenDescriptors();

  // The destination cannot be made; the source is missing.
  EXPECT_EQ(CopyFileTo((dir / "source").c_str(), (dir / "no/such/copy").c_str()), -1);
  EXPECT_EQ(CopyFileTo((dir / "missing").c_str(), (dir / "copy").c_str()), -1);
  // A source that opens but cannot be read (a folder): a failure, not an
  // endless wait for its end.
  EXPECT_EQ(CopyFileTo((dir / "folder").c_str(), (dir / "copy2").c_str()), -1);
  // A full disk: the short write of a whole block, and the few bytes that
  // only fail when they are flushed at the close.
  EXPECT_EQ(CopyFileTo((dir / "source").c_str(), "/dev/full"), -1);
  EXPECT_EQ(CopyFileTo((dir / "small").c_str(), "/dev/full"), -1);
  EXPECT_EQ(CopyFileTo(nullptr, (dir / "copy3").c_str()), -1);

  EXPECT_EQ(OpenDescriptors(), before);
}
