#include "platform/gtk/gtk_dialog_window.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>

#include "platform/gtk/gtk_shown_text.h"
#include "platform/text/utf8_cut.h"
#include "platform/win/control_input.h"
#include "platform/win/control_styles.h"
#include "platform/win/user_input.h"
#include "platform/win/window_messages.h"

namespace {

// A combo box shows its closed height, not the height of its drop-down list.
constexpr int kComboHeight = 22;

std::string Capitals(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// Multi-line edits hold Windows line ends.
std::string WithoutCarriageReturns(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c != '\r') out.push_back(c);
  }
  return out;
}

bool IsMultiLine(const WindowState& s) { return s.kind == ControlKind::Edit && (s.style & ES_MULTILINE) != 0; }

// Only the dialog's push buttons become the default while they have the
// focus, as a dialog's do: the buttons within other controls (a check box,
// a list's, a date picker's) leave the default where it is.
void KeepFromDefault(GtkWidget* widget, gpointer) {
  if (GTK_IS_BUTTON(widget)) gtk_widget_set_receives_default(widget, FALSE);
  if (GTK_IS_CONTAINER(widget)) gtk_container_forall(GTK_CONTAINER(widget), KeepFromDefault, nullptr);
}

}  // namespace

GtkDialogWindow::GtkDialogWindow(HWND dialog, GtkWindow* owner) : dialog_(dialog) {
  window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_resizable(GTK_WINDOW(window_), FALSE);
  gtk_window_set_type_hint(GTK_WINDOW(window_), GDK_WINDOW_TYPE_HINT_DIALOG);
  if (owner != nullptr) {
    gtk_window_set_transient_for(GTK_WINDOW(window_), owner);
    gtk_window_set_modal(GTK_WINDOW(window_), TRUE);
  }
  fixed_ = gtk_fixed_new();
  gtk_container_add(GTK_CONTAINER(window_), fixed_);
  g_signal_connect(window_, "delete-event", G_CALLBACK(OnDelete), this);
  g_signal_connect(window_, "key-press-event", G_CALLBACK(OnKey), this);
}

namespace {

template <typename Control>
void DestroyControl(Control* c) {
  if (c->popover != nullptr) {
    gtk_widget_destroy(c->popover);
    g_object_unref(c->popover);
  }
  gtk_widget_destroy(c->outer);
  delete c;
}

}  // namespace

GtkDialogWindow::~GtkDialogWindow() {
  for (auto& [hwnd, control] : controls_) DestroyControl(control);
  gtk_widget_destroy(window_);
}

gboolean GtkDialogWindow::OnDelete(GtkWidget*, GdkEvent*, GtkDialogWindow* self) {
  // The close box: the dialog decides, as it does for the caption's box.
  UserClickCloseBox(self->dialog_);
  return TRUE;
}

gboolean GtkDialogWindow::OnKey(GtkWidget*, GdkEventKey* event, GtkDialogWindow* self) {
  // The window sees a key before its focused widget does.
  if (event->keyval == GDK_KEY_Escape) {
    UserPressKey(self->dialog_, VK_ESCAPE);
    return TRUE;
  }
  const bool enter = event->keyval == GDK_KEY_Return || event->keyval == GDK_KEY_KP_Enter ||
                     event->keyval == GDK_KEY_ISO_Enter;
  if (!enter) return FALSE;
  // Enter is the dialog's or the focused widget's; GTK's own activation of
  // the default button (after a widget that lets Enter pass) never runs.
  if (self->EnterIsTheDialogs()) {
    UserPressKey(self->dialog_, VK_RETURN);
  } else {
    gtk_window_propagate_key_event(GTK_WINDOW(self->window_), event);
  }
  return TRUE;
}

bool GtkDialogWindow::EnterIsTheDialogs() const {
  GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(window_));
  if (focus == nullptr) return true;
  for (GtkWidget* w = focus; w != nullptr; w = gtk_widget_get_parent(w)) {
    for (const auto& [hwnd, c] : controls_) {
      if (c->outer == w) return c->state.kind != ControlKind::PushButton && !IsMultiLine(c->state);
    }
  }
  return false;  // a widget of GTK's own, such as a date picker's calendar
}

void GtkDialogWindow::FocusFirstTabStop() {
  for (HWND control : GetDialogControls(dialog_)) {
    auto found = controls_.find(control);
    if (found == controls_.end()) continue;
    const Control& c = *found->second;
    if ((c.state.style & WS_TABSTOP) != 0 && c.state.visible && c.state.enabled) {
      gtk_widget_grab_focus(c.inner != nullptr ? c.inner : c.outer);
      return;
    }
  }
}

