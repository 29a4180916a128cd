// The MQ coder, tier-1, tag trees, packet code words and the packet order.

#include <gtest/gtest.h>

#include <algorithm>

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "encoder/j2k/bio.h"
#include "encoder/j2k/coding_parameters.h"
#include "encoder/j2k/compressor.h"
#include "encoder/j2k/image.h"
#include "encoder/j2k/j2k.h"
#include "encoder/j2k/mqc.h"
#include "encoder/j2k/pi.h"
#include "encoder/j2k/t1.h"
#include "encoder/j2k/t2.h"
#include "encoder/j2k/tcd.h"
#include "encoder/j2k/tgt.h"
#include "tests/encoder/j2k_frames.h"

namespace {

// Bits written through a bit writer, as a string of '0' and '1', without the
// stuffed bit after each 0xFF byte (the flush pads the last byte with zeros;
// callers compare a prefix).
template <typename F>
std::string BitsOf(F&& write, int nbits) {
  uint8_t buf[64] = {};
  opj_bio bio;
  bio_init_enc(&bio, buf, sizeof buf);
  write(&bio);
  bio_flush(&bio);
  std::string s;
  for (int byte = 0; static_cast<int>(s.size()) < nbits; ++byte) {
    const int top = byte > 0 && buf[byte - 1] == 0xFF ? 6 : 7;
    for (int b = top; b >= 0; --b) s += ((buf[byte] >> b) & 1) ? '1' : '0';
  }
  return s.substr(0, nbits);
}

}  // namespace

TEST(MqCoder, EncodesTheArithmeticCoderTestSequence) {
  // The 256-decision test sequence of the MQ coder (one context, starting in
  // state 0), with its published code bytes.
  const uint8_t input[32] = {0x00, 0x02, 0x00, 0x51, 0x00, 0x00, 0x00, 0xC0, 0x03, 0x52, 0x87,
                             0x2A, 0xAA, 0xAA, 0xAA, 0xAA, 0x82, 0xC0, 0x20, 0x00, 0xFC, 0xD7,
                             0x9E, 0xF6, 0xBF, 0x7F, 0xED, 0x90, 0x4F, 0x46, 0xA3, 0xBF};
  const uint8_t expected[] = {0x84, 0xC7, 0x3B, 0xFC, 0xE1, 0xA1, 0x43, 0x04, 0x02, 0x20, 0x00, 0x00, 0x41, 0x0D,
                              0xBB, 0x86, 0xF4, 0x31, 0x7F, 0xFF, 0x88, 0xFF, 0x37, 0x47, 0x1A, 0xDB, 0x6A, 0xDF};
  std::vector<uint8_t> buf(128, 0);
  opj_mqc* mqc = mqc_create();
  mqc_resetstates(mqc);
  mqc_init_enc(mqc, buf.data() + 2);
  mqc_setcurctx(mqc, 0);
  for (uint8_t byte : input)
    for (int b = 7; b >= 0; --b) mqc_encode(mqc, (byte >> b) & 1);
  mqc_flush(mqc);
  const int n = mqc_numbytes(mqc);
  ASSERT_GE(n, static_cast<int>(sizeof expected));
  EXPECT_EQ(std::vector<uint8_t>(buf.begin() + 2, buf.begin() + 2 + sizeof expected),
            std::vector<uint8_t>(expected, expected + sizeof expected));
  mqc_destroy(mqc);
}

TEST(MqCoder, FreshCoderFlushesToFF7F) {
  std::vector<uint8_t> buf(16, 0);
  opj_mqc* mqc = mqc_create();
  mqc_resetstates(mqc);
  mqc_init_enc(mqc, buf.data() + 2);
  EXPECT_EQ(mqc_numbytes(mqc), -1);  // the byte under construction is not counted
  mqc_flush(mqc);
  EXPECT_EQ(mqc_numbytes(mqc), 2);
  EXPECT_EQ(buf[2], 0xFF);
  EXPECT_EQ(buf[3], 0x7F);
  mqc_destroy(mqc);
}

