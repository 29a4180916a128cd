// The options record as the module builds it, stores it and disposes of it,
// read back as the host holds it: raw bytes at their offsets.
#include "tests/plugin/plugin_harness.h"

using namespace plugin_test;

namespace {

// The bytes of a new record: what the defaults write, zero everywhere else.
std::vector<uint8_t> DefaultRecord(uint32_t width, uint32_t height, uint32_t fps, int16_t depth) {
  std::vector<uint8_t> b(kRecordSize, 0);
  PutU32(b, kVersion, 7);
  PutText(b, kTitle, 260, "YOUR_DCP_TITLE_HERE");
  PutText(b, kAnnotation, 260, "YOUR_DCP_ANNOTATION_TEXT_HERE");
  PutText(b, kIssuer, 260, "Lumavox");
  b[kUseCompName] = 1;
  PutU32(b, kPacking, fps == 24 ? 0 : 1);
  PutU32(b, kBitRate, 250);
  PutU32(b, kStereoBitRate, 125);
  PutU32(b, kXyz, 1);
  PutU32(b, kFrameRate, fps);
  PutU32(b, kWidth, width);
  PutU32(b, kHeight, height);
  b[kOutputDepth] = uint8_t(depth);
  b[kOutputDepth + 1] = uint8_t(uint16_t(depth) >> 8);
  b[kStereoscopic] = width == 4096 && height == 1080;
  b[kMultiSelectAudio] = 1;
  PutU32(b, kAudioSource, 1);
  return b;
}

}  // namespace

TEST(OutputOptions, ANewRecordHoldsTheDefaultsAndNothingElse) {
  {
    auto host = LoadedHost(Comp(2048, 1080, 24, 16));
    ASSERT_EQ(host->InitOutputSpec(), 0);
    std::vector<uint8_t> record = host->OptionsBytes();
    std::vector<uint8_t> expected = DefaultRecord(2048, 1080, 24, 48);
    ASSERT_EQ(record.size(), expected.size());
    for (size_t i = 0; i < record.size(); ++i) ASSERT_EQ(record[i], expected[i]) << "byte " << i;
    EXPECT_TRUE(host->state().messages.empty());  // a first set-up checks no rate
  }

  // The same at 8 bits per channel in a stereoscopic composition.
  auto host8 = LoadedHost(Comp(4096, 1080, 24, 8));
  ASSERT_EQ(host8->InitOutputSpec(), 0);
  EXPECT_EQ(host8->OptionsBytes(), DefaultRecord(4096, 1080, 24, 24));
}

TEST(OutputOptions, ANewRecordAtAnotherRateIsPackedSmpteWithoutAWord) {
  for (int fps : {25, 23}) {
    auto host = LoadedHost(Comp(2048, 1080, fps));
    ASSERT_EQ(host->InitOutputSpec(), 0) << fps;
    std::vector<uint8_t> record = host->OptionsBytes();
    EXPECT_EQ(U32(record, kPacking), 1u) << fps;
    EXPECT_EQ(U32(record, kFrameRate), uint32_t(fps));
    EXPECT_TRUE(host->state().messages.empty()) << fps;
  }
}

TEST(OutputOptions, FlatteningCopiesTheRecordByteForByteUnderItsOwnName) {
  auto host = LoadedHost(Comp(1998, 1080, 24));
  ASSERT_EQ(host->InitOutputSpec(), 0);
  std::vector<uint8_t> flat;
  ASSERT_EQ(host->GetFlatOptions(&flat), 0);
  EXPECT_EQ(flat, host->OptionsBytes());
  EXPECT_EQ(host->state().handles_made["Flat Options"], 1);
  EXPECT_TRUE(host->state().problems.empty());

  // Without a record there is nothing to flatten.
  ASSERT_EQ(host->DisposeOptions(), 0);
  host->state().spec.options = nullptr;
  ASSERT_EQ(host->GetFlatOptions(&flat), 0);
  EXPECT_TRUE(flat.empty());
  EXPECT_EQ(host->state().handles_made["Flat Options"], 1);
}

