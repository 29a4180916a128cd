// MQ arithmetic coder, encoder side: the 47-state probability table (94
// entries, one per state and MPS), 19 contexts, and the byte output with
// carry propagation and 0xFF bit stuffing.
#pragma once

#include <array>
#include <cstdint>

struct opj_mqc_state {
  uint32_t qeval;             // Qe
  int mps;                    // 0 or 1
  const opj_mqc_state* nmps;  // next entry after an MPS
  const opj_mqc_state* nlps;  // next entry after an LPS
};

enum { MQC_NUMCTXS = 19 };

// A context's state as the coder keeps it: one word holding what coding a
// decision needs, so that a context coded twice in a row costs one load, not
// two. Bits 0-15 Qe; bit 16 + d set when decision d is the LPS; bits 32 + 8d
// the index in mqc_states of the entry after coding d when A needs
// renormalising; bits 48-55 the entry's own index.
using mqc_ctx = uint64_t;

struct opj_mqc {
  uint32_t c;
  uint32_t a;
  uint32_t ct;
  uint8_t* bp;  // last byte written
  uint8_t* start;
  uint8_t* end;  // not used for output
  mqc_ctx ctxs[MQC_NUMCTXS];
  mqc_ctx* curctx;
};

// The state table: entry 2k + m is state k with MPS m.
extern const opj_mqc_state mqc_states[94];
// The same entries as the coder keeps them in its contexts.
extern const std::array<mqc_ctx, 94> mqc_ctx_states;
inline int mqc_ctx_entry(mqc_ctx s) { return static_cast<int>((s >> 48) & 0xff); }

opj_mqc* mqc_create();
void mqc_destroy(opj_mqc* mqc);
int mqc_numbytes(const opj_mqc* mqc);
void mqc_resetstates(opj_mqc* mqc);
void mqc_setstate(opj_mqc* mqc, int ctxno, int msb, int prob);
void mqc_init_enc(opj_mqc* mqc, uint8_t* bp);
inline void mqc_setcurctx(opj_mqc* mqc, int ctxno) { mqc->curctx = &mqc->ctxs[ctxno]; }
void mqc_encode(opj_mqc* mqc, int d);
void mqc_flush(opj_mqc* mqc);

// The coder's registers as locals: the block coder copies them in at the start
// of a pass and back at its end, so that the hot loop keeps them in registers.
struct mqc_regs {
  uint32_t a;
  uint32_t c;
  uint32_t ct;
  uint8_t* bp;
};

inline mqc_regs mqc_load(const opj_mqc* mqc) { return mqc_regs{mqc->a, mqc->c, mqc->ct, mqc->bp}; }
inline void mqc_store(opj_mqc* mqc, const mqc_regs& r) {
  mqc->a = r.a;
  mqc->c = r.c;
  mqc->ct = r.ct;
  mqc->bp = r.bp;
}

#if defined(__GNUC__)
#define MQC_INLINE inline __attribute__((always_inline))
#define MQC_NOINLINE __attribute__((noinline))
#define MQC_INLINE_LAMBDA __attribute__((always_inline))
#else
#define MQC_INLINE_LAMBDA
#define MQC_INLINE inline
#define MQC_NOINLINE
#endif

// What completing a byte leaves: C, the bit counter and the last byte.
struct mqc_byteout_result {
  uint32_t c;
  uint32_t ct;
  uint8_t* bp;
};

// Completes a byte: stores it after the last one, with carry propagation
// into the last byte and a stuffed bit after 0xFF. Taking and giving values
// rather than the registers' address lets the callers keep them in
// processor registers.
mqc_byteout_result mqc_byteout_v(uint32_t c, uint8_t* bp);

MQC_INLINE void mqc_byteout_r(mqc_regs& r) {
  const mqc_byteout_result o = mqc_byteout_v(r.c, r.bp);
  r.c = o.c;
  r.ct = o.ct;
  r.bp = o.bp;
}

// Shifts A and C left until bit 15 of A is set, emitting a byte whenever the
// bit counter runs out; the shifts between two bytes are done at once.
MQC_INLINE void mqc_renorme_r(mqc_regs& r) {
  int n = __builtin_clz(r.a) - 16;
  while (n >= static_cast<int>(r.ct)) {
    r.a <<= r.ct;
    r.c <<= r.ct;
    n -= static_cast<int>(r.ct);
    mqc_byteout_r(r);
  }
  r.a <<= n;
  r.c <<= n;
  r.ct -= static_cast<uint32_t>(n);
}

// Codes decision d in the context slot ctx. Without branches on the
// decision: the interval kept is the upper one (C += Qe, A - Qe) exactly when
// the decision is the MPS and A - Qe is not below Qe, or it is the LPS and
// A - Qe is below Qe (the conditional exchange); otherwise A = Qe. The
// context moves on only when A needs renormalising, which an LPS always does.
MQC_INLINE void mqc_encode_r(mqc_regs& r, mqc_ctx* ctx, uint32_t d) {
  const mqc_ctx s = *ctx;
  const uint32_t qe = static_cast<uint32_t>(s) & 0xffff;
  const mqc_ctx next = mqc_ctx_states[(s >> (32 + 8 * d)) & 0xff];
  const uint32_t a = r.a - qe;
  // All ones or zero, so that the compiler makes no branch of it: the choice
  // is as unpredictable as the decisions.
  const uint32_t upper = ((static_cast<uint32_t>(s >> (16 + d)) & 1) ^ static_cast<uint32_t>(a < qe)) - 1;
  r.c += qe & upper;
  r.a = (a & upper) | (qe & ~upper);
  *ctx = (r.a & 0x8000) ? s : next;
  mqc_renorme_r(r);
}
