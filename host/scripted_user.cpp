#include "host/scripted_user.h"

#include <sys/stat.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "host/dialog_screen.h"
#include "host/thread_start.h"
#include "platform/win/control_input.h"
#include "platform/win/dialog_box.h"
#include "platform/win/dialog_template.h"
#include "platform/win/user_input.h"
#include "platform/win/window.h"
#include "platform/win/window_messages.h"

namespace lumavox_host {

namespace {

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// The button ids of message boxes, by the words on the buttons.
int ButtonId(const std::string& word) {
  static const std::pair<const char*, int> kButtons[] = {{"ok", IDOK},       {"cancel", IDCANCEL}, {"abort", IDABORT},
                                                         {"retry", IDRETRY}, {"ignore", IDIGNORE}, {"yes", IDYES},
                                                         {"no", IDNO}};
  for (const auto& [name, id] : kButtons) {
    if (Lower(word) == name) return id;
  }
  return 0;
}

bool ParseWhole(const std::string& text, long* value) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  *value = std::strtol(text.c_str(), &end, 10);
  return errno == 0 && *end == '\0';
}

// The row of a list that `item` names: its text, its code (the text before
// the first blank), or "#N".
int ItemIndex(const std::vector<std::string>& items, const std::string& item) {
  long index = 0;
  if (item.size() > 1 && item[0] == '#' && ParseWhole(item.substr(1), &index)) {
    return index >= 0 && index < static_cast<long>(items.size()) ? static_cast<int>(index) : -1;
  }
  for (size_t i = 0; i < items.size(); ++i) {
    if (Lower(items[i]) == Lower(item)) return static_cast<int>(i);
  }
  for (size_t i = 0; i < items.size(); ++i) {
    if (!items[i].empty() && items[i].substr(0, items[i].find(' ')) == item) return static_cast<int>(i);
  }
  return -1;
}

std::string ItemList(const std::vector<std::string>& items) {
  std::string out;
  size_t shown = 0;
  for (const std::string& item : items) {
    if (item.empty()) continue;
    if (++shown > 12) {
      out += ", ...";
      break;
    }
    out += (out.empty() ? "" : ", ") + item;
  }
  return out.empty() ? "none" : out;
}

// A message line of a dialog: a centred static text with an id.
bool IsMessageLine(const WindowState& s) {
  return s.kind == ControlKind::Static && s.id >= 0 && (s.style & SS_CENTER) != 0;
}

}  // namespace

ScriptedUser::ScriptedUser(std::vector<ScriptLine> lines, std::FILE* out) : lines_(std::move(lines)), out_(out) {}

bool ScriptedUser::Run(const std::function<void()>& show) {
  DialogPresenter* previous = SetDialogPresenter(this);
  std::thread player;
  if (!StartThread(player, [this] { Play(); })) {
    SetDialogPresenter(previous);
    error_ = "dialog script: no thread can be started to play it (the system has none left)";
    return false;
  }
  show();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    showDone_ = true;
    changed_.notify_all();
  }
  player.join();
  SetDialogPresenter(previous);
  return error_.empty();
}

HWND ScriptedUser::TopDialog(bool wait) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (wait) changed_.wait(lock, [&] { return !open_.empty() || showDone_; });
  return open_.empty() ? nullptr : open_.back();
}

void ScriptedUser::WaitUntilHandled() {
  // The dialogs share one thread: once the outermost waits for input again,
  // whatever the action started (a nested dialog opening or ending) is done.
  HWND outermost = nullptr;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!open_.empty()) outermost = open_.front();
  }
  if (outermost != nullptr) WaitForDialogIdle(outermost);
}

