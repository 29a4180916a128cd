// Tier-1 block coder: codes each code-block's quantised coefficients bit-plane
// by bit-plane in three passes through the MQ coder, and records after every
// pass the cumulative byte count and weighted distortion decrease.
#pragma once

#include <cstdint>

#include "encoder/j2k/mqc.h"
#include "encoder/j2k/tcd.h"

struct opj_tcp;

enum {
  T1_MAXPASSES = 100,
  T1_CBLK_DATA_SIZE = 8192,
  // The scratch buffer a code-block is coded into; larger than any 32 x 32
  // or 64 x 64 block of 12-bit samples can produce.
  T1_SCRATCH_SIZE = 65536,
};

// Flag bits of one sample, as the context look-ups take them (the coder's own
// flag words hold the same facts per stripe column).
enum : uint16_t {
  T1_SIG_NE = 0x0001,
  T1_SIG_SE = 0x0002,
  T1_SIG_SW = 0x0004,
  T1_SIG_NW = 0x0008,
  T1_SIG_N = 0x0010,
  T1_SIG_E = 0x0020,
  T1_SIG_S = 0x0040,
  T1_SIG_W = 0x0080,
  T1_SIG_OTH = 0x00ff,
  T1_SGN_N = 0x0100,
  T1_SGN_E = 0x0200,
  T1_SGN_S = 0x0400,
  T1_SGN_W = 0x0800,
  T1_SIG = 0x1000,
  T1_REFINE = 0x2000,
  T1_VISIT = 0x4000,
};

enum {
  T1_CTXNO_ZC = 0,
  T1_CTXNO_SC = 9,
  T1_CTXNO_MAG = 14,
  T1_CTXNO_AGG = 17,
  T1_CTXNO_UNI = 18,
  T1_NMSEDEC_FRACBITS = 6,
};

// Code-block style bits read by the coder.
enum { T1_CBLKSTY_NOFLUSH = 0x01, T1_CBLKSTY_VSC = 0x08 };

struct opj_t1 {
  opj_cinfo* cinfo;
  opj_mqc* mqc;
  uint32_t* data;   // magnitudes with the sign in bit 31, w x h, row-major
  uint32_t* flags;  // one word per four-row stripe column, with a border all round
  int w;
  int h;
  int datasize;
  int flagssize;
  int flags_stride;
  uint32_t maxmag;   // largest magnitude of the block in data
  uint8_t* scratch;  // T1_SCRATCH_SIZE + 2 bytes, two zero bytes first
  opj_tcd_pass passes[T1_MAXPASSES];
  int numbytes;  // bytes coded by the last call, flush included
  int failed;    // a buffer could not be allocated or a block overflowed
};

// What a code-block's coding needs to go on below the plane it stopped at:
// the coder's registers and contexts and its last byte before the flush, the
// flags, the passes' rates before the end's corrections and the plane next.
struct t1_resume_point {
  uint32_t a, c, ct;
  int last_byte_at;  // the last byte written, from the start of the data (-1: none)
  uint8_t last_byte;
  mqc_ctx ctxs[MQC_NUMCTXS];
  double cumwmsedec;
  // At least what every plane not coded can still take off the distortion
  // (in cumwmsedec's units).
  double rest_bound;
  int bpno;
  int passno;
  int* rates;       // passno of them
  uint32_t* flags;  // as many words as the block's
};

opj_t1* t1_create(opj_cinfo* cinfo);
void t1_destroy(opj_t1* t1);
int t1_allocate_buffers(opj_t1* t1, int w, int h);
// Codes the code-blocks of the tile down to bit-plane lowest_bpno (0: every
// plane), keeping in the arenas where each can go on; with only_short, only
// the blocks with planes left, on from where they stopped, and lowest_bpno
// may be T1_ONE_PLANE_MORE: each such block codes its next plane. Idle threads may
// help, up to `participants` in all: participant k keeps what it codes in
// arenas[k] (arenas[0] is the caller's, with coder t1).
// Returns 0 when a buffer could not be had.
constexpr int T1_ONE_PLANE_MORE = -1;
int t1_encode_cblks(opj_t1* t1, opj_tcd_tile* tile, opj_tcp* tcp, tcd_arena* arenas, int participants = 1,
                    int lowest_bpno = 0, bool only_short = false);
// Codes one code-block whose samples are in the coder's sample buffer, down
// to bit-plane lowest_bpno; the passes and bytes are left in the coder's
// scratch (t1->passes, t1->scratch + 2; t1->numbytes of them) and the planes
// not coded in cblk->planes_left. With cblk->resume, the coding goes on from
// there (the block's bytes so far in cblk->data); with keep, a block with
// planes left gets its resume point, allocated there.
void t1_encode_cblk(opj_t1* t1, opj_tcd_cblk_enc* cblk, int orient, int compno, int level, int qmfbid, double stepsize,
                    int cblksty, int numcomps, int mct, int lowest_bpno = 0, tcd_arena* keep = nullptr);

// Quantises a w x h block of samples with 11 fraction bits, rows `stride`
// apart, with a band's step: each sample's index |sample| / (2^11 x step),
// rounded to 6 fraction bits, with the sample's sign in bit 31, into dst (w
// x h); returns the largest magnitude.
uint32_t t1_quantise_block(const int32_t* src, int stride, int w, int h, double stepsize, uint32_t* dst);

// Table look-ups, exposed for the tests.
int t1_getctxno_zc(int f, int orient);
int t1_getctxno_sc(int f);
int t1_getspb(int f);
int t1_getctxno_mag(int f);
int t1_getnmsedec_sig(uint32_t x, int bitpos);
int t1_getnmsedec_ref(uint32_t x, int bitpos);
double t1_getwmsedec(int nmsedec, int compno, int level, int orient, int bpno, int qmfbid, double stepsize,
                     int numcomps, int mct);
