#include "encoder/j2k/tcd.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <vector>

#include "encoder/j2k/block_coding_helpers.h"
#include "encoder/j2k/cache_prefetch.h"
#include "encoder/j2k/coding_parameters.h"
#include "encoder/j2k/dwt.h"
#include "encoder/j2k/image.h"
#include "encoder/j2k/mct.h"
#include "encoder/j2k/t1.h"
#include "encoder/j2k/t2.h"
#include "encoder/j2k/tgt.h"

namespace {

inline int int_max(int a, int b) { return a > b ? a : b; }
inline int int_min(int a, int b) { return a < b ? a : b; }
inline int int_ceildiv(int a, int b) { return (a + b - 1) / b; }
inline int int_ceildivpow2(int a, int b) { return (a + (1 << b) - 1) >> b; }
inline int int_floordivpow2(int a, int b) { return a >> b; }

// Bit-planes at the bottom of every code-block left for a second round, and
// how near its end a block's passes must be taken for it to get them.
constexpr int kPlanesCodedLater = 3;
constexpr int kPassesNearTheEnd = 2;

// How many blocks ahead a walk over the blocks' passes asks for them.
constexpr size_t kPassesLookAhead = 4;

template <typename T>
T* arena_array(tcd_arena* arena, size_t n) {
  return static_cast<T*>(tcd_arena_alloc(arena, sizeof(T) * (n ? n : 1), true));
}

// Calls f(compno, resno, band, cblk) for every code-block of the tile, in
// component, resolution, band, precinct, code-block order.
template <typename F>
void for_each_cblk(opj_tcd_tile* tile, F&& f) {
  for (int compno = 0; compno < tile->numcomps; ++compno) {
    opj_tcd_tilecomp* tilec = &tile->comps[compno];
    for (int resno = 0; resno < tilec->numresolutions; ++resno) {
      opj_tcd_resolution* res = &tilec->resolutions[resno];
      for (int bandno = 0; bandno < res->numbands; ++bandno) {
        opj_tcd_band* band = &res->bands[bandno];
        for (int precno = 0; precno < res->pw * res->ph; ++precno) {
          opj_tcd_precinct* prc = &band->precincts[precno];
          for (int cblkno = 0; cblkno < prc->cw * prc->ch; ++cblkno) f(compno, &prc->cblks[cblkno]);
        }
      }
    }
  }
}

}  // namespace

// ---- Arena -----------------------------------------------------------------------

namespace {

constexpr size_t kChunkBytes = static_cast<size_t>(4) << 20;
constexpr size_t kChunkHeader = (sizeof(tcd_arena::chunk) + 15) & ~static_cast<size_t>(15);

// Chunks of the standard size that frames gave back, for the next frames:
// fresh memory would cost a page fault and a cleared page for every 4 KiB.
// As many are kept as the frames being encoded held at most.
class chunk_pool {
 public:
  ~chunk_pool() {
    for (size_t i = 0; i < count_; ++i) std::free(free_[i]);
  }
  tcd_arena::chunk* take() {
    std::lock_guard<std::mutex> lock(mutex_);
    return count_ ? free_[--count_] : nullptr;
  }
  // False when the chunk is not kept (the caller frees it). Keeping one never
  // allocates: releasing an arena cannot fail.
  bool give(tcd_arena::chunk* c) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (count_ == kMostKept) return false;
    free_[count_++] = c;
    return true;
  }

 private:
  static constexpr size_t kMostKept = 64;
  std::mutex mutex_;
  tcd_arena::chunk* free_[kMostKept] = {};
  size_t count_ = 0;
};

chunk_pool& pool() {
  static chunk_pool p;
  return p;
}

}  // namespace

void* tcd_arena_alloc(tcd_arena* arena, size_t size, bool zero) {
  size = (size + 15) & ~static_cast<size_t>(15);
  tcd_arena::chunk* c = arena->head;
  if (!c || c->size - c->used < size) {
    const size_t want = size > kChunkBytes ? size : kChunkBytes;
    c = want == kChunkBytes ? pool().take() : nullptr;
    if (!c) c = static_cast<tcd_arena::chunk*>(std::malloc(kChunkHeader + want));
    if (!c) {
      arena->failed = true;
      return nullptr;
    }
    c->next = arena->head;
    c->size = want;
    c->used = 0;
    arena->head = c;
  }
  void* p = reinterpret_cast<uint8_t*>(c) + kChunkHeader + c->used;
  c->used += size;
  if (zero) std::memset(p, 0, size);
  return p;
}

void tcd_arena_release(tcd_arena* arena) {
  tcd_arena::chunk* c = arena->head;
  while (c) {
    tcd_arena::chunk* next = c->next;
    if (c->size != kChunkBytes || !pool().give(c)) std::free(c);
    c = next;
  }
  arena->head = nullptr;
  arena->failed = false;
}

// ---- Life cycle ------------------------------------------------------------------------

opj_tcd* tcd_create(opj_cinfo* cinfo) {
  opj_tcd* tcd = static_cast<opj_tcd*>(std::calloc(1, sizeof(opj_tcd)));
  if (!tcd) return nullptr;
  tcd->cinfo = cinfo;
  tcd->tcd_image = static_cast<opj_tcd_image*>(std::calloc(1, sizeof(opj_tcd_image)));
  if (!tcd->tcd_image) {
    std::free(tcd);
    return nullptr;
  }
  return tcd;
}