bool GtkDialogWindow::Sync() {
  WindowState d;
  if (!QueryWindowState(dialog_, &d)) return false;
  syncing_ = true;
  if (d.text != caption_) {
    caption_ = d.text;
    gtk_window_set_title(GTK_WINDOW(window_), caption_.c_str());
  }
  const int width = d.rect.right - d.rect.left - d.frame.left - d.frame.right;
  const int height = d.rect.bottom - d.rect.top - d.frame.top - d.frame.bottom;
  if (d.rect.left != placed_.left || d.rect.top != placed_.top || d.rect.right != placed_.right ||
      d.rect.bottom != placed_.bottom) {
    placed_ = d.rect;
    gtk_widget_set_size_request(fixed_, width, height);
    gtk_window_move(GTK_WINDOW(window_), std::max(0, static_cast<int>(d.rect.left)),
                    std::max(0, static_cast<int>(d.rect.top)));
  }
  std::map<HWND, bool> seen;
  SyncControls(dialog_, d.visible, d.enabled, &seen);
  for (auto it = controls_.begin(); it != controls_.end();) {
    if (seen.count(it->first) == 0) {
      DestroyControl(it->second);
      it = controls_.erase(it);
    } else {
      ++it;
    }
  }
  if (d.visible && !gtk_widget_get_visible(window_)) {
    FocusFirstTabStop();
    gtk_widget_show(fixed_);
    gtk_widget_show(window_);
  }
  syncing_ = false;
  return true;
}

namespace {

// The stretch of its row that a static text may take: from its box to the
// nearest control beside it (and at most to the dialog's edges).
RECT RoomOf(const WindowState& text, const std::vector<WindowState>& siblings, const RECT& bounds) {
  RECT room = {bounds.left, text.rect.top, bounds.right, text.rect.bottom};
  for (const WindowState& other : siblings) {
    if (&other == &text || other.kind == ControlKind::Dialog || other.kind == ControlKind::GroupBox) continue;
    if (other.rect.bottom <= text.rect.top || other.rect.top >= text.rect.bottom) continue;
    if (other.rect.left >= text.rect.right - 1) room.right = std::min(room.right, other.rect.left - 4);
    if (other.rect.right <= text.rect.left + 1) room.left = std::max(room.left, other.rect.right + 4);
  }
  room.left = std::min(room.left, text.rect.left);
  room.right = std::max(room.right, text.rect.right);
  return room;
}

}  // namespace

void GtkDialogWindow::SyncControls(HWND parent, bool shown, bool enabled, std::map<HWND, bool>* seen) {
  const std::vector<HWND> windows = GetDialogControls(parent);
  std::vector<WindowState> states(windows.size());
  std::vector<bool> there(windows.size());
  for (size_t i = 0; i < windows.size(); ++i) there[i] = QueryWindowState(windows[i], &states[i]);
  WindowState p;
  QueryWindowState(parent, &p);
  const RECT bounds = {p.rect.left + p.frame.left, p.rect.top, p.rect.right - p.frame.right, p.rect.bottom};
  for (size_t i = 0; i < windows.size(); ++i) {
    if (!there[i]) continue;
    const WindowState& s = states[i];
    if (s.kind == ControlKind::Dialog) {
      SyncControls(windows[i], shown && s.visible, enabled && s.enabled, seen);
      continue;
    }
    (*seen)[windows[i]] = true;
    auto found = controls_.find(windows[i]);
    Control& c = found != controls_.end() ? *found->second : Make(windows[i], parent, s);
    const RECT room = s.kind == ControlKind::Static ? RoomOf(s, states, bounds) : s.rect;
    Update(c, s, shown && s.visible, enabled && s.enabled, room);
  }
}

