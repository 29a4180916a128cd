#include "host/render_program.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include "host/composition.h"
#include "host/dialog_console.h"
#include "host/file_replacement.h"
#include "host/frame_source.h"
#include "host/media_input.h"
#include "host/progress.h"
#include "host/render_host.h"
#include "host/stop_signals.h"
#include "host/terminal_log.h"
#include "platform/text/utf8_decode.h"

namespace lumavox_host {

namespace {

std::FILE* g_terminal = stderr;

int Fail(const std::string& text) {
  std::fprintf(g_terminal, "lumavox-render: %s\n", text.c_str());
  std::fflush(g_terminal);
  return 1;
}

int CallbackFailed(const char* callback, A_Err err) {
  return Fail(std::string(callback) + " failed with error " + std::to_string(err));
}

const char* StopName(int signal_number) { return signal_number == SIGINT ? "Ctrl-C" : "SIGTERM"; }

// The user stopped the render `by` a signal or a dialog: the package is not
// complete; returns `status`.
int Stopped(const char* by, int status) {
  std::fprintf(g_terminal, "lumavox-render: the render was stopped by %s: the package is not complete\n", by);
  std::fflush(g_terminal);
  return status;
}

// The user stopped the render with `signal_number`: the shell's status for it.
int Stopped(int signal_number) { return Stopped(StopName(signal_number), 128 + signal_number); }

// Reads the file at `path` whole into `bytes`: 0, or the system's error
// number (ENOENT where there is none, EISDIR for a folder).
int ReadFile(const std::string& path, std::vector<uint8_t>* bytes) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno;
  bytes->clear();
  uint8_t buffer[8192];
  int failure = 0;
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) failure = errno;
    if (n <= 0) break;
    bytes->insert(bytes->end(), buffer, buffer + n);
  }
  ::close(fd);
  return failure;
}

// A stored options record is 11688 bytes of layout version 7 (a little-endian
// 32-bit number at its start). Anything else was not written by a set-up of
// the module: it is refused rather than replaced by a new record.
constexpr size_t kStoredRecordSize = 11688;
constexpr uint32_t kStoredRecordVersion = 7;

std::string StoredRecordFault(const std::vector<uint8_t>& bytes) {
  if (bytes.size() != kStoredRecordSize) {
    return "it holds " + std::to_string(bytes.size()) + " bytes, a record " + std::to_string(kStoredRecordSize);
  }
  const uint32_t version = uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 |
                           uint32_t{bytes[3]} << 24;
  if (version != kStoredRecordVersion) {
    return "its layout version is " + std::to_string(version) + ", not " + std::to_string(kStoredRecordVersion);
  }
  return std::string();
}

// The outputs after the first, as a render-queue item's further output
// modules: each is set up with the first one's record as it stands (after
// its dialog). 0, or the error of the set-up that failed, named in `failed`.
A_Err SetUpFurtherOutputs(RenderHost& host, const std::vector<std::string>& paths, std::string* failed) {
  if (paths.empty()) return A_Err_NONE;
  std::vector<uint8_t> first;
  A_Err err = host.GetFlatOptions(&first);
  *failed = "storing the options of the first output";
  for (size_t k = 0; k < paths.size() && !err; ++k) {
    host.SelectOutput(host.AddOutput(paths[k]));
    host.SetStoredOptions(first);
    err = host.InitOutputSpec();
    *failed = "setting up the output " + paths[k];
  }
  host.SelectOutput(0);
  return err;
}

// With several outputs, each that was not made is named: one whose start the
// plug-in refused, with its message, and one whose render failed. Gives the
// count of outputs whose start failed (the others went on).
size_t ReportOutputsNotMade(const RenderHost& host, const std::vector<std::string>& paths) {
  size_t refused = 0;
  const auto& outcomes = host.outcomes();
  if (paths.size() < 2) return refused;
  for (size_t k = 0; k < outcomes.size() && k < paths.size(); ++k) {
    const OutputOutcome& outcome = outcomes[k];
    if (!outcome.started) {
      ++refused;
      Fail(paths[k] + ": not rendered: its start failed with error " + std::to_string(outcome.err) +
           (outcome.start_message.empty() ? "" : ":\n" + outcome.start_message));
    } else if (outcome.err) {
      Fail(paths[k] + ": not made: its render failed with error " + std::to_string(outcome.err));
    }
  }
  return refused;
}

