#include "host/dialog_console.h"

#include <unistd.h>

#include "platform/win/window.h"

namespace lumavox_host {

namespace {

std::string Bar(const WindowState& s) {
  const int span = s.rangeMax - s.rangeMin;
  const int percent = span > 0 ? (s.position - s.rangeMin) * 100 / span : 0;
  constexpr int kWidth = 30;
  const int filled = percent * kWidth / 100;
  return "[" + std::string(filled, '#') + std::string(kWidth - filled, '.') + "] " + std::to_string(percent) + "%";
}

}  // namespace

ConsoleDialogPresenter::ConsoleDialogPresenter(std::FILE* out)
    : ConsoleDialogPresenter(out, isatty(fileno(out)) != 0) {}

ConsoleDialogPresenter::ConsoleDialogPresenter(std::FILE* out, bool tty) : out_(out), tty_(tty) {
  previous_ = SetDialogPresenter(this);
}

ConsoleDialogPresenter::~ConsoleDialogPresenter() { SetDialogPresenter(previous_); }

void ConsoleDialogPresenter::DialogOpened(HWND dialog) { Show(dialog); }

void ConsoleDialogPresenter::ControlChanged(HWND control) {
  HWND dialog = GetParent(control);
  WindowState state;
  if (QueryWindowState(dialog, &state) && state.visible) Show(dialog);
}

void ConsoleDialogPresenter::DialogClosed(HWND, INT_PTR) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (lineOpen_) std::fputc('\n', out_);
  lineOpen_ = false;
  lastLine_.clear();
  std::fflush(out_);
}

int ConsoleDialogPresenter::MessageBoxShown(HWND, LPCSTR text, LPCSTR caption, UINT) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (lineOpen_) std::fputc('\n', out_);
  lineOpen_ = false;
  std::fprintf(out_, "%s: %s\n", caption, text);
  std::fflush(out_);
  return 0;  // the box's default button
}

void ConsoleDialogPresenter::Show(HWND dialog) {
  std::string line;
  for (HWND control : GetDialogControls(dialog)) {
    WindowState s;
    if (!QueryWindowState(control, &s) || !s.visible) continue;
    std::string part;
    if (s.kind == ControlKind::Static) part = s.text;
    if (s.kind == ControlKind::ProgressBar) part = Bar(s);
    if (part.empty()) continue;
    if (!line.empty()) line += "  ";
    line += part;
  }
  std::lock_guard<std::mutex> lock(mutex_);
  if (line.empty() || line == lastLine_) return;
  if (tty_) {
    std::fprintf(out_, "\r%s\033[K", line.c_str());
    lineOpen_ = true;
  } else {
    // Without a terminal: a line for each new text and for each full bar.
    const bool newText = line.substr(0, line.find('[')) != lastLine_.substr(0, lastLine_.find('['));
    if (newText || line.find("] 100%") != std::string::npos) std::fprintf(out_, "%s\n", line.c_str());
  }
  lastLine_ = line;
  std::fflush(out_);
}

}  // namespace lumavox_host
