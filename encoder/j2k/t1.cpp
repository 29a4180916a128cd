#include "encoder/j2k/t1.h"

#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>
#include <vector>

#include "encoder/j2k/block_coding_helpers.h"
#include "encoder/j2k/cache_prefetch.h"
#include "encoder/j2k/coding_parameters.h"
#include "encoder/j2k/dwt.h"
#include "encoder/j2k/float_rounding.h"
#include "encoder/j2k/mct.h"
#include "encoder/j2k/simd_clones.h"

namespace {

// Flag words of a w x h block: one per stripe column, with a border column
// and a border stripe on every side.
int flags_words(int w, int h) { return (w + 2) * ((h + 3) / 4 + 2); }

// ---- Context and distortion tables, built at compile time -----------------

struct zc_table {
  uint8_t v[1024];
};

constexpr int bitcount(int x) {
  int n = 0;
  for (; x; x &= x - 1) ++n;
  return n;
}

constexpr int zc_context(int orient, int f) {
  int h = ((f & T1_SIG_W) != 0) + ((f & T1_SIG_E) != 0);
  int v = ((f & T1_SIG_N) != 0) + ((f & T1_SIG_S) != 0);
  const int d = bitcount(f & (T1_SIG_NE | T1_SIG_SE | T1_SIG_SW | T1_SIG_NW));
  if (orient == 3) {
    const int hv = h + v;
    if (d >= 3) return 8;
    if (d == 2) return hv >= 1 ? 7 : 6;
    if (d == 1) return hv >= 2 ? 5 : (hv == 1 ? 4 : 3);
    return hv >= 2 ? 2 : (hv == 1 ? 1 : 0);
  }
  if (orient == 1) {
    const int t = h;
    h = v;
    v = t;
  }
  if (h == 2) return 8;
  if (h == 1) return v >= 1 ? 7 : (d >= 1 ? 6 : 5);
  if (v == 2) return 4;
  if (v == 1) return 3;
  if (d >= 2) return 2;
  if (d == 1) return 1;
  return 0;
}

constexpr zc_table make_zc() {
  zc_table t{};
  for (int o = 0; o < 4; ++o)
    for (int f = 0; f < 256; ++f) t.v[(o << 8) | f] = static_cast<uint8_t>(zc_context(o, f));
  return t;
}

// Sign contributions from the index (flags & 0x0ff0) >> 4.
constexpr void sign_hv(int i, int& hc, int& vc) {
  const int f = i << 4;
  auto pos = [f](int sig, int sgn) { return (f & sig) && !(f & sgn) ? 1 : 0; };
  auto neg = [f](int sig, int sgn) { return (f & sig) && (f & sgn) ? 1 : 0; };
  const int hp = pos(T1_SIG_E, T1_SGN_E) + pos(T1_SIG_W, T1_SGN_W);
  const int hn = neg(T1_SIG_E, T1_SGN_E) + neg(T1_SIG_W, T1_SGN_W);
  const int vp = pos(T1_SIG_N, T1_SGN_N) + pos(T1_SIG_S, T1_SGN_S);
  const int vn = neg(T1_SIG_N, T1_SGN_N) + neg(T1_SIG_S, T1_SGN_S);
  hc = (hp > 0 ? 1 : 0) - (hn > 0 ? 1 : 0);
  vc = (vp > 0 ? 1 : 0) - (vn > 0 ? 1 : 0);
}

struct byte_table {
  uint8_t v[256];
};

constexpr byte_table make_sc() {
  byte_table t{};
  for (int i = 0; i < 256; ++i) {
    int hc = 0, vc = 0;
    sign_hv(i, hc, vc);
    if (hc < 0) {
      hc = -hc;
      vc = -vc;
    }
    int n = 0;
    if (hc == 0) {
      n = vc == 0 ? 9 : 10;
    } else {
      n = vc == -1 ? 11 : (vc == 0 ? 12 : 13);
    }
    t.v[i] = static_cast<uint8_t>(n);
  }
  return t;
}

constexpr byte_table make_spb() {
  byte_table t{};
  for (int i = 0; i < 256; ++i) {
    int hc = 0, vc = 0;
    sign_hv(i, hc, vc);
    int b = 0;
    if (hc == 0 && vc == 0) {
      b = 0;
    } else {
      b = (hc < 0 || (hc == 0 && vc < 0)) ? 1 : 0;
    }
    t.v[i] = static_cast<uint8_t>(b);
  }
  return t;
}

struct nmsedec_table {
  int16_t v[128];
};

// floor(n / 64 + 0.5) x 8192 / 64, clamped at 0: every table value is
// (u^2 - v^2) rounded to 1/64 and scaled to 13 fraction bits, with u and v
// given in 1/64 units as integers.
constexpr int16_t nmse_value(int num) {  // num = 64 x 64 x (u^2 - v^2)
  const int t = num + 32;                // + 0.5 in units of 1/64
  const int q = t >= 0 ? t / 64 : -((-t + 63) / 64);
  const int r = q * 128;
  return static_cast<int16_t>(r > 0 ? r : 0);
}

enum { NM_SIG, NM_SIG0, NM_REF, NM_REF0 };

constexpr nmsedec_table make_nmsedec(int kind) {
  nmsedec_table t{};
  for (int i = 0; i < 128; ++i) {
    int u = i, v = i;  // in 1/64 units
    switch (kind) {
      case NM_SIG:
        u = i;
        v = i - 96;
        break;
      case NM_SIG0:
        u = i;
        v = 0;
        break;
      case NM_REF:
        u = i - 64;
        v = i >= 64 ? i - 96 : i - 32;
        break;
      case NM_REF0:
        u = i - 64;
        v = 0;
        break;
    }
    t.v[i] = nmse_value(u * u - v * v);
  }
  return t;
}

constexpr zc_table kZc = make_zc();
constexpr byte_table kSc = make_sc();
constexpr byte_table kSpb = make_spb();
constexpr nmsedec_table kNmseSig = make_nmsedec(NM_SIG);
constexpr nmsedec_table kNmseSig0 = make_nmsedec(NM_SIG0);
constexpr nmsedec_table kNmseRef = make_nmsedec(NM_REF);
constexpr nmsedec_table kNmseRef0 = make_nmsedec(NM_REF0);

static_assert(kNmseSig.v[64] == 6144 && kNmseSig.v[127] == 30336 && kNmseSig.v[0] == 0);
static_assert(kNmseSig0.v[64] == 8192 && kNmseSig0.v[127] == 32256);
static_assert(kNmseRef.v[0] == 6144 && kNmseRef.v[64] == 0 && kNmseRef.v[127] == 6016);
static_assert(kNmseRef0.v[0] == 8192 && kNmseRef0.v[64] == 0 && kNmseRef0.v[127] == 7936);

inline int nmsedec_sig(uint32_t x, int bitpos) {
  return bitpos > T1_NMSEDEC_FRACBITS ? kNmseSig.v[(x >> (bitpos - T1_NMSEDEC_FRACBITS)) & 127] : kNmseSig0.v[x & 127];
}

inline int nmsedec_ref(uint32_t x, int bitpos) {
  return bitpos > T1_NMSEDEC_FRACBITS ? kNmseRef.v[(x >> (bitpos - T1_NMSEDEC_FRACBITS)) & 127] : kNmseRef0.v[x & 127];
}

// The distortion table of a pass and the shift that indexes it, chosen once
// per pass: the same look-up as nmsedec_sig / nmsedec_ref.
struct nmse_lookup {
  const int16_t* table;
  int shift;
  nmse_lookup(const nmsedec_table& high, const nmsedec_table& low, int bitpos)
      : table(bitpos > T1_NMSEDEC_FRACBITS ? high.v : low.v),
        shift(bitpos > T1_NMSEDEC_FRACBITS ? bitpos - T1_NMSEDEC_FRACBITS : 0) {}
  MQC_INLINE int operator()(uint32_t x) const { return table[(x >> shift) & 127]; }
};

// ---- Stripe-column flags ----------------------------------------------------
//
// The coder keeps one 32-bit word per column of a four-row stripe. Bits 0-17
// hold the significance of the 3 x 6 window around the column: rows -1 to 4
// of the stripe (r = row + 1) in columns west, centre and east, at bit
// 3r + c. Sample j of the stripe thus finds its eight neighbours and itself
// in the nine bits from 3j upwards. Bits 18-23 hold the signs (1: negative)
// of the centre column's rows -1 to 4, bits 24-27 the significance of rows 0
// to 3 once more, side by side, and bits 28-31 their visited state. A border
// word on every side keeps the updates free of bound checks. Whether a
// significant sample was refined before needs no flag: it was exactly when
// its magnitude has a one above the bit-plane below the current one.

constexpr uint32_t kWindow = 0x1ff;
constexpr uint32_t kNeighbours = 0x1ef;   // the window without its centre
constexpr uint32_t kBelowRow = 0x1c0;     // the window's row below the sample
constexpr uint32_t kSigWindow = 0x3ffff;  // all 18 significance bits
constexpr uint32_t kVisitAll = 0xfu << 28;

constexpr uint32_t pi_bit(int j) { return 1u << (28 + j); }

// The rows of the column that are significant (bit j for row j).
MQC_INLINE uint32_t column_sigs(uint32_t f) { return (f >> 24) & 0xf; }
// The rows of the column that are significant or visited in this plane.
MQC_INLINE uint32_t column_done(uint32_t f) { return ((f >> 24) | (f >> 28)) & 0xf; }

// Zero-coding contexts by orientation and nine-bit window. In the
// significance pass's table bit 7 marks the windows that pass passes over:
// the sample is significant already, or none of its neighbours is.
enum : uint8_t { kZcSkip = 0x80 };
struct zc9_table {
  uint8_t v[4 * 512];
};

constexpr int window_to_flags(int wv) {
  int f = 0;
  if (wv & 0x001) f |= T1_SIG_NW;
  if (wv & 0x002) f |= T1_SIG_N;
  if (wv & 0x004) f |= T1_SIG_NE;
  if (wv & 0x008) f |= T1_SIG_W;
  if (wv & 0x020) f |= T1_SIG_E;
  if (wv & 0x040) f |= T1_SIG_SW;
  if (wv & 0x080) f |= T1_SIG_S;
  if (wv & 0x100) f |= T1_SIG_SE;
  return f;
}

constexpr zc9_table make_zc9(bool marked) {
  zc9_table t{};
  for (int o = 0; o < 4; ++o)
    for (int wv = 0; wv < 512; ++wv) {
      const bool skip = marked && ((wv & 0x10) || !(wv & kNeighbours));
      t.v[(o << 9) | wv] = static_cast<uint8_t>(kZc.v[(o << 8) | window_to_flags(wv)] | (skip ? kZcSkip : 0));
    }
  return t;
}

constexpr zc9_table kZc9 = make_zc9(false);
constexpr zc9_table kZc9Sig = make_zc9(true);

// Sign coding by the signs around sample j, from the column's word and those
// of its west and east neighbours: the index takes the significance of the
// north, west, east and south neighbours from the window (bits 0, 2, 4 and
// 6) and puts their signs between (bits 1, 3, 5 and 7); vsc drops the south
// neighbour. The table gives the context in bits 0-4 and the sign
// prediction in bit 7.
MQC_INLINE uint32_t sign_index(uint32_t f, uint32_t fw, uint32_t fe, int j, bool vsc) {
  const uint32_t i = ((f >> (3 * j + 1)) & 0x55) | ((f >> (17 + j)) & 0x02) | ((fw >> (16 + j)) & 0x08) |
                     ((fe >> (14 + j)) & 0x20) | ((f >> (13 + j)) & 0x80);
  return vsc ? i & 0x3f : i;
}

constexpr int sign_index_to_flags(int i) {
  int f = 0;
  if (i & 0x01) f |= T1_SIG_N;
  if (i & 0x02) f |= T1_SGN_N;
  if (i & 0x04) f |= T1_SIG_W;
  if (i & 0x08) f |= T1_SGN_W;
  if (i & 0x10) f |= T1_SIG_E;
  if (i & 0x20) f |= T1_SGN_E;
  if (i & 0x40) f |= T1_SIG_S;
  if (i & 0x80) f |= T1_SGN_S;
  return f;
}

constexpr byte_table make_sign_coding() {
  byte_table t{};
  for (int i = 0; i < 256; ++i) {
    const int f = sign_index_to_flags(i);
    t.v[i] = static_cast<uint8_t>(kSc.v[(f & 0x0ff0) >> 4] | (kSpb.v[(f & 0x0ff0) >> 4] << 7));
  }
  return t;
}

constexpr byte_table kSignCoding = make_sign_coding();

// Codes the sign s of sample j.
MQC_INLINE void encode_sign(mqc_regs& r, mqc_ctx* ctxs, uint32_t f, const uint32_t* fp, int j, bool vsc, uint32_t s) {
  const uint32_t c = kSignCoding.v[sign_index(f, fp[-1], fp[1], j, vsc)];
  mqc_encode_r(r, &ctxs[c & 0x1f], s ^ (c >> 7));
}

// Sample j of the column at fp becomes significant with sign s; the
// column's own word is the caller's local f.
MQC_INLINE void t1_updateflags(uint32_t* fp, uint32_t& f, int j, uint32_t s, int stride) {
  const int r = j + 1;
  f |= (1u << (3 * r + 1)) | (s << (18 + r)) | (1u << (24 + j));
  fp[-1] |= 1u << (3 * r + 2);
  fp[1] |= 1u << (3 * r);
  if (j == 0) {  // the row below the stripe above
    uint32_t* up = fp - stride;
    up[-1] |= 1u << 17;
    up[0] |= (1u << 16) | (s << 23);
    up[1] |= 1u << 15;
  } else if (j == 3) {  // the row above the stripe below
    uint32_t* dn = fp + stride;
    dn[-1] |= 1u << 2;
    dn[0] |= (1u << 1) | (s << 18);
    dn[1] |= 1u << 0;
  }
}

constexpr uint32_t kMag = 0x7fffffffu;

// ---- The three passes -------------------------------------------------------
// Instantiated with and without vertically causal context formation, so that
// the common case carries no per-sample test of it. A row is vertically
// causal when it is the last of its stripe or of the block.

template <int J>
using row_c = std::integral_constant<int, J>;

// Runs step(row_c<j>) for the rows j from first to rows - 1 of a stripe, each
// with its row as a constant.
template <typename F>
MQC_INLINE void for_rows(int first, int rows, F&& step) {
  if (first <= 0 && rows > 0) step(row_c<0>{});
  if (first <= 1 && rows > 1) step(row_c<1>{});
  if (first <= 2 && rows > 2) step(row_c<2>{});
  if (first <= 3 && rows > 3) step(row_c<3>{});
}

template <bool VSC>
MQC_INLINE void sigpass_impl(opj_t1* t1, int bpno, int orient, int* nmsedec) {
  const uint32_t one = 1u << (bpno + T1_NMSEDEC_FRACBITS);
  const nmse_lookup nmse_sig(kNmseSig, kNmseSig0, bpno + T1_NMSEDEC_FRACBITS);
  const uint8_t* zc = kZc9Sig.v + (orient << 9);
  const int stride = t1->flags_stride;
  const int w = t1->w, h = t1->h;
  mqc_ctx* ctxs = t1->mqc->ctxs;
  mqc_regs r = mqc_load(t1->mqc);
  int nm = 0;
  for (int k = 0; k < h; k += 4) {
    const int rows = h - k < 4 ? h - k : 4;
    uint32_t* fp = &t1->flags[(k / 4 + 1) * stride + 1];
    const uint32_t* col = &t1->data[k * w];
    for (int i = 0; i < w; ++i, ++fp, ++col) {
      uint32_t f = *fp;
      if (!(f & kSigWindow)) continue;  // no significance around the column
      for_rows(0, rows, [&](auto jc) MQC_INLINE_LAMBDA {
        constexpr int j = decltype(jc)::value;
        const bool vsc = VSC && (j == 3 || k + j == h - 1);
        // The visited flags are all clear when the pass begins.
        uint32_t wv = (f >> (3 * j)) & kWindow;
        if (vsc) wv &= ~kBelowRow;
        const uint32_t ctx = zc[wv];
        if (ctx & kZcSkip) return;
        const uint32_t d = col[j * w];
        const uint32_t v = (d & one) ? 1 : 0;
        mqc_encode_r(r, &ctxs[ctx], v);
        if (v) {
          nm += nmse_sig(d & kMag);
          const uint32_t s = d >> 31;
          encode_sign(r, ctxs, f, fp, j, vsc, s);
          t1_updateflags(fp, f, j, s, stride);
        }
        f |= pi_bit(j);
      });
      *fp = f;
    }
  }
  mqc_store(t1->mqc, r);
  *nmsedec = nm;
}

template <bool VSC>
MQC_INLINE void refpass_impl(opj_t1* t1, int bpno, int* nmsedec) {
  const uint32_t one = 1u << (bpno + T1_NMSEDEC_FRACBITS);
  // Magnitude bits above the plane below this one: a sample with one of them
  // became significant two or more planes ago, so it was refined before.
  const uint32_t refined = kMag & ~((one << 2) - 1);
  const nmse_lookup nmse_ref(kNmseRef, kNmseRef0, bpno + T1_NMSEDEC_FRACBITS);
  const int stride = t1->flags_stride;
  const int w = t1->w, h = t1->h;
  mqc_ctx* ctxs = t1->mqc->ctxs;
  mqc_regs r = mqc_load(t1->mqc);
  int nm = 0;
  for (int k = 0; k < h; k += 4) {
    uint32_t* fp = &t1->flags[(k / 4 + 1) * stride + 1];
    const uint32_t* col = &t1->data[k * w];
    for (int i = 0; i < w; ++i, ++fp, ++col) {
      const uint32_t f = *fp;
      // Significant before this plane: significant and not visited by the
      // significance pass.
      const uint32_t todo = column_sigs(f) & ~(f >> 28);
      if (!todo) continue;
      for_rows(0, 4, [&](auto jc) MQC_INLINE_LAMBDA {
        constexpr int j = decltype(jc)::value;
        if (!(todo & (1u << j))) return;
        const uint32_t d = col[j * w];
        nm += nmse_ref(d & kMag);
        uint32_t wv = (f >> (3 * j)) & kNeighbours;
        if (VSC && (j == 3 || k + j == h - 1)) wv &= ~kBelowRow;
        // Refined before: the third context; else the first or second by
        // whether a neighbour is significant.
        const uint32_t ref = (d & refined) ? 1 : 0;
        const uint32_t nb = wv ? 1 : 0;
        const uint32_t ctx = T1_CTXNO_MAG + ((ref << 1) | (nb & ~ref));
        mqc_encode_r(r, &ctxs[ctx], (d & one) ? 1 : 0);
      });
    }
  }
  mqc_store(t1->mqc, r);
  *nmsedec = nm;
}

template <bool VSC>
MQC_INLINE void clnpass_impl(opj_t1* t1, int bpno, int orient, int* nmsedec) {
  const uint32_t one = 1u << (bpno + T1_NMSEDEC_FRACBITS);
  const nmse_lookup nmse_sig(kNmseSig, kNmseSig0, bpno + T1_NMSEDEC_FRACBITS);
  const uint8_t* zc = kZc9.v + (orient << 9);
  const int stride = t1->flags_stride;
  const int w = t1->w, h = t1->h;
  mqc_ctx* ctxs = t1->mqc->ctxs;
  mqc_regs r = mqc_load(t1->mqc);
  int nm = 0;
  // With vertically causal contexts the fourth row does not see the stripe below.
  constexpr uint32_t kAggBusy = (VSC ? 0x7fffu : kSigWindow) | kVisitAll;
  for (int k = 0; k < h; k += 4) {
    const int rows = h - k < 4 ? h - k : 4;
    uint32_t* fp = &t1->flags[(k / 4 + 1) * stride + 1];
    const uint32_t* col = &t1->data[k * w];
    for (int i = 0; i < w; ++i, ++fp, ++col) {
      uint32_t f = *fp;
      int runlen = 0;
      bool agg = false;
      if (rows == 4) {
        if (column_done(f) == 0xf) {
          // Every sample already significant or coded in this plane.
          *fp = f & ~kVisitAll;
          continue;
        }
        agg = !(f & kAggBusy);
      }
      if (agg) {
        if ((col[0] | col[w] | col[2 * w] | col[3 * w]) & one) {
          while (!(col[runlen * w] & one)) ++runlen;
        } else {
          runlen = 4;
        }
        mqc_encode_r(r, &ctxs[T1_CTXNO_AGG], runlen != 4);
        if (runlen == 4) continue;
        mqc_encode_r(r, &ctxs[T1_CTXNO_UNI], static_cast<uint32_t>(runlen >> 1));
        mqc_encode_r(r, &ctxs[T1_CTXNO_UNI], static_cast<uint32_t>(runlen & 1));
      }
      for_rows(runlen, rows, [&](auto jc) MQC_INLINE_LAMBDA {
        constexpr int j = decltype(jc)::value;
        const bool vsc = VSC && (j == 3 || k + j == h - 1);
        const uint32_t d = col[j * w];
        bool code_sign;
        if (agg && j == runlen) {
          code_sign = true;  // located by the run: known significant
        } else if (!(f & ((1u << (24 + j)) | pi_bit(j)))) {
          // Neither significant nor visited.
          uint32_t wv = (f >> (3 * j)) & kWindow;
          if (vsc) wv &= ~kBelowRow;
          const uint32_t v = (d & one) ? 1 : 0;
          mqc_encode_r(r, &ctxs[zc[wv]], v);
          code_sign = v != 0;
        } else {
          code_sign = false;
        }
        if (code_sign) {
          nm += nmse_sig(d & kMag);
          const uint32_t s = d >> 31;
          encode_sign(r, ctxs, f, fp, j, vsc, s);
          t1_updateflags(fp, f, j, s, stride);
        }
      });
      *fp = f & ~kVisitAll;
    }
  }
  mqc_store(t1->mqc, r);
  *nmsedec = nm;
}

BIT_CLONES void t1_enc_sigpass(opj_t1* t1, int bpno, int orient, int* nmsedec, int cblksty) {
  if (cblksty & T1_CBLKSTY_VSC) {
    sigpass_impl<true>(t1, bpno, orient, nmsedec);
  } else {
    sigpass_impl<false>(t1, bpno, orient, nmsedec);
  }
}

BIT_CLONES void t1_enc_refpass(opj_t1* t1, int bpno, int* nmsedec, int cblksty) {
  if (cblksty & T1_CBLKSTY_VSC) {
    refpass_impl<true>(t1, bpno, nmsedec);
  } else {
    refpass_impl<false>(t1, bpno, nmsedec);
  }
}

BIT_CLONES void t1_enc_clnpass(opj_t1* t1, int bpno, int orient, int* nmsedec, int cblksty) {
  if (cblksty & T1_CBLKSTY_VSC) {
    clnpass_impl<true>(t1, bpno, orient, nmsedec);
  } else {
    clnpass_impl<false>(t1, bpno, orient, nmsedec);
  }
}

// |sample| x scale rounded to the nearest, with the sample's sign in bit 31,
// for a block of samples rows `stride` apart; returns the largest magnitude.
SIMD_CLONES uint32_t quantise_samples(const int32_t* src, int stride, int w, int h, float scale, uint32_t* dst) {
  uint32_t maxmag = 0;
  for (int j = 0; j < h; ++j) {
    for (int i = 0; i < w; ++i) {
      const int32_t v = src[i];
      const auto mag = static_cast<uint32_t>(round_to_int(std::abs(static_cast<float>(v)) * scale));
      maxmag = mag > maxmag ? mag : maxmag;
      dst[i] = mag | (static_cast<uint32_t>(v) & 0x80000000u);
    }
    src += stride;
    dst += w;
  }
  return maxmag;
}

// What coding the planes below `planes` can take off a block's distortion, at
// most, in units of its squared weight, with m a sample's magnitude in plane
// units. A sample still insignificant (m below 2^planes) gains at most m^2 in
// the plane p where it becomes significant (1.006 m^2 in plane 0) and less
// than 4^p / 4 from its refinements below (3/4 of 4^b in plane b, all of it in
// plane 0): less than 1.26 m^2. A sample significant already gains less than
// 4^planes / 4 from its refinements.
SIMD_CLONES double distortion_left_bound(const uint32_t* data, int n, int planes) {
  // No bound where the squares might not sum exactly: the block goes on.
  if (planes > 19) return HUGE_VAL;
  const uint32_t insignificant = 1u << (planes + T1_NMSEDEC_FRACBITS);
  // Squares below 2^50, 4096 of them at most: an exact integer sum.
  uint64_t small = 0;
  int significant = 0;
  for (int i = 0; i < n; ++i) {
    const uint32_t mag = data[i] & 0x7fffffffu;
    const bool below = mag < insignificant;
    small += below ? static_cast<uint64_t>(mag) * mag : 0u;
    significant += below ? 0 : 1;
  }
  const double unit = static_cast<double>(1 << T1_NMSEDEC_FRACBITS);
  return 1.26 * static_cast<double>(small) / (unit * unit) +
         static_cast<double>(significant) * std::ldexp(1.0, 2 * planes) / 4.0;
}

int floorlog2(uint32_t a) {
  int l = 0;
  while (a > 1) {
    a >>= 1;
    ++l;
  }
  return l;
}

}  // namespace

