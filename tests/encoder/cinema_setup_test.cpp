// Encoder parameters of a render and rate fitting.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>

#include "encoder/cinema_setup.h"
#include "encoder/j2k/image.h"
#include "encoder/j2k/parameters.h"
#include "plugin/output_options.h"

namespace {

struct Render {
  Render(int width, int height, int fps, bool stereo) : options(new OutputOptions{}) {
    options->width = static_cast<A_u_long>(width);
    options->height = static_cast<A_u_long>(height);
    options->frameRate = static_cast<A_u_long>(fps);
    options->stereoscopic = stereo ? 1 : 0;
    options->bitRate = 250;
    options->stereoBitRate = 125;
    const int w = stereo ? width / 2 : width;
    for (auto& c : comps) c = opj_image_comp{1, 1, w, height, 0, 0, 12, 12, 0, nullptr, nullptr};
    image = opj_image{0, 0, w, height, 3, 1, comps, nullptr};
  }
  ~Render() { std::free(parameters.cp_comment); }

  // j2c_initialize then rate fitting; gives what went to the standard output.
  std::string SetUp() {
    EXPECT_EQ(j2c_initialize(24, 1, options.get(), &parameters), 0);
    testing::internal::CaptureStdout();
    cinema_setup_encoder(&parameters, options.get(), &image);
    return testing::internal::GetCapturedStdout();
  }

  std::unique_ptr<OutputOptions> options;
  opj_image_comp comps[3];
  opj_image image{};
  opj_cparameters parameters{};
};

}  // namespace

TEST(CinemaSetUp, InitializeFillsTheProfileChoices) {
  Render r(2048, 1080, 24, false);
  ASSERT_EQ(j2c_initialize(24, 1, r.options.get(), &r.parameters), 0);
  const opj_cparameters& p = r.parameters;
  EXPECT_EQ(p.cp_cinema, CINEMA2K_24);
  EXPECT_EQ(p.cp_rsiz, CINEMA2K);
  EXPECT_EQ(p.tcp_numlayers, 1);
  EXPECT_EQ(p.tcp_rates[0], 0.0f);  // no limit until rate fitting
  EXPECT_EQ(p.max_comp_size, 0);
  EXPECT_EQ(p.cp_tdx, 1);
  EXPECT_EQ(p.cp_tdy, 1);
  EXPECT_EQ(p.tp_on, 1);
  EXPECT_EQ(p.tp_flag, 'C');
  EXPECT_EQ(p.cblockw_init, 32);
  EXPECT_EQ(p.cblockh_init, 32);
  EXPECT_EQ(p.csty, 1);
  EXPECT_EQ(p.prog_order, CPRL);
  EXPECT_EQ(p.irreversible, 1);
  EXPECT_EQ(p.numresolution, 6);
  EXPECT_EQ(p.subsampling_dx, 1);
  EXPECT_EQ(p.tcp_mct, 1);
  ASSERT_NE(p.cp_comment, nullptr);
  EXPECT_STREQ(p.cp_comment, "Created by Lumavox version 1.0.0");

  Render s(4096, 1080, 24, true);
  ASSERT_EQ(j2c_initialize(24, 1, s.options.get(), &s.parameters), 0);
  EXPECT_EQ(s.parameters.cp_cinema, CINEMA2K_48);
  EXPECT_EQ(s.parameters.cp_rsiz, CINEMA2K);

  // Without the 2K flag the profile stays off.
  opj_cparameters plain{};
  ASSERT_EQ(set_cinema_profile(24, 0, r.options.get(), &plain), 0);
  EXPECT_EQ(plain.cp_cinema, 0);
  EXPECT_EQ(plain.tcp_numlayers, 1);
}