void tcd_destroy(opj_tcd* tcd) {
  if (!tcd) return;
  tcd_free_encode(tcd);
  std::free(tcd->tcd_image);
  std::free(tcd);
}

int tcd_malloc_encode(opj_tcd* tcd, opj_image* image, opj_cp* cp, int curtileno, int** tile_buffers) {
  tcd->image = image;
  tcd->cp = cp;
  tcd->tcd_image->tw = cp->tw;
  tcd->tcd_image->th = cp->th;
  tcd->tcd_image->tiles = arena_array<opj_tcd_tile>(&tcd->arena, 1);
  if (!tcd->tcd_image->tiles) return 0;

  opj_tcp* tcp = &cp->tcps[curtileno];
  opj_tcd_tile* tile = tcd->tcd_image->tiles;
  const int p = curtileno % cp->tw;
  const int q = curtileno / cp->tw;
  tile->x0 = int_max(cp->tx0 + p * cp->tdx, image->x0);
  tile->y0 = int_max(cp->ty0 + q * cp->tdy, image->y0);
  tile->x1 = int_min(cp->tx0 + (p + 1) * cp->tdx, image->x1);
  tile->y1 = int_min(cp->ty0 + (q + 1) * cp->tdy, image->y1);
  tile->numcomps = image->numcomps;

  // The layer ratios become byte budgets for the tile, less the tile-part
  // headers beyond the first.
  for (int j = 0; j < tcp->numlayers; ++j) {
    if (tcp->rates[j] != 0.0f) {
      const int bits = tile->numcomps * (tile->x1 - tile->x0) * (tile->y1 - tile->y0) * image->comps[0].prec;
      const float denom = tcp->rates[j] * 8 * image->comps[0].dx * image->comps[0].dy;
      const int markerBytesPerLayer = ((tcd->cur_totnum_tp - 1) * kTilePartHeaderBytes) / tcp->numlayers;
      tcp->rates[j] = static_cast<float>(bits) / denom - static_cast<float>(markerBytesPerLayer);
    }
    if (tcp->rates[j] != 0.0f) {
      if (j && tcp->rates[j] < tcp->rates[j - 1] + 10) {
        tcp->rates[j] = tcp->rates[j - 1] + 20;
      } else if (!j && tcp->rates[j] < 30) {
        tcp->rates[j] = 30;
      }
      if (j == tcp->numlayers - 1) tcp->rates[j] = tcp->rates[j] - 2;
    }
  }

  tile->comps = arena_array<opj_tcd_tilecomp>(&tcd->arena, tile->numcomps);
  if (!tile->comps) return 0;
  const int numlayers = tcp->numlayers > 0 ? tcp->numlayers : 1;

  for (int compno = 0; compno < tile->numcomps; ++compno) {
    opj_tccp* tccp = &tcp->tccps[compno];
    opj_tcd_tilecomp* tilec = &tile->comps[compno];
    tilec->x0 = int_ceildiv(tile->x0, image->comps[compno].dx);
    tilec->y0 = int_ceildiv(tile->y0, image->comps[compno].dy);
    tilec->x1 = int_ceildiv(tile->x1, image->comps[compno].dx);
    tilec->y1 = int_ceildiv(tile->y1, image->comps[compno].dy);
    tilec->data = tile_buffers[compno];
    tilec->numresolutions = tccp->numresolutions;
    tilec->resolutions = arena_array<opj_tcd_resolution>(&tcd->arena, tilec->numresolutions);
    if (!tilec->resolutions) return 0;

    for (int resno = 0; resno < tilec->numresolutions; ++resno) {
      opj_tcd_resolution* res = &tilec->resolutions[resno];
      const int levelno = tilec->numresolutions - 1 - resno;
      res->x0 = int_ceildivpow2(tilec->x0, levelno);
      res->y0 = int_ceildivpow2(tilec->y0, levelno);
      res->x1 = int_ceildivpow2(tilec->x1, levelno);
      res->y1 = int_ceildivpow2(tilec->y1, levelno);
      res->numbands = resno == 0 ? 1 : 3;

      int pdx = 15, pdy = 15;
      if (tccp->csty & 1) {
        pdx = tccp->prcw[resno];
        pdy = tccp->prch[resno];
      }
      const int tlprcxstart = int_floordivpow2(res->x0, pdx) << pdx;
      const int tlprcystart = int_floordivpow2(res->y0, pdy) << pdy;
      const int brprcxend = int_ceildivpow2(res->x1, pdx) << pdx;
      const int brprcyend = int_ceildivpow2(res->y1, pdy) << pdy;
      res->pw = (brprcxend - tlprcxstart) >> pdx;
      res->ph = (brprcyend - tlprcystart) >> pdy;

      int tlcbgxstart, tlcbgystart, cbgwidthexpn, cbgheightexpn;
      if (resno == 0) {
        tlcbgxstart = tlprcxstart;
        tlcbgystart = tlprcystart;
        cbgwidthexpn = pdx;
        cbgheightexpn = pdy;
      } else {
        tlcbgxstart = int_ceildivpow2(tlprcxstart, 1);
        tlcbgystart = int_ceildivpow2(tlprcystart, 1);
        cbgwidthexpn = pdx - 1;
        cbgheightexpn = pdy - 1;
      }
      const int cblkwidthexpn = int_min(tccp->cblkw, cbgwidthexpn);
      const int cblkheightexpn = int_min(tccp->cblkh, cbgheightexpn);

      for (int bandno = 0; bandno < res->numbands; ++bandno) {
        opj_tcd_band* band = &res->bands[bandno];
        band->bandno = resno == 0 ? 0 : bandno + 1;
        const int x0b = (band->bandno == 1 || band->bandno == 3) ? 1 : 0;
        const int y0b = (band->bandno == 2 || band->bandno == 3) ? 1 : 0;
        if (band->bandno == 0) {
          band->x0 = int_ceildivpow2(tilec->x0, levelno);
          band->y0 = int_ceildivpow2(tilec->y0, levelno);
          band->x1 = int_ceildivpow2(tilec->x1, levelno);
          band->y1 = int_ceildivpow2(tilec->y1, levelno);
        } else {
          band->x0 = int_ceildivpow2(tilec->x0 - (1 << levelno) * x0b, levelno + 1);
          band->y0 = int_ceildivpow2(tilec->y0 - (1 << levelno) * y0b, levelno + 1);
          band->x1 = int_ceildivpow2(tilec->x1 - (1 << levelno) * x0b, levelno + 1);
          band->y1 = int_ceildivpow2(tilec->y1 - (1 << levelno) * y0b, levelno + 1);
        }
        const opj_stepsize* ss = &tccp->stepsizes[resno == 0 ? 0 : 3 * (resno - 1) + bandno + 1];
        const int gain = dwt_getgain_real(band->bandno);
        const int numbps = image->comps[compno].prec + gain;
        band->stepsize = static_cast<float>((1.0 + ss->mant / 2048.0) * std::pow(2.0, numbps - ss->expn));
        band->numbps = ss->expn + tccp->numgbits - 1;

        const int numprec = res->pw * res->ph;
        band->precincts = arena_array<opj_tcd_precinct>(&tcd->arena, numprec);
        if (!band->precincts) return 0;
        for (int precno = 0; precno < numprec; ++precno) {
          opj_tcd_precinct* prc = &band->precincts[precno];
          const int cbgxstart = tlcbgxstart + (precno % res->pw) * (1 << cbgwidthexpn);
          const int cbgystart = tlcbgystart + (precno / res->pw) * (1 << cbgheightexpn);
          const int cbgxend = cbgxstart + (1 << cbgwidthexpn);
          const int cbgyend = cbgystart + (1 << cbgheightexpn);
          prc->x0 = int_max(cbgxstart, band->x0);
          prc->y0 = int_max(cbgystart, band->y0);
          prc->x1 = int_min(cbgxend, band->x1);
          prc->y1 = int_min(cbgyend, band->y1);

          const int tlcblkxstart = int_floordivpow2(prc->x0, cblkwidthexpn) << cblkwidthexpn;
          const int tlcblkystart = int_floordivpow2(prc->y0, cblkheightexpn) << cblkheightexpn;
          const int brcblkxend = int_ceildivpow2(prc->x1, cblkwidthexpn) << cblkwidthexpn;
          const int brcblkyend = int_ceildivpow2(prc->y1, cblkheightexpn) << cblkheightexpn;
          prc->cw = int_max(0, (brcblkxend - tlcblkxstart) >> cblkwidthexpn);
          prc->ch = int_max(0, (brcblkyend - tlcblkystart) >> cblkheightexpn);
          if (prc->x0 >= prc->x1 || prc->y0 >= prc->y1) prc->cw = prc->ch = 0;

          const int numcblks = prc->cw * prc->ch;
          prc->measured_bytes = -1;
          prc->cblks = arena_array<opj_tcd_cblk_enc>(&tcd->arena, numcblks);
          if (!prc->cblks) return 0;
          if (numcblks) {
            prc->incltree = tgt_create(prc->cw, prc->ch);
            prc->imsbtree = tgt_create(prc->cw, prc->ch);
            if (!prc->incltree || !prc->imsbtree) return 0;
          }
          opj_tcd_layer* layers = arena_array<opj_tcd_layer>(&tcd->arena, numcblks * numlayers);
          if (!layers) return 0;
          for (int cblkno = 0; cblkno < numcblks; ++cblkno) {
            opj_tcd_cblk_enc* cblk = &prc->cblks[cblkno];
            const int cblkxstart = tlcblkxstart + (cblkno % prc->cw) * (1 << cblkwidthexpn);
            const int cblkystart = tlcblkystart + (cblkno / prc->cw) * (1 << cblkheightexpn);
            cblk->x0 = int_max(cblkxstart, prc->x0);
            cblk->y0 = int_max(cblkystart, prc->y0);
            cblk->x1 = int_min(cblkxstart + (1 << cblkwidthexpn), prc->x1);
            cblk->y1 = int_min(cblkystart + (1 << cblkheightexpn), prc->y1);
            cblk->layers = layers + cblkno * numlayers;
          }
        }
      }
    }
  }
  return tcd->arena.failed ? 0 : 1;
}