GtkDialogWindow::Control& GtkDialogWindow::Make(HWND window, HWND dialog, const WindowState& s) {
  auto* c = new Control;
  c->owner = this;
  c->window = window;
  c->dialog = dialog;
  c->state.kind = s.kind;
  c->state.text = "\x01";  // nothing shown yet: the first update sets everything
  c->state.check = -1;
  c->state.selection = -2;
  c->state.position = INT32_MIN;
  switch (s.kind) {
    case ControlKind::Static: {
      c->outer = gtk_label_new("");
      const float x = (s.style & SS_CENTER) ? 0.5f : ((s.style & SS_RIGHT) == SS_RIGHT ? 1.0f : 0.0f);
      gtk_label_set_xalign(GTK_LABEL(c->outer), x);
      gtk_label_set_yalign(GTK_LABEL(c->outer), 0.0f);
      gtk_label_set_ellipsize(GTK_LABEL(c->outer), PANGO_ELLIPSIZE_END);
      break;
    }
    case ControlKind::Bitmap:
      // The pictures of the templates: a banner with the dialog's caption.
      c->outer = gtk_label_new(caption_.c_str());
      gtk_style_context_add_class(gtk_widget_get_style_context(c->outer), "picture");
      break;
    case ControlKind::PushButton:
      c->outer = gtk_button_new_with_label("");
      g_signal_connect(c->outer, "clicked", G_CALLBACK(OnClicked), c);
      break;
    case ControlKind::CheckBox:
      c->outer = gtk_check_button_new_with_label("");
      g_signal_connect(c->outer, "toggled", G_CALLBACK(OnToggled), c);
      break;
    case ControlKind::GroupBox: c->outer = gtk_frame_new(""); break;
    case ControlKind::Edit:
      if (IsMultiLine(s)) {
        c->outer = gtk_scrolled_window_new(nullptr, nullptr);
        gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(c->outer), GTK_SHADOW_IN);
        gtk_scrolled_window_set_overlay_scrolling(GTK_SCROLLED_WINDOW(c->outer), FALSE);
        gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(c->outer), GTK_POLICY_AUTOMATIC,
                                       (s.style & WS_VSCROLL) ? GTK_POLICY_ALWAYS : GTK_POLICY_AUTOMATIC);
        c->inner = gtk_text_view_new();
        gtk_text_view_set_editable(GTK_TEXT_VIEW(c->inner), (s.style & ES_READONLY) == 0);
        gtk_text_view_set_cursor_visible(GTK_TEXT_VIEW(c->inner), (s.style & ES_READONLY) == 0);
        gtk_container_add(GTK_CONTAINER(c->outer), c->inner);
        gtk_widget_show(c->inner);
      } else {
        c->outer = c->inner = gtk_entry_new();
        gtk_entry_set_width_chars(GTK_ENTRY(c->inner), 1);
        gtk_editable_set_editable(GTK_EDITABLE(c->inner), (s.style & ES_READONLY) == 0);
        g_signal_connect(c->inner, "insert-text", G_CALLBACK(OnEntryInsert), c);
        g_signal_connect(c->inner, "changed", G_CALLBACK(OnEntryChanged), c);
      }
      break;
    case ControlKind::ComboBox:
      c->outer = gtk_combo_box_text_new();
      g_signal_connect(c->outer, "changed", G_CALLBACK(OnComboChanged), c);
      break;
    case ControlKind::ProgressBar: c->outer = gtk_progress_bar_new(); break;
    case ControlKind::TrackBar:
      c->outer = gtk_scale_new_with_range(GTK_ORIENTATION_HORIZONTAL, 0, 100, 1);
      gtk_scale_set_draw_value(GTK_SCALE(c->outer), FALSE);
      g_signal_connect(c->outer, "value-changed", G_CALLBACK(OnScaleChanged), c);
      break;
    case ControlKind::DatePicker: {
      c->outer = gtk_button_new_with_label("");
      c->popover = gtk_popover_new(c->outer);
      g_object_ref_sink(c->popover);
      GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 4);
      c->inner = gtk_calendar_new();
      GtkWidget* choose = gtk_button_new_with_label("OK");
      gtk_box_pack_start(GTK_BOX(box), c->inner, FALSE, FALSE, 0);
      gtk_box_pack_start(GTK_BOX(box), choose, FALSE, FALSE, 0);
      gtk_container_add(GTK_CONTAINER(c->popover), box);
      gtk_widget_show_all(box);
      g_signal_connect(c->outer, "clicked", G_CALLBACK(OnDateButton), c);
      g_signal_connect(choose, "clicked", G_CALLBACK(OnDateChosen), c);
      break;
    }
    case ControlKind::Dialog: c->outer = gtk_label_new(""); break;
  }
  gtk_widget_set_name(c->outer, ("control-" + std::to_string(s.id)).c_str());
  gtk_fixed_put(GTK_FIXED(fixed_), c->outer, 0, 0);
  if (s.kind != ControlKind::PushButton) {
    KeepFromDefault(c->outer, nullptr);
  } else if ((s.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
    // Drawn as the default while no other push button has the focus.
    gtk_widget_set_can_default(c->outer, TRUE);
    gtk_window_set_default(GTK_WINDOW(window_), c->outer);
  }
  controls_[window] = c;
  return *c;
}