void ScriptedUser::Play() {
  for (const ScriptLine& line : lines_) {
    if (line.verb == ScriptVerb::File) {
      std::string path = line.name;
      if (!path.empty()) {
        std::error_code ec;
        auto absolute = std::filesystem::absolute(path, ec);
        if (!ec) path = absolute.lexically_normal().string();
      }
      std::lock_guard<std::mutex> lock(mutex_);
      files_.push_back(path.empty() ? std::string() : path);
      continue;
    }
    if (line.verb == ScriptVerb::Answer) {
      const int id = ButtonId(line.name);
      if (id == 0) {
        Fail(&line, "no message-box button is called \"" + line.name + "\" (OK, Cancel, Yes, No, Abort, Retry, Ignore)",
             nullptr);
        break;
      }
      std::lock_guard<std::mutex> lock(mutex_);
      answers_.push_back(id);
      continue;
    }
    HWND top = TopDialog(true);
    if (top == nullptr) {
      Fail(&line, "no dialog is open", nullptr);
      break;
    }
    std::string why;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      chosen_.clear();
    }
    pressedOk_ = false;
    const bool carried = Carry(line, top, &why);
    WaitUntilHandled();
    const std::vector<std::string> messages = PrintNewMessages();
    if (!carried) {
      Fail(&line, why, top);
      break;
    }
    // OK that leaves its dialog open was refused: a typed file that the
    // dialog's checks turn down, with the message it shows.
    if (pressedOk_ && TopDialog(false) == top) {
      why = "the dialog did not take OK";
      const std::vector<std::string> shown = ShownMessages(top);
      for (size_t k = 0; k < shown.size(); ++k) why += (k == 0 ? ": " : "; ") + shown[k];
      Fail(&line, why, top);
      break;
    }
    std::string chosen;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      chosen.swap(chosen_);
    }
    // The dialogs' checks refuse a file with a message, or silently by not
    // taking it (one that cannot be read).
    if (!chosen.empty() && (!messages.empty() || !ShownInAnEdit(chosen))) {
      why = "the dialog refused the file \"" + chosen + "\"";
      for (size_t k = 0; k < messages.size(); ++k) why += (k == 0 ? ": " : "; ") + messages[k];
      Fail(&line, why, TopDialog(false));
      break;
    }
    std::string unanswered;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      unanswered.swap(answerError_);
    }
    if (!unanswered.empty()) {
      Fail(&line, unanswered, TopDialog(false));
      break;
    }
  }
  if (error_.empty()) {
    HWND left = TopDialog(false);
    if (left != nullptr) Fail(nullptr, "the script ended while a dialog was still open", left);
  }
  if (!error_.empty()) CancelOpenDialogs();
}

bool ScriptedUser::Carry(const ScriptLine& line, HWND top, std::string* why) {
  const std::vector<ScreenControl> controls = ScreenControls(top);
  std::vector<ControlKind> kinds;
  switch (line.verb) {
    case ScriptVerb::Page:
    case ScriptVerb::Press: kinds = {ControlKind::PushButton}; break;
    case ScriptVerb::Type: kinds = {ControlKind::Edit}; break;
    case ScriptVerb::Choose: kinds = {ControlKind::ComboBox}; break;
    case ScriptVerb::Tick:
    case ScriptVerb::Clear: kinds = {ControlKind::CheckBox}; break;
    case ScriptVerb::Drag: kinds = {ControlKind::TrackBar}; break;
    case ScriptVerb::Date: kinds = {ControlKind::DatePicker}; break;
    default: return false;
  }
  const ScreenControl* c = FindScreenControl(controls, line.name, kinds, why);
  if (c == nullptr) return false;
  const WindowState& s = c->state;
  const std::string what = "the " + KindWord(s.kind) + " \"" + line.name + "\"";
  if (!c->reachable) {
    WindowState page;
    const bool pageHidden = QueryWindowState(c->dialog, &page) && !page.visible;
    *why = what + (!s.visible || pageHidden ? " is hidden" : " is disabled");
    return false;
  }
  const int id = s.id;
  BOOL done = FALSE;
  switch (line.verb) {
    case ScriptVerb::Page:
    case ScriptVerb::Press:
      done = UserClickButton(c->dialog, id);
      pressedOk_ = id == IDOK;
      break;
    case ScriptVerb::Type: done = UserTypeText(c->dialog, id, line.value.c_str()); break;
    case ScriptVerb::Choose: {
      const int index = ItemIndex(s.items, line.value);
      if (index < 0) {
        *why = what + " has no item \"" + line.value + "\" (its items: " + ItemList(s.items) + ")";
        return false;
      }
      done = UserChooseItem(c->dialog, id, index);
      break;
    }
    case ScriptVerb::Tick:
    case ScriptVerb::Clear: {
      const int wanted = line.verb == ScriptVerb::Tick ? 1 : 0;
      done = s.check == wanted ? TRUE : UserClickButton(c->dialog, id);
      break;
    }
    case ScriptVerb::Drag: {
      long position = 0;
      if (!ParseWhole(line.value, &position) || position < s.rangeMin || position > s.rangeMax) {
        *why = what + " runs from " + std::to_string(s.rangeMin) + " to " + std::to_string(s.rangeMax) + ", not \"" +
               line.value + "\"";
        return false;
      }
      done = UserDragTrackBar(c->dialog, id, static_cast<int>(position));
      break;
    }
    case ScriptVerb::Date: {
      int year = 0, month = 0, day = 0;
      char end = 0;
      if (std::sscanf(line.value.c_str(), "%4d-%2d-%2d%c", &year, &month, &day, &end) != 3 ||
          !UserPickDate(c->dialog, id, year, month, day)) {
        *why = "\"" + line.value + "\" is not a date of the form YYYY-MM-DD";
        return false;
      }
      done = TRUE;
      break;
    }
    default: break;
  }
  if (!done) *why = what + " cannot be reached";
  return done != FALSE;
}