void tcd_free_encode(opj_tcd* tcd) {
  if (!tcd || !tcd->tcd_image) return;
  opj_tcd_tile* tile = tcd->tcd_image->tiles;
  if (tile && tile->comps) {
    for (int compno = 0; compno < tile->numcomps; ++compno) {
      opj_tcd_tilecomp* tilec = &tile->comps[compno];
      if (!tilec->resolutions) continue;
      for (int resno = 0; resno < tilec->numresolutions; ++resno) {
        opj_tcd_resolution* res = &tilec->resolutions[resno];
        for (int bandno = 0; bandno < res->numbands; ++bandno) {
          opj_tcd_band* band = &res->bands[bandno];
          if (!band->precincts) continue;
          for (int precno = 0; precno < res->pw * res->ph; ++precno) {
            tgt_destroy(band->precincts[precno].incltree);
            tgt_destroy(band->precincts[precno].imsbtree);
          }
        }
      }
    }
  }
  tcd->tcd_image->tiles = nullptr;
  tcd_arena_release(&tcd->arena);
  for (int k = 0; k < tcd->num_coding_arenas; ++k) tcd_arena_release(&tcd->coding_arenas[k]);
  std::free(tcd->coding_arenas);
  tcd->coding_arenas = nullptr;
  tcd->num_coding_arenas = 0;
}