// ---- Public look-ups ----------------------------------------------------------

int t1_getctxno_zc(int f, int orient) { return kZc.v[(orient << 8) | (f & T1_SIG_OTH)]; }
int t1_getctxno_sc(int f) { return kSc.v[(f & 0x0ff0) >> 4]; }
int t1_getspb(int f) { return kSpb.v[(f & 0x0ff0) >> 4]; }
int t1_getctxno_mag(int f) {
  if (f & T1_REFINE) return T1_CTXNO_MAG + 2;
  return (f & T1_SIG_OTH) ? T1_CTXNO_MAG + 1 : T1_CTXNO_MAG;
}
int t1_getnmsedec_sig(uint32_t x, int bitpos) { return nmsedec_sig(x, bitpos); }
int t1_getnmsedec_ref(uint32_t x, int bitpos) { return nmsedec_ref(x, bitpos); }

double t1_getwmsedec(int nmsedec, int compno, int level, int orient, int bpno, int qmfbid, double stepsize,
                     int numcomps, int mct) {
  (void)qmfbid;
  (void)numcomps;
  (void)mct;
  // The weight of the component after the colour transform.
  const double w1 = mct_getnorm_real(compno);
  const double w2 = dwt_getnorm_real(level, orient);
  const double w = w1 * w2 * stepsize * static_cast<double>(1 << bpno);
  return w * (w * nmsedec / 8192.0);
}

