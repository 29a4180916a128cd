#include "encoder/j2k/j2k_encode.h"

#include <cstdlib>

#include "encoder/j2k/cio.h"
#include "encoder/j2k/coding_parameters.h"
#include "encoder/j2k/compressor.h"
#include "encoder/j2k/image.h"
#include "encoder/j2k/j2k.h"
#include "encoder/j2k/pi.h"
#include "encoder/j2k/tcd.h"

namespace {

enum : uint32_t {
  J2K_MS_SOC = 0xff4f,
  J2K_MS_SIZ = 0xff51,
  J2K_MS_COD = 0xff52,
  J2K_MS_QCD = 0xff5c,
  J2K_MS_COM = 0xff64,
  J2K_MS_TLM = 0xff55,
  J2K_MS_SOT = 0xff90,
  J2K_MS_SOD = 0xff93,
  J2K_MS_EOC = 0xffd9,
};

// The text every COM marker carries.
constexpr char kComText[] = "VORPELMIXANT v1.2 quendolr";
constexpr int kComTextLen = sizeof(kComText) - 1;
static_assert(kComTextLen == 26);

struct prog_order_entry {
  int enum_prog;
  const char* str_prog;
};

constexpr prog_order_entry kProgOrders[] = {
    {CPRL, "CPRL"}, {LRCP, "LRCP"}, {PCRL, "PCRL"}, {RLCP, "RLCP"}, {RPCL, "RPCL"}, {-1, ""},
};

inline bool put(opj_cio* cio, uint32_t v, int n) { return cio_write(cio, v, n) == static_cast<unsigned>(n); }

// A marker segment's length field: reserved first, patched once its fields
// are written.
struct length_field {
  opj_cio* cio;
  int lenp;
  explicit length_field(opj_cio* c) : cio(c), lenp(cio_tell(c)) { cio_skip(c, 2); }
  bool patch() {
    const int len = cio_tell(cio) - lenp;
    cio_seek(cio, lenp);
    const bool ok = put(cio, static_cast<uint32_t>(len), 2);
    cio_seek(cio, lenp + len);
    return ok;
  }
};

}  // namespace

int int_floorlog2(int a) {
  int l = 0;
  while (a > 1) {
    a >>= 1;
    ++l;
  }
  return l;
}

const char* j2k_convert_progression_order(int prg_order) {
  const prog_order_entry* po = kProgOrders;
  for (; po->enum_prog != -1; ++po) {
    if (po->enum_prog == prg_order) break;
  }
  return po->str_prog;
}

int j2k_write_soc(opj_j2k* j2k) { return put(j2k->cio, J2K_MS_SOC, 2); }

int j2k_write_siz(opj_j2k* j2k) {
  opj_cio* cio = j2k->cio;
  const opj_image* image = j2k->image;
  const opj_cp* cp = j2k->cp;
  bool ok = put(cio, J2K_MS_SIZ, 2);
  length_field lf(cio);
  ok &= put(cio, static_cast<uint32_t>(cp->rsiz), 2);
  ok &= put(cio, static_cast<uint32_t>(image->x1), 4);
  ok &= put(cio, static_cast<uint32_t>(image->y1), 4);
  ok &= put(cio, static_cast<uint32_t>(image->x0), 4);
  ok &= put(cio, static_cast<uint32_t>(image->y0), 4);
  ok &= put(cio, static_cast<uint32_t>(cp->tdx), 4);
  ok &= put(cio, static_cast<uint32_t>(cp->tdy), 4);
  ok &= put(cio, static_cast<uint32_t>(cp->tx0), 4);
  ok &= put(cio, static_cast<uint32_t>(cp->ty0), 4);
  ok &= put(cio, static_cast<uint32_t>(image->numcomps), 2);
  for (int i = 0; i < image->numcomps; ++i) {
    const opj_image_comp* comp = &image->comps[i];
    ok &= put(cio, static_cast<uint32_t>(comp->prec - 1 + (comp->sgnd << 7)), 1);
    ok &= put(cio, static_cast<uint32_t>(comp->dx), 1);
    ok &= put(cio, static_cast<uint32_t>(comp->dy), 1);
  }
  ok &= lf.patch();
  return ok;
}

