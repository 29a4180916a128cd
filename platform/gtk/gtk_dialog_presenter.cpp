#include "platform/gtk/gtk_dialog_presenter.h"

#include <gtk/gtk.h>

#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <future>
#include <mutex>
#include <vector>

#include "platform/gtk/gtk_dialog_style.h"
#include "platform/gtk/gtk_dialog_window.h"
#include "platform/gtk/gtk_shown_text.h"
#include "platform/win/message_box.h"
#include "platform/win/window.h"
#include "platform/win/window_messages.h"

namespace {

gboolean RunWork(gpointer data) {
  (*static_cast<std::function<void()>*>(data))();
  return G_SOURCE_REMOVE;
}

void DeleteWork(gpointer data) { delete static_cast<std::function<void()>*>(data); }

// The buttons of a message box of `type`, with the ids they give.
std::vector<std::pair<const char*, int>> BoxButtons(UINT type) {
  switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL: return {{"OK", IDOK}, {"Cancel", IDCANCEL}};
    case MB_ABORTRETRYIGNORE: return {{"Abort", IDABORT}, {"Retry", IDRETRY}, {"Ignore", IDIGNORE}};
    case MB_YESNOCANCEL: return {{"Yes", IDYES}, {"No", IDNO}, {"Cancel", IDCANCEL}};
    case MB_YESNO: return {{"Yes", IDYES}, {"No", IDNO}};
    case MB_RETRYCANCEL: return {{"Retry", IDRETRY}, {"Cancel", IDCANCEL}};
    default: return {{"OK", IDOK}};
  }
}

GtkMessageType BoxIcon(UINT type) {
  switch (type & MB_ICONMASK) {
    case MB_ICONERROR: return GTK_MESSAGE_ERROR;
    case MB_ICONQUESTION: return GTK_MESSAGE_QUESTION;
    case MB_ICONWARNING: return GTK_MESSAGE_WARNING;
    case MB_ICONINFORMATION: return GTK_MESSAGE_INFO;
    default: return GTK_MESSAGE_OTHER;
  }
}

// Adds the filters of a file-open request: pairs of a name and patterns
// separated by ';', matched without regard to case as Windows does.
void AddFilters(GtkFileChooser* chooser, LPCSTR filter) {
  for (const char* p = filter; p != nullptr && *p != '\0';) {
    const char* name = p;
    const char* patterns = name + std::strlen(name) + 1;
    if (*patterns == '\0') break;
    GtkFileFilter* f = gtk_file_filter_new();
    gtk_file_filter_set_name(f, name);
    std::string list = patterns;
    for (size_t start = 0; start <= list.size();) {
      size_t end = list.find(';', start);
      if (end == std::string::npos) end = list.size();
      std::string pattern;
      for (char c : list.substr(start, end - start)) {
        if (std::isalpha(static_cast<unsigned char>(c))) {
          pattern += std::string("[") + static_cast<char>(std::tolower(static_cast<unsigned char>(c))) +
                     static_cast<char>(std::toupper(static_cast<unsigned char>(c))) + "]";
        } else {
          pattern += c;
        }
      }
      if (!pattern.empty()) gtk_file_filter_add_pattern(f, pattern.c_str());
      start = end + 1;
    }
    gtk_file_chooser_add_filter(chooser, f);
    p = patterns + std::strlen(patterns) + 1;
  }
}

}  // namespace

void GtkDialogPresenter::OnGtkThread(std::function<void()> work) {
  g_idle_add_full(G_PRIORITY_DEFAULT, RunWork, new std::function<void()>(std::move(work)), DeleteWork);
}

void GtkDialogPresenter::OnGtkThreadAndWait(const std::function<void()>& work) {
  std::mutex mutex;
  std::condition_variable done;
  bool finished = false;
  OnGtkThread([&] {
    work();
    std::lock_guard<std::mutex> lock(mutex);
    finished = true;
    done.notify_all();
  });
  std::unique_lock<std::mutex> lock(mutex);
  done.wait(lock, [&] { return finished; });
}

std::unique_ptr<GtkDialogPresenter> GtkDialogPresenter::Open(std::string* why) {
  const char* display = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  if ((display == nullptr || *display == '\0') && (wayland == nullptr || *wayland == '\0')) {
    if (why != nullptr) *why = "DISPLAY is not set";
    return nullptr;
  }
  std::unique_ptr<GtkDialogPresenter> presenter(new GtkDialogPresenter);
  std::promise<bool> opened;
  presenter->gtkThread_ = std::thread([&opened] {
    if (!gtk_init_check(nullptr, nullptr)) {
      opened.set_value(false);
      return;
    }
    ApplyDialogStyle();
    // The dialogs centre themselves on the desktop: the screen's work area.
    GdkRectangle area = {0, 0, 0, 0};
    if (GdkMonitor* monitor = gdk_display_get_primary_monitor(gdk_display_get_default())) {
      gdk_monitor_get_workarea(monitor, &area);
    } else if (GdkMonitor* first = gdk_display_get_monitor(gdk_display_get_default(), 0)) {
      gdk_monitor_get_workarea(first, &area);
    }
    if (area.width > 0 && area.height > 0) SetDesktopSize(area.width, area.height);
    opened.set_value(true);
    gtk_main();
  });
  if (!opened.get_future().get()) {
    presenter->gtkThread_.join();
    if (why != nullptr)
      *why = std::string("the display \"") + (display != nullptr && *display != '\0' ? display : wayland) +
             "\" cannot be opened";
    return nullptr;
  }
  presenter->previous_ = SetDialogPresenter(presenter.get());
  return presenter;
}