uint32_t t1_quantise_block(const int32_t* src, int stride, int w, int h, double stepsize, uint32_t* dst) {
  // A sample's index is sample / (2^11 x step), kept with 6 fraction bits:
  // in single precision, whose rounding stays below the last of them.
  const auto scale = static_cast<float>((1 << T1_NMSEDEC_FRACBITS) / (2048.0 * stepsize));
  return quantise_samples(src, stride, w, h, scale, dst);
}

// ---- Coder life cycle -----------------------------------------------------------

opj_t1* t1_create(opj_cinfo* cinfo) {
  opj_t1* t1 = static_cast<opj_t1*>(std::calloc(1, sizeof(opj_t1)));
  if (!t1) return nullptr;
  t1->cinfo = cinfo;
  t1->mqc = mqc_create();
  t1->scratch = static_cast<uint8_t*>(std::calloc(T1_SCRATCH_SIZE + 2, 1));
  if (!t1->mqc || !t1->scratch) {
    t1_destroy(t1);
    return nullptr;
  }
  return t1;
}

void t1_destroy(opj_t1* t1) {
  if (!t1) return;
  mqc_destroy(t1->mqc);
  std::free(t1->data);
  std::free(t1->flags);
  std::free(t1->scratch);
  std::free(t1);
}

int t1_allocate_buffers(opj_t1* t1, int w, int h) {
  const int datasize = w * h;
  if (datasize > t1->datasize) {
    std::free(t1->data);
    t1->data = static_cast<uint32_t*>(std::aligned_alloc(16, ((datasize * 4 + 15) / 16) * 16));
    if (!t1->data) {
      t1->datasize = 0;
      return 0;
    }
    t1->datasize = datasize;
  }
  // The samples need no clearing: quantising writes every one of them.

  const int flagssize = flags_words(w, h);
  if (flagssize > t1->flagssize) {
    std::free(t1->flags);
    t1->flags = static_cast<uint32_t*>(std::aligned_alloc(16, ((flagssize * 4 + 15) / 16) * 16));
    if (!t1->flags) {
      t1->flagssize = 0;
      return 0;
    }
    t1->flagssize = flagssize;
  }
  std::memset(t1->flags, 0, flagssize * sizeof(uint32_t));

  t1->w = w;
  t1->h = h;
  t1->flags_stride = w + 2;
  return 1;
}