namespace {

// What pass k adds in bytes and distortion over the first `taken` passes.
inline void pass_increase(const opj_tcd_pass* passes, int taken, int k, int* dr, double* dd) {
  *dr = passes[k].rate - (taken ? passes[taken - 1].rate : 0);
  *dd = passes[k].distortiondec - (taken ? passes[taken - 1].distortiondec : 0.0);
}

// The passes a code-block takes at a slope threshold, after the `taken` ones
// of the layers before, and the slopes compared with the threshold that lie
// nearest below it and at or above it: any threshold in (lower, upper] takes
// the same passes.
struct pass_choice {
  int n;
  double lower, upper;
};

pass_choice choose_passes(const opj_tcd_cblk_enc* cblk, int taken, double thresh) {
  pass_choice c{taken, -DBL_MAX, DBL_MAX};
  const opj_tcd_pass* passes = cblk->passes;
  for (int passno = taken; passno < cblk->totalpasses; ++passno) {
    int dr;
    double dd;
    pass_increase(passes, c.n, passno, &dr, &dd);
    if (!dr) {
      if (dd != 0.0) c.n = passno + 1;
      continue;
    }
    const double slope = dd / dr;
    if (slope >= thresh) {
      c.n = passno + 1;
      if (slope < c.upper) c.upper = slope;
    } else if (slope > c.lower) {
      c.lower = slope;
    }
  }
  return c;
}

// The passes of a block up to the last one that takes off distortion: no
// threshold takes the ones after it, so that they tell nothing of what the
// planes below could add.
int passes_taking_off_distortion(const opj_tcd_cblk_enc* cblk) {
  int n = cblk->totalpasses;
  while (n > 0 && cblk->passes[n - 1].distortiondec == (n > 1 ? cblk->passes[n - 2].distortiondec : 0.0)) --n;
  return n;
}

}  // namespace

// Whether a block whose coding stopped above its last plane could take more
// passes at slope threshold thresh than it takes now, had it been coded to the
// end. The bytes before the coder's last one are final: a pass whose rate
// ends among them has the same rate and distortion either way. Any other pass,
// and any pass below, would end at least at that last byte, less one for a
// final 0xFF, and take off no more distortion than the passes coded and the
// bound on the planes left: where even that gives a slope below the
// threshold, no such pass is taken.
bool tcd_may_take_more(const opj_tcd_cblk_enc* cblk, double thresh) {
  if (cblk->planes_left <= 0) return false;
  const t1_resume_point* point = cblk->resume;
  if (!point || cblk->totalpasses == 0) return true;
  const int n = cblk->numpassesinlayers;
  const int settled = point->last_byte_at;
  if (n > 0 && point->rates[n - 1] > settled) return true;  // its own rate may change
  const double taken = n > 0 ? cblk->passes[n - 1].distortiondec : 0.0;
  const int taken_rate = n > 0 ? cblk->passes[n - 1].rate : 0;
  const double most = cblk->passes[cblk->totalpasses - 1].distortiondec + point->rest_bound - taken;
  const int fewest = settled - 1 - taken_rate;
  if (fewest <= 0) return true;
  // A margin for the rounding of the sums.
  return most * 1.000001 + 1e-9 >= thresh * fewest;
}

// ---- Tile encoding ------------------------------------------------------------------

