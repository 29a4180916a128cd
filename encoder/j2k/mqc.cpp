#include "encoder/j2k/mqc.h"

#include <array>
#include <cstdlib>
#include <utility>

namespace {

// Qe, next state after an MPS, next state after an LPS, MPS switch: the 47
// probability states of the MQ coder.
struct mq_state_row {
  uint32_t qe;
  int nmps;
  int nlps;
  int sw;
};

constexpr mq_state_row kStates[47] = {
    {0x5601, 1, 1, 1},   {0x3401, 2, 6, 0},   {0x1801, 3, 9, 0},   {0x0ac1, 4, 12, 0},  {0x0521, 5, 29, 0},
    {0x0221, 38, 33, 0}, {0x5601, 7, 6, 1},   {0x5401, 8, 14, 0},  {0x4801, 9, 14, 0},  {0x3801, 10, 14, 0},
    {0x3001, 11, 17, 0}, {0x2401, 12, 18, 0}, {0x1c01, 13, 20, 0}, {0x1601, 29, 21, 0}, {0x5601, 15, 14, 1},
    {0x5401, 16, 14, 0}, {0x5101, 17, 15, 0}, {0x4801, 18, 16, 0}, {0x3801, 19, 17, 0}, {0x3401, 20, 18, 0},
    {0x3001, 21, 19, 0}, {0x2801, 22, 19, 0}, {0x2401, 23, 20, 0}, {0x2201, 24, 21, 0}, {0x1c01, 25, 22, 0},
    {0x1801, 26, 23, 0}, {0x1601, 27, 24, 0}, {0x1401, 28, 25, 0}, {0x1201, 29, 26, 0}, {0x1101, 30, 27, 0},
    {0x0ac1, 31, 28, 0}, {0x09c1, 32, 29, 0}, {0x08a1, 33, 30, 0}, {0x0521, 34, 31, 0}, {0x0441, 35, 32, 0},
    {0x02a1, 36, 33, 0}, {0x0221, 37, 34, 0}, {0x0141, 38, 35, 0}, {0x0111, 39, 36, 0}, {0x0085, 40, 37, 0},
    {0x0049, 41, 38, 0}, {0x0025, 42, 39, 0}, {0x0015, 43, 40, 0}, {0x0009, 44, 41, 0}, {0x0005, 45, 42, 0},
    {0x0001, 45, 43, 0}, {0x5601, 46, 46, 0},
};

#define MQ_NMPS(k, m) &mqc_states[2 * kStates[k].nmps + (m)]
#define MQ_NLPS(k, m) &mqc_states[2 * kStates[k].nlps + ((m) ^ kStates[k].sw)]
#define MQ_ENTRY(k, m) \
  { kStates[k].qe, m, MQ_NMPS(k, m), MQ_NLPS(k, m) }
#define MQ_PAIR(k) MQ_ENTRY(k, 0), MQ_ENTRY(k, 1)

}  // namespace

MQC_NOINLINE mqc_byteout_result mqc_byteout_v(uint32_t c, uint8_t* bp) {
  if (*bp == 0xff) {
    ++bp;
    *bp = static_cast<uint8_t>(c >> 20);
    return {c & 0xfffff, 7, bp};
  }
  if ((c & 0x8000000) == 0) {
    ++bp;
    *bp = static_cast<uint8_t>(c >> 19);
    return {c & 0x7ffff, 8, bp};
  }
  ++*bp;
  if (*bp == 0xff) {
    c &= 0x7ffffff;
    ++bp;
    *bp = static_cast<uint8_t>(c >> 20);
    return {c & 0xfffff, 7, bp};
  }
  ++bp;
  *bp = static_cast<uint8_t>(c >> 19);
  return {c & 0x7ffff, 8, bp};
}

namespace {

void mqc_byteout(opj_mqc* mqc) {
  mqc_regs r = mqc_load(mqc);
  mqc_byteout_r(r);
  mqc_store(mqc, r);
}

void mqc_setbits(opj_mqc* mqc) {
  const uint32_t tempc = mqc->c + mqc->a;
  mqc->c |= 0xffff;
  if (mqc->c >= tempc) mqc->c -= 0x8000;
}

}  // namespace