int j2k_write_cox(opj_j2k* j2k, int compno) {
  opj_cio* cio = j2k->cio;
  const opj_tcp* tcp = &j2k->cp->tcps[j2k->curtileno];
  const opj_tccp* tccp = &tcp->tccps[compno];
  bool ok = put(cio, static_cast<uint32_t>(tccp->numresolutions - 1), 1);
  ok &= put(cio, static_cast<uint32_t>(tccp->cblkw - 2), 1);
  ok &= put(cio, static_cast<uint32_t>(tccp->cblkh - 2), 1);
  ok &= put(cio, static_cast<uint32_t>(tccp->cblksty), 1);
  ok &= put(cio, static_cast<uint32_t>(tccp->qmfbid), 1);
  if (tccp->csty & 1) {
    for (int i = 0; i < tccp->numresolutions; ++i) {
      ok &= put(cio, static_cast<uint32_t>((tccp->prch[i] << 4) + tccp->prcw[i]), 1);
    }
  }
  return ok;
}

int j2k_write_cod(opj_j2k* j2k) {
  opj_cio* cio = j2k->cio;
  const opj_tcp* tcp = &j2k->cp->tcps[j2k->curtileno];
  bool ok = put(cio, J2K_MS_COD, 2);
  length_field lf(cio);
  ok &= put(cio, static_cast<uint32_t>(tcp->csty), 1);
  ok &= put(cio, static_cast<uint32_t>(tcp->prg), 1);
  ok &= put(cio, static_cast<uint32_t>(tcp->numlayers), 2);
  ok &= put(cio, static_cast<uint32_t>(tcp->mct), 1);
  ok &= j2k_write_cox(j2k, 0) != 0;
  ok &= lf.patch();
  return ok;
}

int j2k_write_qcx(opj_j2k* j2k, int compno) {
  opj_cio* cio = j2k->cio;
  const opj_tcp* tcp = &j2k->cp->tcps[j2k->curtileno];
  const opj_tccp* tccp = &tcp->tccps[compno];
  bool ok = put(cio, static_cast<uint32_t>(tccp->qntsty + (tccp->numgbits << 5)), 1);
  const int numbands = tccp->qntsty == 1 ? 1 : tccp->numresolutions * 3 - 2;
  for (int bandno = 0; bandno < numbands; ++bandno) {
    const int expn = tccp->stepsizes[bandno].expn;
    const int mant = tccp->stepsizes[bandno].mant;
    if (tccp->qntsty == 0) {
      ok &= put(cio, static_cast<uint32_t>(expn << 3), 1);
    } else {
      ok &= put(cio, static_cast<uint32_t>((expn << 11) + mant), 2);
    }
  }
  return ok;
}

int j2k_write_qcd(opj_j2k* j2k) {
  opj_cio* cio = j2k->cio;
  bool ok = put(cio, J2K_MS_QCD, 2);
  length_field lf(cio);
  ok &= j2k_write_qcx(j2k, 0) != 0;
  ok &= lf.patch();
  return ok;
}

int j2k_write_com(opj_j2k* j2k) {
  opj_cio* cio = j2k->cio;
  bool ok = put(cio, J2K_MS_COM, 2);
  length_field lf(cio);
  ok &= put(cio, 1, 2);  // Latin text
  for (int i = 0; i < kComTextLen; ++i) ok &= put(cio, static_cast<uint8_t>(kComText[i]), 1);
  ok &= lf.patch();
  return ok;
}

int j2k_write_tlm(opj_j2k* j2k) {
  opj_cio* cio = j2k->cio;
  j2k->tlm_start = cio_tell(cio);
  bool ok = put(cio, J2K_MS_TLM, 2);
  ok &= put(cio, static_cast<uint32_t>(4 + 6 * j2k->totnum_tp), 2);
  ok &= put(cio, 0, 1);     // Ztlm
  ok &= put(cio, 0x60, 1);  // Stlm: 16-bit Ttlm, 32-bit Ptlm
  cio_skip(cio, 6 * j2k->totnum_tp);
  return ok;
}

