// The render host as a library: loads the output module, offers the host's
// suites, and calls the module's callbacks in the host's order, checking the
// module's use of suites and memory on the way. lumavox-render is built on it;
// tests use it to drive the plug-in as the host would and to inspect what
// happened.
//
//   RenderHost host(settings);               // one per process at a time
//   host.Load(PluginPath());                  // or host.UseEntryPoint(&MyEntry)
//   ASSERT_EQ(host.CallEntryPoint(), 0);
//   ASSERT_EQ(host.InitOutputSpec(), 0);
//   auto source = MakePatternSource();
//   ASSERT_EQ(host.Render(*source), 0);
//   host.Finish();                            // disposal, death hook, leak check
//   EXPECT_TRUE(host.state().problems.empty());
//
// A render-queue item may carry several outputs of the module: AddOutput
// gives one more, SelectOutput picks the output that the calls below address
// (InitOutputSpec, StartAdding, ...), and Render renders into all of them.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "host/composition.h"
#include "host/frame_source.h"
#include "host/host_frame.h"
#include "host/host_state.h"
#include "host/plugin_module.h"
#include "host/progress.h"

namespace lumavox_host {

struct HostSettings {
  Composition comp;                     // size, rate, length, depth, name
  std::string output_path = "out.DCP";  // the output file path the render queue gives
  int threads = 1;                      // host worker threads
  int extra_row_bytes = 0;              // padding at the end of every frame row
  bool echo = true;                     // print messages and faults on the terminal
  std::FILE* terminal = nullptr;        // the terminal's stream; null: standard error
};

// One callback call as the host saw it.
struct CallRecord {
  std::string callback;  // the slot's name, "EntryPointFunc" or "DeathHook"
  A_Err result = 0;
  std::map<SuiteKey, SuiteCount> suites;  // acquisitions and releases during the call
};

// A live memory handle as tests see it.
struct HandleInfo {
  std::string name;
  size_t size = 0;
  int locks = 0;
  bool host_made = false;  // made by the host (stored options, output path)
};

// What became of one output in the last Render.
struct OutputOutcome {
  bool started = false;       // its StartAdding succeeded, and its EndAdding was called
  A_Err err = A_Err_NONE;     // its start's error, else its first frame's or chunk's, else its end's
  std::string start_message;  // what the module showed during a start that failed
};

struct RenderControl {
  int64_t stop_after_frames = -1;  // >= 0: the user stops the render after this many frames
  // When given and not 0: the user stopped the render (Ctrl-C); it ends
  // before the next frame as a stopped render.
  const std::atomic<int>* stop_signal = nullptr;
  bool sound = true;               // deliver the timeline sound
  int sound_chunk_frames = 48000;  // sample frames per chunk
  Progress* progress = nullptr;
  // Called once StartAdding has succeeded: the render has begun.
  std::function<void()> started;
};

class RenderHost {
 public:
  explicit RenderHost(const HostSettings& settings);
  ~RenderHost();  // Finish() when not done yet, then unloads the module
  RenderHost(const RenderHost&) = delete;
  RenderHost& operator=(const RenderHost&) = delete;

  // ---- loading and registration
  void Load(const std::string& plugin_path);      // throws std::runtime_error
  void UseEntryPoint(AEGP_PluginInitFunc entry);  // a plug-in linked into the caller
  A_Err CallEntryPoint();
  bool Registered() const { return state_.io_registered; }
  const AEIO_ModuleInfo& module_info() const { return state_.module_info; }
  const AEIO_FunctionBlock4& functions() const { return state_.functions; }

  // ---- the outputs of the render-queue item (the first is there from the start)
  // One more output of the module, with its own output specification and
  // output module, writing to `output_path`; gives its index. It is not set up.
  size_t AddOutput(const std::string& output_path);
  // The output that the calls below address (0 until another is selected).
  void SelectOutput(size_t k);

  // ---- set-up of the output
  // The stored record (flat bytes) that the next set-up receives as the
  // output's current options handle.
  void SetStoredOptions(const std::vector<uint8_t>& bytes);
  A_Err InitOutputSpec(bool* user_interacted = nullptr);
  // Flattens the options through the module; the flat handle is read into
  // `bytes` and freed, as the host does when it saves the project.
  A_Err GetFlatOptions(std::vector<uint8_t>* bytes);
  std::vector<uint8_t> OptionsBytes();  // a copy of the current options record
  A_Err GetOutputInfo(AEIO_Verbiage* verbiage);
  A_Err OutputInfoChanged();
  A_Err UserOptionsDialog(bool* user_interacted = nullptr);
  A_Err UserAudioOptionsDialog(bool* user_interacted = nullptr);
  A_Err GetDepths(AEIO_SupportedDepthFlags* which);
  A_Err DisposeOptions();  // the output's options handle, through the module