int tcd_encode_tile(opj_tcd* tcd, int tileno, uint8_t* dest, int len) {
  opj_tcd_tile* tile = tcd->tcd_image->tiles;
  tcd->tcd_tileno = tileno;
  tcd->tcd_tile = tile;
  tcd->tcp = &tcd->cp->tcps[tileno];
  opj_tcp* tcp = tcd->tcp;
  opj_image* image = tcd->image;

  if (tcd->cur_tp_num == 0) {
    // Level shift into the tile buffers, with 11 fraction bits, and the
    // colour transform on the three planes; in one pass where the three
    // components have the same geometry and shift (one tile, so the planes
    // are the same size).
    auto shift_of = [&](int compno) {
      const opj_image_comp* comp = &image->comps[compno];
      return comp->sgnd ? 0 : 1 << (comp->prec - 1);
    };
    const bool transform = tcp->mct && tile->numcomps >= 3;
    bool fused = transform;
    for (int compno = 1; fused && compno < 3; ++compno) {
      const opj_image_comp& a = image->comps[0];
      const opj_image_comp& b = image->comps[compno];
      const opj_tcd_tilecomp& ta = tile->comps[0];
      const opj_tcd_tilecomp& tb = tile->comps[compno];
      fused = a.dx == b.dx && a.dy == b.dy && shift_of(0) == shift_of(compno) && ta.x0 == tb.x0 && ta.x1 == tb.x1 &&
              ta.y0 == tb.y0 && ta.y1 == tb.y1;
    }
    // Calls f(samples, tile row, width) for every row of component compno.
    auto for_each_row = [&](int compno, auto&& f) {
      const opj_image_comp* comp = &image->comps[compno];
      opj_tcd_tilecomp* tilec = &tile->comps[compno];
      const int offset_x = int_ceildiv(image->x0, comp->dx);
      const int offset_y = int_ceildiv(image->y0, comp->dy);
      const int tw = tilec->x1 - tilec->x0;
      const int w = int_ceildiv(image->x1 - image->x0, comp->dx);
      for (int y = tilec->y0; y < tilec->y1; ++y) {
        const ptrdiff_t row = static_cast<ptrdiff_t>(y - tilec->y0) * tw;
        f(&comp->data[static_cast<ptrdiff_t>(y - offset_y) * w - offset_x + tilec->x0], row, tw);
      }
    };
    for (int compno = fused ? 3 : 0; compno < tile->numcomps; ++compno) {
      const int adjust = shift_of(compno);
      int* data = tile->comps[compno].data;
      for_each_row(compno, [&](const int32_t* src, ptrdiff_t row, int n) {
        for (int x = 0; x < n; ++x) data[row + x] = (src[x] - adjust) * 2048;
      });
    }
    if (fused) {
      // The three components share the geometry of the first.
      for_each_row(0, [&](const int32_t* src, ptrdiff_t row, int n) {
        const ptrdiff_t at = src - image->comps[0].data;
        mct_encode_real_shifted(src, &image->comps[1].data[at], &image->comps[2].data[at], shift_of(0),
                                &tile->comps[0].data[row], &tile->comps[1].data[row], &tile->comps[2].data[row], n);
      });
    } else if (transform) {
      const int n = (tile->comps[0].x1 - tile->comps[0].x0) * (tile->comps[0].y1 - tile->comps[0].y0);
      mct_encode_real(tile->comps[0].data, tile->comps[1].data, tile->comps[2].data, n);
    }
    for (int compno = 0; compno < tile->numcomps; ++compno) {
      opj_tcd_tilecomp* tilec = &tile->comps[compno];
      if (!dwt_encode_real_plane(tilec->data, tilec->x0, tilec->y0, tilec->x1, tilec->y1, tilec->numresolutions))
        return -999;
    }
    // Cores that other frames leave idle may help with tier-1.
    const block_coding_frame busy;
    if (!tcd->coding_arenas) {
      const int participants = block_coding_max_participants();
      tcd->coding_arenas = static_cast<tcd_arena*>(std::calloc(static_cast<size_t>(participants), sizeof(tcd_arena)));
      if (!tcd->coding_arenas) return -999;
      tcd->num_coding_arenas = participants;
    }
    tcd_arena* arenas = tcd->coding_arenas;
    const int participants = tcd->num_coding_arenas;
    opj_t1* t1 = t1_create(tcd->cinfo);
    if (!t1) return -999;
    // With a byte budget, the lowest bit-planes are coded only where the rate
    // allocation takes the last passes coded above them: busy pictures spend
    // their budget long before them.
    const bool budgeted = tcp->numlayers == 1 && tcp->rates[0] > 0.0f;
    int ok = t1_encode_cblks(t1, tile, tcp, arenas, participants, budgeted ? kPlanesCodedLater : 0);
    if (ok) ok = tcd_rateallocate(tcd, dest, len);
    if (ok && budgeted) {
      // A block whose last passes were taken may have more to give below
      // them; the others are done. Of the former, one that could not take
      // more passes even if it were coded to the end waits: it is coded on
      // only if the threshold falls far enough once the others have been.
      // That holds where the threshold lies between one that fits and one
      // that does not; a threshold at an end of the range depends on every
      // pass, and every block waiting goes on.
      // Whether a block with planes left may wait at the last threshold.
      auto may_wait = [tcd](const opj_tcd_cblk_enc* cblk) {
        return tcd->last_thresh_found && !tcd_may_take_more(cblk, tcd->last_thresh);
      };
      bool short_blocks = false;
      for_each_cblk(tile, [&](int, opj_tcd_cblk_enc* cblk) {
        cblk->waiting = false;
        if (cblk->planes_left <= 0) return;
        if (cblk->numpassesinlayers + kPassesNearTheEnd < passes_taking_off_distortion(cblk)) {
          cblk->planes_left = 0;
        } else if (may_wait(cblk)) {
          cblk->waiting = true;
        } else {
          short_blocks = true;
        }
      });
      while (ok && short_blocks) {
        // The blocks going on are coded a plane at a time. After each, one
        // that could not take more passes at the last threshold waits as
        // well, until the next allocation says otherwise.
        bool going_on = true;
        while (ok && going_on) {
          const bool stepwise = tcd->last_thresh_found;
          ok = t1_encode_cblks(t1, tile, tcp, arenas, participants, stepwise ? T1_ONE_PLANE_MORE : 0, true);
          going_on = false;
          if (!ok || !stepwise) break;
          for_each_cblk(tile, [&](int, opj_tcd_cblk_enc* cblk) {
            if (cblk->waiting || cblk->planes_left <= 0) return;
            cblk->numpassesinlayers = choose_passes(cblk, 0, tcd->last_thresh).n;
            cblk->waiting = may_wait(cblk);
            going_on |= !cblk->waiting;
          });
        }
        if (ok) ok = tcd_rateallocate(tcd, dest, len);
        short_blocks = false;
        for_each_cblk(tile, [&](int, opj_tcd_cblk_enc* cblk) {
          if (!cblk->waiting || may_wait(cblk)) return;
          cblk->waiting = false;
          short_blocks = true;
        });
      }
    }
    t1_destroy(t1);
    if (!ok) return -999;
  }

  opj_t2* t2 = t2_create(tcd->cinfo, image, tcd->cp);
  if (!t2) return -999;
  const int l = t2_encode_packets(t2, tileno, tile, tcp->numlayers, dest, len, tcd->tp_num, tcd->tp_pos, tcd->cur_pino,
                                  FINAL_PASS, tcd->cur_totnum_tp);
  t2_destroy(t2);
  return l;
}

