#include "platform/gtk/gtk_dialog_style.h"

#include <gtk/gtk.h>

namespace {

// The templates are laid out in dialog units of an 8-point font; the
// widgets give up GTK's roomy paddings to keep to those places.
constexpr const char* kStyle = R"css(
* { font-family: "DejaVu Sans Condensed", "DejaVu Sans", sans-serif; font-size: 7.5pt; }
window { background-color: #ececec; }
button { min-height: 0; min-width: 0; padding: 0 4px; }
button.default { border-color: #202020; box-shadow: inset 0 0 0 1px #202020; }
entry { min-height: 0; padding: 0 3px; }
combobox button { min-height: 0; padding: 0 2px 0 4px; }
combobox arrow { min-width: 10px; min-height: 10px; }
checkbutton { padding: 0; min-height: 0; }
checkbutton check { min-width: 12px; min-height: 12px; margin: 0 4px 0 0; }
scale { padding: 2px 6px; min-height: 0; }
scale slider { min-width: 12px; min-height: 18px; }
progressbar trough, progressbar progress { min-height: 14px; }
frame > label { padding: 0 2px; }
label.picture { background-color: #1f3350; color: #f4f1e8; font-size: 14pt; font-weight: bold; }
textview { font-family: "DejaVu Sans Mono", monospace; font-size: 8pt; }
)css";

}  // namespace

void ApplyDialogStyle() {
  GtkCssProvider* provider = gtk_css_provider_new();
  gtk_css_provider_load_from_data(provider, kStyle, -1, nullptr);
  gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(provider),
                                            GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
  g_object_unref(provider);
}