GtkDialogPresenter::~GtkDialogPresenter() {
  // A presenter whose display could not be opened was never installed, and
  // its thread has ended already.
  if (!gtkThread_.joinable()) return;
  SetDialogPresenter(previous_);
  OnGtkThread([this] {
    windows_.clear();
    gtk_main_quit();
  });
  gtkThread_.join();
}

GtkDialogWindow* GtkDialogPresenter::WindowOf(HWND window) {
  for (HWND w = window; w != nullptr; w = GetParent(w)) {
    auto found = windows_.find(w);
    if (found != windows_.end()) return found->second.get();
  }
  return nullptr;
}

void GtkDialogPresenter::DialogOpened(HWND dialog) {
  WindowState state;
  if (!QueryWindowState(dialog, &state)) return;
  if ((state.style & WS_CHILD) != 0) {
    ControlChanged(dialog);  // a page: part of its dialog's window
    return;
  }
  HWND owner = GetParent(dialog);
  OnGtkThread([this, dialog, owner] {
    if (windows_.count(dialog) != 0) return;
    GtkDialogWindow* ownerWindow = WindowOf(owner);
    windows_[dialog] = std::make_unique<GtkDialogWindow>(dialog, ownerWindow ? ownerWindow->window() : nullptr);
    if (!windows_[dialog]->Sync()) windows_.erase(dialog);
  });
}

void GtkDialogPresenter::ControlChanged(HWND) {
  // Changes come in bursts (a key typed rebuilds a summary, a drag passes
  // every position): one refresh takes in all that came before it ran.
  if (refreshQueued_.exchange(true)) return;
  OnGtkThread([this] { Refresh(); });
}

void GtkDialogPresenter::Refresh() {
  refreshQueued_ = false;
  for (auto it = windows_.begin(); it != windows_.end();) {
    if (!it->second->Sync()) {
      it = windows_.erase(it);
    } else {
      ++it;
    }
  }
}

void GtkDialogPresenter::DialogClosed(HWND dialog, INT_PTR) {
  OnGtkThread([this, dialog] { windows_.erase(dialog); });
}

bool GtkDialogPresenter::OpenFileChosen(HWND owner, LPCSTR filter, std::string* path) {
  bool chosen = false;
  OnGtkThreadAndWait([&] {
    GtkDialogWindow* ownerWindow = WindowOf(owner);
    GtkWidget* chooser = gtk_file_chooser_dialog_new("Open", ownerWindow ? ownerWindow->window() : nullptr,
                                                     GTK_FILE_CHOOSER_ACTION_OPEN, "_Cancel", GTK_RESPONSE_CANCEL,
                                                     "_Open", GTK_RESPONSE_ACCEPT, nullptr);
    AddFilters(GTK_FILE_CHOOSER(chooser), filter);
    if (gtk_dialog_run(GTK_DIALOG(chooser)) == GTK_RESPONSE_ACCEPT) {
      if (char* name = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(chooser))) {
        *path = name;
        chosen = true;
        g_free(name);
      }
    }
    gtk_widget_destroy(chooser);
  });
  return chosen;
}

int GtkDialogPresenter::MessageBoxShown(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  int answer = 0;
  OnGtkThreadAndWait([&] {
    GtkDialogWindow* ownerWindow = WindowOf(owner);
    GtkWidget* box = gtk_message_dialog_new(ownerWindow ? ownerWindow->window() : nullptr, GTK_DIALOG_MODAL,
                                            BoxIcon(type), GTK_BUTTONS_NONE, "%s",
                                            ShownText(text != nullptr ? text : "").c_str());
    gtk_window_set_title(GTK_WINDOW(box), caption);
    bool hasCancel = false;
    for (const auto& [label, id] : BoxButtons(type)) {
      gtk_dialog_add_button(GTK_DIALOG(box), label, id);
      hasCancel = hasCancel || id == IDCANCEL;
    }
    const int response = gtk_dialog_run(GTK_DIALOG(box));
    // Closing the box is Cancel when it has that button; else the default.
    answer = response > 0 ? response : (hasCancel ? IDCANCEL : 0);
    gtk_widget_destroy(box);
  });
  return answer;
}