TEST(MqCoder, StateTableLinks) {
  EXPECT_EQ(mqc_states[0].qeval, 0x5601u);
  EXPECT_EQ(mqc_states[0].mps, 0);
  // State 0 switches the MPS on an LPS; state 46 stays where it is.
  EXPECT_EQ(mqc_states[0].nlps, &mqc_states[3]);
  EXPECT_EQ(mqc_states[1].nlps, &mqc_states[2]);
  EXPECT_EQ(mqc_states[92].nmps, &mqc_states[92]);
  EXPECT_EQ(mqc_states[92].nlps, &mqc_states[92]);
  EXPECT_EQ(mqc_states[2 * 45].qeval, 0x0001u);
  // The contexts' words say the same by decision: the LPS is the decision
  // that is not the MPS, and it leads where an LPS does; the MPS leads where
  // an MPS does.
  for (int e = 0; e < 94; ++e) {
    const opj_mqc_state& s = mqc_states[e];
    const mqc_ctx word = mqc_ctx_states[e];
    EXPECT_EQ(word & 0xffff, s.qeval) << e;
    EXPECT_EQ(mqc_ctx_entry(word), e);
    for (int d = 0; d < 2; ++d) {
      EXPECT_EQ((word >> (16 + d)) & 1, d != s.mps ? 1u : 0u) << e << " " << d;
      const auto next = static_cast<int>((word >> (32 + 8 * d)) & 0xff);
      EXPECT_EQ(&mqc_states[next], d == s.mps ? s.nmps : s.nlps) << e << " " << d;
    }
  }
}

class BlockCoder : public ::testing::Test {
 protected:
  void SetUp() override {
    t1 = t1_create(nullptr);
    ASSERT_NE(t1, nullptr);
  }
  void TearDown() override { t1_destroy(t1); }

  // Codes a w x h block of signed quantised values (6 fraction bits).
  void Code(int w, int h, const std::vector<int>& values, int orient = 0, int lowest_bpno = 0) {
    ASSERT_EQ(t1_allocate_buffers(t1, w, h), 1);
    uint32_t maxmag = 0;
    for (int i = 0; i < w * h; ++i) {
      const uint32_t mag = static_cast<uint32_t>(std::abs(values[i]));
      t1->data[i] = mag | (values[i] < 0 ? 0x80000000u : 0);
      maxmag = std::max(maxmag, mag);
    }
    t1->maxmag = maxmag;
    cblk = opj_tcd_cblk_enc{};
    t1_encode_cblk(t1, &cblk, orient, 0, 0, 0, 1.0, 0, 3, 0, lowest_bpno);
  }

  opj_t1* t1 = nullptr;
  opj_tcd_cblk_enc cblk{};
};