bool ScriptedUser::ShownInAnEdit(const std::string& path) {
  std::vector<HWND> open;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    open = open_;
  }
  for (HWND dialog : open) {
    for (const ScreenControl& c : ScreenControls(dialog)) {
      if (c.state.kind == ControlKind::Edit && c.state.text == path) return true;
    }
  }
  return false;
}

std::vector<std::string> ScriptedUser::ShownMessages(HWND dialog) {
  std::vector<std::string> shown;
  for (const ScreenControl& c : ScreenControls(dialog)) {
    const std::string& text = c.state.text;
    if (IsMessageLine(c.state) && c.reachable && !text.empty() && text != " - ") shown.push_back(text);
  }
  return shown;
}

std::vector<std::string> ScriptedUser::PrintNewMessages() {
  std::vector<std::string> printed;
  std::vector<HWND> open;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    open = open_;
  }
  for (HWND dialog : open) {
    WindowState d;
    if (!QueryWindowState(dialog, &d)) continue;
    for (const ScreenControl& c : ScreenControls(dialog)) {
      if (!IsMessageLine(c.state)) continue;
      auto seen = messages_.find(c.window);
      const std::string& text = c.state.text;
      // A message line shows its first text unannounced (the template's).
      if (seen == messages_.end()) {
        messages_[c.window] = text;
        continue;
      }
      if (seen->second == text) continue;
      seen->second = text;
      if (!text.empty() && text != " - " && c.state.visible) {
        printed.push_back(text);
        if (d.text.empty()) {
          std::fprintf(out_, "%s\n", text.c_str());
        } else {
          std::fprintf(out_, "%s: %s\n", d.text.c_str(), text.c_str());
        }
        std::fflush(out_);
      }
    }
  }
  return printed;
}

void ScriptedUser::Fail(const ScriptLine* line, const std::string& why, HWND shown) {
  error_ = line != nullptr ? "dialog script line " + std::to_string(line->number) + " \"" + line->text + "\": " + why
                           : "dialog script: " + why;
  if (shown != nullptr) error_ += "\n" + DescribeScreen(shown);
}

void ScriptedUser::CancelOpenDialogs() {
  for (HWND top = TopDialog(false); top != nullptr; top = TopDialog(false)) {
    EndDialog(top, IDCANCEL);
    WaitUntilHandled();
    // The dialog's thread closes it once its loop sees the end.
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return open_.empty() || open_.back() != top || showDone_; });
    if (showDone_) break;
  }
}

void ScriptedUser::DialogOpened(HWND dialog) {
  WindowState state;
  if (!QueryWindowState(dialog, &state) || (state.style & WS_CHILD)) return;
  std::lock_guard<std::mutex> lock(mutex_);
  open_.push_back(dialog);
  changed_.notify_all();
}

void ScriptedUser::DialogClosed(HWND dialog, INT_PTR) {
  std::lock_guard<std::mutex> lock(mutex_);
  for (auto it = open_.begin(); it != open_.end(); ++it) {
    if (*it == dialog) {
      open_.erase(it);
      break;
    }
  }
  changed_.notify_all();
}

bool ScriptedUser::OpenFileChosen(HWND, LPCSTR, std::string* path) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (files_.empty()) {
    answerError_ = "a file-open dialog opened with no \"file\" line before it to answer it";
    return false;
  }
  *path = files_.front();
  files_.pop_front();
  if (path->empty()) return false;  // the user cancels it
  struct stat info {};
  if (::stat(path->c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
    answerError_ = "the file-open dialog cannot choose \"" + *path + "\": no such file";
    return false;
  }
  chosen_ = *path;
  return true;
}

int ScriptedUser::MessageBoxShown(HWND, LPCSTR text, LPCSTR caption, UINT) {
  std::fprintf(out_, "%s: %s\n", caption, text);
  std::fflush(out_);
  std::lock_guard<std::mutex> lock(mutex_);
  if (answers_.empty()) return 0;  // the box's default button
  const int id = answers_.front();
  answers_.pop_front();
  return id;
}

}  // namespace lumavox_host