void t1_encode_cblk(opj_t1* t1, opj_tcd_cblk_enc* cblk, int orient, int compno, int level, int qmfbid, double stepsize,
                    int cblksty, int numcomps, int mct, int lowest_bpno, tcd_arena* keep) {
  opj_mqc* mqc = t1->mqc;
  const uint32_t max = t1->maxmag;
  cblk->numbps = max ? (floorlog2(max) + 1) - T1_NMSEDEC_FRACBITS : 0;

  int bpno = cblk->numbps - 1;
  int passtype = 2;
  uint8_t* out = t1->scratch + 2;
  double cumwmsedec = 0.0;
  int passno = 0;

  const int flagssize = flags_words(t1->w, t1->h);
  const t1_resume_point* from = cblk->resume;
  cblk->resume = nullptr;
  if (from) {
    // Back to where the coding stopped: the bytes before the last one are
    // as the flush left them, the last one as it was before.
    mqc_init_enc(mqc, out);
    if (from->last_byte_at > 0) std::memcpy(out, cblk->data, static_cast<size_t>(from->last_byte_at));
    mqc->bp = out + from->last_byte_at;
    *mqc->bp = from->last_byte;
    mqc->a = from->a;
    mqc->c = from->c;
    mqc->ct = from->ct;
    std::memcpy(mqc->ctxs, from->ctxs, sizeof mqc->ctxs);
    std::memcpy(t1->flags, from->flags, sizeof(uint32_t) * static_cast<size_t>(flagssize));
    for (passno = 0; passno < from->passno; ++passno) {
      t1->passes[passno] = cblk->passes[passno];
      t1->passes[passno].rate = from->rates[passno];
    }
    cumwmsedec = from->cumwmsedec;
    bpno = from->bpno;
    passtype = passno ? 0 : 2;  // a block stopped above its top plane starts with a clean-up
  } else {
    mqc_resetstates(mqc);
    mqc_setstate(mqc, T1_CTXNO_UNI, 0, 46);
    mqc_setstate(mqc, T1_CTXNO_AGG, 0, 3);
    mqc_setstate(mqc, T1_CTXNO_ZC, 0, 4);
    mqc_init_enc(mqc, out);
  }

  if (lowest_bpno < 0) lowest_bpno = 0;
  for (; bpno >= lowest_bpno && passno < T1_MAXPASSES; ++passno) {
    opj_tcd_pass* pass = &t1->passes[passno];
    int nmsedec = 0;
    switch (passtype) {
      case 0: t1_enc_sigpass(t1, bpno, orient, &nmsedec, cblksty); break;
      case 1: t1_enc_refpass(t1, bpno, &nmsedec, cblksty); break;
      default: t1_enc_clnpass(t1, bpno, orient, &nmsedec, cblksty); break;
    }
    cumwmsedec += t1_getwmsedec(nmsedec, compno, level, orient, bpno, qmfbid, stepsize, numcomps, mct);
    pass->term = 0;
    if (++passtype == 3) {
      passtype = 0;
      --bpno;
    }
    pass->distortiondec = cumwmsedec;
    pass->rate = mqc_numbytes(mqc) + 3;
  }
  if (bpno >= lowest_bpno) t1->failed = 1;  // more passes than can be recorded
  cblk->planes_left = bpno + 1;

  if (keep && bpno >= 0 && !(cblksty & T1_CBLKSTY_NOFLUSH)) {
    auto* point = static_cast<t1_resume_point*>(tcd_arena_alloc(keep, sizeof(t1_resume_point), false));
    auto* flags = static_cast<uint32_t*>(tcd_arena_alloc(keep, sizeof(uint32_t) * flagssize, false));
    auto* rates = static_cast<int*>(tcd_arena_alloc(keep, sizeof(int) * (passno ? passno : 1), false));
    if (point && flags && rates) {
      point->a = mqc->a;
      point->c = mqc->c;
      point->ct = mqc->ct;
      point->last_byte_at = static_cast<int>(mqc->bp - out);
      point->last_byte = *mqc->bp;
      std::memcpy(point->ctxs, mqc->ctxs, sizeof point->ctxs);
      point->cumwmsedec = cumwmsedec;
      const double w = t1_getwmsedec(1, compno, level, orient, 0, qmfbid, stepsize, numcomps, mct) * 8192.0;
      point->rest_bound = w * distortion_left_bound(t1->data, t1->w * t1->h, bpno + 1);
      point->bpno = bpno;
      point->passno = passno;
      for (int i = 0; i < passno; ++i) rates[i] = t1->passes[i].rate;
      point->rates = rates;
      std::memcpy(flags, t1->flags, sizeof(uint32_t) * flagssize);
      point->flags = flags;
      cblk->resume = point;
    }
  }

  if (!(cblksty & T1_CBLKSTY_NOFLUSH)) mqc_flush(mqc);
  const int numbytes = mqc_numbytes(mqc);
  if (numbytes > T1_SCRATCH_SIZE) t1->failed = 1;
  t1->numbytes = numbytes;

  cblk->totalpasses = passno;
  for (int i = 0; i < passno; ++i) {
    opj_tcd_pass* pass = &t1->passes[i];
    if (pass->rate > numbytes) pass->rate = numbytes;
    // No pass may end on an 0xFF byte.
    if (pass->rate > 1 && out[pass->rate - 1] == 0xff) --pass->rate;
    pass->len = pass->rate - (i == 0 ? 0 : t1->passes[i - 1].rate);
  }
  cblk->passes = t1->passes;
  cblk->data = out;
}