// Coding that stops above the lowest planes must give the first passes of the
// full coding unchanged, since the rate allocation compares the two.
TEST_F(BlockCoder, CodingStoppedAbovePlanesGivesTheFirstPassesOfTheFullCoding) {
  std::mt19937 rng(5);
  std::vector<int> v(1024);
  for (auto& x : v) x = static_cast<int>(rng() % (1u << 14)) - (1 << 13);
  Code(32, 32, v, 1);
  const int total = cblk.totalpasses;
  ASSERT_EQ(cblk.planes_left, 0);
  const std::vector<opj_tcd_pass> full(cblk.passes, cblk.passes + total);
  const std::vector<uint8_t> bytes(cblk.data, cblk.data + full.back().rate);

  Code(32, 32, v, 1, 3);
  EXPECT_EQ(cblk.planes_left, 3);
  ASSERT_EQ(cblk.totalpasses, total - 9);
  // The distortions all agree; the rates of the last plane's passes may end
  // sooner, at the flush.
  for (int k = 0; k < cblk.totalpasses; ++k) {
    EXPECT_EQ(cblk.passes[k].distortiondec, full[k].distortiondec) << "pass " << k;
    if (k + 3 < cblk.totalpasses) {
      EXPECT_EQ(cblk.passes[k].rate, full[k].rate) << "pass " << k;
    }
  }
  const int shared = cblk.passes[cblk.totalpasses - 4].rate;
  EXPECT_TRUE(std::equal(cblk.data, cblk.data + shared, bytes.begin()));

  // Going on from where it stopped gives the full coding, byte for byte,
  // also for a block stopped above its top plane.
  for (int lowest : {3, 20}) {
    tcd_arena arena;
    auto code = [&](int lowest_bpno) {
      ASSERT_EQ(t1_allocate_buffers(t1, 32, 32), 1);
      for (int i = 0; i < 1024; ++i) t1->data[i] = static_cast<uint32_t>(std::abs(v[i])) | (v[i] < 0 ? 0x80000000u : 0);
      t1_encode_cblk(t1, &cblk, 1, 0, 0, 0, 1.0, 0, 3, 0, lowest_bpno, &arena);
    };
    cblk = opj_tcd_cblk_enc{};
    code(lowest);
    ASSERT_NE(cblk.resume, nullptr);
    const std::vector<uint8_t> first(cblk.data, cblk.data + t1->numbytes);
    const std::vector<opj_tcd_pass> first_passes(cblk.passes, cblk.passes + cblk.totalpasses);
    cblk.data = const_cast<uint8_t*>(first.data());
    cblk.passes = const_cast<opj_tcd_pass*>(first_passes.data());
    code(0);
    EXPECT_EQ(cblk.planes_left, 0);
    ASSERT_EQ(cblk.totalpasses, total) << "from plane " << lowest;
    for (int k = 0; k < total; ++k) {
      EXPECT_EQ(cblk.passes[k].distortiondec, full[k].distortiondec) << "pass " << k;
      EXPECT_EQ(cblk.passes[k].rate, full[k].rate) << "pass " << k;
    }
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), cblk.data));
    tcd_arena_release(&arena);
  }

  // Going on a plane at a time gives the full coding too: each stop keeps
  // where the next can go on.
  {
    tcd_arena arena;
    std::vector<std::vector<uint8_t>> kept_bytes;
    std::vector<std::vector<opj_tcd_pass>> kept_passes;
    cblk = opj_tcd_cblk_enc{};
    for (int lowest = 5;; lowest = cblk.planes_left - 1) {
      ASSERT_EQ(t1_allocate_buffers(t1, 32, 32), 1);
      for (int i = 0; i < 1024; ++i) t1->data[i] = static_cast<uint32_t>(std::abs(v[i])) | (v[i] < 0 ? 0x80000000u : 0);
      t1_encode_cblk(t1, &cblk, 1, 0, 0, 0, 1.0, 0, 3, 0, lowest, &arena);
      if (cblk.planes_left == 0) break;
      ASSERT_NE(cblk.resume, nullptr);
      EXPECT_EQ(cblk.planes_left, lowest);
      kept_bytes.emplace_back(cblk.data, cblk.data + t1->numbytes);
      kept_passes.emplace_back(cblk.passes, cblk.passes + cblk.totalpasses);
      cblk.data = kept_bytes.back().data();
      cblk.passes = kept_passes.back().data();
    }
    ASSERT_EQ(kept_passes.size(), 5u);
    ASSERT_EQ(cblk.totalpasses, total);
    for (int k = 0; k < total; ++k) EXPECT_EQ(cblk.passes[k].rate, full[k].rate) << "pass " << k;
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), cblk.data));
    tcd_arena_release(&arena);
  }

  // Stopped above its top plane, a block has no passes and every plane left.
  Code(32, 32, v, 1, 20);
  EXPECT_EQ(cblk.totalpasses, 0);
  EXPECT_EQ(cblk.planes_left, cblk.numbps);
}

// The passes the rate allocation takes of a block at a slope threshold: each
// pass whose gain over the last one taken is at least the threshold per byte.
int PassesTaken(const std::vector<opj_tcd_pass>& passes, double thresh) {
  int n = 0;
  for (int k = 0; k < static_cast<int>(passes.size()); ++k) {
    const int dr = passes[k].rate - (n ? passes[n - 1].rate : 0);
    const double dd = passes[k].distortiondec - (n ? passes[n - 1].distortiondec : 0.0);
    if (dr == 0 ? dd != 0.0 : dd / dr >= thresh) n = k + 1;
  }
  return n;
}