const opj_mqc_state mqc_states[94] = {
    MQ_PAIR(0),  MQ_PAIR(1),  MQ_PAIR(2),  MQ_PAIR(3),  MQ_PAIR(4),  MQ_PAIR(5),  MQ_PAIR(6),  MQ_PAIR(7),
    MQ_PAIR(8),  MQ_PAIR(9),  MQ_PAIR(10), MQ_PAIR(11), MQ_PAIR(12), MQ_PAIR(13), MQ_PAIR(14), MQ_PAIR(15),
    MQ_PAIR(16), MQ_PAIR(17), MQ_PAIR(18), MQ_PAIR(19), MQ_PAIR(20), MQ_PAIR(21), MQ_PAIR(22), MQ_PAIR(23),
    MQ_PAIR(24), MQ_PAIR(25), MQ_PAIR(26), MQ_PAIR(27), MQ_PAIR(28), MQ_PAIR(29), MQ_PAIR(30), MQ_PAIR(31),
    MQ_PAIR(32), MQ_PAIR(33), MQ_PAIR(34), MQ_PAIR(35), MQ_PAIR(36), MQ_PAIR(37), MQ_PAIR(38), MQ_PAIR(39),
    MQ_PAIR(40), MQ_PAIR(41), MQ_PAIR(42), MQ_PAIR(43), MQ_PAIR(44), MQ_PAIR(45), MQ_PAIR(46),
};

namespace {

// Entry i = 2k + m of the table (state k, MPS m) as a context word.
constexpr mqc_ctx CtxState(int i) {
  const int k = i / 2, m = i % 2;
  const mq_state_row& row = kStates[k];
  const int nmps_entry = 2 * row.nmps + m;
  const int nlps_entry = 2 * row.nlps + (m ^ row.sw);
  const auto nmps = static_cast<mqc_ctx>(nmps_entry);
  const auto nlps = static_cast<mqc_ctx>(nlps_entry);
  const mqc_ctx lps0 = m == 1 ? 1 : 0;  // decision 0 is the LPS when the MPS is 1
  return static_cast<mqc_ctx>(row.qe) | lps0 << 16 | (lps0 ^ 1) << 17 | (m == 0 ? nmps : nlps) << 32 |
         (m == 1 ? nmps : nlps) << 40 | static_cast<mqc_ctx>(i) << 48;
}

template <size_t... I>
constexpr std::array<mqc_ctx, sizeof...(I)> CtxStates(std::index_sequence<I...>) {
  return {CtxState(static_cast<int>(I))...};
}

}  // namespace

extern const std::array<mqc_ctx, 94> mqc_ctx_states = CtxStates(std::make_index_sequence<94>());

opj_mqc* mqc_create() { return static_cast<opj_mqc*>(std::calloc(1, sizeof(opj_mqc))); }

void mqc_destroy(opj_mqc* mqc) { std::free(mqc); }

int mqc_numbytes(const opj_mqc* mqc) { return static_cast<int>(mqc->bp - mqc->start); }

void mqc_resetstates(opj_mqc* mqc) {
  for (int i = 0; i < MQC_NUMCTXS; ++i) mqc->ctxs[i] = mqc_ctx_states[0];
}

void mqc_setstate(opj_mqc* mqc, int ctxno, int msb, int prob) { mqc->ctxs[ctxno] = mqc_ctx_states[msb + (prob << 1)]; }

void mqc_init_enc(opj_mqc* mqc, uint8_t* bp) {
  mqc_setcurctx(mqc, 0);
  mqc->a = 0x8000;
  mqc->c = 0;
  mqc->bp = bp - 1;
  mqc->ct = 12;
  if (*mqc->bp == 0xff) mqc->ct = 13;
  mqc->start = bp;
}

void mqc_encode(opj_mqc* mqc, int d) {
  mqc_regs r = mqc_load(mqc);
  mqc_encode_r(r, mqc->curctx, static_cast<uint32_t>(d));
  mqc_store(mqc, r);
}

void mqc_flush(opj_mqc* mqc) {
  mqc_setbits(mqc);
  mqc->c <<= mqc->ct;
  mqc_byteout(mqc);
  mqc->c <<= mqc->ct;
  mqc_byteout(mqc);
  if (*mqc->bp != 0xff) ++mqc->bp;
}
