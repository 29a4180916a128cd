// A dialog script: the actions of a user on the plug-in's dialogs, one a
// line ("--dialog-script"; lumavox-render --help gives the lines).
#pragma once

#include <istream>
#include <string>
#include <vector>

namespace lumavox_host {

enum class ScriptVerb { Page, Type, Choose, Tick, Clear, Drag, Date, Press, File, Answer };

struct ScriptLine {
  int number = 0;    // 1 for the first line of the script
  std::string text;  // the line as written, for messages
  ScriptVerb verb = ScriptVerb::Press;
  std::string name;   // the control (or, for file and answer, the path and the button)
  std::string value;  // what follows " = "
};

// Reads the script; blank lines and lines whose first character that is
// not blank is '#' are skipped. Throws std::invalid_argument naming the
// line for an unknown action, a missing name or a missing " = VALUE".
std::vector<ScriptLine> ParseDialogScript(std::istream& in);

}  // namespace lumavox_host