// A block stopped above its lowest planes is left there only where coding it
// to the end would change nothing the rate allocation takes of it: at every
// threshold between its slopes, on dense, sparse and faint blocks.
TEST_F(BlockCoder, ABlockLeftShortTakesWhatItsFullCodingWouldTake) {
  std::mt19937 rng(11);
  int left_short = 0, checked = 0;
  for (int kind = 0; kind < 3; ++kind) {
    for (int orient = 0; orient < 4; ++orient) {
      std::vector<int> v(4096);
      for (auto& x : v) {
        const int sign = (rng() & 1) ? -1 : 1;
        if (kind == 0) x = sign * static_cast<int>(rng() % (1u << 14));                              // dense
        if (kind == 1) x = sign * static_cast<int>(std::exp2((rng() % 1500) / 100.0)) / 8;           // sparse
        if (kind == 2) x = sign * static_cast<int>(rng() % 900 < 890 ? rng() % 300 : rng() % 3000);  // faint
      }
      Code(64, 64, v, orient);
      const std::vector<opj_tcd_pass> full(cblk.passes, cblk.passes + cblk.totalpasses);
      for (int lowest : {1, 2, 3, 5}) {
        tcd_arena arena;
        ASSERT_EQ(t1_allocate_buffers(t1, 64, 64), 1);
        for (int i = 0; i < 4096; ++i)
          t1->data[i] = static_cast<uint32_t>(std::abs(v[i])) | (v[i] < 0 ? 0x80000000u : 0);
        t1->maxmag = 0;
        for (int i = 0; i < 4096; ++i) t1->maxmag = std::max(t1->maxmag, t1->data[i] & 0x7fffffffu);
        cblk = opj_tcd_cblk_enc{};
        t1_encode_cblk(t1, &cblk, orient, 0, 0, 0, 1.0, 0, 3, 0, lowest, &arena);
        const std::vector<opj_tcd_pass> part(cblk.passes, cblk.passes + cblk.totalpasses);
        if (!cblk.resume || part.empty()) {
          tcd_arena_release(&arena);
          continue;
        }
        // What the planes left add cannot exceed the bound kept for them.
        EXPECT_LE(full.back().distortiondec - part.back().distortiondec, cblk.resume->rest_bound)
            << kind << " " << orient << " " << lowest;
        std::vector<double> thresholds;
        for (size_t j = 0; j < full.size(); ++j)
          for (size_t i = 0; i <= j; ++i) {
            const int dr = full[j].rate - (i ? full[i - 1].rate : 0);
            const double dd = full[j].distortiondec - (i ? full[i - 1].distortiondec : 0.0);
            if (dr > 0) thresholds.push_back(dd / dr);
          }
        for (double t : thresholds) {
          for (double thresh : {t, std::nextafter(t, 1e300)}) {
            cblk.numpassesinlayers = PassesTaken(part, thresh);
            ++checked;
            if (tcd_may_take_more(&cblk, thresh)) continue;
            ++left_short;
            const int n = cblk.numpassesinlayers;
            ASSERT_EQ(PassesTaken(full, thresh), n) << kind << " " << orient << " " << lowest << " " << thresh;
            if (n) {
              EXPECT_EQ(full[n - 1].rate, part[n - 1].rate);
            }
          }
        }
        tcd_arena_release(&arena);
      }
    }
  }
  // The check must leave many blocks short to be worth its while.
  EXPECT_GT(left_short, checked / 4);
}

TEST_F(BlockCoder, ZeroBlockHasNoPasses) {
  Code(32, 32, std::vector<int>(1024, 0));
  EXPECT_EQ(cblk.numbps, 0);
  EXPECT_EQ(cblk.totalpasses, 0);
}

TEST_F(BlockCoder, OneQuantiserUnitGivesOneCleanUpPass) {
  std::vector<int> v(1024, 0);
  v[100] = 64;
  v[7] = -63;
  Code(32, 32, v);
  EXPECT_EQ(cblk.numbps, 1);
  EXPECT_EQ(cblk.totalpasses, 1);
  EXPECT_GT(cblk.passes[0].distortiondec, 0.0);
}

TEST_F(BlockCoder, PassRecordsAreConsistent) {
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> d(-40000, 40000);
  std::vector<int> v(32 * 29);
  for (int& x : v) x = d(rng) / ((rng() % 7) + 1);
  Code(32, 29, v, 3);
  const int numbps = cblk.numbps;
  ASSERT_GT(numbps, 1);
  EXPECT_EQ(cblk.totalpasses, 3 * numbps - 2);
  const int total = cblk.passes[cblk.totalpasses - 1].rate;
  int prev = 0;
  double prevd = 0;
  for (int i = 0; i < cblk.totalpasses; ++i) {
    const opj_tcd_pass& p = cblk.passes[i];
    EXPECT_LE(p.rate, total);
    EXPECT_GE(p.rate, prev);
    EXPECT_EQ(p.len, p.rate - prev);
    EXPECT_EQ(p.term, 0);
    if (p.rate > 1) {
      EXPECT_NE(cblk.data[p.rate - 1], 0xFF) << "pass " << i;
    }
    EXPECT_GE(p.distortiondec, prevd);
    prev = p.rate;
    prevd = p.distortiondec;
  }
}