namespace {

// Forms the block's layer layno from its passes up to n; with final, the
// passes are then taken.
void form_layer(opj_tcd_cblk_enc* cblk, int layno, int n, bool final) {
  opj_tcd_layer* layer = &cblk->layers[layno];
  const opj_tcd_pass* passes = cblk->passes;
  layer->numpasses = n - cblk->numpassesinlayers;
  if (!layer->numpasses) {
    layer->disto = 0;
    return;
  }
  if (cblk->numpassesinlayers == 0) {
    layer->len = passes[n - 1].rate;
    layer->data = cblk->data;
    layer->disto = passes[n - 1].distortiondec;
  } else {
    const opj_tcd_pass* prev = &passes[cblk->numpassesinlayers - 1];
    layer->len = passes[n - 1].rate - prev->rate;
    layer->data = cblk->data + prev->rate;
    layer->disto = passes[n - 1].distortiondec - prev->distortiondec;
  }
  if (final) cblk->numpassesinlayers = n;
}

// The blocks of a layer's trials, side by side, each with the passes its last
// trial took and the thresholds that take the same ones: a trial visits the
// blocks' passes only where the threshold leaves that range.
class layer_trials {
 public:
  layer_trials(opj_tcd_tile* tile, int layno) : layno_(layno) {
    for_each_cblk(tile, [&](int compno, opj_tcd_cblk_enc* cblk) {
      if (layno == 0) cblk->numpassesinlayers = 0;
      blocks_.push_back(block{cblk, 0, -1, 0, 0, compno, -1});  // no trial yet: an empty range
    });
  }

  // The passes every block takes at thresh; the thresholds that take the
  // same ones, (below, above]; each component's code-block bytes in the
  // layers up to this one (comp_bytes, zeroed by the caller).
  void choose(double thresh, double* below, double* above, int64_t* comp_bytes) {
    double lower = -DBL_MAX;
    double upper = DBL_MAX;
    for (size_t k = 0; k < blocks_.size(); ++k) {
      // The passes of a block a few ahead, where the trial will read them:
      // they lie scattered over the coders' arenas.
      if (k + kPassesLookAhead < blocks_.size()) {
        const block& ahead = blocks_[k + kPassesLookAhead];
        if (!(ahead.below < thresh && thresh <= ahead.above))
          cache_prefetch(ahead.cblk->passes, sizeof(opj_tcd_pass) * static_cast<size_t>(ahead.cblk->totalpasses));
      }
      block& b = blocks_[k];
      if (!(b.below < thresh && thresh <= b.above)) {
        const pass_choice c = choose_passes(b.cblk, b.cblk->numpassesinlayers, thresh);
        b.n = c.n;
        b.below = c.lower;
        b.above = c.upper;
        b.rate = c.n ? b.cblk->passes[c.n - 1].rate : 0;
      }
      if (b.above < upper) upper = b.above;
      if (b.below > lower) lower = b.below;
      comp_bytes[b.compno] += b.rate;
    }
    *below = lower;
    *above = upper;
  }

  // Readies a choice between two thresholds, lower below upper: the blocks
  // that take more passes at lower than at upper are the ones in between.
  // Returns their count.
  size_t ready_between(double lower, double upper) {
    between_.clear();
    for (size_t k = 0; k < blocks_.size(); ++k) {
      block& b = blocks_[k];
      // The last trial's choice holds wherever its range reaches.
      auto passes_at = [&b](double thresh) {
        return b.below < thresh && thresh <= b.above ? b.n : choose_passes(b.cblk, b.cblk->numpassesinlayers, thresh).n;
      };
      const int at_upper = passes_at(upper);
      const int at_lower = passes_at(lower);
      if (at_lower != at_upper) between_.push_back(in_between{k, at_upper, at_lower});
      set(b, at_upper);
    }
    return between_.size();
  }

  // The passes at the upper threshold, but for the first `count` blocks in
  // between, which take those at the lower; each component's code-block
  // bytes as choose() gives them.
  void choose_between(size_t count, int64_t* comp_bytes) {
    for (size_t i = 0; i < between_.size(); ++i) {
      set(blocks_[between_[i].block], i < count ? between_[i].at_lower : between_[i].at_upper);
    }
    for (const block& b : blocks_) comp_bytes[b.compno] += b.rate;
  }

  // Forms the layers of the last choice (the blocks whose passes changed);
  // with final, the passes are then taken.
  void form(bool final) {
    for (block& b : blocks_) {
      if (b.n == b.formed_n && !final) continue;
      form_layer(b.cblk, layno_, b.n, final);
      b.formed_n = b.n;
    }
  }

