// The small file, identifier and time units of the track-file library.
#include <gtest/gtest.h>

#include <cstring>
#include <regex>
#include <set>
#include <string>

#include "platform/asdcp/KM_file_reader.h"
#include "platform/asdcp/KM_file_writer.h"
#include "platform/asdcp/KM_timestamp.h"
#include "platform/asdcp/KM_uuid.h"
#include "tests/support/test_support.h"

using namespace Kumu;

TEST(KumuUuid, TextFormAndRandomValues) {
  const byte_t value[16] = {0x11, 0x11, 0x11, 0x11, 0x19, 0x98, 0x40, 0x00,
                            0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0xab, 0xCD};
  char text[64];
  ASSERT_NE(UUID(value).EncodeHex(text, sizeof text), nullptr);
  EXPECT_STREQ(text, "11111111-1998-4000-8000-00000000abcd");
  char small[36];
  EXPECT_EQ(UUID(value).EncodeHex(small, sizeof small), nullptr);

  UUID back;
  ASSERT_TRUE(back.DecodeHex("11111111-1998-4000-8000-00000000ABCD"));
  EXPECT_EQ(back, UUID(value));
  EXPECT_FALSE(back.DecodeHex("11111111-1998-4000-8000-00000000abc"));
  EXPECT_FALSE(back.DecodeHex("11111111-1998-4000-8000-00000000abcdef"));
  EXPECT_FALSE(back.DecodeHex("g1111111-1998-4000-8000-00000000abcd"));
  EXPECT_EQ(back, UUID(value));  // a refused text leaves the value alone

  const std::regex form("[0-9a-f]{8}-[0-9a-f]{4}-4[0-9a-f]{3}-[89ab][0-9a-f]{3}-[0-9a-f]{12}");
  std::set<std::string> seen;
  for (int i = 0; i < 100; ++i) {
    byte_t random[16];
    GenRandomUUID(random);
    UUID(random).EncodeHex(text, sizeof text);
    EXPECT_TRUE(std::regex_match(text, form)) << text;
    seen.insert(text);
  }
  EXPECT_EQ(seen.size(), 100u);
}

TEST(KumuFiles, WriteRewriteAndReadBack) {
  lumavox_test::TempDir dir;
  const std::string path = dir / "data.bin";
  {
    FileWriter writer;
    ASSERT_TRUE(writer.OpenWrite(path).Success());
    EXPECT_EQ(writer.OpenWrite(path), RESULT_STATE);
    const byte_t data[] = {1, 2, 3, 4, 5, 6};
    ui32_t written = 0;
    ASSERT_TRUE(writer.Write(data, sizeof data, &written).Success());
    EXPECT_EQ(written, 6u);
    ASSERT_TRUE(writer.Seek(1).Success());
    const byte_t patch[] = {9, 9};
    ASSERT_TRUE(writer.Write(patch, 2).Success());
    Kumu::fpos_t here = 0;
    ASSERT_TRUE(writer.Tell(&here).Success());
    EXPECT_EQ(here, 3);
    ASSERT_TRUE(writer.Close().Success());
  }
  FileReader reader;
  ASSERT_TRUE(reader.OpenRead(path).Success());
  EXPECT_EQ(reader.Size(), 6);
  byte_t buf[16];
  ui32_t got = 0;
  ASSERT_TRUE(reader.Read(buf, sizeof buf, &got).Success());
  ASSERT_EQ(got, 6u);
  const byte_t expected[] = {1, 9, 9, 4, 5, 6};
  EXPECT_EQ(std::memcmp(buf, expected, 6), 0);
  EXPECT_EQ(reader.Read(buf, sizeof buf, &got), RESULT_ENDOFFILE);
  EXPECT_EQ(got, 0u);
  ASSERT_TRUE(reader.Seek(-2, SP_END).Success());
  ASSERT_TRUE(reader.Read(buf, 1, &got).Success());
  EXPECT_EQ(buf[0], 5);
}

TEST(KumuFiles, FailuresAreResultsNotCrashes) {
  lumavox_test::TempDir dir;
  FileReader reader;
  EXPECT_EQ(reader.OpenRead(dir / "missing.bin"), RESULT_NOT_FOUND);
  EXPECT_EQ(reader.OpenRead(dir.path()), RESULT_FILEOPEN);
  EXPECT_EQ(reader.OpenRead(""), RESULT_NULL_STR);
  byte_t buf[4];
  EXPECT_EQ(reader.Read(buf, 4), RESULT_INIT);
  EXPECT_EQ(reader.Size(), 0);

  FileWriter writer;
  EXPECT_EQ(writer.OpenWrite(dir / "no/such/folder/x.bin"), RESULT_FILEOPEN);
  EXPECT_EQ(writer.Write(buf, 4), RESULT_INIT);
  EXPECT_EQ(writer.Close(), RESULT_FALSE);
}

TEST(KumuTimestamp, TextForm) {
  char text[32];
  ASSERT_NE(Timestamp(2026, 12, 7, 4, 29, 5).EncodeString(text, sizeof text), nullptr);
  EXPECT_STREQ(text, "2026-12-07T04:29:05+00:00");
  char small[25];
  EXPECT_EQ(Timestamp().EncodeString(small, sizeof small), nullptr);
  Timestamp now;
  EXPECT_GE(now.Year, 2024);
  ASSERT_NE(now.EncodeString(text, sizeof text), nullptr);
  EXPECT_TRUE(std::regex_match(text, std::regex("\\d{4}-\\d{2}-\\d{2}T\\d{2}:\\d{2}:\\d{2}\\+00:00")));
}