TEST(BlockCoderTables, DistortionAndContextLookups) {
  EXPECT_EQ(t1_getnmsedec_sig(64, 6), 8192);        // sig0[64]
  EXPECT_EQ(t1_getnmsedec_sig(64 << 3, 9), 6144);   // sig[64]
  EXPECT_EQ(t1_getnmsedec_ref(0, 6), 8192);         // ref0[0]
  EXPECT_EQ(t1_getnmsedec_ref(127 << 2, 8), 6016);  // ref[127]
  // Zero coding: two horizontal neighbours in LL, two vertical ones in HL,
  // three diagonals in HH: the top context each time.
  EXPECT_EQ(t1_getctxno_zc(T1_SIG_E | T1_SIG_W, 0), 8);
  EXPECT_EQ(t1_getctxno_zc(T1_SIG_N | T1_SIG_S, 1), 8);
  EXPECT_EQ(t1_getctxno_zc(T1_SIG_NE | T1_SIG_SW | T1_SIG_NW, 3), 8);
  EXPECT_EQ(t1_getctxno_zc(T1_SIG_N, 0), 3);
  // Sign coding: a negative east neighbour alone predicts a negative sign.
  EXPECT_EQ(t1_getctxno_sc(T1_SIG_E | T1_SGN_E), 12);
  EXPECT_EQ(t1_getspb(T1_SIG_E | T1_SGN_E), 1);
  EXPECT_EQ(t1_getspb(T1_SIG_N), 0);
  EXPECT_EQ(t1_getctxno_mag(T1_REFINE), 16);
  EXPECT_EQ(t1_getctxno_mag(T1_SIG_W), 15);
}

TEST(TagTree, SpecExamples) {
  opj_tgt_tree* one = tgt_create(1, 1);
  ASSERT_NE(one, nullptr);
  EXPECT_EQ(one->numnodes, 1);
  tgt_setvalue(one, 0, 3);
  EXPECT_EQ(BitsOf([&](opj_bio* b) { tgt_encode(b, one, 0, 1); }, 1), "0");
  tgt_reset(one);
  tgt_setvalue(one, 0, 3);
  EXPECT_EQ(BitsOf([&](opj_bio* b) { tgt_encode(b, one, 0, 4); }, 4), "0001");
  tgt_destroy(one);

  EXPECT_EQ(tgt_create(0, 4), nullptr);
  opj_tgt_tree* t = tgt_create(3, 2);  // 6 leaves, 2 x 1 parents, 1 root
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->numnodes, 9);
  EXPECT_EQ(t->nodes[0].parent, t->nodes[1].parent);
  EXPECT_EQ(t->nodes[0].parent, t->nodes[3].parent);
  EXPECT_EQ(t->nodes[2].parent, t->nodes[5].parent);
  EXPECT_NE(t->nodes[0].parent, t->nodes[2].parent);
  EXPECT_EQ(t->nodes[6].parent, &t->nodes[8]);
  EXPECT_EQ(t->nodes[8].parent, nullptr);
  // Leaves 0 (value 1) and 1 (value 2): the root and the first parent take 1;
  // coding leaf 1 after leaf 0 sends only what the shared path has not sent.
  tgt_setvalue(t, 0, 1);
  tgt_setvalue(t, 1, 2);
  EXPECT_EQ(BitsOf([&](opj_bio* b) { tgt_encode(b, t, 0, 3); }, 4), "0111");
  EXPECT_EQ(BitsOf([&](opj_bio* b) { tgt_encode(b, t, 1, 3); }, 2), "01");
  tgt_destroy(t);
}

TEST(PacketCodeWords, PassCounts) {
  auto code = [](int n, int bits) { return BitsOf([&](opj_bio* b) { t2_putnumpasses(b, n); }, bits); };
  EXPECT_EQ(code(1, 1), "0");
  EXPECT_EQ(code(2, 2), "10");
  EXPECT_EQ(code(5, 4), "1110");
  EXPECT_EQ(code(6, 9), "111100000");
  EXPECT_EQ(code(36, 9), "111111110");
  EXPECT_EQ(code(37, 16), "1111111110000000");
  EXPECT_EQ(code(164, 16), "1111111111111111");
  EXPECT_EQ(BitsOf(
                [&](opj_bio* b) {
                  t2_putnumpasses(b, 165);
                  bio_write(b, 1, 1);
                },
                1),
            "1");
  EXPECT_EQ(BitsOf([&](opj_bio* b) { t2_putcommacode(b, 3); }, 4), "1110");
}

