// The host's suites and call order, driven by a small fake output module
// defined here (the real one is tested in its own area).
#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <cstring>
#include <mutex>
#include <set>
#include <stdexcept>
#include <thread>

#include "tests/support/test_support.h"

#include "host/media_input.h"
#include "host/render_host.h"
#include "host/test_pattern.h"

using namespace lumavox_host;

namespace fake {

// What the fake module saw, and how it should misbehave.
struct Record {
  std::vector<std::string> events;
  std::vector<uint64_t> frame_sums;
  std::vector<std::string> frame_formats;  // "WxH rowbytes deep"
  std::vector<std::vector<int16_t>> chunks;
  std::vector<A_Time> chunk_starts;
  std::string path;
  A_Time duration = {};
  A_long threads = 0;
  AEGP_RenderQueueState end_state = -1;
  std::set<std::thread::id> iterate_threads;
  std::atomic<int> iterate_calls{0};
  A_Err setup_error = 0;
  // When set, the module raises this stop signal on receiving frame stop_on_frame.
  std::atomic<int>* stop_signal = nullptr;
  int64_t stop_on_frame = -1;
};
Record* rec = nullptr;
bool keep_suite = false, leave_locked = false, leak = false, throw_in_start = false, no_sound_slot = false;
// Keeps the options handle locked from the first frame on, until the render's end or past it.
enum class Hold { kNone, kUntilEnd, kPastEnd } hold = Hold::kNone;
AEGP_MemHandle held = nullptr;

SPBasicSuite* g_basic = nullptr;
AEGP_PluginID g_id = 0;

template <typename Suite>
const Suite* Acquire(SPBasicSuite* basic, const char* name, A_long version, A_Err* err) {
  const void* s = nullptr;
  A_Err e = basic->AcquireSuite(name, version, &s);
  if (e && !*err) *err = e;
  return static_cast<const Suite*>(s);
}

const AEGP_IOOutSuite7* IO(AEIO_BasicData* b, A_Err* err) {
  return Acquire<AEGP_IOOutSuite7>(b->pica_basicP, kAEGPIOOutSuite, 7, err);
}
const AEGP_MemorySuite1* Mem(AEIO_BasicData* b, A_Err* err) {
  return Acquire<AEGP_MemorySuite1>(b->pica_basicP, kAEGPMemorySuite, 1, err);
}
void Release(AEIO_BasicData* b, const char* name, A_long version) { b->pica_basicP->ReleaseSuite(name, version); }

// The options record of the fake: size, rate and a user setting.
struct Options {
  A_long width, height;
  A_Fixed fps;
  A_long setting;
};

A_Err InitOutputSpec(AEIO_BasicData* b, AEIO_OutSpecH out, A_Boolean*) {
  A_Err err = 0;
  auto* io = IO(b, &err);
  auto* mem = Mem(b, &err);
  if (err) return err;
  AEGP_MemHandle h = nullptr, old = nullptr;
  mem->AEGP_NewMemHandle(g_id, "Fake Options", sizeof(Options), AEGP_MemFlag_CLEAR, &h);
  Options* o = nullptr;
  mem->AEGP_LockMemHandle(h, reinterpret_cast<void**>(&o));
  io->AEGP_GetOutSpecOptionsHandle(out, &old);
  if (old) {  // take over the stored record
    void* p = nullptr;
    mem->AEGP_LockMemHandle(old, &p);
    std::memcpy(o, p, sizeof(Options));
    mem->AEGP_UnlockMemHandle(old);
  } else {
    o->setting = 7;
  }
  io->AEGP_GetOutSpecDimensions(out, &o->width, &o->height);
  io->AEGP_GetOutSpecFPS(out, &o->fps);
  mem->AEGP_UnlockMemHandle(h);
  AEGP_MemHandle given_back = nullptr;
  io->AEGP_SetOutSpecOptionsHandle(out, h, &given_back);
  if (given_back) mem->AEGP_FreeMemHandle(given_back);
  if (!keep_suite) Release(b, kAEGPIOOutSuite, 7);
  Release(b, kAEGPMemorySuite, 1);
  rec->events.push_back("init");
  return rec->setup_error;
}

A_Err GetFlat(AEIO_BasicData* b, AEIO_OutSpecH out, AEIO_Handle* flat) {
  A_Err err = 0;
  auto* io = IO(b, &err);
  auto* mem = Mem(b, &err);
  AEGP_MemHandle h = nullptr;
  io->AEGP_GetOutSpecOptionsHandle(out, &h);
  AEGP_MemSize size = 0;
  mem->AEGP_GetMemHandleSize(h, &size);
  mem->AEGP_NewMemHandle(g_id, "Flat Options", size, AEGP_MemFlag_CLEAR, flat);
  void *from = nullptr, *to = nullptr;
  mem->AEGP_LockMemHandle(h, &from);
  mem->AEGP_LockMemHandle(*flat, &to);
  std::memcpy(to, from, size);
  mem->AEGP_UnlockMemHandle(h);
  if (!leave_locked) mem->AEGP_UnlockMemHandle(*flat);
  Release(b, kAEGPIOOutSuite, 7);
  Release(b, kAEGPMemorySuite, 1);
  return err;
}

A_Err Dispose(AEIO_BasicData* b, void* options) {
  A_Err err = 0;
  auto* mem = Mem(b, &err);
  mem->AEGP_FreeMemHandle(static_cast<AEGP_MemHandle>(options));
  Release(b, kAEGPMemorySuite, 1);
  rec->events.push_back("dispose");
  return err;
}

A_Err StartAdding(AEIO_BasicData* b, AEIO_OutSpecH out, A_long) {
  if (throw_in_start) throw std::runtime_error("escaped");
  A_Err err = 0;
  auto* io = IO(b, &err);
  auto* mem = Mem(b, &err);
  auto* it = Acquire<AEGP_IterateSuite1>(b->pica_basicP, kAEGPIterateSuite, 1, &err);
  AEGP_MemHandle path = nullptr;
  io->AEGP_GetOutSpecFilePath(out, &path);
  void* p = nullptr;
  mem->AEGP_LockMemHandle(path, &p);
  for (auto* c = static_cast<const A_UTF16Char*>(p); *c; ++c) rec->path += static_cast<char>(*c < 128 ? *c : '?');
  mem->AEGP_UnlockMemHandle(path);
  mem->AEGP_FreeMemHandle(path);
  io->AEGP_GetOutSpecDuration(out, &rec->duration);
  it->AEGP_GetNumThreads(&rec->threads);
  io->AEGP_SetOutSpecSoundRate(out, 48000.0);
  io->AEGP_SetOutSpecSoundEncoding(out, AEIO_E_SIGNED_PCM);
  io->AEGP_SetOutSpecSoundSampleSize(out, 2);
  io->AEGP_SetOutSpecSoundChannels(out, 2);
  AEIO_AlphaLabel label = {0, 1, 0, 0, 0, 1};
  io->AEGP_SetOutSpecAlphaLabel(out, &label);
  if (leak) {
    AEGP_MemHandle lost = nullptr;
    mem->AEGP_NewMemHandle(g_id, "Lost", 10, AEGP_MemFlag_CLEAR, &lost);
  }
  Release(b, kAEGPIOOutSuite, 7);
  Release(b, kAEGPMemorySuite, 1);
  Release(b, kAEGPIterateSuite, 1);
  rec->events.push_back("start");
  return err;
}

struct SumJob {
  const PF_EffectWorld* world;
  std::atomic<uint64_t> sum{0};
};

A_Err SumRows(void* refcon, A_long, A_long i, A_long iterations) {
  auto* job = static_cast<SumJob*>(refcon);
  {
    static std::mutex m;
    std::lock_guard<std::mutex> lock(m);
    rec->iterate_threads.insert(std::this_thread::get_id());
  }
  ++rec->iterate_calls;
  uint64_t sum = 0;
  const A_long bytes = job->world->width * (job->world->world_flags & PF_WorldFlag_DEEP ? 8 : 4);
  for (A_long y = i; y < job->world->height; y += iterations) {
    const auto* row = static_cast<const uint8_t*>(job->world->data) + static_cast<size_t>(y) * job->world->rowbytes;
    for (A_long k = 0; k < bytes; ++k) sum += row[k] * static_cast<uint64_t>(k + 1);
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(2));  // let every worker take a share
  job->sum += sum;
  return 0;
}

A_Err AddFrame(AEIO_BasicData* b, AEIO_OutSpecH out, A_long index, A_long, const PF_EffectWorld* w, const A_LPoint*,
               A_Boolean, AEIO_InterruptFuncs*) {
  A_Err err = 0;
  if (hold != Hold::kNone && index == 0) {
    IO(b, &err)->AEGP_GetOutSpecOptionsHandle(out, &held);
    void* p = nullptr;
    Mem(b, &err)->AEGP_LockMemHandle(held, &p);
    Release(b, kAEGPIOOutSuite, 7);
    Release(b, kAEGPMemorySuite, 1);
  }
  auto* it = Acquire<AEGP_IterateSuite1>(b->pica_basicP, kAEGPIterateSuite, 1, &err);
  SumJob job;
  job.world = w;
  err = it->AEGP_IterateGeneric(AEGP_Iterate_ONCE_PER_THREAD, &job, SumRows);
  Release(b, kAEGPIterateSuite, 1);
  rec->frame_sums.push_back(job.sum);
  rec->frame_formats.push_back(std::to_string(w->width) + "x" + std::to_string(w->height) + " " +
                               std::to_string(w->rowbytes) + ((w->world_flags & PF_WorldFlag_DEEP) ? " deep" : ""));
  rec->events.push_back("frame " + std::to_string(index));
  if (rec->stop_signal != nullptr && index == rec->stop_on_frame) rec->stop_signal->store(SIGINT);
  return err;
}

A_Err AddSoundChunk(AEIO_BasicData*, AEIO_OutSpecH, const A_Time* start, A_u_long n, const void* data) {
  auto* s = static_cast<const int16_t*>(data);
  rec->chunks.emplace_back(s, s + 2 * n);
  rec->chunk_starts.push_back(*start);
  rec->events.push_back("sound " + std::to_string(start->value / static_cast<A_long>(start->scale)));
  return 0;
}

A_Err EndAdding(AEIO_BasicData* b, AEIO_OutSpecH, A_long) {
  A_Err err = 0;
  auto* rq = Acquire<AEGP_RenderQueueSuite1>(b->pica_basicP, kAEGPRenderQueueSuite, 1, &err);
  if (rq) rq->AEGP_GetRenderQueueState(&rec->end_state);
  if (rq) Release(b, kAEGPRenderQueueSuite, 1);
  if (hold == Hold::kUntilEnd && held) {
    Mem(b, &err)->AEGP_UnlockMemHandle(held);
    Release(b, kAEGPMemorySuite, 1);
  }
  rec->events.push_back("end");
  return err;
}

A_Err Death(AEGP_GlobalRefcon, AEGP_DeathRefcon) {
  rec->events.push_back("death");
  return 0;
}

A_Err Entry(SPBasicSuite* basic, A_long, A_long, AEGP_PluginID id, AEGP_GlobalRefcon*) {
  g_basic = basic;
  A_Err err = 0;
  auto* reg = Acquire<AEGP_RegisterSuite6>(basic, kAEGPRegisterSuite, 6, &err);
  auto* util = Acquire<AEGP_UtilitySuite7>(basic, kAEGPUtilitySuite, 7, &err);
  if (err) return err;
  reg->AEGP_RegisterDeathHook(id, Death, nullptr);
  AEIO_ModuleInfo info = {};
  info.sig = AE_FourCC("FAKE");
  std::strcpy(info.name, "Fake");
  AEIO_FunctionBlock4 block = {};
  block.AEIO_InitOutputSpec = InitOutputSpec;
  block.AEIO_GetFlatOutputOptions = GetFlat;
  block.AEIO_DisposeOutputOptions = Dispose;
  block.AEIO_StartAdding = StartAdding;
  block.AEIO_AddFrame = AddFrame;
  block.AEIO_AddSoundChunk = no_sound_slot ? nullptr : AddSoundChunk;
  block.AEIO_EndAdding = EndAdding;
  reg->AEGP_RegisterIO(id, nullptr, &info, &block);
  util->AEGP_RegisterWithAEGP(nullptr, "Fake", &g_id);
  basic->ReleaseSuite(kAEGPRegisterSuite, 6);
  basic->ReleaseSuite(kAEGPUtilitySuite, 7);
  rec->events.push_back("entry");
  return 0;
}

}  // namespace fake