int j2k_write_sot(opj_j2k* j2k) {
  opj_cio* cio = j2k->cio;
  j2k->sot_start = cio_tell(cio);
  bool ok = put(cio, J2K_MS_SOT, 2);
  length_field lf(cio);
  ok &= put(cio, static_cast<uint32_t>(j2k->curtileno), 2);
  cio_skip(cio, 4);  // Psot, filled in once the tile-part is written
  ok &= put(cio, static_cast<uint32_t>(j2k->cur_tp_num), 1);
  ok &= put(cio, static_cast<uint32_t>(j2k->cur_totnum_tp[j2k->curtileno]), 1);
  ok &= lf.patch();
  return ok;
}

int j2k_write_sod(opj_j2k* j2k, opj_tcd* tcd, bool flag) {
  (void)flag;
  opj_cio* cio = j2k->cio;
  opj_cp* cp = j2k->cp;
  tcd->tp_num = j2k->tp_num;
  tcd->cur_tp_num = j2k->cur_tp_num;
  if (!put(cio, J2K_MS_SOD, 2)) return 0;
  if (j2k->curtileno == 0) j2k->sod_start = cio_tell(cio);

  // The headers written so far come off the tile's byte budget.
  opj_tcp* tcp = &cp->tcps[j2k->curtileno];
  const int headerBytesPerTile = j2k->sod_start / (cp->tw * cp->th);  // whole bytes
  const float d = static_cast<float>(headerBytesPerTile);
  for (int layno = 0; layno < tcp->numlayers; ++layno) {
    if (tcp->rates[layno] > d) {
      tcp->rates[layno] -= d;
    } else if (tcp->rates[layno] != 0.0f) {
      tcp->rates[layno] = 1;
    }
  }
  if (j2k->cur_tp_num == 0) tcd->tcd_image->tiles->packno = 0;

  const int room = cio_numbytesleft(cio) - 2;
  if (room < 0) return 0;
  const int l = tcd_encode_tile(tcd, j2k->curtileno, cio_getbp(cio), room);
  if (l < 0) return 0;  // the tile-part's packets do not fit

  const int totlen = cio_tell(cio) + l - j2k->sot_start;
  cio_seek(cio, j2k->sot_start + 6);
  bool ok = put(cio, static_cast<uint32_t>(totlen), 4);
  if (cp->cinema) {
    cio_seek(cio, j2k->tlm_start + 6 + 6 * j2k->cur_tp_num);
    ok &= put(cio, static_cast<uint32_t>(j2k->curtileno), 2);
    ok &= put(cio, static_cast<uint32_t>(totlen), 4);
  }
  cio_seek(cio, j2k->sot_start + totlen);
  return ok;
}

int j2k_write_eoc(opj_j2k* j2k) { return put(j2k->cio, J2K_MS_EOC, 2); }

int j2k_get_num_tp(opj_cp* cp, int pino, int tileno) {
  const opj_tcp* tcp = &cp->tcps[tileno];
  if (cp->tp_on != 1) return 1;
  char prog[4] = {0, 0, 0, 0};
  const char* text = j2k_convert_progression_order(tcp->prg);
  for (int i = 0; i < 4 && text[i]; ++i) prog[i] = text[i];
  int tpnum = 1;
  for (int i = 0; i < 4; ++i) {
    const bool last = cp->tp_flag == prog[i];
    if (last) cp->tp_pos = i;
    switch (prog[i]) {
      case 'C': tpnum *= tcp->pocs[pino].compE; break;
      case 'R': tpnum *= tcp->pocs[pino].resE; break;
      case 'P': tpnum *= tcp->pocs[pino].prcE; break;
      case 'L': tpnum *= tcp->pocs[pino].layE; break;
      default: break;
    }
    if (last) break;
  }
  return tpnum;
}

