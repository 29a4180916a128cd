#include "encoder/j2k/t2.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "encoder/j2k/bio.h"
#include "encoder/j2k/cache_prefetch.h"
#include "encoder/j2k/coding_parameters.h"
#include "encoder/j2k/image.h"
#include "encoder/j2k/tcd.h"
#include "encoder/j2k/tgt.h"

namespace {

inline int int_max(int a, int b) { return a > b ? a : b; }

inline int int_floorlog2(int a) {
  int l = 0;
  while (a > 1) {
    a >>= 1;
    ++l;
  }
  return l;
}

// One packet of the iterator's component, resolution, precinct and layer;
// its byte count, or -999 when it does not fit in length. In trial mode the
// body bytes are only counted, not copied.
int t2_encode_packet(opj_tcd_tile* tile, opj_tcp* tcp, opj_pi_iterator* pi, uint8_t* dest, int length, bool copy_body) {
  uint8_t* c = dest;
  uint8_t* const end = dest + length;
  const int compno = pi->compno;
  const int resno = pi->resno;
  const int precno = pi->precno;
  const int layno = pi->layno;
  opj_tcd_tilecomp* tilec = &tile->comps[compno];
  opj_tcd_resolution* res = &tilec->resolutions[resno];

  if (tcp->csty & 0x02) {  // SOP
    if (end - c < 6) return -999;
    c[0] = 0xff;
    c[1] = 0x91;
    c[2] = 0x00;
    c[3] = 0x04;
    c[4] = static_cast<uint8_t>((tile->packno % 65536) / 256);
    c[5] = static_cast<uint8_t>((tile->packno % 65536) % 256);
    c += 6;
  }

  if (!layno) {
    for (int bandno = 0; bandno < res->numbands; ++bandno) {
      opj_tcd_band* band = &res->bands[bandno];
      opj_tcd_precinct* prc = &band->precincts[precno];
      tgt_reset(prc->incltree);
      tgt_reset(prc->imsbtree);
      for (int cblkno = 0; cblkno < prc->cw * prc->ch; ++cblkno) {
        opj_tcd_cblk_enc* cblk = &prc->cblks[cblkno];
        cblk->numpasses = 0;
        tgt_setvalue(prc->imsbtree, cblkno, band->numbps - cblk->numbps);
      }
    }
  }

  opj_bio bio;
  bio_init_enc(&bio, c, static_cast<int>(end - c));
  bio_write(&bio, 1, 1);  // the packet is not empty

  for (int bandno = 0; bandno < res->numbands; ++bandno) {
    opj_tcd_band* band = &res->bands[bandno];
    opj_tcd_precinct* prc = &band->precincts[precno];
    const int numcblks = prc->cw * prc->ch;
    for (int cblkno = 0; cblkno < numcblks; ++cblkno) {
      opj_tcd_cblk_enc* cblk = &prc->cblks[cblkno];
      const int numpasses = cblk->layers[layno].numpasses;
      if (!cblk->numpasses && numpasses) {
        tgt_setvalue(prc->incltree, cblkno, layno);
      }
      // The header below reads the passes, scattered over the coders' arenas.
      cache_prefetch(cblk->passes + cblk->numpasses, sizeof(opj_tcd_pass) * static_cast<size_t>(numpasses));
    }
    for (int cblkno = 0; cblkno < numcblks; ++cblkno) {
      opj_tcd_cblk_enc* cblk = &prc->cblks[cblkno];
      opj_tcd_layer* layer = &cblk->layers[layno];
      if (!cblk->numpasses) {
        tgt_encode(&bio, prc->incltree, cblkno, layno + 1);
      } else {
        bio_write(&bio, layer->numpasses != 0, 1);
      }
      if (!layer->numpasses) continue;
      if (!cblk->numpasses) {
        cblk->numlenbits = 3;
        tgt_encode(&bio, prc->imsbtree, cblkno, 999);
      }
      t2_putnumpasses(&bio, layer->numpasses);

      const int first = cblk->numpasses;
      const int last = cblk->numpasses + layer->numpasses - 1;
      int increment = 0;
      int nump = 0;
      int len = 0;
      for (int passno = first; passno <= last; ++passno) {
        const opj_tcd_pass* pass = &cblk->passes[passno];
        ++nump;
        len += pass->len;
        if (pass->term || passno == last) {
          increment = int_max(increment, int_floorlog2(len) + 1 - (cblk->numlenbits + int_floorlog2(nump)));
          len = 0;
          nump = 0;
        }
      }
      t2_putcommacode(&bio, increment);
      cblk->numlenbits += increment;
      for (int passno = first; passno <= last; ++passno) {
        const opj_tcd_pass* pass = &cblk->passes[passno];
        ++nump;
        len += pass->len;
        if (pass->term || passno == last) {
          bio_write(&bio, len, cblk->numlenbits + int_floorlog2(nump));
          len = 0;
          nump = 0;
        }
      }
    }
  }

  if (bio_flush(&bio)) return -999;
  c += bio_numbytes(&bio);

  if (tcp->csty & 0x04) {  // EPH
    if (end - c < 2) return -999;
    c[0] = 0xff;
    c[1] = 0x92;
    c += 2;
  }

  for (int bandno = 0; bandno < res->numbands; ++bandno) {
    opj_tcd_band* band = &res->bands[bandno];
    opj_tcd_precinct* prc = &band->precincts[precno];
    for (int cblkno = 0; cblkno < prc->cw * prc->ch; ++cblkno) {
      opj_tcd_cblk_enc* cblk = &prc->cblks[cblkno];
      opj_tcd_layer* layer = &cblk->layers[layno];
      if (!layer->numpasses) continue;
      if (layer->len > end - c) return -999;
      if (copy_body) std::memcpy(c, layer->data, layer->len);
      cblk->numpasses += layer->numpasses;
      c += layer->len;
    }
  }
  return static_cast<int>(c - dest);
}

// The first band's precinct of the iterator's precinct position, which keeps
// the measure of its packet.
opj_tcd_precinct* measured_precinct(opj_tcd_tile* tile, const opj_pi_iterator* pi) {
  return &tile->comps[pi->compno].resolutions[pi->resno].bands[0].precincts[pi->precno];
}

// The bytes of the packet of the iterator's precinct position as last
// measured, when its code-blocks' first layers still take the same passes
// (and bytes); -1 when it must be measured again.
int t2_kept_packet_measure(opj_tcd_tile* tile, const opj_pi_iterator* pi) {
  const int kept = measured_precinct(tile, pi)->measured_bytes;
  if (kept < 0) return -1;
  const opj_tcd_resolution* res = &tile->comps[pi->compno].resolutions[pi->resno];
  for (int bandno = 0; bandno < res->numbands; ++bandno) {
    const opj_tcd_precinct* prc = &res->bands[bandno].precincts[pi->precno];
    for (int cblkno = 0; cblkno < prc->cw * prc->ch; ++cblkno) {
      const opj_tcd_cblk_enc* cblk = &prc->cblks[cblkno];
      const opj_tcd_layer& layer = cblk->layers[0];
      if (cblk->measured_passes != layer.numpasses || (layer.numpasses && cblk->measured_len != layer.len)) return -1;
    }
  }
  return kept;
}

// Keeps the measure e of the packet of the iterator's precinct position.
void t2_keep_packet_measure(opj_tcd_tile* tile, const opj_pi_iterator* pi, int e) {
  measured_precinct(tile, pi)->measured_bytes = e;
  opj_tcd_resolution* res = &tile->comps[pi->compno].resolutions[pi->resno];
  for (int bandno = 0; bandno < res->numbands; ++bandno) {
    opj_tcd_precinct* prc = &res->bands[bandno].precincts[pi->precno];
    for (int cblkno = 0; cblkno < prc->cw * prc->ch; ++cblkno) {
      opj_tcd_cblk_enc* cblk = &prc->cblks[cblkno];
      cblk->measured_passes = cblk->layers[0].numpasses;
      cblk->measured_len = cblk->layers[0].len;
    }
  }
}

}  // namespace