namespace {

class RenderHostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::rec = &record;
    fake::keep_suite = fake::leave_locked = fake::leak = fake::throw_in_start = fake::no_sound_slot = false;
    fake::hold = fake::Hold::kNone;
    fake::held = nullptr;
    settings.comp.width = 64;
    settings.comp.height = 36;
    settings.comp.fps_num = 4;
    settings.comp.frames = 10;  // 2.5 s: three seconds of sound
    settings.comp.depth = 16;
    settings.comp.name = "Comp";
    settings.output_path = "/tmp/Some Film.DCP";
    settings.threads = 3;
    settings.extra_row_bytes = 24;
    settings.echo = false;
  }
  fake::Record record;
  HostSettings settings;
};

uint64_t Sum(const HostFrame& f) {
  uint64_t sum = 0;
  for (int y = 0; y < f.height; ++y)
    for (int k = 0; k < f.width * f.PixelBytes(); ++k) sum += f.Row(y)[k] * static_cast<uint64_t>(k + 1);
  return sum;
}

}  // namespace

TEST_F(RenderHostTest, DrivesAWholeRenderInTheHostsOrder) {
  RenderHost host(settings);
  host.UseEntryPoint(fake::Entry);
  ASSERT_EQ(host.CallEntryPoint(), 0);
  ASSERT_TRUE(host.Registered());
  EXPECT_EQ(host.module_info().sig, AE_FourCC("FAKE"));
  EXPECT_EQ(host.state().registered_name, "Fake");
  ASSERT_EQ(host.InitOutputSpec(), 0);
  auto source = MakePatternSource();
  ASSERT_EQ(host.Render(*source), 0);
  host.Finish();

  EXPECT_EQ(host.state().problems, std::vector<std::string>{});
  std::vector<std::string> expected = {"entry", "init", "start", "sound 0"};
  for (int i = 0; i < 10; ++i) {
    if (i == 4) expected.push_back("sound 1");
    if (i == 8) expected.push_back("sound 2");
    expected.push_back("frame " + std::to_string(i));
  }
  for (const char* e : {"end", "dispose", "death"}) expected.push_back(e);
  EXPECT_EQ(record.events, expected);

  // Frames are the test pattern in order, at 16 bits with padded rows.
  ASSERT_EQ(record.frame_sums.size(), 10u);
  HostFrame f;
  f.Allocate(64, 36, 16, 24);
  for (int i = 0; i < 10; ++i) {
    FillTestPattern(i, f);
    EXPECT_EQ(record.frame_sums[static_cast<size_t>(i)], Sum(f)) << "frame " << i;
  }
  EXPECT_EQ(record.frame_formats[0], "64x36 536 deep");
  // One-second chunks of 48000 stereo sample frames: the tone.
  ASSERT_EQ(record.chunks.size(), 3u);
  for (int s = 0; s < 3; ++s) {
    EXPECT_EQ(record.chunks[static_cast<size_t>(s)], ToneSamples(s));
    EXPECT_EQ(record.chunk_starts[static_cast<size_t>(s)].value /
                  static_cast<A_long>(record.chunk_starts[static_cast<size_t>(s)].scale),
              s);
  }
  // The output specification as the module read and set it.
  EXPECT_EQ(record.path, "/tmp/Some Film.DCP");
  EXPECT_EQ(record.duration.value * 4 / static_cast<A_long>(record.duration.scale), 10);
  EXPECT_EQ(record.threads, 3);
  EXPECT_EQ(host.state().spec.sound_rate, 48000.0);
  EXPECT_EQ(host.state().spec.sound_encoding, AEIO_E_SIGNED_PCM);
  EXPECT_TRUE(host.state().spec.alpha_label_set);
  EXPECT_EQ(record.end_state, AEGP_RenderQueueState_RENDERING);
  // The iteration ran on the host's three workers, never on the caller's thread.
  EXPECT_EQ(record.iterate_calls.load(), 30);
  EXPECT_EQ(record.iterate_threads.size(), 3u);
  EXPECT_EQ(record.iterate_threads.count(std::this_thread::get_id()), 0u);
  // Every suite acquired in a callback was released in it.
  const CallRecord* start = host.LastCall("AEIO_StartAdding");
  ASSERT_NE(start, nullptr);
  EXPECT_EQ(start->suites.size(), 3u);
  for (const auto& [key, count] : start->suites) EXPECT_EQ(count.acquired, 1) << key.first;
  EXPECT_TRUE(host.LiveHandles().empty());
}

