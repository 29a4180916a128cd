#include "tests/host/program_here.h"

#include "host/command_line.h"
#include "host/render_program.h"
#include "tests/support/test_support.h"

namespace host_test {

int RenderProgramHere(const std::vector<std::string>& args) {
  std::vector<const char*> argv = {"lumavox-render"};
  for (const std::string& a : args) argv.push_back(a.c_str());
  lumavox_host::ProgramDialogs dialogs;
  dialogs.window = true;  // no presenter of the program's own
  return lumavox_host::RunRenderProgram(
      lumavox_host::ParseCommandLine(static_cast<int>(argv.size()), argv.data(), lumavox_test::RenderPath()), dialogs);
}

}  // namespace host_test