int RenderWithHost(const CommandLine& cl, const ProgramDialogs& dialogs, const HostSettings& settings,
                   const std::vector<std::string>& further_outputs, FrameSource& source, bool have_stored,
                   const std::vector<uint8_t>& stored, TerminalLog& log) {
  const bool render = !cl.outputs.empty();
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
  bool store = !cl.options_file.empty();
  if (cl.dialog) {
    bool ok = false;
    A_Err err = A_Err_NONE;
    auto show = [&] { err = host.UserOptionsDialog(&ok); };
    std::string error;
    if (dialogs.options) {
      if (!dialogs.options(show, g_terminal, &error)) return Fail(error + "\nnothing is stored or rendered");
    } else {
      show();
    }
    if (err) return CallbackFailed("the options dialog", err);
    if (!ok) {
      std::fprintf(g_terminal, "lumavox-render: the options dialog was cancelled: the settings stay as they were\n");
      store = false;
    }
  }
  if (store) {
    std::vector<uint8_t> flat;
    if (A_Err err = host.GetFlatOptions(&flat)) return CallbackFailed("storing the options", err);
    if (flat.empty()) return Fail("the plug-in gave no options record to store");
    std::string why;
    if (!ReplaceFileContents(cl.options_file, flat, &why))
      return Fail("cannot write the options file '" + cl.options_file + "': " + why);
    if (!render) std::fprintf(g_terminal, "lumavox-render: options stored in %s\n", cl.options_file.c_str());
  }
  if (!render) {
    host.Finish();
    return 0;
  }
  std::string failed_set_up;
  if (A_Err err = SetUpFurtherOutputs(host, further_outputs, &failed_set_up))
    return CallbackFailed(failed_set_up.c_str(), err);
  std::vector<std::string> outputs{settings.output_path};
  outputs.insert(outputs.end(), further_outputs.begin(), further_outputs.end());
  AEIO_Verbiage verbiage = {};
  if (host.functions().AEIO_GetOutputInfo && host.GetOutputInfo(&verbiage) == A_Err_NONE)
    std::fprintf(stderr, "lumavox-render: output: %.*s, %.*s\n%.*s", AEIO_MAX_VERBIAGE_NAME_LEN, verbiage.name,
                 AEIO_MAX_TYPE_NAME_LEN, verbiage.type, AEIO_MAX_MESSAGE_LEN, verbiage.sub_type);

  // Stopped before the render began: nothing is written.
  if (int signal_number = StopSignal().load()) return Stopped(signal_number);
  Progress progress(g_terminal);
  RenderControl control;
  control.progress = &progress;
  control.stop_signal = &StopSignal();
  // The log beside the package is replaced only by a render that began.
  control.started = [&log] { log.Begin(); };
  A_Err err = A_Err_NONE;
  // Without a window, the plug-in's render dialogs show on the terminal.
  std::unique_ptr<ConsoleDialogPresenter> console;
  if (!dialogs.window) console = std::make_unique<ConsoleDialogPresenter>(g_terminal);
  // Damaged input that was read past is told whatever became of the render.
  const auto warn_of_damage = [&] {
    const std::string damage = source.Damage();
    if (!damage.empty()) std::fprintf(g_terminal, "lumavox-render: warning: %s\n", damage.c_str());
  };
  try {
    err = host.Render(source, control);
  } catch (const std::exception& e) {
    // The input failed mid-render: the host has stopped the render and ended it.
    warn_of_damage();
    return Fail(e.what());
  }
  warn_of_damage();
  host.Finish();
  size_t faults = host.state().problems.size();
  if (faults) std::fprintf(g_terminal, "lumavox-render: %zu plug-in fault(s) noticed (above)\n", faults);
  const size_t refused = ReportOutputsNotMade(host, outputs);
  if (err == PF_Interrupt_CANCEL) return Stopped("Cancel in the plug-in's dialog", 1);
  if (err) CallbackFailed("the render", err);
  const int signal_number = StopSignal().load();
  // A stop that came once every frame was in the plug-in's hands did not stop
  // the render: its end made the package.
  const bool stopped = host.state().queue_state == AEGP_RenderQueueState_STOPPED;
  if (signal_number != 0 && (err || stopped)) return Stopped(signal_number);
  if (err) return 1;
  if (signal_number != 0) {
    std::fprintf(g_terminal, "lumavox-render: %s came after the last frame: the package is complete\n",
                 StopName(signal_number));
  }
  for (size_t k = 0; k < outputs.size(); ++k) {
    if (host.outcomes().at(k).started)
      std::fprintf(g_terminal, "package: %s\n",
                   outputs[k].substr(0, std::max<size_t>(outputs[k].size(), 4) - 4).c_str());
  }
  std::fprintf(g_terminal, "log: %s\n", LogFilePath(settings.output_path).c_str());
  std::fflush(g_terminal);
  return refused > 0 ? 1 : 0;
}

}  // namespace