TEST_F(RenderHostTest, StoredOptionsAreHandedToTheSetUpAndFlattened) {
  RenderHost host(settings);
  host.UseEntryPoint(fake::Entry);
  ASSERT_EQ(host.CallEntryPoint(), 0);
  fake::Options stored = {1, 2, 3, 99};
  std::vector<uint8_t> bytes(sizeof stored);
  std::memcpy(bytes.data(), &stored, sizeof stored);
  host.SetStoredOptions(bytes);
  ASSERT_EQ(host.InitOutputSpec(), 0);
  std::vector<uint8_t> flat;
  ASSERT_EQ(host.GetFlatOptions(&flat), 0);
  ASSERT_EQ(flat.size(), sizeof(fake::Options));
  fake::Options back;
  std::memcpy(&back, flat.data(), sizeof back);
  EXPECT_EQ(back.setting, 99);  // taken over
  EXPECT_EQ(back.width, 64);    // read from the host
  EXPECT_EQ(back.fps, 4 << 16);
  EXPECT_EQ(flat, host.OptionsBytes());
  host.Finish();
  EXPECT_EQ(host.state().problems, std::vector<std::string>{});
}

TEST_F(RenderHostTest, StoppedRenderAndEmptySlots) {
  fake::no_sound_slot = true;
  RenderHost host(settings);
  host.UseEntryPoint(fake::Entry);
  ASSERT_EQ(host.CallEntryPoint(), 0);
  ASSERT_EQ(host.InitOutputSpec(), 0);
  auto source = MakePatternSource();
  RenderControl control;
  control.stop_after_frames = 3;
  ASSERT_EQ(host.Render(*source, control), 0);
  EXPECT_EQ(record.frame_sums.size(), 3u);
  EXPECT_EQ(record.end_state, AEGP_RenderQueueState_STOPPED);
  EXPECT_TRUE(record.chunks.empty());
  EXPECT_NE(host.LastCall("AEIO_AddSoundChunk (empty slot, skipped)"), nullptr);
}