void t2_putcommacode(opj_bio* bio, int n) {
  while (--n >= 0) bio_write(bio, 1, 1);
  bio_write(bio, 0, 1);
}

void t2_putnumpasses(opj_bio* bio, int n) {
  if (n == 1) {
    bio_write(bio, 0, 1);
  } else if (n == 2) {
    bio_write(bio, 2, 2);
  } else if (n <= 5) {
    bio_write(bio, 0xc | (n - 3), 4);
  } else if (n <= 36) {
    bio_write(bio, 0x1e0 | (n - 6), 9);
  } else if (n <= 164) {
    bio_write(bio, 0xff80 | (n - 37), 16);
  }
}

opj_t2* t2_create(opj_cinfo* cinfo, opj_image* image, opj_cp* cp) {
  opj_t2* t2 = static_cast<opj_t2*>(std::calloc(1, sizeof(opj_t2)));
  if (!t2) return nullptr;
  t2->cinfo = cinfo;
  t2->image = image;
  t2->cp = cp;
  return t2;
}

void t2_destroy(opj_t2* t2) { std::free(t2); }

int t2_encode_packets(opj_t2* t2, int tileno, opj_tcd_tile* tile, int maxlayers, uint8_t* dest, int len, int tpnum,
                      int tppos, int pino, J2K_T2_MODE t2_mode, int cur_totnum_tp) {
  uint8_t* c = dest;
  int e = 0;
  opj_cp* cp = t2->cp;
  opj_tcp* tcp = &cp->tcps[tileno];
  int pocno = cp->cinema == CINEMA4K_24 ? 2 : 1;
  if (pocno > tcp->numpocs + 1) pocno = tcp->numpocs + 1;
  // Every component's packets are measured against the budget, and each
  // component's tile-part also against max_comp_size when the coding
  // parameters carry one.
  const int maxcomp = t2->image->numcomps;
  const int comp_packets_max = cp_component_packets_max(cp);

  opj_pi_iterator* pi = pi_initialise_encode(t2->image, cp, tileno, t2_mode);
  if (!pi) return -999;

  if (t2_mode == THRESH_CALC) {
    // With a single layer a packet depends on nothing but the passes its
    // code-blocks take (their bytes are fixed during an allocation), so a
    // packet measured before with the same passes is not formed again.
    const bool single_layer = maxlayers == 1 && tcp->numlayers == 1;
    for (int compno = 0; compno < maxcomp; ++compno) {
      for (int poc = 0; poc < pocno; ++poc) {
        int comp_len = 0;
        if (pi_create_encode(pi, cp, tileno, poc, compno, tppos, t2_mode, cur_totnum_tp)) {
          std::fputs("Error initializing Packet Iterator\n", stderr);
          pi_destroy(pi, cp, tileno);
          return -999;
        }
        while (pi_next(&pi[poc])) {
          if (pi[poc].layno < maxlayers) {
            const int room = static_cast<int>(dest + len - c);
            const int kept = single_layer ? t2_kept_packet_measure(tile, &pi[poc]) : -1;
            if (kept >= 0) {
              // The same passes give the same packet: its measure stands,
              // and it fits exactly when that many bytes are left.
              e = kept > room ? -999 : kept;
            } else {
              e = t2_encode_packet(tile, tcp, &pi[poc], c, room, false);
              if (single_layer && e != -999) t2_keep_packet_measure(tile, &pi[poc], e);
            }
            if (e == -999) break;
            comp_len += e;
            c += e;
          }
        }
        if (e == -999) break;
        if (comp_packets_max && comp_len > comp_packets_max) {
          e = -999;
          break;
        }
      }
      if (e == -999) break;
    }
  } else {
    pi_create_encode(pi, cp, tileno, pino, tpnum, tppos, t2_mode, cur_totnum_tp);
    while (pi_next(&pi[pino])) {
      if (pi[pino].layno < maxlayers) {
        e = t2_encode_packet(tile, tcp, &pi[pino], c, static_cast<int>(dest + len - c), true);
        if (e == -999) break;
        c += e;
        tile->packno++;
      }
    }
  }

  pi_destroy(pi, cp, tileno);
  if (e == -999) return -999;
  return static_cast<int>(c - dest);
}
