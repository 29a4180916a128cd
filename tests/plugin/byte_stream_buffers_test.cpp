// Byte streams of the encoding slots in host memory.

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>

#include "encoder/j2k/cio.h"
#include "encoder/j2k/compressor.h"
#include "encoder/j2k/image.h"
#include "encoder/j2k/parameters.h"
#include "plugin/byte_stream_buffers.h"
#include "plugin/output_options.h"
#include "tests/support/memory_host.h"

using lumavox_test::MemoryHost;

namespace {

// A compressor set up for a w x h image of three 12-bit components.
struct Compressor {
  Compressor(int w, int h) {
    for (auto& c : comps) c = opj_image_comp{1, 1, w, h, 0, 0, 12, 12, 0, nullptr, nullptr};
    image = opj_image{0, 0, w, h, 3, 1, comps, nullptr};
    opj_cparameters p;
    opj_set_default_encoder_parameters(&p);
    cinfo = opj_create_compress();
    opj_setup_encoder(cinfo, &p, &image);
  }
  ~Compressor() { opj_destroy_compress(cinfo); }
  opj_image_comp comps[3];
  opj_image image{};
  opj_cinfo* cinfo = nullptr;
};

}  // namespace

TEST(ByteStreamBuffers, BufferSizeFollowsTheImage) {
  MemoryHost host;
  for (auto [w, h, bytes] :
       {std::tuple{2048, 1080, 12941264}, {1998, 1080, 12625364}, {4096, 2160, 51759056}, {3996, 2160, 50495456}}) {
    Compressor comp(w, h);
    AEGP_MemHandle cioH = j2c_cio_open(host.basic(), comp.cinfo, nullptr, 0);
    ASSERT_NE(cioH, nullptr);
    std::unique_ptr<OutputOptions> o(new OutputOptions{});
    o->byteStreamHandles[3] = cioH;
    ASSERT_EQ(LockByteStream(host.basic(), o.get(), 3), 0);
    opj_cio* cio = o->byteStreams[3];
    EXPECT_EQ(cio->cinfo, comp.cinfo);
    EXPECT_EQ(cio->openmode, OPJ_STREAM_WRITE);
    EXPECT_EQ(cio->length, bytes);
    EXPECT_EQ(host.Find(static_cast<AEGP_MemHandle>(cio->buffer_handle))->size, static_cast<size_t>(bytes));
    EXPECT_EQ(host.Find(static_cast<AEGP_MemHandle>(cio->buffer_handle))->name, "cio_bufferH");
    EXPECT_EQ(host.Find(cioH)->name, "cioH");

    // An encoding batch rewinds the stream on the freshly locked buffer.
    cio->start = cio->bp = cio->buffer;
    cio->end = cio->buffer + cio->length;
    cio_write(cio, 0xFF4F, 2);
    EXPECT_EQ(cio_tell(cio), 2);
    ASSERT_EQ(UnlockByteStream(host.basic(), o.get(), 3), 0);
    EXPECT_EQ(host.TotalLocks(), 0);

    ASSERT_EQ(LockByteStream(host.basic(), o.get(), 3), 0);
    EXPECT_EQ(o->byteStreams[3]->buffer[0], 0xFF);
    EXPECT_EQ(o->byteStreams[3]->buffer[1], 0x4F);
    ASSERT_EQ(UnlockByteStream(host.basic(), o.get(), 3), 0);

    // Freeing reads the buffer handle under a lock of its own.
    EXPECT_EQ(FreeByteStream(host.basic(), o.get(), 3), 0);
    EXPECT_EQ(host.Live(), 0u);
    EXPECT_EQ(o->byteStreamHandles[3], nullptr);
  }
  EXPECT_TRUE(host.problems.empty()) << host.problems.front();
}

TEST(ByteStreamBuffers, OnlyTheWriteFormOpens) {
  MemoryHost host;
  Compressor comp(16, 16);
  uint8_t own[8];
  EXPECT_EQ(j2c_cio_open(host.basic(), comp.cinfo, own, 0), nullptr);
  EXPECT_EQ(j2c_cio_open(host.basic(), comp.cinfo, nullptr, 8), nullptr);
  EXPECT_EQ(j2c_cio_open(host.basic(), nullptr, nullptr, 0), nullptr);
  opj_cinfo* bare = opj_create_compress();  // not set up: no image size yet
  EXPECT_EQ(j2c_cio_open(host.basic(), bare, nullptr, 0), nullptr);
  opj_destroy_compress(bare);
  EXPECT_EQ(host.Live(), 0u);

  // A buffer that cannot be made leaves no record behind.
  host.FailCreation(1);
  EXPECT_EQ(j2c_cio_open(host.basic(), comp.cinfo, nullptr, 0), nullptr);
  EXPECT_EQ(host.Live(), 0u);
  EXPECT_EQ(host.TotalLocks(), 0);
}

TEST(ByteStreamBuffers, LockFailuresAreReturnedAndUndone) {
  MemoryHost host;
  Compressor comp(16, 16);
  std::unique_ptr<OutputOptions> o(new OutputOptions{});
  o->byteStreamHandles[0] = j2c_cio_open(host.basic(), comp.cinfo, nullptr, 0);
  ASSERT_EQ(LockByteStream(host.basic(), o.get(), 0), 0);
  AEGP_MemHandle bufferH = static_cast<AEGP_MemHandle>(o->byteStreams[0]->buffer_handle);
  ASSERT_EQ(UnlockByteStream(host.basic(), o.get(), 0), 0);

  host.fail_lock = {bufferH};
  EXPECT_EQ(LockByteStream(host.basic(), o.get(), 0), 42);
  EXPECT_EQ(host.TotalLocks(), 0);
  EXPECT_EQ(o->byteStreams[0], nullptr);
  EXPECT_EQ(UnlockByteStream(host.basic(), o.get(), 0), A_Err_STRUCT);  // nothing to unlock

  host.fail_lock = {o->byteStreamHandles[0]};
  EXPECT_EQ(LockByteStream(host.basic(), o.get(), 0), 42);
  EXPECT_EQ(host.TotalLocks(), 0);

  // A failed free of the buffer keeps the record, which still leads to it.
  host.fail_lock.clear();
  host.fail_free = {bufferH};
  EXPECT_EQ(FreeByteStream(host.basic(), o.get(), 0), 42);
  EXPECT_EQ(host.LiveNames(), (std::multiset<std::string>{"cioH", "cio_bufferH"}));
  host.fail_free.clear();
  EXPECT_EQ(FreeByteStream(host.basic(), o.get(), 0), 0);
  EXPECT_EQ(host.Live(), 0u);
  EXPECT_TRUE(host.problems.empty());
}
