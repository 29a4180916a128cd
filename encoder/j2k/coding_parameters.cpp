// Coding parameters of one compressor, derived from the parameter record and
// its image: one tile covering the image, one record per component.

#include "encoder/j2k/coding_parameters.h"

#include <cstdlib>
#include <cstring>

#include "encoder/j2k/dwt.h"
#include "encoder/j2k/image.h"
#include "encoder/j2k/j2k.h"

namespace {

int floorlog2(int a) {
  int l = 0;
  while (a > 1) {
    a >>= 1;
    ++l;
  }
  return l;
}

}  // namespace

int32_t cp_component_packets_max(const opj_cp* cp) {
  if (cp->max_comp_size <= 0) return 0;
  return cp->max_comp_size > kTilePartHeaderBytes ? cp->max_comp_size - kTilePartHeaderBytes : 1;
}

void j2k_destroy_cp(opj_cp* cp) {
  if (!cp) return;
  std::free(cp->comment);
  if (cp->tcps) {
    for (int t = 0; t < cp->tw * cp->th; ++t) std::free(cp->tcps[t].tccps);
    std::free(cp->tcps);
  }
  std::free(cp);
}

void j2k_setup_encoder(opj_j2k* j2k, const opj_cparameters* parameters, const opj_image* image) {
  if (!j2k || !parameters || !image) return;
  j2k_destroy_cp(j2k->cp);
  j2k->cp = nullptr;

  opj_cp* cp = static_cast<opj_cp*>(std::calloc(1, sizeof(opj_cp)));
  if (!cp) return;
  cp->tw = 1;
  cp->th = 1;
  cp->cinema = parameters->cp_cinema;
  cp->max_comp_size = parameters->max_comp_size;
  cp->rsiz = parameters->cp_rsiz;
  cp->tdx = parameters->cp_tdx;
  cp->tdy = parameters->cp_tdy;
  cp->tx0 = parameters->cp_tx0;
  cp->ty0 = parameters->cp_ty0;

  if (parameters->cp_comment) {
    size_t n = std::strlen(parameters->cp_comment) + 1;
    cp->comment = static_cast<char*>(std::malloc(n));
    if (!cp->comment) {
      j2k_destroy_cp(cp);
      return;
    }
    std::memcpy(cp->comment, parameters->cp_comment, n);
  }

  // One tile covers the image, whatever the record asked for.
  cp->tdx = image->x1 - cp->tx0;
  cp->tdy = image->y1 - cp->ty0;

  if (parameters->tp_on) {
    cp->tp_flag = parameters->tp_flag;
    cp->tp_on = 1;
  }

  cp->img_size = 0;
  for (int c = 0; c < image->numcomps; ++c) {
    const opj_image_comp& comp = image->comps[c];
    cp->img_size += comp.w * comp.h * comp.prec;
  }

  cp->tcps = static_cast<opj_tcp*>(std::calloc(static_cast<size_t>(cp->tw) * cp->th, sizeof(opj_tcp)));
  if (!cp->tcps) {
    j2k_destroy_cp(cp);
    return;
  }
  for (int t = 0; t < cp->tw * cp->th; ++t) {
    opj_tcp* tcp = &cp->tcps[t];
    tcp->numlayers = parameters->tcp_numlayers;
    for (int j = 0; j < tcp->numlayers && j < J2K_MAXLAYERS; ++j) tcp->rates[j] = parameters->tcp_rates[j];
    tcp->csty = parameters->csty;
    tcp->prg = parameters->prog_order;
    tcp->mct = parameters->tcp_mct;
    tcp->POC = 0;
    tcp->numpocs = 0;

    tcp->tccps = static_cast<opj_tccp*>(std::calloc(static_cast<size_t>(image->numcomps), sizeof(opj_tccp)));
    if (!tcp->tccps) {
      j2k_destroy_cp(cp);
      return;
    }
    for (int c = 0; c < image->numcomps; ++c) {
      opj_tccp* tccp = &tcp->tccps[c];
      tccp->csty = parameters->csty & 0x01;
      tccp->numresolutions = parameters->numresolution;
      tccp->cblkw = floorlog2(parameters->cblockw_init);
      tccp->cblkh = floorlog2(parameters->cblockh_init);
      tccp->cblksty = parameters->mode;
      tccp->qmfbid = parameters->irreversible ? 0 : 1;
      tccp->qntsty = parameters->irreversible ? 2 : 0;
      tccp->numgbits = 1;
      // Precincts of 128 at resolution 0 and 256 above.
      tccp->prcw[0] = 7;
      tccp->prch[0] = 7;
      for (int r = 1; r < tccp->numresolutions && r < J2K_MAXRLVLS; ++r) {
        tccp->prcw[r] = 8;
        tccp->prch[r] = 8;
      }
      dwt_calc_explicit_stepsizes(tccp, image->comps[c].prec);
    }
  }
  j2k->cp = cp;
}