TEST_F(RenderHostTest, AStopAskedForEndsTheRenderAsAStoppedOne) {
  // The stop is asked for while a frame is with the module (the host reads
  // frames ahead, so the frame being handed over is the one in progress):
  // that frame counts, no later one goes to the module, and the render ends
  // stopped; asked during the last frame, the render ends stopped all the same.
  for (int64_t stop_at : {int64_t{3}, settings.comp.frames - 1}) {
    SCOPED_TRACE(stop_at);
    std::atomic<int> stop{0};
    fake::Record seen;
    seen.stop_signal = &stop;
    seen.stop_on_frame = stop_at;
    fake::rec = &seen;
    RenderHost host(settings);
    host.UseEntryPoint(fake::Entry);
    ASSERT_EQ(host.CallEntryPoint(), 0);
    ASSERT_EQ(host.InitOutputSpec(), 0);
    auto source = MakePatternSource();
    RenderControl control;
    control.stop_signal = &stop;
    ASSERT_EQ(host.Render(*source, control), 0);
    EXPECT_EQ(seen.frame_sums.size(), static_cast<size_t>(stop_at + 1));
    EXPECT_EQ(seen.end_state, AEGP_RenderQueueState_STOPPED);
    host.Finish();
  }
}

TEST_F(RenderHostTest, FaultsOfTheModuleAreReported) {
  fake::keep_suite = fake::leave_locked = fake::leak = true;
  {
    RenderHost host(settings);
    host.UseEntryPoint(fake::Entry);
    ASSERT_EQ(host.CallEntryPoint(), 0);
    ASSERT_EQ(host.InitOutputSpec(), 0);
    std::vector<uint8_t> flat;
    host.GetFlatOptions(&flat);
    host.StartAdding();
    host.Finish();
    auto& p = host.state().problems;
    auto has = [&](const std::string& text) {
      for (const auto& s : p)
        if (s.find(text) != std::string::npos) return true;
      return false;
    };
    EXPECT_TRUE(has("AEIO_InitOutputSpec acquired \"AEGP IO Out Suite\" 7 1 time(s) and released it 0 time(s)"));
    EXPECT_TRUE(has("AEIO_GetFlatOutputOptions returned with the handle \"Flat Options\" locked 1 time(s)"));
    EXPECT_TRUE(has("handle \"Flat Options\" was freed while locked"));
    EXPECT_TRUE(has("the handle \"Lost\" (10 bytes) was never freed"));
  }
  fake::keep_suite = fake::leave_locked = fake::leak = false;
  fake::throw_in_start = true;
  RenderHost host(settings);
  host.UseEntryPoint(fake::Entry);
  ASSERT_EQ(host.CallEntryPoint(), 0);
  ASSERT_EQ(host.InitOutputSpec(), 0);
  EXPECT_NE(host.StartAdding(), 0);
  ASSERT_EQ(host.state().problems.size(), 1u);
  EXPECT_EQ(host.state().problems[0], "an exception escaped from AEIO_StartAdding into the host");
}