int RunRenderProgram(const CommandLine& cl, const ProgramDialogs& dialogs) {
  g_terminal = stderr;
  // Only the options dialog makes a record; without it a missing file is a
  // mistyped name, and the defaults would be rendered in place of its settings.
  std::error_code missing_ec;
  if (!cl.options_file.empty() && !cl.dialog &&
      std::filesystem::symlink_status(cl.options_file, missing_ec).type() == std::filesystem::file_type::not_found) {
    std::fprintf(stderr,
                 "lumavox-render: the options file '%s' does not exist; give --dialog (or --dialog-script) to make "
                 "it with the options dialog\n",
                 cl.options_file.c_str());
    return 2;
  }
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
  // An options file that is not there yet is made by the options dialog;
  // one that cannot be read (a folder) is refused before the dialog, whose
  // settings could not be stored in it.
  const int read_failure = cl.options_file.empty() ? ENOENT : ReadFile(cl.options_file, &stored);
  if (read_failure != 0 && read_failure != ENOENT) {
    std::fprintf(stderr, "lumavox-render: cannot read the options file '%s': %s; nothing is stored or rendered\n",
                 cl.options_file.c_str(), std::generic_category().message(read_failure).c_str());
    return 2;
  }
  if (read_failure == 0) {
    const std::string fault = StoredRecordFault(stored);
    if (!fault.empty()) {
      std::fprintf(stderr,
                   "lumavox-render: the options file '%s' is not a stored options record: %s; "
                   "it is left as it is\n",
                   cl.options_file.c_str(), fault.c_str());
      return 2;
    }
    have_stored = true;
  }
  const bool render = !cl.outputs.empty();
  HostSettings settings;
  settings.comp = comp;
  std::error_code ec;
  std::string log_path;
  std::vector<std::string> output_paths;
  for (const std::string& output : cl.outputs) {
    // The render queue gives the host an absolute path.
    auto absolute = std::filesystem::absolute(output, ec);
    output_paths.push_back(ec ? output : absolute.lexically_normal().string());
    // The host hands the plug-in its output path in UTF-16, which cannot
    // carry bytes that are not UTF-8: refused before any output is made.
    const std::string& path = output_paths.back();
    if (!IsWellFormedUtf8(path.data(), path.size())) {
      std::fprintf(stderr,
                   "lumavox-render: the output path '%s' is not UTF-8 text: the plug-in is given its output path in "
                   "Unicode, which cannot name that folder; choose a name in UTF-8\n",
                   path.c_str());
      return 2;
    }
  }
  for (const std::string& path : output_paths) {
    // A render queue only offers outputs in folders that exist: make the output's folder.
    auto parent = std::filesystem::path(path).parent_path();
    if (!parent.empty() && !std::filesystem::is_directory(parent, ec) &&
        !std::filesystem::create_directories(parent, ec))
      return Fail("cannot create the folder '" + parent.string() + "': " + ec.message());
  }
  if (render) {
    settings.output_path = output_paths.front();
    log_path = LogFilePath(settings.output_path);
  }
  const std::vector<std::string> further_outputs(output_paths.begin() + (render ? 1 : 0), output_paths.end());
  settings.threads = cl.threads;

  // From here the plug-in's diagnostics go to the log, the host's own lines
  // to the terminal.
  TerminalLog log;
  std::string log_error;
  if (!log.Start(log_path, cl.verbose, &log_error)) return Fail(log_error);
  g_terminal = log.terminal();
  settings.terminal = g_terminal;
  std::fprintf(stderr, "lumavox-render: composition \"%s\" %dx%d, %.3f fps, %lld frames, %d bits per channel\n",
               comp.name.c_str(), comp.width, comp.height, comp.Fps(), static_cast<long long>(comp.frames), comp.depth);
  if (render && comp.frames * comp.fps_den < comp.fps_num) {
    std::fprintf(g_terminal,
                 "lumavox-render: warning: the composition is %lld frame(s), shorter than one second: verifiers and "
                 "cinema servers refuse a reel shorter than one second; it is rendered as asked\n",
                 static_cast<long long>(comp.frames));
  }
  const int status = RenderWithHost(cl, dialogs, settings, further_outputs, *source, have_stored, stored, log);
  log.Stop();
  g_terminal = stderr;
  return status;
}

}  // namespace lumavox_host
