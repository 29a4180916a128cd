#include "host/render_host.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <utility>

#include "host/decode_ahead.h"

namespace lumavox_host {

namespace {

A_Err NoAbort(void*) { return A_Err_NONE; }
A_Err NoProgress(void*, A_long, A_long) { return A_Err_NONE; }

}  // namespace

A_short HostDepthFor(int bits_per_channel) { return bits_per_channel == 8 ? 24 : 48; }

RenderHost::RenderHost(const HostSettings& settings) : settings_(settings) {
  const Composition& c = settings.comp;
  state_.echo = settings.echo;
  state_.terminal = settings.terminal;
  state_.threads = settings.threads;
  state_.comp_name = c.name;
  state_.project_depth = c.depth == 8 ? AEGP_ProjBitDepth_8 : AEGP_ProjBitDepth_16;
  OutputSpecState& s = state_.spec;
  s.path_utf8 = settings.output_path;
  s.fps = c.FrameRateFixed();
  s.depth = HostDepthFor(c.depth);
  s.width = c.width;
  s.height = c.height;
  s.duration = {static_cast<A_long>(c.frames * c.fps_den), static_cast<A_u_long>(c.fps_num)};
  basic_.msg_func = HostMessageFunc;
  basic_.pica_basicP = HostBasicSuite();
  basic_.aegp_plug_id = 0;
  basic_.aegp_reserved = 0;
}

RenderHost::~RenderHost() {
  if (entered_ && !finished_) Finish();
  state_.handles.clear();
  module_.reset();
}

void RenderHost::Load(const std::string& plugin_path) {
  module_ = std::make_unique<PluginModule>(plugin_path);
  entry_ = module_->entry_point();
}

void RenderHost::UseEntryPoint(AEGP_PluginInitFunc entry) { entry_ = entry; }

A_Err RenderHost::Skipped(const std::string& name) {
  calls_.push_back({name + " (empty slot, skipped)", A_Err_NONE, {}});
  return A_Err_NONE;
}

void RenderHost::BeginCall() { state_.counts.clear(); }

void RenderHost::EndCall(const std::string& name, A_Err err) {
  for (const auto& [key, count] : state_.counts)
    if (count.acquired != count.released)
      state_.Problem(name + " acquired \"" + key.first + "\" " + std::to_string(key.second) + " " +
                     std::to_string(count.acquired) + " time(s) and released it " + std::to_string(count.released) +
                     " time(s)");
  for (const auto& [h, block] : state_.handles)
    if (block->locks > 0 && rendering_.empty())
      state_.Problem(name + " returned with the handle \"" + block->name + "\" locked " + std::to_string(block->locks) +
                     " time(s)");
  calls_.push_back({name, err, state_.counts});
  state_.counts.clear();
}

const CallRecord* RenderHost::LastCall(const std::string& callback) const {
  for (auto it = calls_.rbegin(); it != calls_.rend(); ++it)
    if (it->callback == callback) return &*it;
  return nullptr;
}

std::vector<HandleInfo> RenderHost::LiveHandles() const {
  std::vector<HandleInfo> out;
  for (const auto& [h, block] : state_.handles)
    out.push_back({block->name, block->bytes.size(), block->locks, block->host_owned});
  return out;
}

A_Err RenderHost::CallEntryPoint() {
  if (!entry_) throw std::logic_error("no plug-in loaded");
  entered_ = true;
  A_Err err = Call("EntryPointFunc", entry_, HostBasicSuite(), A_long{13}, A_long{28}, state_.entry_plugin_id,
                   &global_refcon_);
  basic_.aegp_plug_id = state_.registered_plugin_id ? state_.registered_plugin_id : state_.entry_plugin_id;
  return err;
}

size_t RenderHost::AddOutput(const std::string& output_path) {
  OutputSpecState output;
  const OutputSpecState& first = state_.spec;
  output.path_utf8 = output_path;
  output.fps = first.fps;
  output.depth = first.depth;
  output.duration = first.duration;
  output.width = first.width;
  output.height = first.height;
  state_.more_outputs.push_back(output);
  return state_.output_count() - 1;
}

void RenderHost::SelectOutput(size_t k) {
  if (k >= state_.output_count()) throw std::out_of_range("no output " + std::to_string(k));
  selected_ = k;
}

void RenderHost::SetStoredOptions(const std::vector<uint8_t>& bytes) {
  AEGP_MemHandle h = state_.NewHandle("Stored Options", 0, bytes.size(), true);
  if (!bytes.empty()) std::memcpy(state_.handles[h]->bytes.data(), bytes.data(), bytes.size());
  OutputSpecState& output = state_.Output(selected_);
  if (output.options) state_.FreeHandle(output.options);
  output.options = h;
}

A_Err RenderHost::InitOutputSpec(bool* user_interacted) {
  A_Boolean interacted = 0;
  A_Err err = Call("AEIO_InitOutputSpec", state_.functions.AEIO_InitOutputSpec, &basic_, out_spec(), &interacted);
  if (user_interacted) *user_interacted = interacted != 0;
  return err;
}

A_Err RenderHost::GetFlatOptions(std::vector<uint8_t>* bytes) {
  AEIO_Handle flat = nullptr;
  A_Err err = Call("AEIO_GetFlatOutputOptions", state_.functions.AEIO_GetFlatOutputOptions, &basic_, out_spec(), &flat);
  if (bytes) bytes->clear();
  if (flat) {
    auto it = state_.handles.find(flat);
    if (it == state_.handles.end()) {
      state_.Problem("AEIO_GetFlatOutputOptions gave a handle the host never made");
    } else {
      if (bytes) *bytes = it->second->bytes.ToVector();
      state_.FreeHandle(flat);
    }
  }
  return err;
}

std::vector<uint8_t> RenderHost::OptionsBytes() {
  auto it = state_.handles.find(state_.Output(selected_).options);
  return it == state_.handles.end() ? std::vector<uint8_t>{} : it->second->bytes.ToVector();
}

A_Err RenderHost::GetOutputInfo(AEIO_Verbiage* verbiage) {
  return Call("AEIO_GetOutputInfo", state_.functions.AEIO_GetOutputInfo, &basic_, out_spec(), verbiage);
}

A_Err RenderHost::OutputInfoChanged() {
  return Call("AEIO_OutputInfoChanged", state_.functions.AEIO_OutputInfoChanged, &basic_, out_spec());
}

A_Err RenderHost::UserOptionsDialog(bool* user_interacted) {
  A_Boolean interacted = 0;
  A_Err err = Call("AEIO_UserOptionsDialog", state_.functions.AEIO_UserOptionsDialog, &basic_, out_spec(),
                   static_cast<const PF_EffectWorld*>(nullptr), &interacted);
  if (user_interacted) *user_interacted = interacted != 0;
  return err;
}

A_Err RenderHost::UserAudioOptionsDialog(bool* user_interacted) {
  A_Boolean interacted = 0;
  A_Err err = Call("AEIO_UserAudioOptionsDialog", state_.functions.AEIO_UserAudioOptionsDialog, &basic_, out_spec(),
                   &interacted);
  if (user_interacted) *user_interacted = interacted != 0;
  return err;
}

A_Err RenderHost::GetDepths(AEIO_SupportedDepthFlags* which) {
  return Call("AEIO_GetDepths", state_.functions.AEIO_GetDepths, &basic_, out_spec(), which);
}

A_Err RenderHost::DisposeOptions() {
  AEIO_Handle options = state_.Output(selected_).options;
  if (!options) return A_Err_NONE;
  state_.Output(selected_).options = nullptr;
  if (!state_.functions.AEIO_DisposeOutputOptions) {
    state_.FreeHandle(options);  // nobody else will
    return Skipped("AEIO_DisposeOutputOptions");
  }
  return Call("AEIO_DisposeOutputOptions", state_.functions.AEIO_DisposeOutputOptions, &basic_,
              static_cast<void*>(options));
}

A_Err RenderHost::StartAdding() {
  frames_added_ = chunks_added_ = 0;
  const A_Err err = Call("AEIO_StartAdding", state_.functions.AEIO_StartAdding, &basic_, out_spec(), A_long{0});
  if (err == A_Err_NONE) rendering_.insert(selected_);
  return err;
}

A_Err RenderHost::AddFrame(int64_t index, const HostFrame& frame) {
  PF_EffectWorld world = {};
  world.world_flags = frame.depth == 8 ? 0 : PF_WorldFlag_DEEP;
  world.width = frame.width;
  world.height = frame.height;
  world.rowbytes = frame.row_bytes;
  world.data = const_cast<uint8_t*>(frame.pixels.data());
  A_LPoint origin = {0, 0};
  AEIO_InterruptFuncs interrupt = {nullptr, NoAbort, NoProgress};
  A_Err err = Call("AEIO_AddFrame", state_.functions.AEIO_AddFrame, &basic_, out_spec(), static_cast<A_long>(index),
                   A_long{1} /* one frame per call */, static_cast<const PF_EffectWorld*>(&world),
                   static_cast<const A_LPoint*>(&origin), A_Boolean{0}, &interrupt);
  ++frames_added_;
  return err;
}

A_Err RenderHost::AddSoundChunk(int64_t first, const std::vector<int16_t>& samples) {
  A_Time start = {static_cast<A_long>(first), 48000};
  A_Err err = Call("AEIO_AddSoundChunk", state_.functions.AEIO_AddSoundChunk, &basic_, out_spec(),
                   static_cast<const A_Time*>(&start), static_cast<A_u_long>(samples.size() / 2),
                   static_cast<const void*>(samples.data()));
  ++chunks_added_;
  return err;
}

A_Err RenderHost::EndAdding() {
  rendering_.erase(selected_);
  return Call("AEIO_EndAdding", state_.functions.AEIO_EndAdding, &basic_, out_spec(), A_long{0});
}

A_Err RenderHost::Render(FrameSource& source, const RenderControl& control) {
  const Composition& c = settings_.comp;
  const size_t selected = selected_;
  // The first frames are read on threads of their own while the plug-in starts, and the next ones while it encodes;
  // the reading begins before the host's own frame is made.
  auto ahead = std::make_unique<DecodeAhead>(source, c.frames, std::max(2, settings_.threads),
                                             std::max(1, settings_.threads / 2));
  HostFrame frame;
  frame.Shape(c.width, c.height, c.depth, settings_.extra_row_bytes);
  ahead->ReadFrom(0, frame);
  // Its pixels are swapped with those the source writes before the plug-in sees them.
  frame.AllocateToFill(c.width, c.height, c.depth, settings_.extra_row_bytes);
  outcomes_.assign(state_.output_count(), OutputOutcome{});
  std::vector<size_t> started;
  for (size_t k = 0; k < outcomes_.size(); ++k) {
    selected_ = k;
    const size_t shown = MessageCount();
    outcomes_[k].err = StartAdding();
    outcomes_[k].started = outcomes_[k].err == A_Err_NONE;
    if (outcomes_[k].started) {
      started.push_back(k);
    } else {
      outcomes_[k].start_message = MessagesSince(shown);
    }
  }
  selected_ = selected;
  if (started.empty()) return outcomes_.front().err;
  if (control.started) control.started();
  // One call to every output that started; the first failure stops the render, and is that output's.
  auto to_each = [&](const std::function<A_Err()>& call) -> A_Err {
    for (size_t k : started) {
      selected_ = k;
      const A_Err e = call();
      if (e) {
        outcomes_[k].err = e;
        return e;
      }
    }
    return A_Err_NONE;
  };
  const bool sound = control.sound && (state_.enabled_outputs & AEGP_OutputType_AUDIO) &&
                     control.sound_chunk_frames > 0;
  const int64_t sound_end = c.SoundSeconds() * 48000;  // every second the picture touches
  int64_t sound_sent = 0;
  // Sends the chunks that start by sample frame `until`.
  auto send_sound = [&](int64_t until) -> A_Err {
    while (sound && sound_sent < sound_end && sound_sent <= until) {
      int n = static_cast<int>(std::min<int64_t>(control.sound_chunk_frames, sound_end - sound_sent));
      const std::vector<int16_t> samples = ahead->Sound(sound_sent, n);
      A_Err e = to_each([&] { return AddSoundChunk(sound_sent, samples); });
      sound_sent += n;
      if (e) return e;
    }
    return A_Err_NONE;
  };
  // Each output that started gets its end; the first that failed is kept.
  auto end_each = [&]() -> A_Err {
    A_Err end = A_Err_NONE;
    for (size_t k : started) {
      selected_ = k;
      const A_Err e = EndAdding();
      if (!outcomes_[k].err) outcomes_[k].err = e;
      if (!end) end = e;
    }
    selected_ = selected;
    return end;
  };
  if (control.progress) control.progress->Start(c.frames);
  bool stopped = false;
  A_Err err = A_Err_NONE;
  auto stop_asked = [&] { return control.stop_signal != nullptr && control.stop_signal->load() != 0; };
  try {
    for (int64_t i = 0; i < c.frames && !err; ++i) {
      if ((control.stop_after_frames >= 0 && i >= control.stop_after_frames) || stop_asked()) {
        stopped = true;
        break;
      }
      // The sound of the seconds that begin by this frame's time goes first.
      err = send_sound(i * c.fps_den * 48000 / c.fps_num);
      if (err) break;
      ahead->RenderFrame(i, frame);
      err = to_each([&] { return AddFrame(i, frame); });
      if (control.progress && !err) control.progress->FrameDone(i + 1);
    }
    ahead->Stop();
    if (!err && !stopped) err = send_sound(sound_end);
  } catch (...) {
    // The input failed mid-render: the render stops, and every output that started gets its end.
    state_.queue_state = AEGP_RenderQueueState_STOPPED;
    end_each();
    throw;
  }
  // The frames read ahead and the host's own frame go back to the system
  // while the plug-in finishes the package.
  state_.releaser.Release(std::move(ahead));
  state_.releaser.Release(source.TakeSpareBuffers());
  state_.releaser.Release(std::make_shared<HostFrame>(std::move(frame)));
  if (!err && stop_asked()) stopped = true;  // asked during the last frame: no package is made
  if (err || stopped) state_.queue_state = AEGP_RenderQueueState_STOPPED;
  const A_Err end = end_each();
  // Cancel in a dialog of the render's end stops the render as the user's stop does.
  const bool cancelled = !err && end == PF_Interrupt_CANCEL;
  if (control.progress)
    control.progress->Finish(cancelled || (stopped && !err && !end) ? "stopped" : err || end ? "failed" : "done");
  return err ? err : end;
}

size_t RenderHost::MessageCount() {
  std::lock_guard<std::mutex> lock(state_.mutex);
  return state_.messages.size();
}

std::string RenderHost::MessagesSince(size_t first) {
  std::lock_guard<std::mutex> lock(state_.mutex);
  std::string text;
  for (size_t m = first; m < state_.messages.size(); ++m) text += (text.empty() ? "" : "\n") + state_.messages[m];
  return text;
}

void RenderHost::Finish() {
  if (finished_) return;
  finished_ = true;
  if (!entered_) return;
  for (size_t k = 0; k < state_.output_count(); ++k) {
    selected_ = k;
    DisposeOptions();
  }
  selected_ = 0;
  if (state_.death_hook) Call("DeathHook", state_.death_hook, global_refcon_, state_.death_refcon);
  for (const auto& [h, block] : state_.handles)
    state_.Problem("the handle \"" + block->name + "\" (" + std::to_string(block->bytes.size()) +
                   " bytes) was never freed");
}

}  // namespace lumavox_host