TEST_F(RenderHostTest, MemoryMayStayLockedBetweenTheCallsOfARenderButNotPastItsEnd) {
  for (fake::Hold hold : {fake::Hold::kUntilEnd, fake::Hold::kPastEnd}) {
    fake::hold = hold;
    RenderHost host(settings);
    host.UseEntryPoint(fake::Entry);
    ASSERT_EQ(host.CallEntryPoint(), 0);
    ASSERT_EQ(host.InitOutputSpec(), 0);
    auto source = MakePatternSource();
    ASSERT_EQ(host.Render(*source), 0);
    auto& p = host.state().problems;
    if (hold == fake::Hold::kUntilEnd) {
      EXPECT_TRUE(p.empty()) << p.front();
    } else {
      ASSERT_EQ(p.size(), 1u);
      EXPECT_EQ(p[0], "AEIO_EndAdding returned with the handle \"Fake Options\" locked 1 time(s)");
      HostMemorySuite()->AEGP_UnlockMemHandle(fake::held);  // so that the options can be disposed of
    }
    host.Finish();
  }
}

TEST_F(RenderHostTest, WithheldSuiteIsMissing) {
  RenderHost host(settings);
  host.UseEntryPoint(fake::Entry);
  ASSERT_EQ(host.CallEntryPoint(), 0);
  host.Withhold(kAEGPIOOutSuite, 7);
  EXPECT_EQ(host.InitOutputSpec(), A_Err_MISSING_SUITE);
  host.Offer(kAEGPIOOutSuite, 7);
  EXPECT_EQ(host.InitOutputSpec(), 0);
  // Versions the host does not have are missing too.
  const void* suite = nullptr;
  EXPECT_EQ(HostBasicSuite()->AcquireSuite(kAEGPIOOutSuite, 6, &suite), A_Err_MISSING_SUITE);
  EXPECT_EQ(suite, nullptr);
}

