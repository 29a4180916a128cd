// lumavox-render run in the test's own process, so that a test can play the
// user of its dialogs.
#pragma once

#include <string>
#include <vector>

namespace host_test {

// Runs the program with `args` (those after its name) and returns its exit
// status. The dialog presenter that the test installed stays in place.
int RenderProgramHere(const std::vector<std::string>& args);

}  // namespace host_test
