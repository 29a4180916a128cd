#include "host/render_program.h"

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>

#include "host/composition.h"
#include "host/frame_source.h"
#include "host/media_input.h"
#include "host/progress.h"
#include "host/render_host.h"
#include "host/stop_signals.h"

namespace lumavox_host {

namespace {

int Fail(const std::string& text) {
  std::fprintf(stderr, "lumavox-render: %s\n", text.c_str());
  return 1;
}

int CallbackFailed(const char* callback, A_Err err) {
  return Fail(std::string(callback) + " failed with error " + std::to_string(err));
}

// The user stopped the render with `signal_number`: the shell's status for it.
int Stopped(int signal_number) {
  std::fprintf(stderr, "lumavox-render: the render was stopped by %s: the package is not complete\n",
               signal_number == SIGINT ? "Ctrl-C" : "SIGTERM");
  return 128 + signal_number;
}

bool ReadFile(const std::string& path, std::vector<uint8_t>* bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

// Writes beside the file and renames, so that a failed write loses nothing.
bool WriteFileSafely(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::string temp = path + ".new";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) return false;
  }
  std::error_code ec;
  std::filesystem::rename(temp, path, ec);
  if (ec) std::filesystem::remove(temp, ec);
  return !ec;
}

}  // namespace

int RunRenderProgram(const CommandLine& cl) {
  std::unique_ptr<FrameSource> source;
  Composition comp;
  try {
    if (!cl.input.empty()) {
      auto media = std::make_unique<MediaInput>(cl.input);
      comp = ResolveComposition(cl, &media->info());
      media->SetCompositionRate(comp.fps_num, comp.fps_den);
      source = std::move(media);
    } else {
      comp = ResolveComposition(cl, nullptr);
      source = MakePatternSource();
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "lumavox-render: %s\n", e.what());
    return 2;
  }
  std::vector<uint8_t> stored;
  bool have_stored = false;
  if (!cl.options_file.empty() && std::filesystem::exists(cl.options_file)) {
    if (!ReadFile(cl.options_file, &stored)) {
      std::fprintf(stderr, "lumavox-render: cannot read the options file '%s'\n", cl.options_file.c_str());
      return 2;
    }
    have_stored = true;
  }
  std::fprintf(stderr, "lumavox-render: composition \"%s\" %dx%d, %.3f fps, %lld frames, %d bits per channel\n",
               comp.name.c_str(), comp.width, comp.height, comp.Fps(), static_cast<long long>(comp.frames),
               comp.depth);

  HostSettings settings;
  settings.comp = comp;
  // The render queue gives the host an absolute path.
  std::error_code ec;
  auto absolute = std::filesystem::absolute(cl.output, ec);
  settings.output_path = ec ? cl.output : absolute.lexically_normal().string();
  // A render queue only offers outputs in folders that exist: make the output's folder.
  auto parent = std::filesystem::path(settings.output_path).parent_path();
  if (!parent.empty() && !std::filesystem::is_directory(parent, ec) &&
      !std::filesystem::create_directories(parent, ec))
    return Fail("cannot create the folder '" + parent.string() + "': " + ec.message());
  settings.threads = cl.threads;
  RenderHost host(settings);
  try {
    host.Load(cl.plugin);
  } catch (const std::exception& e) {
    return Fail(e.what());
  }
  if (A_Err err = host.CallEntryPoint()) return CallbackFailed("the plug-in's entry point", err);
  if (!host.Registered()) return Fail("the plug-in registered no output module");

  if (have_stored) host.SetStoredOptions(stored);
  if (A_Err err = host.InitOutputSpec()) return CallbackFailed("setting up the output", err);
  if (!cl.options_file.empty()) {
    std::vector<uint8_t> flat;
    if (A_Err err = host.GetFlatOptions(&flat)) return CallbackFailed("storing the options", err);
    if (flat.empty()) return Fail("the plug-in gave no options record to store");
    if (!WriteFileSafely(cl.options_file, flat))
      return Fail("cannot write the options file '" + cl.options_file + "'");
  }
  AEIO_Verbiage verbiage = {};
  if (host.functions().AEIO_GetOutputInfo && host.GetOutputInfo(&verbiage) == A_Err_NONE)
    std::fprintf(stderr, "lumavox-render: output: %.*s, %.*s\n%.*s", AEIO_MAX_VERBIAGE_NAME_LEN, verbiage.name,
                 AEIO_MAX_TYPE_NAME_LEN, verbiage.type, AEIO_MAX_MESSAGE_LEN, verbiage.sub_type);

  // Stopped before the render began: nothing is written.
  if (int signal_number = StopSignal().load()) return Stopped(signal_number);
  Progress progress;
  RenderControl control;
  control.progress = &progress;
  control.stop_signal = &StopSignal();
  A_Err err = A_Err_NONE;
  try {
    err = host.Render(*source, control);
  } catch (const std::exception& e) {
    // The input failed mid-render: the host stops the render.
    host.SetQueueState(AEGP_RenderQueueState_STOPPED);
    host.EndAdding();
    return Fail(e.what());
  }
  host.Finish();
  size_t faults = host.state().problems.size();
  if (faults) std::fprintf(stderr, "lumavox-render: %zu plug-in fault(s) noticed (above)\n", faults);
  if (err) CallbackFailed("the render", err);
  if (int signal_number = StopSignal().load()) return Stopped(signal_number);
  return err ? 1 : 0;
}

}  // namespace lumavox_host