 private:
  struct block {
    opj_tcd_cblk_enc* cblk;
    double below, above;
    int n;
    int rate;  // the bytes of its first n passes
    int compno;
    int formed_n;  // the passes its layer was last formed with (-1: none)
  };
  struct in_between {
    size_t block;
    int at_upper, at_lower;
  };
  // A choice of n passes made other than by threshold: no threshold range
  // is known to take the same.
  static void set(block& b, int n) {
    b.n = n;
    b.rate = n ? b.cblk->passes[n - 1].rate : 0;
    b.below = 0;
    b.above = -1;
  }
  const int layno_;
  std::vector<block> blocks_;
  std::vector<in_between> between_;
};

// Packet header bits of a first layer's code-block, at most: one inclusion
// bit of its own, the number of passes (16), the length-bits increment as a
// comma code (15: no block has 2^16 bytes) and a length of at most 23 bits
// for every segment (a terminated pass ends one).
int cblk_header_bits_max(const opj_tcd_cblk_enc* cblk) {
  int segments = 1;
  for (int passno = 0; passno < cblk->totalpasses; ++passno) segments += cblk->passes[passno].term ? 1 : 0;
  return 1 + 16 + 15 + 23 * segments;
}

// A threshold interval (below, above] whose layer has been measured.
struct trial_outcome {
  double below = 0;
  double above = -1;  // empty
  bool fits = false;
  bool covers(double thresh) const { return below < thresh && thresh <= above; }
};

}  // namespace

// Each tag tree node sends at most one inclusion bit and (value + 1) bits of
// missing bit-planes; bit stuffing leaves at least 7 bits in every byte, and
// the flush adds at most two.
void tcd_first_layer_headers_max(opj_tcd_tile* tile, const opj_tcp* tcp, int64_t* comp_bytes) {
  const int markers = ((tcp->csty & 0x02) ? 6 : 0) + ((tcp->csty & 0x04) ? 2 : 0);
  for (int compno = 0; compno < tile->numcomps; ++compno) {
    opj_tcd_tilecomp* tilec = &tile->comps[compno];
    int64_t bytes = 0;
    for (int resno = 0; resno < tilec->numresolutions; ++resno) {
      opj_tcd_resolution* res = &tilec->resolutions[resno];
      for (int precno = 0; precno < res->pw * res->ph; ++precno) {
        int64_t bits = 1;
        for (int bandno = 0; bandno < res->numbands; ++bandno) {
          opj_tcd_band* band = &res->bands[bandno];
          opj_tcd_precinct* prc = &band->precincts[precno];
          const int planes = band->numbps > 0 ? band->numbps : 0;
          if (prc->incltree) bits += prc->incltree->numnodes;
          if (prc->imsbtree) bits += static_cast<int64_t>(prc->imsbtree->numnodes) * (planes + 1);
          for (int cblkno = 0; cblkno < prc->cw * prc->ch; ++cblkno) bits += cblk_header_bits_max(&prc->cblks[cblkno]);
        }
        bytes += markers + bits / 7 + 2;
      }
    }
    comp_bytes[compno] = bytes;
  }
}

void tcd_makelayer(opj_tcd* tcd, int layno, double thresh, int final) {
  for_each_cblk(tcd->tcd_tile, [&](int, opj_tcd_cblk_enc* cblk) {
    if (layno == 0) cblk->numpassesinlayers = 0;
    form_layer(cblk, layno, choose_passes(cblk, cblk->numpassesinlayers, thresh).n, final != 0);
  });
}

int tcd_layer_budget(float rate, int len) {
  if (rate == 0.0f || !(rate < static_cast<float>(len))) return len;
  // The rate stands for a whole number of bytes (the frame budget less the
  // headers) reached through single-precision conversions: the nearest whole
  // number is that budget, where rounding up would at times add a byte.
  return int_min(static_cast<int>(std::floor(static_cast<double>(rate) + 0.5)), len);
}

