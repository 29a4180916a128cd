// Image buffers of the encoding slots in host memory.

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>

#include "encoder/j2k/image.h"
#include "plugin/image_buffers.h"
#include "plugin/output_options.h"
#include "tests/support/memory_host.h"

using lumavox_test::MemoryHost;

namespace {

// One slot as the render start builds it: three tile buffers and an image.
struct Slot {
  Slot(MemoryHost& h, int slot, int w = 6, int hgt = 4) : host(h), i(slot) {
    for (int c = 0; c < 3; ++c)
      options->tileBufferHandles[i][c] = host.Make("CompGPU", static_cast<size_t>(w) * hgt * 4);
    opj_image_cmptparm p[3];
    for (auto& q : p) q = opj_image_cmptparm{1, 1, w, hgt, 0, 0, 12, 12, 0};
    options->imageHandles[i] = j2c_create_image_buffers(host.basic(), 3, p);
  }
  MemoryHost& host;
  int i;
  std::unique_ptr<OutputOptions> options{new OutputOptions{}};
};

}  // namespace

TEST(ImageBuffers, CreateLockWriteUnlockFree) {
  MemoryHost host;
  Slot slot(host, 5);
  ASSERT_NE(slot.options->imageHandles[5], nullptr);
  EXPECT_EQ(host.LiveNames(), (std::multiset<std::string>{"ImageH", "CompH", "dataH", "dataH", "dataH", "CompGPU",
                                                          "CompGPU", "CompGPU"}));
  EXPECT_EQ(host.TotalLocks(), 0);

  OutputOptions* o = slot.options.get();
  ASSERT_EQ(LockImageBuffer(host.basic(), o, 5), 0);
  EXPECT_EQ(host.TotalLocks(), 8);
  opj_image* image = o->images[5];
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->numcomps, 3);
  EXPECT_EQ(image->color_space, 1);
  for (int c = 0; c < 3; ++c) {
    EXPECT_EQ(image->comps[c].w, 6);
    EXPECT_EQ(image->comps[c].h, 4);
    EXPECT_EQ(image->comps[c].prec, 12);
    image->comps[c].data[23] = 100 + c;  // the last sample
    o->tileBuffers[5][c][23] = -c;
  }
  ASSERT_EQ(UnlockImageBuffer(host.basic(), o, 5), 0);
  EXPECT_EQ(host.TotalLocks(), 0);

  // The blocks moved at the unlock; a new lock finds the samples again.
  ASSERT_EQ(LockImageBuffer(host.basic(), o, 5), 0);
  for (int c = 0; c < 3; ++c) {
    EXPECT_EQ(o->images[5]->comps[c].data[23], 100 + c);
    EXPECT_EQ(o->tileBuffers[5][c][23], -c);
  }
  ASSERT_EQ(UnlockImageBuffer(host.basic(), o, 5), 0);

  // Freeing reads the handles under a lock of its own, so it works on an
  // unlocked slot whose records have moved, and frees the tile buffers too.
  EXPECT_EQ(FreeImageBuffer(host.basic(), o, 5), 0);
  EXPECT_EQ(host.Live(), 0u);
  EXPECT_TRUE(host.problems.empty()) << host.problems.front();
  EXPECT_EQ(o->imageHandles[5], nullptr);
  EXPECT_EQ(o->tileBufferHandles[5][0], nullptr);
}

TEST(ImageBuffers, ALockFailureIsReturnedAndUndone) {
  MemoryHost host;
  Slot slot(host, 0);
  OutputOptions* o = slot.options.get();
  ASSERT_EQ(LockImageBuffer(host.basic(), o, 0), 0);
  AEGP_MemHandle plane1 = static_cast<AEGP_MemHandle>(o->images[0]->comps[1].data_handle);
  ASSERT_EQ(UnlockImageBuffer(host.basic(), o, 0), 0);

  // A middle plane fails, the later locks would succeed: the first failure
  // is the result and nothing stays locked.
  host.fail_lock.insert(plane1);
  EXPECT_EQ(LockImageBuffer(host.basic(), o, 0), 42);
  EXPECT_EQ(host.TotalLocks(), 0);
  EXPECT_EQ(o->images[0], nullptr);

  // A tile buffer failing counts as well.
  host.fail_lock = {o->tileBufferHandles[0][0]};
  EXPECT_EQ(LockImageBuffer(host.basic(), o, 0), 42);
  EXPECT_EQ(host.TotalLocks(), 0);

  // And the image record itself.
  host.fail_lock = {o->imageHandles[0]};
  EXPECT_EQ(LockImageBuffer(host.basic(), o, 0), 42);
  EXPECT_EQ(host.TotalLocks(), 0);

  host.fail_lock.clear();
  EXPECT_EQ(LockImageBuffer(host.basic(), o, 0), 0);
  EXPECT_EQ(UnlockImageBuffer(host.basic(), o, 0), 0);
  EXPECT_EQ(FreeImageBuffer(host.basic(), o, 0), 0);
  EXPECT_EQ(host.Live(), 0u);
  EXPECT_TRUE(host.problems.empty());
}

TEST(ImageBuffers, CreationFailureLeavesNothing) {
  MemoryHost host;
  opj_image_cmptparm p[3];
  for (auto& q : p) q = opj_image_cmptparm{1, 1, 8, 8, 0, 0, 12, 12, 0};
  // Fail each of the five creations in turn.
  for (int k = 0; k < 5; ++k) {
    host.FailCreation(k);
    testing::internal::CaptureStderr();
    EXPECT_EQ(j2c_create_image_buffers(host.basic(), 3, p), nullptr) << k;
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Unable to allocate memory for image.\n");
    EXPECT_EQ(host.Live(), 0u) << k;
  }
  EXPECT_TRUE(host.problems.empty());
  // An empty plane is refused the same way.
  p[2].w = 0;
  testing::internal::CaptureStderr();
  EXPECT_EQ(j2c_create_image_buffers(host.basic(), 3, p), nullptr);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Unable to allocate memory for image.\n");
  EXPECT_EQ(host.Live(), 0u);
}

TEST(ImageBuffers, FreeFailureIsReturnedAndTheRecordsKept) {
  MemoryHost host;
  Slot slot(host, 2);
  OutputOptions* o = slot.options.get();
  ASSERT_EQ(LockImageBuffer(host.basic(), o, 2), 0);
  AEGP_MemHandle plane0 = static_cast<AEGP_MemHandle>(o->images[2]->comps[0].data_handle);
  ASSERT_EQ(UnlockImageBuffer(host.basic(), o, 2), 0);
  host.fail_free.insert(plane0);
  EXPECT_EQ(FreeImageBuffer(host.basic(), o, 2), 42);
  // The records that lead to the plane stay, so nothing is lost from sight.
  EXPECT_EQ(host.LiveNames(), (std::multiset<std::string>{"ImageH", "CompH", "dataH"}));
  EXPECT_NE(o->imageHandles[2], nullptr);
  host.fail_free.clear();
}