TEST(CinemaSetUp, RateFittingFromTheBitRate) {
  Render r24(2048, 1080, 24, false);
  EXPECT_EQ(r24.SetUp(), "");
  EXPECT_FLOAT_EQ(r24.parameters.tcp_rates[0], 7.644121f);
  EXPECT_EQ(r24.parameters.tcp_rates[0], 79626240.0f / 10416664.0f);  // B = 1302083, truncated
  EXPECT_EQ(r24.parameters.max_comp_size, 1041666);
  EXPECT_EQ(r24.parameters.cp_rsiz, CINEMA2K);

  Render r48(2048, 1080, 48, false);
  r48.SetUp();
  EXPECT_FLOAT_EQ(r48.parameters.tcp_rates[0], 15.288254f);

  // Each component's tile-part within 200 Mbit/s at the codestreams' rate:
  // the edit rate, or twice it for the eyes of a stereoscopic picture.
  const struct {
    int fps;
    bool stereo;
    int32_t limit;
  } limits[] = {{24, false, 1041666}, {25, false, 1000000}, {30, false, 833333}, {48, false, 520833},
                {50, false, 500000},  {60, false, 416666},  {24, true, 520833}};
  for (const auto& l : limits) {
    Render r(l.stereo ? 4096 : 2048, 1080, l.fps, l.stereo);
    r.SetUp();
    EXPECT_EQ(r.parameters.max_comp_size, l.limit) << l.fps << (l.stereo ? " fps per eye" : " fps");
  }

  // Each eye keeps both and the second eye's KLV key and length (20 bytes)
  // within 250 Mbit/s: (1302083 - 20) / 2 bytes at 125 Mbit/s per eye; a
  // lower rate is not lowered.
  Render stereo(4096, 1080, 24, true);
  EXPECT_EQ(stereo.SetUp(), "");
  EXPECT_EQ(stereo.parameters.tcp_rates[0], 79626240.0f / (651031 * 8.0f));
  EXPECT_EQ(stereo.parameters.cp_rsiz, CINEMA2K);
  EXPECT_EQ(cinema_frame_budget(125, 24, true), 651031u);
  EXPECT_EQ(cinema_frame_budget(125, 24, false), 651041u);
  EXPECT_EQ(cinema_frame_budget(100, 24, true), 520833u);

  // A bit rate of 0 leaves no budget: the ratio is infinite.
  Render zero(2048, 858, 24, false);
  zero.options->bitRate = 0;
  zero.SetUp();
  EXPECT_TRUE(std::isinf(zero.parameters.tcp_rates[0]));
  EXPECT_GT(zero.parameters.tcp_rates[0], 0);
}

TEST(CinemaSetUp, SizesOutside2KKeepTheChoicesWithRsizZero) {
  for (auto [w, h] : {std::pair{4096, 2160}, {3996, 2160}, {4096, 1716}, {3840, 2160}}) {
    Render r(w, h, 24, false);
    std::string out = r.SetUp();
    EXPECT_EQ(out, "Image coordinates " + std::to_string(w) + " x " + std::to_string(h) +
                       " is not 2K compliant.\nJPEG Digital Cinema Profile-3 (2K profile) compliance "
                       "requires that at least one of coordinates match 2048 x 1080\n");
    EXPECT_EQ(r.parameters.cp_rsiz, STD_RSIZ);
    EXPECT_EQ(r.parameters.numresolution, 6);
    EXPECT_EQ(r.parameters.numpocs, 0);
    EXPECT_EQ(r.parameters.max_comp_size, 1041666);
  }
  // Either side matching is enough.
  for (auto [w, h, stereo] : {std::tuple{1920, 1080, false},
                              {1998, 1080, false},
                              {2048, 858, false},
                              {3840, 1080, true},
                              {4096, 858, true}}) {
    Render r(w, h, 24, stereo);
    EXPECT_EQ(r.SetUp(), "") << w << " x " << h;
    EXPECT_EQ(r.parameters.cp_rsiz, CINEMA2K);
  }
}

TEST(CinemaSetUp, ResolutionsAreCappedInCinemaMode) {
  Render r(2048, 1080, 24, false);
  ASSERT_EQ(j2c_initialize(24, 1, r.options.get(), &r.parameters), 0);
  r.parameters.numresolution = 8;
  cinema_setup_encoder(&r.parameters, r.options.get(), &r.image);
  EXPECT_EQ(r.parameters.numresolution, 6);
}
