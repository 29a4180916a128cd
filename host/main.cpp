// lumavox-render: stands in for the compositing host and renders a
// composition through the output module into a DCP folder.
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <stdexcept>
#include <string>

#include "host/command_line.h"
#include "host/dialog_console.h"
#include "host/render_program.h"
#include "host/stop_signals.h"

namespace {

std::string ProgramPath(const char* argv0) {
  char path[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n > 0) return std::string(path, static_cast<size_t>(n));
  return argv0 ? argv0 : "";
}

}  // namespace

int main(int argc, char** argv) {
  // The plug-in writes to both streams; line by line keeps them in order.
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  lumavox_host::CommandLine cl;
  try {
    cl = lumavox_host::ParseCommandLine(argc, argv, ProgramPath(argc > 0 ? argv[0] : nullptr));
  } catch (const std::invalid_argument& e) {
    std::fprintf(stderr, "lumavox-render: %s\n", e.what());
    return 2;
  }
  if (cl.help) {
    std::fputs(lumavox_host::UsageText().c_str(), stdout);
    return 0;
  }
  lumavox_host::ConsoleDialogPresenter dialogs;  // the plug-in's dialogs on standard error
  lumavox_host::InstallStopSignals();
  return lumavox_host::RunRenderProgram(cl);
}
