// The byte budget that rate allocation gives the packets of a frame: the
// frame budget of the bit rate less the codestream's headers, exactly.

#include <gtest/gtest.h>

#include <vector>

#include "encoder/j2k/coding_parameters.h"
#include "encoder/j2k/compressor.h"
#include "encoder/j2k/image.h"
#include "encoder/j2k/j2k.h"
#include "encoder/j2k/tcd.h"
#include "tests/encoder/j2k_frames.h"

TEST(RateBudget, PacketsGetTheFrameBudgetLessTheHeaders) {
  // Sizes, frame rates and bit rates at which single-precision rounding of
  // the ratio would let a frame take one byte more than its budget.
  const int sizes[][2] = {{2048, 1080}, {1998, 1080}, {3996, 2160}};
  int checked = 0;
  for (const auto& size : sizes) {
    j2k_test::Frame f;
    f.width = size[0];
    f.height = size[1];
    f.comps.assign(3, opj_image_comp{1, 1, size[0], size[1], 0, 0, 12, 12, 0, nullptr, nullptr});
    f.image = opj_image{0, 0, size[0], size[1], 3, 1, f.comps.data(), nullptr};
    int32_t dummy = 0;
    int32_t* tiles[3] = {&dummy, &dummy, &dummy};
    for (unsigned fps : {24u, 25u, 30u, 48u, 50u, 60u}) {
      for (unsigned mbit : {25u, 29u, 50u, 87u, 95u, 125u, 174u, 175u, 191u, 193u, 250u}) {
        j2k_test::EncodeSettings settings;
        settings.bit_rate = mbit;
        settings.frame_rate = fps;
        opj_cparameters params;
        unsigned budget = 0;
        j2k_test::RenderParameters(f, settings, params, &budget);
        opj_cinfo* cinfo = opj_create_compress();
        opj_setup_encoder(cinfo, &params, &f.image);
        opj_tcd* tcd = tcd_create(cinfo);
        tcd->cur_totnum_tp = 3;
        ASSERT_EQ(tcd_malloc_encode(tcd, &f.image, cinfo->j2k->cp, 0, tiles), 1);
        // The main header, SOT and SOD of the first tile-part come off at SOD.
        float& rate = cinfo->j2k->cp->tcps[0].rates[0];
        rate -= 178.0f;
        // 164 + 12 + 2 before the data, 2 x 14 for the other tile-parts, 2 for EOC.
        EXPECT_EQ(tcd_layer_budget(rate, 1 << 30), static_cast<int>(budget) - 208)
            << size[0] << "x" << size[1] << " " << fps << " fps " << mbit << " Mbit/s";
        tcd_destroy(tcd);
        opj_destroy_compress(cinfo);
        ++checked;
      }
    }
  }
  EXPECT_EQ(checked, 198);
  EXPECT_EQ(tcd_layer_budget(0.0f, 5000), 5000);     // no limit: the room
  EXPECT_EQ(tcd_layer_budget(9000.4f, 5000), 5000);  // never beyond the room
}