  // ---- a render, step by step or whole
  A_Err StartAdding();
  A_Err AddFrame(int64_t index, const HostFrame& frame);
  // A chunk of interleaved 16-bit stereo samples starting at sample frame
  // `first` (48000 per second).
  A_Err AddSoundChunk(int64_t first, const std::vector<int16_t>& samples);
  A_Err EndAdding();
  // StartAdding, every frame (sound chunks interleaved, one per second of
  // sound as the frames reach it), EndAdding. Stops at the first error (the
  // render queue is then stopped and EndAdding still called) and returns it.
  // With several outputs, as a render-queue item with several output modules:
  // every output's start, then each frame and chunk to every output whose
  // start succeeded, then each of those outputs' end; an output whose start
  // fails gets nothing more, and the others render on. Returns the first
  // error of an output that started, else (none started) the first start's.
  // An exception of the source (the input failed) stops the render: every
  // output that started gets its end, and the exception goes on.
  A_Err Render(FrameSource& source, const RenderControl& control = {});
  // Each output's outcome in the last Render, by index.
  const std::vector<OutputOutcome>& outcomes() const { return outcomes_; }

  // ---- the end: disposal of the options, the death hook, the leak check
  void Finish();

  // Calls any slot of the function block through the host's accounting:
  // host.Call("AEIO_Flush", host.functions().AEIO_Flush, host.basic(), host.out_spec()).
  template <typename Fn, typename... Args>
  A_Err Call(const std::string& name, Fn fn, Args... args) {
    if (!fn) return Skipped(name);
    BeginCall();
    A_Err err = A_Err_NONE;
    try {
      err = fn(args...);
    } catch (...) {
      state_.Problem("an exception escaped from " + name + " into the host");
      err = A_Err_GENERIC;
    }
    EndCall(name, err);
    return err;
  }

  AEIO_BasicData* basic() { return &basic_; }
  AEIO_OutSpecH out_spec() { return state_.OutSpecHandle(selected_); }
  HostState& state() { return state_; }
  const HostSettings& settings() const { return settings_; }

  // ---- inspection
  const std::vector<CallRecord>& calls() const { return calls_; }
  const CallRecord* LastCall(const std::string& callback) const;
  void Withhold(const std::string& suite, A_long version) { state_.withheld.insert({suite, version}); }
  void Offer(const std::string& suite, A_long version) { state_.withheld.erase({suite, version}); }
  void SetQueueState(AEGP_RenderQueueState s) { state_.queue_state = s; }
  // Handles alive now, with their names, sizes and lock counts.
  std::vector<HandleInfo> LiveHandles() const;
  int64_t frames_added() const { return frames_added_; }
  int64_t chunks_added() const { return chunks_added_; }

 private:
  A_Err Skipped(const std::string& name);
  // The messages the module has shown so far, and those since the first `first`, joined by lines.
  size_t MessageCount();
  std::string MessagesSince(size_t first);
  void BeginCall();
  void EndCall(const std::string& name, A_Err err);

  HostState state_;
  HostSettings settings_;
  std::unique_ptr<PluginModule> module_;
  AEGP_PluginInitFunc entry_ = nullptr;
  AEGP_GlobalRefcon global_refcon_ = nullptr;
  AEIO_BasicData basic_ = {};
  std::vector<CallRecord> calls_;
  bool entered_ = false, finished_ = false;
  size_t selected_ = 0;
  // Between a successful StartAdding and EndAdding of an output (these, by
  // index) the plug-in may keep memory locked from one call to the next
  // (frames it is still encoding); every other call must return with its
  // handles unlocked.
  std::set<size_t> rendering_;
  std::vector<OutputOutcome> outcomes_;
  int64_t frames_added_ = 0, chunks_added_ = 0;
};

// The output colour depth the host reports for bits per channel (24 or 48).
A_short HostDepthFor(int bits_per_channel);

}  // namespace lumavox_host
