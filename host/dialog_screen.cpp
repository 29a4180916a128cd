#include "host/dialog_screen.h"

#include <algorithm>
#include <cctype>

#include "platform/text/utf8_cut.h"
#include "platform/win/control_styles.h"

namespace lumavox_host {

namespace {

std::string Normalized(const std::string& text) {
  std::string out;
  for (char c : text) {
    const bool blank = std::isspace(static_cast<unsigned char>(c)) != 0;
    if (blank && (out.empty() || out.back() == ' ')) continue;
    out.push_back(blank ? ' ' : static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
  }
  while (!out.empty() && out.back() == ' ') out.pop_back();
  if (out.size() > 3 && out.compare(out.size() - 3, 3, "...") == 0) out.resize(out.size() - 3);
  if (out.size() > 1 && out.back() == ':') out.pop_back();
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

// A name fits a text as it stands or without a closing remark in
// parentheses ("In-point" fits "In-point (frames):").
bool Fits(const std::string& wanted, const std::string& text) {
  const std::string n = Normalized(text);
  if (n == wanted) return true;
  const size_t open = n.rfind(" (");
  return open != std::string::npos && n.back() == ')' && n.substr(0, open) == wanted;
}

bool IsLabel(const WindowState& s) { return s.kind == ControlKind::Static && !s.text.empty(); }

// The label of a control: the nearest static text to its left on the same
// row, else the nearest one just above it that starts over it.
std::string LabelOf(const WindowState& control, const std::vector<WindowState>& siblings) {
  if (control.kind == ControlKind::Static || control.kind == ControlKind::Bitmap ||
      control.kind == ControlKind::GroupBox) {
    return "";
  }
  RECT c = control.rect;
  // A drop-down list's rectangle holds its list; the row is its closed height.
  if (control.kind == ControlKind::ComboBox) c.bottom = std::min<LONG>(c.bottom, c.top + 22);
  const WindowState* best = nullptr;
  for (const WindowState& s : siblings) {
    if (!IsLabel(s)) continue;
    const LONG middle = (s.rect.top + s.rect.bottom) / 2;
    if (middle < c.top || middle > c.bottom || s.rect.right > c.left + 4) continue;
    if (best == nullptr || s.rect.right > best->rect.right) best = &s;
  }
  if (best != nullptr) return best->text;
  for (const WindowState& s : siblings) {
    if (!IsLabel(s)) continue;
    if (s.rect.bottom > c.top + 2 || s.rect.bottom < c.top - 30) continue;
    if (s.rect.left < c.left - 4 || s.rect.left > c.right) continue;
    if (best == nullptr || s.rect.bottom > best->rect.bottom) best = &s;
  }
  return best != nullptr ? best->text : "";
}

void Collect(HWND dialog, bool dialogReachable, std::vector<ScreenControl>* out) {
  std::vector<HWND> windows = GetDialogControls(dialog);
  std::vector<WindowState> states(windows.size());
  for (size_t i = 0; i < windows.size(); ++i) {
    if (!QueryWindowState(windows[i], &states[i])) states[i].kind = ControlKind::Bitmap;  // gone: never named
  }
  for (size_t i = 0; i < windows.size(); ++i) {
    const WindowState& s = states[i];
    const bool reachable = dialogReachable && s.visible && s.enabled;
    if (s.kind == ControlKind::Dialog) {
      Collect(windows[i], reachable, out);
      continue;
    }
    ScreenControl c;
    c.window = windows[i];
    c.dialog = dialog;
    c.state = s;
    c.label = LabelOf(s, states);
    c.reachable = reachable;
    out->push_back(c);
  }
}

bool Shown(const ScreenControl& c) {
  // Shown when it and the pages above it are; a disabled control is still seen.
  for (HWND w = c.window; w != nullptr; w = GetParent(w)) {
    WindowState s;
    if (!QueryWindowState(w, &s) || !s.visible) return false;
    if (s.kind == ControlKind::Dialog && (s.style & WS_CHILD) == 0) return true;
  }
  return false;
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

}  // namespace

std::string KindWord(ControlKind kind) {
  switch (kind) {
    case ControlKind::PushButton: return "button";
    case ControlKind::CheckBox: return "check box";
    case ControlKind::Edit: return "edit";
    case ControlKind::ComboBox: return "list";
    case ControlKind::TrackBar: return "track bar";
    case ControlKind::DatePicker: return "date picker";
    case ControlKind::ProgressBar: return "progress bar";
    case ControlKind::GroupBox: return "group";
    case ControlKind::Static: return "text";
    case ControlKind::Bitmap: return "picture";
    case ControlKind::Dialog: return "dialog";
  }
  return "control";
}

std::vector<ScreenControl> ScreenControls(HWND dialog) {
  std::vector<ScreenControl> out;
  WindowState s;
  if (QueryWindowState(dialog, &s)) Collect(dialog, s.visible && s.enabled, &out);
  return out;
}

const ScreenControl* FindScreenControl(const std::vector<ScreenControl>& controls, const std::string& name,
                                       const std::vector<ControlKind>& kinds, std::string* why) {
  const bool byId = !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
  });
  const std::string wanted = Normalized(name);
  std::vector<const ScreenControl*> onText, onLabel;
  for (const ScreenControl& c : controls) {
    if (std::find(kinds.begin(), kinds.end(), c.state.kind) == kinds.end()) continue;
    if (byId) {
      if (std::to_string(c.state.id) == name) onText.push_back(&c);
    } else if (!wanted.empty() && Fits(wanted, c.state.text) && c.state.kind != ControlKind::Edit &&
               c.state.kind != ControlKind::DatePicker) {
      onText.push_back(&c);
    } else if (!wanted.empty() && Fits(wanted, c.label)) {
      onLabel.push_back(&c);
    }
  }
  std::vector<const ScreenControl*>& found = onText.empty() ? onLabel : onText;
  std::string kindWords;
  for (ControlKind k : kinds) kindWords += (kindWords.empty() ? "" : " or ") + KindWord(k);
  if (found.empty()) {
    if (why) *why = "no " + kindWords + " named " + Quoted(name) + " on screen";
    return nullptr;
  }
  if (found.size() > 1) {
    std::vector<const ScreenControl*> reachable;
    for (const ScreenControl* c : found) {
      if (c->reachable) reachable.push_back(c);
    }
    if (reachable.size() == 1) return reachable.front();
    if (why) {
      *why = Quoted(name) + " names " + std::to_string(found.size()) + " controls (ids";
      for (const ScreenControl* c : found) *why += " " + std::to_string(c->state.id);
      *why += "): give the id";
    }
    return nullptr;
  }
  return found.front();
}

std::string DescribeScreen(HWND dialog) {
  WindowState d;
  if (!QueryWindowState(dialog, &d)) return "no dialog on screen";
  std::string out = "on screen, the dialog " + Quoted(d.text) + ":";
  for (const ScreenControl& c : ScreenControls(dialog)) {
    const WindowState& s = c.state;
    if (!Shown(c) || s.kind == ControlKind::Bitmap) continue;
    if (s.kind == ControlKind::Static && (s.text.empty() || s.id < 0)) continue;  // labels name the controls
    std::string line = KindWord(s.kind);
    if (s.id >= 0) line += " " + std::to_string(s.id);
    const std::string& name = (s.kind == ControlKind::Edit || s.kind == ControlKind::ComboBox ||
                               s.kind == ControlKind::TrackBar || s.kind == ControlKind::DatePicker || s.text.empty() ||
                               s.text == "...")
                                  ? c.label
                                  : s.text;
    if (!name.empty() && s.kind != ControlKind::Static) line += " " + Quoted(name);
    switch (s.kind) {
      case ControlKind::CheckBox: line += s.check ? ": ticked" : ": clear"; break;
      case ControlKind::Edit: {
        std::string text = s.text;
        for (char& ch : text) ch = (ch == '\r' || ch == '\n') ? ' ' : ch;
        if (text.size() > 80) text = TextCut(text, 77) + "...";
        line += ": " + Quoted(text);
        break;
      }
      case ControlKind::ComboBox:
        line += ": " + (s.selection >= 0 && s.selection < static_cast<int>(s.items.size())
                            ? Quoted(s.items[static_cast<size_t>(s.selection)])
                            : std::string("nothing chosen"));
        break;
      case ControlKind::TrackBar:
      case ControlKind::ProgressBar:
        line += ": " + std::to_string(s.position) + " (" + std::to_string(s.rangeMin) + " to " +
                std::to_string(s.rangeMax) + ")";
        break;
      case ControlKind::DatePicker:
      case ControlKind::Static:
      case ControlKind::GroupBox:
        if (!s.text.empty()) line += ": " + Quoted(s.text);
        break;
      default: break;
    }
    if (!s.enabled) line += " (disabled)";
    out += "\n  " + line;
  }
  return out;
}

}  // namespace lumavox_host
