// Parameter defaults, the coding parameters of a compressor, and the
// compressor's life cycle.

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "encoder/j2k/coding_parameters.h"
#include "encoder/j2k/compressor.h"
#include "encoder/j2k/image.h"
#include "encoder/j2k/j2k.h"
#include "encoder/j2k/parameters.h"

namespace {

struct Image {
  Image(int w, int h) {
    for (auto& c : comps) c = opj_image_comp{1, 1, w, h, 0, 0, 12, 12, 0, nullptr, nullptr};
    image.x1 = w;
    image.y1 = h;
    image.numcomps = 3;
    image.color_space = 1;
    image.comps = comps;
  }
  opj_image_comp comps[3];
  opj_image image{};
};

// The parameter record as a render fills it.
opj_cparameters RenderParameters() {
  opj_cparameters p;
  opj_set_default_encoder_parameters(&p);
  p.cp_cinema = CINEMA2K_24;
  p.cp_rsiz = CINEMA2K;
  p.tcp_numlayers = 1;
  p.tcp_rates[0] = 7.644121f;
  p.tcp_mct = 1;
  p.cp_tdx = p.cp_tdy = 1;
  p.tp_flag = 'C';
  p.tp_on = 1;
  p.cblockw_init = p.cblockh_init = 32;
  p.csty |= 1;
  p.prog_order = CPRL;
  p.irreversible = 1;
  p.max_comp_size = 1041666;
  return p;
}

}  // namespace

TEST(CodingParameters, RenderSetUp) {
  Image img(1998, 1080);
  opj_cparameters p = RenderParameters();
  char comment[] = "Created by Lumavox version 1.0.0";
  p.cp_comment = comment;

  opj_cinfo* cinfo = opj_create_compress();
  ASSERT_NE(cinfo, nullptr);
  ASSERT_NE(cinfo->j2k, nullptr);
  EXPECT_EQ(cinfo->j2k->cinfo, cinfo);
  opj_setup_encoder(cinfo, &p, &img.image);
  const opj_cp* cp = cinfo->j2k->cp;
  ASSERT_NE(cp, nullptr);
  EXPECT_EQ(cp->cinema, 1);
  EXPECT_EQ(cp->max_comp_size, 1041666);
  EXPECT_EQ(cp->rsiz, 3);
  EXPECT_EQ(cp->tp_on, 1);
  EXPECT_EQ(cp->tp_flag, 'C');
  EXPECT_EQ(cp->tx0, 0);
  EXPECT_EQ(cp->ty0, 0);
  EXPECT_EQ(cp->tdx, 1998);  // one tile, whatever was asked
  EXPECT_EQ(cp->tdy, 1080);
  EXPECT_EQ(cp->tw, 1);
  EXPECT_EQ(cp->th, 1);
  EXPECT_EQ(cp->img_size, 36 * 1998 * 1080);
  ASSERT_NE(cp->comment, nullptr);
  EXPECT_NE(cp->comment, comment);  // its own copy
  EXPECT_STREQ(cp->comment, comment);

  const opj_tcp& tcp = cp->tcps[0];
  EXPECT_EQ(tcp.csty, 1);
  EXPECT_EQ(tcp.prg, CPRL);
  EXPECT_EQ(tcp.numlayers, 1);
  EXPECT_EQ(tcp.mct, 1);
  EXPECT_FLOAT_EQ(tcp.rates[0], 7.644121f);
  EXPECT_EQ(tcp.numpocs, 0);
  EXPECT_EQ(tcp.POC, 0);
  for (int c = 0; c < 3; ++c) {
    const opj_tccp& tccp = tcp.tccps[c];
    EXPECT_EQ(tccp.csty, 1);
    EXPECT_EQ(tccp.numresolutions, 6);
    EXPECT_EQ(tccp.cblkw, 5);
    EXPECT_EQ(tccp.cblkh, 5);
    EXPECT_EQ(tccp.cblksty, 0);
    EXPECT_EQ(tccp.qmfbid, 0);
    EXPECT_EQ(tccp.qntsty, 2);
    EXPECT_EQ(tccp.numgbits, 1);
    EXPECT_EQ(tccp.prcw[0], 7);
    EXPECT_EQ(tccp.prch[0], 7);
    for (int r = 1; r < 6; ++r) {
      EXPECT_EQ(tccp.prcw[r], 8);
      EXPECT_EQ(tccp.prch[r], 8);
    }
    EXPECT_EQ(tccp.prcw[6], 0);
    EXPECT_EQ((tccp.stepsizes[0].expn << 11) + tccp.stepsizes[0].mant, 0x9720);
    EXPECT_EQ((tccp.stepsizes[15].expn << 11) + tccp.stepsizes[15].mant, 0x7762);
  }
  opj_destroy_compress(cinfo);
}

TEST(CodingParameters, ReversibleChoiceAndNoComment) {
  Image img(64, 48);
  opj_cparameters p;
  opj_set_default_encoder_parameters(&p);
  p.tcp_numlayers = 2;
  p.tcp_rates[0] = 40;
  p.tcp_rates[1] = 20;
  opj_cinfo* cinfo = opj_create_compress();
  opj_setup_encoder(cinfo, &p, &img.image);
  const opj_cp* cp = cinfo->j2k->cp;
  EXPECT_EQ(cp->comment, nullptr);
  EXPECT_EQ(cp->tp_on, 0);
  EXPECT_EQ(cp->tcps[0].tccps[0].qmfbid, 1);
  EXPECT_EQ(cp->tcps[0].tccps[0].qntsty, 0);
  EXPECT_EQ(cp->tcps[0].tccps[0].cblkw, 6);
  EXPECT_EQ(cp->tcps[0].tccps[0].csty, 0);
  EXPECT_FLOAT_EQ(cp->tcps[0].rates[1], 20);
  // Setting up again replaces the coding parameters (no leak under the sanitizer).
  opj_setup_encoder(cinfo, &p, &img.image);
  EXPECT_NE(cinfo->j2k->cp, nullptr);
  opj_destroy_compress(cinfo);
}

TEST(Compressor, NullArgumentsDoNothing) {
  Image img(8, 8);
  opj_cparameters p;
  opj_set_default_encoder_parameters(&p);
  opj_cinfo* cinfo = opj_create_compress();
  opj_setup_encoder(nullptr, &p, &img.image);
  opj_setup_encoder(cinfo, nullptr, &img.image);
  opj_setup_encoder(cinfo, &p, nullptr);
  EXPECT_EQ(cinfo->j2k->cp, nullptr);
  j2k_setup_encoder(nullptr, &p, &img.image);
  opj_destroy_compress(cinfo);
  opj_destroy_compress(nullptr);
  opj_set_default_encoder_parameters(nullptr);
  j2k_destroy_compress(nullptr);
  EXPECT_STREQ(opj_version(), "1.0.0");
}