namespace {

// A basic suite that hands out the host's suites, but a memory suite whose
// handle creation or locking fails for the handles named "Flat Options".
SPBasicSuite* g_host_basic = nullptr;
const AEGP_MemorySuite1* g_host_memory = nullptr;
AEGP_MemorySuite1 g_failing_memory;
bool g_fail_creation = false;
AEGP_MemHandle g_flat = nullptr;

A_Err FailingNew(AEGP_PluginID id, const A_char* name, AEGP_MemSize size, AEGP_MemFlag flags, AEGP_MemHandle* out) {
  if (g_fail_creation && std::string(name) == "Flat Options") return A_Err_ALLOC;
  A_Err err = g_host_memory->AEGP_NewMemHandle(id, name, size, flags, out);
  if (!err && std::string(name) == "Flat Options") g_flat = *out;
  return err;
}

A_Err FailingLock(AEGP_MemHandle h, void** p) {
  if (h && h == g_flat) return A_Err_PARAMETER;
  return g_host_memory->AEGP_LockMemHandle(h, p);
}

A_Err Acquire(const char* name, A_long version, const void** suite) {
  A_Err err = g_host_basic->AcquireSuite(name, version, suite);
  if (!err && std::string(name) == "AEGP Memory Suite") {
    g_host_memory = static_cast<const AEGP_MemorySuite1*>(*suite);
    g_failing_memory = *g_host_memory;
    g_failing_memory.AEGP_NewMemHandle = FailingNew;
    g_failing_memory.AEGP_LockMemHandle = FailingLock;
    *suite = &g_failing_memory;
  }
  return err;
}

A_Err Release(const char* name, A_long version) { return g_host_basic->ReleaseSuite(name, version); }

}  // namespace

TEST(OutputOptions, AFlatCopyThatCannotBeMadeOrLockedIsAFailureAndCopiesNothing) {
  auto host = LoadedHost(Comp(2048, 1080, 24));
  ASSERT_EQ(host->InitOutputSpec(), 0);
  std::vector<uint8_t> before = host->OptionsBytes();
  g_host_basic = host->basic()->pica_basicP;
  SPBasicSuite failing{Acquire, Release};
  host->basic()->pica_basicP = &failing;

  std::vector<uint8_t> flat;
  g_fail_creation = true;
  EXPECT_EQ(host->GetFlatOptions(&flat), A_Err_ALLOC);
  EXPECT_TRUE(flat.empty());
  g_fail_creation = false;
  EXPECT_EQ(host->GetFlatOptions(&flat), A_Err_PARAMETER);  // the flat copy cannot be locked
  EXPECT_TRUE(flat.empty());
  host->basic()->pica_basicP = g_host_basic;

  // The half-made copy is not left behind, the record is untouched and unlocked.
  for (const auto& b : host->LiveHandles()) {
    EXPECT_NE(b.name, "Flat Options");
    EXPECT_EQ(b.locks, 0) << b.name;
  }
  EXPECT_EQ(host->OptionsBytes(), before);
  EXPECT_TRUE(host->state().problems.empty());
}

TEST(OutputOptions, DisposalFreesTheRecordAndToleratesNone) {
  auto host = LoadedHost(Comp(2048, 1080, 24));
  ASSERT_EQ(host->InitOutputSpec(), 0);
  ASSERT_EQ(host->DisposeOptions(), 0);
  for (const auto& b : host->LiveHandles()) EXPECT_NE(b.name, "Output Options");
  const AEIO_FunctionBlock4& f = host->functions();
  EXPECT_EQ(host->Call("AEIO_DisposeOutputOptions", f.AEIO_DisposeOutputOptions, host->basic(), (void*)nullptr), 0);
  EXPECT_TRUE(host->state().problems.empty());
}