void GtkDialogWindow::Update(Control& c, const WindowState& s, bool shown, bool enabled, const RECT& room) {
  WindowState& was = c.state;
  if (s.kind == ControlKind::Static && s.text != was.text) {
    gtk_label_set_text(GTK_LABEL(c.outer), ShownText(s.text).c_str());
    c.placed = false;  // the text decides how much of its row it takes
  }
  WindowState d;
  QueryWindowState(dialog_, &d);
  int left = s.rect.left;
  int width = s.rect.right - s.rect.left;
  int height = s.rect.bottom - s.rect.top;
  if (s.kind == ControlKind::ComboBox) height = std::min(height, kComboHeight);
  if (s.kind == ControlKind::Static && !c.placed) {
    // A text wider than its box takes room beside it on its own side.
    int natural = 0;
    PangoLayout* layout = gtk_widget_create_pango_layout(c.outer, ShownText(s.text).c_str());
    pango_layout_get_pixel_size(layout, &natural, nullptr);
    g_object_unref(layout);
    natural += 2;
    if (natural > width) {
      const float align = gtk_label_get_xalign(GTK_LABEL(c.outer));
      const int extra = natural - width;
      if (align < 0.25f) {
        width = std::min<int>(natural, room.right - left);
      } else if (align > 0.75f) {
        const int newLeft = std::max<int>(room.left, left - extra);
        width += left - newLeft;
        left = newLeft;
      } else {
        const int newLeft = std::max<int>(room.left, left - extra / 2);
        width = std::min<int>(natural, room.right - newLeft);
        left = newLeft;
      }
    }
  }
  if (!c.placed || s.rect.left != was.rect.left || s.rect.top != was.rect.top || s.rect.right != was.rect.right ||
      s.rect.bottom != was.rect.bottom) {
    gtk_fixed_move(GTK_FIXED(fixed_), c.outer, left - (d.rect.left + d.frame.left),
                   s.rect.top - (d.rect.top + d.frame.top));
    gtk_widget_set_size_request(c.outer, std::max(1, width), std::max(1, height));
    c.placed = true;
  }
  if (gtk_widget_get_visible(c.outer) != shown) gtk_widget_set_visible(c.outer, shown);
  if (gtk_widget_get_sensitive(c.outer) != enabled) gtk_widget_set_sensitive(c.outer, enabled);

  switch (s.kind) {
    case ControlKind::PushButton:
    case ControlKind::CheckBox:
      if (s.text != was.text) gtk_button_set_label(GTK_BUTTON(c.outer), s.text.c_str());
      if (s.kind == ControlKind::CheckBox && s.check != was.check) {
        gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(c.outer), s.check != 0);
      }
      break;
    case ControlKind::GroupBox:
      if (s.text != was.text) gtk_frame_set_label(GTK_FRAME(c.outer), s.text.empty() ? nullptr : s.text.c_str());
      break;
    case ControlKind::Edit:
      if (IsMultiLine(s)) {
        if (s.text != was.text) {
          GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(c.inner));
          gtk_text_buffer_set_text(buffer, ShownText(WithoutCarriageReturns(s.text)).c_str(), -1);
        }
      } else {
        // While the user's typing is on its way, the entry keeps what the
        // user sees; once the dialog has it, the dialog's text is shown.
        if (c.pending && s.text == c.pendingText) c.pending = false;
        // A text that is not UTF-8 (a path) keeps its bytes in the dialog
        // until the user types in the entry.
        const std::string entryText = ShownText(s.text);
        if (!c.pending && entryText != gtk_entry_get_text(GTK_ENTRY(c.inner))) {
          const int cursor = gtk_editable_get_position(GTK_EDITABLE(c.inner));
          gtk_entry_set_text(GTK_ENTRY(c.inner), entryText.c_str());
          gtk_editable_set_position(GTK_EDITABLE(c.inner), std::min<int>(cursor, static_cast<int>(entryText.size())));
        }
      }
      break;
    case ControlKind::ComboBox:
      if (s.items != was.items) {
        gtk_combo_box_text_remove_all(GTK_COMBO_BOX_TEXT(c.outer));
        for (const std::string& item : s.items)
          gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(c.outer), item.c_str());
        was.selection = -2;
      }
      if (s.selection != was.selection) gtk_combo_box_set_active(GTK_COMBO_BOX(c.outer), s.selection);
      break;
    case ControlKind::ProgressBar: {
      const int span = s.rangeMax - s.rangeMin;
      const double fraction = span > 0 ? static_cast<double>(s.position - s.rangeMin) / span : 0.0;
      gtk_progress_bar_set_fraction(GTK_PROGRESS_BAR(c.outer), std::clamp(fraction, 0.0, 1.0));
      break;
    }
    case ControlKind::TrackBar:
      if (c.pending && s.position == c.pendingPosition) c.pending = false;
      if (s.rangeMin != was.rangeMin || s.rangeMax != was.rangeMax) {
        gtk_range_set_range(GTK_RANGE(c.outer), s.rangeMin, std::max(s.rangeMin + 1, s.rangeMax));
      }
      if (!c.pending) gtk_range_set_value(GTK_RANGE(c.outer), s.position);
      break;
    case ControlKind::DatePicker:
      if (s.text != was.text) gtk_button_set_label(GTK_BUTTON(c.outer), s.text.c_str());
      break;
    default: break;
  }
  c.state = s;
}

