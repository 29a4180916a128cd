// The codestream coder when memory runs out: a failed allocation anywhere in
// the coding of a frame fails that frame, and nothing is thrown past the
// coder into the encoding thread that called it. The program's allocation
// functions (refused_allocations.h) have the n-th allocation of a frame's
// coding fail.

#include <gtest/gtest.h>

#include <vector>

#include "encoder/j2k/cio.h"
#include "encoder/j2k/coding_parameters.h"
#include "encoder/j2k/compressor.h"
#include "encoder/j2k/j2k.h"
#include "tests/allocation/refused_allocations.h"
#include "tests/encoder/j2k_frames.h"

namespace {

struct Outcome {
  int status = 0;
  bool threw = false;
  bool refused = false;  // an allocation was refused
};

// Codes the frame as a render does, the allocation after the first `allowed`
// failing.
Outcome EncodeAllowing(j2k_test::Frame& frame, long allowed) {
  opj_cparameters params;
  unsigned budget = 0;
  j2k_test::RenderParameters(frame, j2k_test::EncodeSettings{}, params, &budget);
  opj_cinfo* cinfo = opj_create_compress();
  opj_setup_encoder(cinfo, &params, &frame.image);
  std::vector<uint8_t> buffer(static_cast<size_t>(0.1625 * cinfo->j2k->cp->img_size + 2000));
  opj_cio cio{};
  cio.cinfo = cinfo;
  cio.openmode = OPJ_STREAM_WRITE;
  cio.buffer = cio.start = cio.bp = buffer.data();
  cio.length = static_cast<int32_t>(buffer.size());
  cio.end = buffer.data() + buffer.size();
  std::vector<std::vector<int32_t>> tiles(3, std::vector<int32_t>(frame.planes[0].size()));
  int32_t* tile_buffers[3] = {tiles[0].data(), tiles[1].data(), tiles[2].data()};

  Outcome outcome;
  allocation_test::AllowAllocations(allowed);
  try {
    outcome.status = opj_encode(cinfo, &cio, &frame.image, false, tile_buffers);
  } catch (...) {
    outcome.threw = true;
  }
  outcome.refused = allocation_test::AllocationRefused();
  allocation_test::AllowAllocations(-1);
  opj_destroy_compress(cinfo);
  return outcome;
}

TEST(CoderAllocationFailure, EveryRefusedAllocationFailsTheFrameWithoutThrowing) {
  j2k_test::Frame frame;
  long allowed = 0;
  for (;; ++allowed) {
    // The coder changes the planes it codes: each try starts from the same.
    j2k_test::MakeFrame(frame, 320, 192, j2k_test::Content::kNoise);
    const Outcome outcome = EncodeAllowing(frame, allowed);
    ASSERT_FALSE(outcome.threw) << "a refused allocation after " << allowed << " escaped the coder";
    if (!outcome.refused) {
      EXPECT_NE(outcome.status, 0) << "the frame is coded when every allocation succeeds";
      break;
    }
    ASSERT_EQ(outcome.status, 0) << "a refused allocation after " << allowed << " was reported as a coded frame";
  }
  EXPECT_GE(allowed, 3) << "the coder allocates its lists of blocks, choices and packets";
}

}  // namespace