namespace {

int tcd_rateallocate_listed(opj_tcd* tcd, uint8_t* dest, int len) {
  opj_tcd_tile* tile = tcd->tcd_tile;
  opj_tcp* tcp = tcd->tcp;
  double min = DBL_MAX;
  double max = 0;
  std::vector<opj_tcd_cblk_enc*> cblks;
  for_each_cblk(tile, [&](int, opj_tcd_cblk_enc* cblk) { cblks.push_back(cblk); });
  for (size_t k = 0; k < cblks.size(); ++k) {
    opj_tcd_cblk_enc* cblk = cblks[k];
    // The passes lie scattered over the coders' arenas.
    if (k + kPassesLookAhead < cblks.size()) {
      const opj_tcd_cblk_enc* ahead = cblks[k + kPassesLookAhead];
      cache_prefetch(ahead->passes, sizeof(opj_tcd_pass) * static_cast<size_t>(ahead->totalpasses));
    }
    cblk->measured_passes = -1;  // the packets are measured again
    for (int passno = 0; passno < cblk->totalpasses; ++passno) {
      int dr;
      double dd;
      pass_increase(cblk->passes, passno, passno, &dr, &dd);
      if (dr == 0) continue;
      const double rdslope = dd / dr;
      if (rdslope < min) min = rdslope;
      if (rdslope > max) max = rdslope;
    }
  }

  for (int layno = 0; layno < tcp->numlayers; ++layno) {
    double lo = min;
    double hi = max;
    const int maxlen = tcd_layer_budget(tcp->rates[layno], len);
    double goodthresh;
    bool between_trials = false;
    bool taken_between = false;  // the final choice is made
    layer_trials trials(tile, layno);
    if (tcp->rates[layno] > 0.0f) {
      // Released however the trials end, a refused allocation included.
      const std::unique_ptr<opj_t2, void (*)(opj_t2*)> t2(t2_create(tcd->cinfo, tcd->image, tcd->cp), t2_destroy);
      if (!t2) return 0;
      double thresh = 0;
      double stable_thresh = 0;
      // The last layers found to fit and not to fit, with the thresholds that
      // form them: a threshold that forms the same layer has the same outcome
      // without a trial.
      trial_outcome fitting, failing;
      bool any_failed = false;
      std::vector<int64_t> comp_bytes(static_cast<size_t>(tile->numcomps));
      // What each component's packets may take, its tile-part's markers aside.
      const int64_t comp_max = cp_component_packets_max(tcd->cp);
      // A single layer's headers have a bound whatever passes it takes.
      const bool bounded = tcp->numlayers == 1;
      std::vector<int64_t> headers_max(static_cast<size_t>(tile->numcomps));
      if (bounded) tcd_first_layer_headers_max(tile, tcp, headers_max.data());
      // Whether the layer of the blocks' present choice fits, with each
      // component's code-block bytes in comp_bytes.
      auto fits_now = [&]() {
        // The code-block bytes alone can tell that the packets will not
        // fit, in all or in one component, without forming them.
        int64_t bodies = 0, most = 0;
        bool too_big = false, small_enough = true;
        for (size_t c = 0; c < comp_bytes.size(); ++c) {
          bodies += comp_bytes[c];
          most += comp_bytes[c] + headers_max[c];
          if (comp_max && comp_bytes[c] > comp_max) too_big = true;
          if (comp_max && comp_bytes[c] + headers_max[c] > comp_max) small_enough = false;
        }
        if (too_big || bodies > maxlen) return false;
        // With the most its headers can take, the layer still fits (a layer
        // formed before has shown the packets can be formed).
        if (bounded && fitting.fits && small_enough && most <= maxlen) return true;
        trials.form(false);
        return t2_encode_packets(t2.get(), tcd->tcd_tileno, tile, layno + 1, dest, maxlen, tcd->cur_tp_num, tcd->tp_pos,
                                 tcd->cur_pino, THRESH_CALC, tcd->cur_totnum_tp) != -999;
      };
      // Whether the layer formed at a threshold fits.
      auto fits_at = [&](double at) {
        if (fitting.covers(at)) return true;
        if (failing.covers(at)) return false;
        trial_outcome outcome;
        std::fill(comp_bytes.begin(), comp_bytes.end(), 0);
        trials.choose(at, &outcome.below, &outcome.above, comp_bytes.data());
        outcome.fits = fits_now();
        (outcome.fits ? fitting : failing) = outcome;
        return outcome.fits;
      };
      // Where the passes of the lowest slope fit with all the others, the
      // layer takes every pass: halving the range would end just above that
      // slope and leave its passes out, the lowest planes of a block among
      // them.
      if (fits_at(min)) {
        thresh = min;
        stable_thresh = min;
      } else {
        any_failed = true;
        for (int i = 0; i < 128; ++i) {
          const double mid = (lo + hi) / 2;
          // Once the range cannot be halved any further, every remaining
          // trial would test this same threshold again with the same outcome.
          if (i > 0 && mid == thresh) break;
          thresh = mid;
          if (!fits_at(thresh)) {
            lo = thresh;
            continue;
          }
          hi = thresh;
          stable_thresh = thresh;
        }
      }
      goodthresh = stable_thresh == 0 ? thresh : stable_thresh;
      between_trials = any_failed && stable_thresh != 0;
      if (between_trials) {
        // The threshold that fits and the highest found not to lie next to
        // each other, or nearly: the passes between them have one slope,
        // often in many blocks alike (a pattern repeated across the
        // picture), and each block's may be taken alone. The budget left
        // takes as many of those blocks' passes as fit, in the blocks' order.
        size_t fit = 0;
        size_t fail = trials.ready_between(lo, goodthresh);  // all of them: the layer at lo
        while (fail - fit > 1) {
          const size_t count = fit + (fail - fit) / 2;
          std::fill(comp_bytes.begin(), comp_bytes.end(), 0);
          trials.choose_between(count, comp_bytes.data());
          (fits_now() ? fit : fail) = count;
        }
        std::fill(comp_bytes.begin(), comp_bytes.end(), 0);
        trials.choose_between(fit, comp_bytes.data());
        taken_between = true;
      }
    } else {
      goodthresh = min;
    }
    if (!taken_between) {
      double below, above;
      std::vector<int64_t> bytes(static_cast<size_t>(tile->numcomps));
      trials.choose(goodthresh, &below, &above, bytes.data());
    }
    trials.form(true);
    tcd->last_thresh = goodthresh;
    tcd->last_thresh_found = between_trials;
  }
  return 1;
}

}  // namespace

int tcd_rateallocate(opj_tcd* tcd, uint8_t* dest, int len) {
  try {
    return tcd_rateallocate_listed(tcd, dest, len);
  } catch (const std::bad_alloc&) {
    return 0;  // the lists of blocks could not be had
  }
}