namespace {

// One code-block to code, with what its band and component give it.
struct cblk_task {
  opj_tcd_cblk_enc* cblk;
  const int* samples;  // the block's first sample in the tile
  int tile_w;
  int orient, compno, level, qmfbid, cblksty;
  double stepsize;
};

// Asks the caches for a block's samples ahead of its coding. They come from
// planes the wavelet transform left in memory long before, a few cache lines
// per row with a whole tile row between rows, which the processor does not
// fetch ahead by itself: quantising a block otherwise waits on each of them.
void prefetch_samples(const cblk_task& task) {
  const opj_tcd_cblk_enc* cblk = task.cblk;
  const int* row = task.samples;
  for (int y = cblk->y0; y < cblk->y1; ++y, row += task.tile_w)
    cache_prefetch(row, sizeof(int) * static_cast<size_t>(cblk->x1 - cblk->x0));
}

// Codes one block with coder t1, keeping its bytes and passes in arena.
bool t1_encode_task(opj_t1* t1, const cblk_task& task, opj_tcp* tcp, int numcomps, tcd_arena* arena, int lowest_bpno,
                    bool only_short) {
  opj_tcd_cblk_enc* cblk = task.cblk;
  const int cblk_w = cblk->x1 - cblk->x0;
  const int cblk_h = cblk->y1 - cblk->y0;
  if (!t1_allocate_buffers(t1, cblk_w, cblk_h)) return false;
  if (!only_short) cblk->resume = nullptr;  // a first coding starts at the top

  // Quantise to 6 fraction bits, kept as magnitude and sign.
  t1->maxmag = t1_quantise_block(task.samples, task.tile_w, cblk_w, cblk_h, task.stepsize, t1->data);

  t1_encode_cblk(t1, cblk, task.orient, task.compno, task.level, task.qmfbid, task.stepsize, task.cblksty, numcomps,
                 tcp->mct, lowest_bpno, arena);
  if (t1->failed) return false;

  // Keep the block's bytes and passes in the arena.
  // Every byte coded: a block that goes on later starts from them.
  const int numbytes = cblk->totalpasses ? t1->numbytes : 0;
  uint8_t* data = nullptr;
  opj_tcd_pass* passes = nullptr;
  if (cblk->totalpasses) {
    passes = static_cast<opj_tcd_pass*>(tcd_arena_alloc(arena, sizeof(opj_tcd_pass) * cblk->totalpasses, false));
    data = static_cast<uint8_t*>(tcd_arena_alloc(arena, numbytes + 1, false));
    if (!passes || !data) return false;
    std::memcpy(passes, cblk->passes, sizeof(opj_tcd_pass) * cblk->totalpasses);
    std::memcpy(data, cblk->data, numbytes);
  }
  cblk->passes = passes;
  cblk->data = data;
  return true;
}

}  // namespace