TEST(RenderHostDeathTest, UnnamedSlotsTrapWithAClearMessage) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(
      {
        HostSettings s;
        s.echo = false;
        RenderHost host(s);
        auto* io = HostIOOutSuite();
        io->unused4();
      },
      "slot 4 of \"AEGP IO Out Suite\" 7, which this host does not provide");
  EXPECT_DEATH(
      {
        HostSettings s;
        s.echo = false;
        RenderHost host(s);
        HostANSISuite()->unused0();
      },
      "slot 0 of \"PF ANSI Suite\" 1");
}

TEST_F(RenderHostTest, OutputPathIsUtf16InAHandleTheModuleFrees) {
  settings.output_path = "/tmp/Caf\xC3\xA9 \xF0\x9F\x8E\xAC.DCP";  // e acute, and a character beyond 16 bits
  RenderHost host(settings);
  host.UseEntryPoint(fake::Entry);
  ASSERT_EQ(host.CallEntryPoint(), 0);
  AEGP_MemHandle path = nullptr;
  ASSERT_EQ(HostIOOutSuite()->AEGP_GetOutSpecFilePath(host.out_spec(), &path), 0);
  void* p = nullptr;
  ASSERT_EQ(HostMemorySuite()->AEGP_LockMemHandle(path, &p), 0);
  const auto* text = static_cast<const A_UTF16Char*>(p);
  std::vector<A_UTF16Char> got;
  for (; *text; ++text) got.push_back(*text);
  const std::vector<A_UTF16Char> tail = {0x43, 0x61, 0x66, 0xE9, 0x20, 0xD83C, 0xDFAC, 0x2E, 0x44, 0x43, 0x50};
  ASSERT_GE(got.size(), tail.size());
  EXPECT_EQ(std::vector<A_UTF16Char>(got.end() - static_cast<long>(tail.size()), got.end()), tail);
  auto live = host.LiveHandles();
  ASSERT_EQ(live.size(), 1u);
  EXPECT_EQ(live[0].locks, 1);
  EXPECT_TRUE(live[0].host_made);
  HostMemorySuite()->AEGP_UnlockMemHandle(path);
  HostMemorySuite()->AEGP_FreeMemHandle(path);
  EXPECT_TRUE(host.LiveHandles().empty());
  // A handle used after it was freed is a fault, not a crash.
  EXPECT_NE(HostMemorySuite()->AEGP_LockMemHandle(path, &p), 0);
  EXPECT_EQ(host.state().problems.size(), 1u);
}

