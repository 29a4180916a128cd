#include <gtest/gtest.h>

#include "tests/support/test_support.h"

using namespace lumavox_test;

TEST(TestSupport, RunsProgramsAndCapturesBothStreams) {
  auto r = RunCommand({"sh", "-c", "printf out; printf err >&2; exit 3"});
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(r.out, "out");
  EXPECT_EQ(r.err, "err");
  EXPECT_EQ(RunCommand({"no-such-program-here"}).status, -1);
}

TEST(TestSupport, SharedReferenceFilesAreBesideTheRepository) {
  EXPECT_TRUE(FileExists(SharedDir() + "/reference/README.md"));
}