void GtkDialogWindow::OnClicked(GtkButton*, Control* c) {
  if (c->owner->syncing_) return;
  UserClickButton(c->dialog, c->state.id);
}

void GtkDialogWindow::OnToggled(GtkToggleButton*, Control* c) {
  // Each turn of the widget is a click on the dialog's check box, which
  // turns it as well.
  if (c->owner->syncing_) return;
  UserClickButton(c->dialog, c->state.id);
}

void GtkDialogWindow::OnEntryChanged(GtkEditable* editable, Control* c) {
  if (c->owner->syncing_) return;
  std::string text = gtk_entry_get_text(GTK_ENTRY(editable));
  c->pending = true;
  c->pendingText = (c->state.style & ES_UPPERCASE) ? Capitals(text) : text;
  UserTypeText(c->dialog, c->state.id, text.c_str());
}

void GtkDialogWindow::OnEntryInsert(GtkEditable* editable, gchar* text, gint length, gint* position, Control* c) {
  // The edit's bound on what the user types: of a text typed or pasted, the
  // characters that fit, the rest refused.
  const size_t limit = c->state.textLimit;
  if (c->owner->syncing_ || limit == 0) return;
  const size_t have = std::strlen(gtk_entry_get_text(GTK_ENTRY(editable)));
  const size_t bytes = length < 0 ? std::strlen(text) : static_cast<size_t>(length);
  const size_t fits = Utf8CutLength(text, bytes, limit > have ? limit - have : 0);
  if (fits == bytes) return;
  g_signal_stop_emission_by_name(editable, "insert-text");
  gtk_widget_error_bell(GTK_WIDGET(editable));
  if (fits == 0) return;
  g_signal_handlers_block_by_func(editable, reinterpret_cast<gpointer>(OnEntryInsert), c);
  gtk_editable_insert_text(editable, text, static_cast<gint>(fits), position);
  g_signal_handlers_unblock_by_func(editable, reinterpret_cast<gpointer>(OnEntryInsert), c);
}

void GtkDialogWindow::OnComboChanged(GtkComboBox* combo, Control* c) {
  if (c->owner->syncing_) return;
  const int index = gtk_combo_box_get_active(combo);
  if (index >= 0) UserChooseItem(c->dialog, c->state.id, index);
}

void GtkDialogWindow::OnScaleChanged(GtkRange* range, Control* c) {
  if (c->owner->syncing_) return;
  const int position = static_cast<int>(std::lround(gtk_range_get_value(range)));
  if (c->pending && position == c->pendingPosition) return;
  c->pending = true;
  c->pendingPosition = position;
  UserDragTrackBar(c->dialog, c->state.id, position);
}

void GtkDialogWindow::OnDateButton(GtkButton*, Control* c) {
  if (c->owner->syncing_) return;
  gtk_popover_popup(GTK_POPOVER(c->popover));
}

void GtkDialogWindow::OnDateChosen(GtkButton*, Control* c) {
  guint year = 0, month = 0, day = 0;
  gtk_calendar_get_date(GTK_CALENDAR(c->inner), &year, &month, &day);
  gtk_popover_popdown(GTK_POPOVER(c->popover));
  UserPickDate(c->dialog, c->state.id, static_cast<int>(year), static_cast<int>(month) + 1, static_cast<int>(day));
}
