// The codestream byte stream and the packet-header bit writer.

#include <gtest/gtest.h>

#include <vector>

#include "encoder/j2k/bio.h"
#include "encoder/j2k/cio.h"

namespace {

struct Stream {
  explicit Stream(size_t n) : bytes(n, 0xEE) {
    cio.buffer = cio.start = cio.bp = bytes.data();
    cio.length = static_cast<int32_t>(n);
    cio.end = bytes.data() + n;
  }
  std::vector<uint8_t> written() const { return {bytes.begin(), bytes.begin() + cio_tell(&cio)}; }
  std::vector<uint8_t> bytes;
  opj_cio cio{};
};

std::vector<uint8_t> Bits(const std::vector<int>& bits, int room = 16, int* flush_result = nullptr) {
  std::vector<uint8_t> out(static_cast<size_t>(room > 0 ? room : 1), 0xEE);
  opj_bio* bio = bio_create();
  bio_init_enc(bio, out.data(), room);
  for (int b : bits) bio_write(bio, b, 1);
  int r = bio_flush(bio);
  if (flush_result) *flush_result = r;
  out.resize(static_cast<size_t>(bio_numbytes(bio)));
  bio_destroy(bio);
  return out;
}

}  // namespace

TEST(ByteStream, WritesBigEndianFieldsAndTracksPosition) {
  Stream s(16);
  EXPECT_EQ(cio_write(&s.cio, 0xFF4F, 2), 2u);
  EXPECT_EQ(cio_write(&s.cio, 0x0A0B0C, 3), 3u);
  EXPECT_EQ(cio_write(&s.cio, 0x0A0B0C, 4), 4u);
  EXPECT_EQ(s.written(), (std::vector<uint8_t>{0xFF, 0x4F, 0x0A, 0x0B, 0x0C, 0x00, 0x0A, 0x0B, 0x0C}));
  EXPECT_EQ(cio_numbytesleft(&s.cio), 7);
  EXPECT_EQ(cio_getbp(&s.cio), s.bytes.data() + 9);

  // Placeholder patching as the marker writers do it.
  cio_seek(&s.cio, 2);
  cio_write(&s.cio, 0x1234, 2);
  cio_skip(&s.cio, 5);
  EXPECT_EQ(cio_tell(&s.cio), 9);
  EXPECT_EQ(s.bytes[2], 0x12);
  EXPECT_EQ(s.bytes[3], 0x34);
}

TEST(ByteStream, FullStreamKeepsWhatFitsAndReportsOnce) {
  Stream s(3);
  testing::internal::CaptureStderr();
  EXPECT_EQ(cio_write(&s.cio, 0x01020304, 4), 0u);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "write error\n");
  EXPECT_EQ(s.written(), (std::vector<uint8_t>{0x01, 0x02, 0x03}));

  testing::internal::CaptureStderr();
  EXPECT_EQ(cio_byteout(&s.cio, 0x55), 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "write error\n");
  EXPECT_EQ(cio_tell(&s.cio), 3);
}

TEST(BitWriter, StuffsAZeroBitAfterFF) {
  // Nine 1-bits: FF, then a byte whose top bit is the stuffed 0.
  EXPECT_EQ(Bits({1, 1, 1, 1, 1, 1, 1, 1, 1}), (std::vector<uint8_t>{0xFF, 0x40}));
  // A header never ends on FF.
  EXPECT_EQ(Bits({1, 1, 1, 1, 1, 1, 1, 1}), (std::vector<uint8_t>{0xFF, 0x00}));
  // Fifteen 1-bits: FF, then the seven bits of the byte after it.
  EXPECT_EQ(Bits(std::vector<int>(15, 1)), (std::vector<uint8_t>{0xFF, 0x7F}));
  // Nothing written: one zero byte.
  EXPECT_EQ(Bits({}), (std::vector<uint8_t>{0x00}));
  // Bits fill from the top; the last byte is padded with zeros.
  EXPECT_EQ(Bits({1, 0, 1, 0, 0, 0, 0, 1, 1}), (std::vector<uint8_t>{0xA1, 0x80}));
}

TEST(BitWriter, MultiBitValuesGoMostSignificantFirst) {
  std::vector<uint8_t> out(4);
  opj_bio* bio = bio_create();
  bio_init_enc(bio, out.data(), 4);
  bio_write(bio, 0x1E0 + 3, 9);  // a 9-bit pass-count code
  bio_write(bio, 2, 2);
  ASSERT_EQ(bio_flush(bio), 0);
  EXPECT_EQ(bio_numbytes(bio), 2);
  EXPECT_EQ(out[0], 0xF1);  // 1111 0001
  EXPECT_EQ(out[1], 0xC0);  // 1 10 then padding
  bio_destroy(bio);
  bio_destroy(nullptr);
}

TEST(BitWriter, ExhaustedRangeIsReportedByTheFlush) {
  int r = -1;
  EXPECT_TRUE(Bits({1, 0, 1}, 0, &r).empty());
  EXPECT_EQ(r, 1);
  // One byte of room: the FF fits, its stuffing byte does not.
  EXPECT_EQ(Bits(std::vector<int>(8, 1), 1, &r), (std::vector<uint8_t>{0xFF}));
  EXPECT_EQ(r, 1);
  // Two bytes of room but three bytes of bits: the flush fails, nothing past the end.
  std::vector<uint8_t> out(3, 0xEE);
  opj_bio* bio = bio_create();
  bio_init_enc(bio, out.data(), 2);
  bio_write(bio, 0x12345, 20);
  EXPECT_EQ(bio_flush(bio), 1);
  EXPECT_EQ(out[2], 0xEE);
  bio_destroy(bio);
}

TEST(BitWriter, FieldsEqualTheirBitsOneByOne) {
  // Many fields of mixed widths, with long runs of 1-bits so that stuffed
  // bytes fall inside fields: writing them whole or bit by bit is the same.
  std::vector<uint8_t> whole(4096), bits(4096);
  opj_bio* a = bio_create();
  opj_bio* b = bio_create();
  bio_init_enc(a, whole.data(), 4096);
  bio_init_enc(b, bits.data(), 4096);
  uint32_t seed = 12345;
  for (int i = 0; i < 3000; ++i) {
    seed = seed * 1664525u + 1013904223u;
    const int n = 1 + static_cast<int>((seed >> 8) % 16);
    const int v = (seed >> 28) < 6 ? 0xFFFF : static_cast<int>(seed >> 12);
    bio_write(a, v, n);
    for (int k = n - 1; k >= 0; --k) bio_putbit(b, (v >> k) & 1);
  }
  ASSERT_EQ(bio_flush(a), 0);
  ASSERT_EQ(bio_flush(b), 0);
  ASSERT_EQ(bio_numbytes(a), bio_numbytes(b));
  whole.resize(static_cast<size_t>(bio_numbytes(a)));
  bits.resize(whole.size());
  EXPECT_EQ(whole, bits);
  for (size_t i = 0; i + 1 < whole.size(); ++i)
    if (whole[i] == 0xFF) {
      ASSERT_LT(whole[i + 1], 0x80) << "byte " << i;
    }
  bio_destroy(a);
  bio_destroy(b);
}