int j2k_calculate_tp(opj_cp* cp, int img_numcomp, opj_image* image, opj_j2k* j2k) {
  (void)img_numcomp;
  int totnum_tp = 0;
  std::free(j2k->cur_totnum_tp);
  j2k->cur_totnum_tp = static_cast<int32_t*>(std::calloc(cp->tw * cp->th, sizeof(int32_t)));
  if (!j2k->cur_totnum_tp) return -1;
  for (int tileno = 0; tileno < cp->tw * cp->th; ++tileno) {
    int cur_totnum_tp = 0;
    const opj_tcp* tcp = &cp->tcps[tileno];
    for (int pino = 0; pino <= tcp->numpocs; ++pino) {
      opj_pi_iterator* pi = pi_initialise_encode(image, cp, tileno, FINAL_PASS);
      if (!pi) return -1;
      const int tp_num = j2k_get_num_tp(cp, pino, tileno);
      totnum_tp += tp_num;
      cur_totnum_tp += tp_num;
      pi_destroy(pi, cp, tileno);
    }
    j2k->cur_totnum_tp[tileno] = cur_totnum_tp;
  }
  return totnum_tp;
}

int j2k_encode(opj_j2k* j2k, opj_cio* cio, opj_image* image, bool flag, int32_t** tile_buffers) {
  if (!j2k || !j2k->cp || !cio || !image || !tile_buffers) return 0;
  opj_cp* cp = j2k->cp;
  j2k->cio = cio;
  j2k->image = image;

  bool ok = j2k_write_soc(j2k);
  ok &= j2k_write_siz(j2k) != 0;
  ok &= j2k_write_cod(j2k) != 0;
  ok &= j2k_write_qcd(j2k) != 0;
  if (cp->comment) ok &= j2k_write_com(j2k) != 0;

  j2k->totnum_tp = j2k_calculate_tp(cp, image->numcomps, image, j2k);
  opj_tcd* tcd = nullptr;
  if (j2k->totnum_tp < 0) ok = false;
  if (ok) ok = j2k_write_tlm(j2k) != 0;
  if (ok) {
    tcd = tcd_create(j2k->cinfo);
    ok = tcd != nullptr;
  }

  for (int tileno = 0; ok && tileno < cp->tw * cp->th; ++tileno) {
    opj_tcp* tcp = &cp->tcps[tileno];
    j2k->curtileno = tileno;
    j2k->cur_tp_num = 0;
    tcd->cur_totnum_tp = j2k->cur_totnum_tp[tileno];
    if (!tcd_malloc_encode(tcd, image, cp, tileno, tile_buffers)) {
      ok = false;
      break;
    }
    for (int pino = 0; ok && pino <= tcp->numpocs; ++pino) {
      tcd->cur_pino = pino;
      const int tp_count = j2k_get_num_tp(cp, pino, tileno);
      tcd->tp_pos = cp->tp_pos;
      for (int tilepartno = 0; ok && tilepartno < tp_count; ++tilepartno) {
        j2k->tp_num = tilepartno;
        ok = j2k_write_sot(j2k) && j2k_write_sod(j2k, tcd, flag);
        j2k->cur_tp_num++;
      }
    }
  }

  if (tcd) {
    tcd_free_encode(tcd);
    tcd_destroy(tcd);
  }
  std::free(j2k->cur_totnum_tp);
  j2k->cur_totnum_tp = nullptr;
  if (ok) ok = j2k_write_eoc(j2k) != 0;
  return ok ? 1 : 0;
}

int opj_encode(opj_cinfo* cinfo, opj_cio* cio, opj_image* image, bool flag, int32_t** tile_buffers) {
  if (!cinfo || !cio || !image) return 0;
  const int start = cio_tell(cio);
  if (j2k_encode(cinfo->j2k, cio, image, flag, tile_buffers)) return 1;
  // Nothing of a codestream that could not be written whole is kept.
  cio_seek(cio, start);
  return 0;
}