TEST_F(RenderHostTest, MovieInputGivesFramesOfTheCompositionSizeAndOneSecondChunks) {
  LUMAVOX_REQUIRE_TOOL("ffmpeg");
  lumavox_test::TempDir dir;
  auto made = lumavox_test::RunCommand(
      {"ffmpeg", "-v", "error", "-f", "lavfi", "-i", "testsrc=size=160x120:rate=24:duration=2", "-f", "lavfi", "-i",
       "sine=frequency=440:sample_rate=22050:duration=2", "-c:v", "mpeg4", "-c:a", "aac", dir / "in.mp4"});
  ASSERT_EQ(made.status, 0) << made.err;
  MediaInput movie(dir / "in.mp4");
  settings.comp.width = 200;
  settings.comp.height = 100;
  settings.comp.fps_num = 24;
  settings.comp.frames = movie.info().frames;
  settings.comp.depth = 8;
  settings.extra_row_bytes = 0;
  movie.SetCompositionRate(24, 1);
  RenderHost host(settings);
  host.UseEntryPoint(fake::Entry);
  ASSERT_EQ(host.CallEntryPoint(), 0);
  ASSERT_EQ(host.InitOutputSpec(), 0);
  ASSERT_EQ(host.Render(movie), 0);
  ASSERT_EQ(record.frame_formats.size(), 48u);
  for (const auto& f : record.frame_formats) EXPECT_EQ(f, "200x100 800");
  EXPECT_NE(record.frame_sums[0], record.frame_sums[1]);
  ASSERT_EQ(record.chunks.size(), 2u);
  for (const auto& chunk : record.chunks) {
    ASSERT_EQ(chunk.size(), 96000u);
    int peak = 0;
    for (int16_t v : chunk) peak = std::max(peak, std::abs(static_cast<int>(v)));
    EXPECT_GT(peak, 1000);  // the sine is there in both seconds
  }
}