TEST(PacketIterator, CprlOrderOfA2KComponent) {
  j2k_test::Frame f;
  j2k_test::MakeFrame(f, 2048, 1080, j2k_test::Content::kFlat);
  opj_cparameters params;
  j2k_test::RenderParameters(f, {}, params, nullptr);
  opj_cinfo* cinfo = opj_create_compress();
  opj_setup_encoder(cinfo, &params, &f.image);
  opj_cp* cp = cinfo->j2k->cp;
  opj_pi_iterator* pi = pi_initialise_encode(&f.image, cp, 0, FINAL_PASS);
  ASSERT_NE(pi, nullptr);
  const int pw[6] = {1, 1, 1, 2, 4, 8}, ph[6] = {1, 1, 1, 2, 3, 5};
  for (int r = 0; r < 6; ++r) {
    EXPECT_EQ(pi[0].comps[0].resolutions[r].pw, pw[r]);
    EXPECT_EQ(pi[0].comps[0].resolutions[r].ph, ph[r]);
  }
  EXPECT_EQ(pi[0].dx, 256);
  for (int tp = 0; tp < 3; ++tp) {
    pi_create_encode(pi, cp, 0, 0, tp, 0, FINAL_PASS, 3);
    std::vector<std::pair<int, int>> order;
    while (pi_next(&pi[0])) {
      EXPECT_EQ(pi[0].compno, tp);
      EXPECT_EQ(pi[0].layno, 0);
      order.emplace_back(pi[0].resno, pi[0].precno);
    }
    EXPECT_EQ(order.size(), 59u);
    const std::vector<std::pair<int, int>> first = {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 0},
                                                    {5, 1}, {4, 1}, {5, 2}, {5, 3}, {3, 1}, {4, 2}};
    ASSERT_GE(order.size(), first.size());
    const std::vector<std::pair<int, int>> head(order.begin(), order.begin() + first.size());
    EXPECT_EQ(head, first);
  }
  pi_destroy(pi, cp, 0);
  opj_destroy_compress(cinfo);
}

// A digest of what the coder makes of a fixed set of random blocks (sizes 1
// to 64, every orientation, with and without vertically causal contexts):
// the bytes, pass rates and distortions that the decoders and the rate
// allocation were checked against. A faster coder must leave it unchanged.
TEST_F(BlockCoder, OutputOfRandomBlocksIsUnchanged) {
  std::mt19937 rng(42);
  uint64_t digest = 1469598103934665603ull;
  auto mix = [&digest](uint64_t v) {
    for (int b = 0; b < 8; ++b) {
      digest ^= (v >> (8 * b)) & 0xff;
      digest *= 1099511628211ull;
    }
  };
  for (int n = 0; n < 400; ++n) {
    const int w = 1 + rng() % 64, h = 1 + rng() % 64;
    const int orient = rng() % 4;
    const int sty = (rng() % 3 == 0) ? T1_CBLKSTY_VSC : 0;
    const int kind = rng() % 4;
    ASSERT_EQ(t1_allocate_buffers(t1, w, h), 1);
    uint32_t maxmag = 0;
    for (int i = 0; i < w * h; ++i) {
      int v;
      switch (kind) {
        case 0: v = static_cast<int>(rng() % 200000) - 100000; break;
        case 1: v = (rng() % 10 == 0) ? static_cast<int>(rng() % 4000000) - 2000000 : 0; break;
        case 2: v = static_cast<int>(rng() % 129) - 64; break;
        default: v = ((i % w) * 1000 + (i / w) * 37) * ((rng() % 2) ? 1 : -1); break;
      }
      const uint32_t mag = static_cast<uint32_t>(std::abs(v));
      t1->data[i] = mag | (v < 0 ? 0x80000000u : 0);
      maxmag = std::max(maxmag, mag);
    }
    t1->maxmag = maxmag;
    cblk = opj_tcd_cblk_enc{};
    t1_encode_cblk(t1, &cblk, orient, n % 3, n % 5, 0, 0.5 + (n % 7), sty, 3, 0);
    mix(static_cast<uint64_t>(cblk.numbps) << 32 | static_cast<uint32_t>(cblk.totalpasses));
    for (int p = 0; p < cblk.totalpasses; ++p) {
      uint64_t bits;
      std::memcpy(&bits, &cblk.passes[p].distortiondec, sizeof bits);
      mix(static_cast<uint64_t>(cblk.passes[p].rate) << 32 | static_cast<uint32_t>(cblk.passes[p].len));
      mix(bits);
    }
    const int bytes = cblk.totalpasses ? cblk.passes[cblk.totalpasses - 1].rate : 0;
    for (int b = 0; b < bytes; ++b) mix(cblk.data[b]);
  }
  EXPECT_EQ(digest, 16645900151873551555ull);
}
