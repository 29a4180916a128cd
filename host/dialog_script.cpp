#include "host/dialog_script.h"

#include <stdexcept>

namespace lumavox_host {

namespace {

std::string Trim(const std::string& s) {
  const size_t first = s.find_first_not_of(" \t\r");
  if (first == std::string::npos) return "";
  return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

struct VerbInfo {
  const char* word;
  ScriptVerb verb;
  bool needsName;
  bool needsValue;
};

const VerbInfo kVerbs[] = {
    {"page", ScriptVerb::Page, true, false},    {"type", ScriptVerb::Type, true, true},
    {"choose", ScriptVerb::Choose, true, true}, {"tick", ScriptVerb::Tick, true, false},
    {"clear", ScriptVerb::Clear, true, false},  {"drag", ScriptVerb::Drag, true, true},
    {"date", ScriptVerb::Date, true, true},     {"press", ScriptVerb::Press, true, false},
    {"file", ScriptVerb::File, false, false},   {"answer", ScriptVerb::Answer, true, false},
};

}  // namespace

std::vector<ScriptLine> ParseDialogScript(std::istream& in) {
  std::vector<ScriptLine> lines;
  std::string raw;
  for (int number = 1; std::getline(in, raw); ++number) {
    const std::string text = Trim(raw);
    if (text.empty() || text[0] == '#') continue;
    auto bad = [&](const std::string& why) {
      throw std::invalid_argument("dialog script line " + std::to_string(number) + " \"" + text + "\": " + why);
    };
    const size_t blank = text.find_first_of(" \t");
    const std::string word = text.substr(0, blank);
    const VerbInfo* info = nullptr;
    for (const VerbInfo& v : kVerbs) {
      if (word == v.word) info = &v;
    }
    if (info == nullptr) {
      bad("unknown action '" + word + "' (page, type, choose, tick, clear, drag, date, press, file, answer)");
    }
    ScriptLine line;
    line.number = number;
    line.text = text;
    line.verb = info->verb;
    std::string rest = blank == std::string::npos ? "" : Trim(text.substr(blank));
    if (info->needsValue) {
      // The name ends at the first " = "; an empty value is allowed (type).
      const size_t eq = rest.find('=');
      if (eq == std::string::npos) bad("'" + word + "' needs NAME = VALUE");
      line.value = Trim(rest.substr(eq + 1));
      rest = Trim(rest.substr(0, eq));
    }
    line.name = rest;
    if (info->needsName && line.name.empty())
      bad("'" + word + "' needs the name of " + (info->verb == ScriptVerb::Answer ? "a button" : "a control"));
    lines.push_back(line);
  }
  return lines;
}

}  // namespace lumavox_host