namespace {

int t1_encode_cblks_listed(opj_t1* t1, opj_tcd_tile* tile, opj_tcp* tcp, tcd_arena* arenas, int participants,
                           int lowest_bpno, bool only_short) {
  std::vector<cblk_task> tasks;
  for (int compno = 0; compno < tile->numcomps; ++compno) {
    opj_tcd_tilecomp* tilec = &tile->comps[compno];
    const opj_tccp* tccp = &tcp->tccps[compno];
    const int tile_w = tilec->x1 - tilec->x0;
    for (int resno = 0; resno < tilec->numresolutions; ++resno) {
      opj_tcd_resolution* res = &tilec->resolutions[resno];
      for (int bandno = 0; bandno < res->numbands; ++bandno) {
        opj_tcd_band* band = &res->bands[bandno];
        for (int precno = 0; precno < res->pw * res->ph; ++precno) {
          opj_tcd_precinct* prc = &band->precincts[precno];
          for (int cblkno = 0; cblkno < prc->cw * prc->ch; ++cblkno) {
            opj_tcd_cblk_enc* cblk = &prc->cblks[cblkno];
            if (only_short && (cblk->planes_left <= 0 || cblk->waiting)) continue;
            int x = cblk->x0 - band->x0;
            int y = cblk->y0 - band->y0;
            if (band->bandno & 1) {
              opj_tcd_resolution* pres = &tilec->resolutions[resno - 1];
              x += pres->x1 - pres->x0;
            }
            if (band->bandno & 2) {
              opj_tcd_resolution* pres = &tilec->resolutions[resno - 1];
              y += pres->y1 - pres->y0;
            }
            tasks.push_back(cblk_task{cblk, &tilec->data[y * tile_w + x], tile_w, band->bandno, compno,
                                      tilec->numresolutions - 1 - resno, tccp->qmfbid, tccp->cblksty, band->stepsize});
          }
        }
      }
    }
  }

  // Each participant codes with a coder and into an arena of its own.
  if (participants < 1) participants = 1;
  std::vector<opj_t1*> coders(static_cast<size_t>(participants), nullptr);
  coders[0] = t1;
  std::atomic<bool> failed{false};
  block_coding_run(static_cast<int>(tasks.size()), participants, [&](int participant, int i) {
    if (failed.load(std::memory_order_relaxed)) return;
    opj_t1*& coder = coders[static_cast<size_t>(participant)];
    if (!coder) coder = t1_create(t1->cinfo);
    const cblk_task& task = tasks[static_cast<size_t>(i)];
    // The next block is most often this thread's next one.
    if (static_cast<size_t>(i) + 1 < tasks.size()) prefetch_samples(tasks[static_cast<size_t>(i) + 1]);
    // One plane more: the plane below the one the block stopped above.
    const int lowest = lowest_bpno == T1_ONE_PLANE_MORE && only_short ? task.cblk->planes_left - 1 : lowest_bpno;
    if (!coder || !t1_encode_task(coder, task, tcp, tile->numcomps, &arenas[participant], lowest, only_short))
      failed.store(true, std::memory_order_relaxed);
  });
  for (size_t k = 1; k < coders.size(); ++k) t1_destroy(coders[k]);
  return failed.load() ? 0 : 1;
}

}  // namespace

int t1_encode_cblks(opj_t1* t1, opj_tcd_tile* tile, opj_tcp* tcp, tcd_arena* arenas, int participants, int lowest_bpno,
                    bool only_short) {
  try {
    return t1_encode_cblks_listed(t1, tile, tcp, arenas, participants, lowest_bpno, only_short);
  } catch (const std::bad_alloc&) {
    return 0;  // the list of blocks could not be had
  }
}
