// The byte budget that rate allocation gives the packets of a frame: the
// frame budget of the bit rate less the codestream's headers, exactly; and
// the bound on packet headers that lets it skip forming a layer's packets.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "encoder/j2k/coding_parameters.h"
#include "encoder/j2k/compressor.h"
#include "encoder/j2k/image.h"
#include "encoder/j2k/j2k.h"
#include "encoder/j2k/t2.h"
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
        // The eyes of a stereoscopic picture (24 fps only) at the bit rates of
        // an eye, whose budget the edit unit's limit can lower.
        const bool stereoscopic = fps == 24 && mbit <= 125 && size[0] < 3000;
        j2k_test::EncodeSettings settings;
        settings.bit_rate = mbit;
        settings.frame_rate = fps;
        settings.stereoscopic = stereoscopic;
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
            << size[0] << "x" << size[1] << " " << fps << " fps " << mbit << " Mbit/s"
            << (stereoscopic ? " per eye" : "");
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

TEST(RateBudget, PacketHeadersStayWithinTheirBound) {
  // Packets formed for a noise frame's layers, from all passes to none:
  // their bytes beyond the code-blocks' never exceed the bound.
  j2k_test::Frame f;
  j2k_test::MakeFrame(f, 1998, 1080, j2k_test::Content::kNoise);
  opj_cparameters params;
  j2k_test::RenderParameters(f, j2k_test::EncodeSettings{}, params, nullptr);
  opj_cinfo* cinfo = opj_create_compress();
  opj_setup_encoder(cinfo, &params, &f.image);
  opj_cp* cp = cinfo->j2k->cp;
  std::vector<std::vector<int32_t>> tile_planes(3, std::vector<int32_t>(f.planes[0].size()));
  int32_t* tiles[3] = {tile_planes[0].data(), tile_planes[1].data(), tile_planes[2].data()};
  opj_tcd* tcd = tcd_create(cinfo);
  tcd->cur_totnum_tp = 3;
  ASSERT_EQ(tcd_malloc_encode(tcd, &f.image, cp, 0, tiles), 1);
  tcd->cur_tp_num = 0;
  tcd->cur_pino = 0;
  tcd->tp_pos = cp->tp_pos;
  std::vector<uint8_t> dest(32u << 20);
  ASSERT_GT(tcd_encode_tile(tcd, 0, dest.data(), static_cast<int>(dest.size())), 0);

  opj_tcd_tile* tile = tcd->tcd_tile;
  int64_t bound[3] = {};
  tcd_first_layer_headers_max(tile, tcd->tcp, bound);
  cp->max_comp_size = 0;  // measure whole layers, however large
  opj_t2* t2 = t2_create(cinfo, &f.image, cp);
  int64_t largest = 0;
  for (double thresh : {0.0, 1e-2, 1.0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e9}) {
    tcd_makelayer(tcd, 0, thresh, 0);
    int64_t bodies = 0;
    for (int c = 0; c < tile->numcomps; ++c) {
      opj_tcd_tilecomp* tilec = &tile->comps[c];
      for (int r = 0; r < tilec->numresolutions; ++r) {
        opj_tcd_resolution* res = &tilec->resolutions[r];
        for (int b = 0; b < res->numbands; ++b) {
          for (int p = 0; p < res->pw * res->ph; ++p) {
            opj_tcd_precinct* prc = &res->bands[b].precincts[p];
            for (int k = 0; k < prc->cw * prc->ch; ++k) {
              const opj_tcd_layer& layer = prc->cblks[k].layers[0];
              if (layer.numpasses) bodies += layer.len;
            }
          }
        }
      }
    }
    const int l = t2_encode_packets(t2, 0, tile, 1, dest.data(), static_cast<int>(dest.size()), 0, cp->tp_pos, 0,
                                    THRESH_CALC, 3);
    ASSERT_GT(l, 0) << thresh;
    EXPECT_LE(l - bodies, bound[0] + bound[1] + bound[2]) << thresh;
    largest = std::max<int64_t>(largest, l - bodies);
  }
  // The layer of every pass carries headers for every code-block.
  EXPECT_GT(largest, 10000);
  t2_destroy(t2);
  tcd_destroy(tcd);
  opj_destroy_compress(cinfo);
}

// A pattern repeated across the picture gives many code-blocks alike, whose
// next passes have one slope: where the budget binds, it takes as many of
// them as fit, instead of none when all of them do not.
TEST(RateBudget, APatternRepeatedAcrossThePictureFillsTheBudget) {
  j2k_test::Frame f;
  j2k_test::MakeFrame(f, 1998, 1080, j2k_test::Content::kFlat);
  // White lines a pixel wide, 8 apart, on black, as X'Y'Z' gives them.
  const int white[3] = {3883, 3960, 4091};
  for (int c = 0; c < 3; ++c)
    for (size_t i = 0; i < f.planes[c].size(); ++i)
      f.planes[c][i] = (i % 1998) % 8 == 1 || (i / 1998) % 8 == 1 ? white[c] : 0;
  const j2k_test::EncodeResult r = j2k_test::Encode(f, j2k_test::EncodeSettings{});
  ASSERT_EQ(r.status, 1);
  EXPECT_LE(r.codestream.size(), r.budget);
  EXPECT_GE(r.codestream.size() + 400, r.budget);  // less than three of the blocks' passes left
}
