#include "encoder/j2k/t1.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "encoder/j2k/dwt.h"
#include "encoder/j2k/fix.h"
#include "encoder/j2k/coding_parameters.h"
#include "encoder/j2k/mct.h"

namespace {

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
      case NM_SIG: u = i; v = i - 96; break;
      case NM_SIG0: u = i; v = 0; break;
      case NM_REF: u = i - 64; v = i >= 64 ? i - 96 : i - 32; break;
      case NM_REF0: u = i - 64; v = 0; break;
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

// Sign-dependent neighbour bits set by a sample that becomes significant.
constexpr uint16_t kSignMod[8] = {0x0040, 0x0440, 0x0020, 0x0220,
                                  0x0080, 0x0880, 0x0010, 0x0110};

inline void t1_updateflags(uint16_t* fp, uint32_t s, int stride) {
  uint16_t* np = fp - stride;
  uint16_t* sp = fp + stride;
  np[-1] |= T1_SIG_SE;
  np[0] |= kSignMod[s];
  np[1] |= T1_SIG_SW;
  fp[-1] |= kSignMod[s + 2];
  fp[0] |= T1_SIG;
  fp[1] |= kSignMod[s + 4];
  sp[-1] |= T1_SIG_NE;
  sp[0] |= kSignMod[s + 6];
  sp[1] |= T1_SIG_NW;
}

inline int nmsedec_sig(uint32_t x, int bitpos) {
  return bitpos > T1_NMSEDEC_FRACBITS ? kNmseSig.v[(x >> (bitpos - T1_NMSEDEC_FRACBITS)) & 127]
                                      : kNmseSig0.v[x & 127];
}

inline int nmsedec_ref(uint32_t x, int bitpos) {
  return bitpos > T1_NMSEDEC_FRACBITS ? kNmseRef.v[(x >> (bitpos - T1_NMSEDEC_FRACBITS)) & 127]
                                      : kNmseRef0.v[x & 127];
}

constexpr uint16_t kVscMask = static_cast<uint16_t>(~(T1_SIG_S | T1_SIG_SE | T1_SIG_SW | T1_SGN_S));
constexpr uint32_t kMag = 0x7fffffffu;

// ---- The three passes -------------------------------------------------------

// One sample of the significance pass; flag is the context flags (with the
// vertically causal bits cleared where they apply).
inline void sigpass_step(mqc_regs& r, const opj_mqc_state** ctxs, uint16_t* fp, uint16_t flag,
                         uint32_t d, uint32_t one, int bitpos, const uint8_t* zc, int* nmsedec,
                         int stride) {
  if ((flag & T1_SIG_OTH) && !(flag & (T1_SIG | T1_VISIT))) {
    const uint32_t v = (d & one) ? 1 : 0;
    mqc_encode_r(r, &ctxs[zc[flag & T1_SIG_OTH]], v);
    if (v) {
      *nmsedec += nmsedec_sig(d & kMag, bitpos);
      const uint32_t s = d >> 31;
      const int idx = (flag & 0x0ff0) >> 4;
      mqc_encode_r(r, &ctxs[kSc.v[idx]], s ^ kSpb.v[idx]);
      t1_updateflags(fp, s, stride);
    }
    *fp |= T1_VISIT;
  }
}

// The passes are instantiated with and without vertically causal context
// formation, so that the common case carries no per-sample test of it.

template <bool VSC>
void sigpass_impl(opj_t1* t1, int bpno, int orient, int* nmsedec) {
  const uint32_t one = 1u << (bpno + T1_NMSEDEC_FRACBITS);
  const int bitpos = bpno + T1_NMSEDEC_FRACBITS;
  const uint8_t* zc = kZc.v + (orient << 8);
  const int stride = t1->flags_stride;
  const int w = t1->w, h = t1->h;
  const opj_mqc_state** ctxs = t1->mqc->ctxs;
  mqc_regs r = mqc_load(t1->mqc);
  int nm = 0;
  for (int k = 0; k < h; k += 4) {
    const int rows = h - k < 4 ? h - k : 4;
    for (int i = 0; i < w; ++i) {
      uint16_t* fp = &t1->flags[(k + 1) * stride + i + 1];
      const uint32_t* dp = &t1->data[k * w + i];
      if (rows == 4) {
        // Nothing to do in a column whose samples have no significant neighbour.
        if (!((fp[0] | fp[stride] | fp[2 * stride] | fp[3 * stride]) & T1_SIG_OTH)) continue;
      }
      for (int j = 0; j < rows; ++j) {
        uint16_t flag = *fp;
        if (VSC && (j == 3 || k + j == h - 1)) flag &= kVscMask;
        sigpass_step(r, ctxs, fp, flag, *dp, one, bitpos, zc, &nm, stride);
        fp += stride;
        dp += w;
      }
    }
  }
  mqc_store(t1->mqc, r);
  *nmsedec = nm;
}

template <bool VSC>
void refpass_impl(opj_t1* t1, int bpno, int* nmsedec) {
  const uint32_t one = 1u << (bpno + T1_NMSEDEC_FRACBITS);
  const int bitpos = bpno + T1_NMSEDEC_FRACBITS;
  const int stride = t1->flags_stride;
  const int w = t1->w, h = t1->h;
  const opj_mqc_state** ctxs = t1->mqc->ctxs;
  mqc_regs r = mqc_load(t1->mqc);
  int nm = 0;
  for (int k = 0; k < h; k += 4) {
    const int rows = h - k < 4 ? h - k : 4;
    for (int i = 0; i < w; ++i) {
      uint16_t* fp = &t1->flags[(k + 1) * stride + i + 1];
      const uint32_t* dp = &t1->data[k * w + i];
      if (rows == 4) {
        // Nothing to refine in a column without a significant sample.
        if (!((fp[0] | fp[stride] | fp[2 * stride] | fp[3 * stride]) & T1_SIG)) continue;
      }
      for (int j = 0; j < rows; ++j) {
        uint16_t flag = *fp;
        if ((flag & (T1_SIG | T1_VISIT)) == T1_SIG) {
          if (VSC && (j == 3 || k + j == h - 1)) flag &= kVscMask;
          const uint32_t d = *dp;
          nm += nmsedec_ref(d & kMag, bitpos);
          const int ctx = (flag & T1_REFINE) ? T1_CTXNO_MAG + 2
                                             : ((flag & T1_SIG_OTH) ? T1_CTXNO_MAG + 1 : T1_CTXNO_MAG);
          mqc_encode_r(r, &ctxs[ctx], (d & one) ? 1 : 0);
          *fp = static_cast<uint16_t>(*fp | T1_REFINE);
        }
        fp += stride;
        dp += w;
      }
    }
  }
  mqc_store(t1->mqc, r);
  *nmsedec = nm;
}

template <bool VSC>
void clnpass_impl(opj_t1* t1, int bpno, int orient, int* nmsedec) {
  const uint32_t one = 1u << (bpno + T1_NMSEDEC_FRACBITS);
  const int bitpos = bpno + T1_NMSEDEC_FRACBITS;
  const uint8_t* zc = kZc.v + (orient << 8);
  const int stride = t1->flags_stride;
  const int w = t1->w, h = t1->h;
  const opj_mqc_state** ctxs = t1->mqc->ctxs;
  mqc_regs r = mqc_load(t1->mqc);
  int nm = 0;
  constexpr uint16_t kBusy = T1_SIG | T1_VISIT | T1_SIG_OTH;
  constexpr uint16_t kDone = T1_SIG | T1_VISIT;
  constexpr uint16_t kNoVisit = static_cast<uint16_t>(~T1_VISIT);
  for (int k = 0; k < h; k += 4) {
    const int rows = h - k < 4 ? h - k : 4;
    for (int i = 0; i < w; ++i) {
      uint16_t* fp = &t1->flags[(k + 1) * stride + i + 1];
      const uint32_t* dp = &t1->data[k * w + i];
      int runlen = 0;
      bool agg = false;
      if (rows == 4) {
        const uint16_t f0 = fp[0], f1 = fp[stride], f2 = fp[2 * stride];
        uint16_t f3 = fp[3 * stride];
        if ((f0 & kDone) && (f1 & kDone) && (f2 & kDone) && (f3 & kDone)) {
          // Every sample already significant or coded in this plane.
          fp[0] = f0 & kNoVisit;
          fp[stride] = f1 & kNoVisit;
          fp[2 * stride] = f2 & kNoVisit;
          fp[3 * stride] = f3 & kNoVisit;
          continue;
        }
        if (VSC) f3 &= kVscMask;
        agg = !((f0 | f1 | f2 | f3) & kBusy);
      }
      if (agg) {
        for (runlen = 0; runlen < 4; ++runlen) {
          if (dp[runlen * w] & one) break;
        }
        mqc_encode_r(r, &ctxs[T1_CTXNO_AGG], runlen != 4);
        if (runlen == 4) continue;
        mqc_encode_r(r, &ctxs[T1_CTXNO_UNI], static_cast<uint32_t>(runlen >> 1));
        mqc_encode_r(r, &ctxs[T1_CTXNO_UNI], static_cast<uint32_t>(runlen & 1));
        fp += runlen * stride;
        dp += runlen * w;
      }
      for (int j = runlen; j < rows; ++j) {
        uint16_t flag = *fp;
        if (VSC && (j == 3 || k + j == h - 1)) flag &= kVscMask;
        const uint32_t d = *dp;
        bool code_sign;
        if (agg && j == runlen) {
          code_sign = true;  // located by the run: known significant
        } else if (!(*fp & kDone)) {
          const uint32_t v = (d & one) ? 1 : 0;
          mqc_encode_r(r, &ctxs[zc[flag & T1_SIG_OTH]], v);
          code_sign = v != 0;
        } else {
          code_sign = false;
        }
        if (code_sign) {
          nm += nmsedec_sig(d & kMag, bitpos);
          const uint32_t s = d >> 31;
          const int idx = (flag & 0x0ff0) >> 4;
          mqc_encode_r(r, &ctxs[kSc.v[idx]], s ^ kSpb.v[idx]);
          t1_updateflags(fp, s, stride);
        }
        *fp &= kNoVisit;
        fp += stride;
        dp += w;
      }
    }
  }
  mqc_store(t1->mqc, r);
  *nmsedec = nm;
}

void t1_enc_sigpass(opj_t1* t1, int bpno, int orient, int* nmsedec, int cblksty) {
  if (cblksty & T1_CBLKSTY_VSC) {
    sigpass_impl<true>(t1, bpno, orient, nmsedec);
  } else {
    sigpass_impl<false>(t1, bpno, orient, nmsedec);
  }
}

void t1_enc_refpass(opj_t1* t1, int bpno, int* nmsedec, int cblksty) {
  if (cblksty & T1_CBLKSTY_VSC) {
    refpass_impl<true>(t1, bpno, nmsedec);
  } else {
    refpass_impl<false>(t1, bpno, nmsedec);
  }
}

void t1_enc_clnpass(opj_t1* t1, int bpno, int orient, int* nmsedec, int cblksty) {
  if (cblksty & T1_CBLKSTY_VSC) {
    clnpass_impl<true>(t1, bpno, orient, nmsedec);
  } else {
    clnpass_impl<false>(t1, bpno, orient, nmsedec);
  }
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

double t1_getwmsedec(int nmsedec, int compno, int level, int orient, int bpno, int qmfbid,
                     double stepsize, int numcomps, int mct) {
  (void)qmfbid;
  (void)numcomps;
  (void)mct;
  // The component weight applies whatever the colour-transform flag says.
  const double w1 = mct_getnorm_real(compno);
  const double w2 = dwt_getnorm_real(level, orient);
  const double w = w1 * w2 * stepsize * static_cast<double>(1 << bpno);
  return w * (w * nmsedec / 8192.0);
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
  std::memset(t1->data, 0, datasize * sizeof(uint32_t));

  const int flagssize = (w + 2) * (h + 2);
  if (flagssize > t1->flagssize) {
    std::free(t1->flags);
    t1->flags = static_cast<uint16_t*>(std::aligned_alloc(16, ((flagssize * 2 + 15) / 16) * 16));
    if (!t1->flags) {
      t1->flagssize = 0;
      return 0;
    }
    t1->flagssize = flagssize;
  }
  std::memset(t1->flags, 0, flagssize * sizeof(uint16_t));

  t1->w = w;
  t1->h = h;
  t1->flags_stride = w + 2;
  return 1;
}

void t1_encode_cblk(opj_t1* t1, opj_tcd_cblk_enc* cblk, int orient, int compno, int level,
                    int qmfbid, double stepsize, int cblksty, int numcomps, int mct) {
  opj_mqc* mqc = t1->mqc;
  const uint32_t max = t1->maxmag;
  cblk->numbps = max ? (floorlog2(max) + 1) - T1_NMSEDEC_FRACBITS : 0;

  int bpno = cblk->numbps - 1;
  int passtype = 2;

  mqc_resetstates(mqc);
  mqc_setstate(mqc, T1_CTXNO_UNI, 0, 46);
  mqc_setstate(mqc, T1_CTXNO_AGG, 0, 3);
  mqc_setstate(mqc, T1_CTXNO_ZC, 0, 4);
  uint8_t* out = t1->scratch + 2;
  mqc_init_enc(mqc, out);

  double cumwmsedec = 0.0;
  int passno;
  for (passno = 0; bpno >= 0 && passno < T1_MAXPASSES; ++passno) {
    opj_tcd_pass* pass = &t1->passes[passno];
    int nmsedec = 0;
    switch (passtype) {
      case 0: t1_enc_sigpass(t1, bpno, orient, &nmsedec, cblksty); break;
      case 1: t1_enc_refpass(t1, bpno, &nmsedec, cblksty); break;
      default: t1_enc_clnpass(t1, bpno, orient, &nmsedec, cblksty); break;
    }
    cumwmsedec += t1_getwmsedec(nmsedec, compno, level, orient, bpno, qmfbid, stepsize,
                                numcomps, mct);
    pass->term = 0;
    if (++passtype == 3) {
      passtype = 0;
      --bpno;
    }
    pass->distortiondec = cumwmsedec;
    pass->rate = mqc_numbytes(mqc) + 3;
  }
  if (bpno >= 0) t1->failed = 1;  // more passes than can be recorded

  if (!(cblksty & T1_CBLKSTY_NOFLUSH)) mqc_flush(mqc);
  const int numbytes = mqc_numbytes(mqc);
  if (numbytes > T1_SCRATCH_SIZE) t1->failed = 1;

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

int t1_encode_cblks(opj_t1* t1, opj_tcd_tile* tile, opj_tcp* tcp, tcd_arena* arena) {
  for (int compno = 0; compno < tile->numcomps; ++compno) {
    opj_tcd_tilecomp* tilec = &tile->comps[compno];
    const opj_tccp* tccp = &tcp->tccps[compno];
    const int tile_w = tilec->x1 - tilec->x0;
    for (int resno = 0; resno < tilec->numresolutions; ++resno) {
      opj_tcd_resolution* res = &tilec->resolutions[resno];
      for (int bandno = 0; bandno < res->numbands; ++bandno) {
        opj_tcd_band* band = &res->bands[bandno];
        const int bandconst =
            8192 * 8192 / static_cast<int>(std::floor(band->stepsize * 8192.0f));
        for (int precno = 0; precno < res->pw * res->ph; ++precno) {
          opj_tcd_precinct* prc = &band->precincts[precno];
          for (int cblkno = 0; cblkno < prc->cw * prc->ch; ++cblkno) {
            opj_tcd_cblk_enc* cblk = &prc->cblks[cblkno];
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
            const int cblk_w = cblk->x1 - cblk->x0;
            const int cblk_h = cblk->y1 - cblk->y0;
            if (!t1_allocate_buffers(t1, cblk_w, cblk_h)) return 0;

            // Quantise to 6 fraction bits, kept as magnitude and sign.
            uint32_t maxmag = 0;
            const int* src = &tilec->data[y * tile_w + x];
            uint32_t* dst = t1->data;
            for (int j = 0; j < cblk_h; ++j) {
              for (int i = 0; i < cblk_w; ++i) {
                const int q = fix_mul(src[i], bandconst) >> (11 - T1_NMSEDEC_FRACBITS);
                const uint32_t mag = q < 0 ? static_cast<uint32_t>(-static_cast<int64_t>(q))
                                           : static_cast<uint32_t>(q);
                if (mag > maxmag) maxmag = mag;
                dst[i] = mag | (q < 0 ? 0x80000000u : 0u);
              }
              src += tile_w;
              dst += cblk_w;
            }
            t1->maxmag = maxmag;

            t1_encode_cblk(t1, cblk, band->bandno, compno,
                           tilec->numresolutions - 1 - resno, tccp->qmfbid, band->stepsize,
                           tccp->cblksty, tile->numcomps, tcp->mct);
            if (t1->failed) return 0;

            // Keep the block's bytes and passes in the tile's arena.
            const int numbytes = cblk->totalpasses ? cblk->passes[cblk->totalpasses - 1].rate : 0;
            uint8_t* data = nullptr;
            opj_tcd_pass* passes = nullptr;
            if (cblk->totalpasses) {
              passes = static_cast<opj_tcd_pass*>(
                  tcd_arena_alloc(arena, sizeof(opj_tcd_pass) * cblk->totalpasses, false));
              data = static_cast<uint8_t*>(tcd_arena_alloc(arena, numbytes + 1, false));
              if (!passes || !data) return 0;
              std::memcpy(passes, cblk->passes, sizeof(opj_tcd_pass) * cblk->totalpasses);
              std::memcpy(data, cblk->data, numbytes);
            }
            cblk->passes = passes;
            cblk->data = data;
          }
        }
      }
    }
  }
  return 1;
}
