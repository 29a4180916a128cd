// lumavox-render: stands in for the compositing host and renders a
// composition through the output module into a DCP folder.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <string>

#include "host/command_line.h"
#include "host/dialog_script.h"
#include "host/program_folder.h"
#include "host/render_program.h"
#include "host/scripted_user.h"
#include "host/stop_signals.h"
#include "host/window_presenter.h"

namespace {

std::string ProgramPath(const char* argv0) {
  std::string file = lumavox_host::ProgramFile();
  if (!file.empty()) return file;
  return argv0 ? argv0 : "";
}

// Reads the dialog script (standard input for "-"); throws
// std::invalid_argument with the reason.
std::vector<lumavox_host::ScriptLine> ReadScript(const std::string& path) {
  if (path == "-") return lumavox_host::ParseDialogScript(std::cin);
  std::ifstream in(path);
  if (!in) throw std::invalid_argument("cannot read the dialog script '" + path + "'");
  return lumavox_host::ParseDialogScript(in);
}

}  // namespace

int main(int argc, char** argv) {
  // The plug-in writes to both streams; line by line keeps them in order.
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  lumavox_host::CommandLine cl;
  std::vector<lumavox_host::ScriptLine> script;
  try {
    cl = lumavox_host::ParseCommandLine(argc, argv, ProgramPath(argc > 0 ? argv[0] : nullptr));
    if (!cl.help && !cl.dialog_script.empty()) script = ReadScript(cl.dialog_script);
  } catch (const std::invalid_argument& e) {
    std::fprintf(stderr, "lumavox-render: %s\n", e.what());
    return 2;
  }
  if (cl.help) {
    std::fputs(lumavox_host::UsageText().c_str(), stdout);
    return 0;
  }

  lumavox_host::ProgramDialogs dialogs;
  std::unique_ptr<DialogPresenter> window;
  if (!cl.dialog_script.empty()) {
    // A scripted user answers the options dialog; nothing is shown.
    dialogs.options = [&script](const std::function<void()>& show, std::FILE* terminal, std::string* error) {
      lumavox_host::ScriptedUser user(script, terminal);
      const bool done = user.Run(show);
      if (!done) *error = user.error();
      return done;
    };
  } else {
    // With a window system the plug-in's dialogs are windows on it.
    std::string why;
    try {
      window = lumavox_host::OpenWindowPresenter(&why);
    } catch (const std::runtime_error& e) {
      std::fprintf(stderr, "lumavox-render: %s\n", e.what());
      return 2;
    }
    if (window == nullptr && cl.dialog) {
      std::fprintf(stderr,
                   "lumavox-render: --dialog needs a window system to show the options dialog on, and no display "
                   "could be opened (%s); give --dialog-script FILE to answer the dialogs from a script instead\n",
                   why.c_str());
      return 2;
    }
  }
  dialogs.window = window != nullptr;
  lumavox_host::InstallStopSignals();
  return lumavox_host::RunRenderProgram(cl, dialogs);
}
