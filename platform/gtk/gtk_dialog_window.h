// One top-level dialog of the Windows layer as a GTK window: a fixed layout
// that holds a widget for each control of the dialog and of its child pages,
// placed and sized as the layer places them. Sync() brings the widgets in
// step with the layer (new controls get widgets, destroyed ones lose them);
// the widgets' signals hand the user's actions to the layer's user input.
// Used on the GTK thread only.
#pragma once

#include <gtk/gtk.h>

#include <map>
#include <string>
#include <vector>

#include "platform/win/window.h"

class GtkDialogWindow {
 public:
  // `owner`: the window of the dialog that owns this one (it becomes modal
  // over it), or null.
  GtkDialogWindow(HWND dialog, GtkWindow* owner);
  ~GtkDialogWindow();
  GtkDialogWindow(const GtkDialogWindow&) = delete;
  GtkDialogWindow& operator=(const GtkDialogWindow&) = delete;

  // False once the dialog is gone.
  bool Sync();
  GtkWindow* window() const { return GTK_WINDOW(window_); }
  HWND dialog() const { return dialog_; }

 private:
  struct Control {
    GtkDialogWindow* owner = nullptr;
    HWND window = nullptr;
    HWND dialog = nullptr;       // the dialog or page holding the control
    WindowState state;           // as last shown
    GtkWidget* outer = nullptr;  // the widget in the layout
    GtkWidget* inner = nullptr;  // entry, text view, calendar, ...
    GtkWidget* popover = nullptr;
    bool pending = false;  // the user's text or position is on its way to the dialog
    std::string pendingText;
    int pendingPosition = 0;
    bool placed = false;
  };

  void SyncControls(HWND parent, bool shown, bool enabled, std::map<HWND, bool>* seen);
  // Gives the focus to the dialog's first control that takes it in the
  // dialog's order, as a dialog does when it opens (a push button that has
  // the focus is drawn as the default).
  void FocusFirstTabStop();
  Control& Make(HWND window, HWND dialog, const WindowState& state);
  // `room`: for a static text, the rectangle it may grow into before it
  // meets another control of its row (its text is shown whole when it fits).
  void Update(Control& c, const WindowState& s, bool shown, bool enabled, const RECT& room);

  static void OnClicked(GtkButton* button, Control* c);
  static void OnToggled(GtkToggleButton* button, Control* c);
  static void OnEntryChanged(GtkEditable* editable, Control* c);
  static void OnEntryInsert(GtkEditable* editable, gchar* text, gint length, gint* position, Control* c);
  static void OnComboChanged(GtkComboBox* combo, Control* c);
  static void OnScaleChanged(GtkRange* range, Control* c);
  static void OnDateButton(GtkButton* button, Control* c);
  static void OnDateChosen(GtkButton* button, Control* c);
  static gboolean OnDelete(GtkWidget* widget, GdkEvent* event, GtkDialogWindow* self);
  static gboolean OnKey(GtkWidget* widget, GdkEventKey* event, GtkDialogWindow* self);
  // True when Enter is the dialog's to take (it then presses the default
  // button): the focus is on no control, or on one that does not take Enter
  // itself as a push button or a multi-line edit does.
  bool EnterIsTheDialogs() const;

  HWND dialog_;
  GtkWidget* window_ = nullptr;
  GtkWidget* fixed_ = nullptr;
  std::string caption_;
  RECT placed_ = {0, 0, 0, 0};
  bool syncing_ = false;  // widget changes made by Sync are not the user's
  std::map<HWND, Control*> controls_;
};
