#include "platform/gtk/gtk_shown_text.h"

#include <glib.h>

std::string ShownText(const std::string& text) {
  if (g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr)) return text;
  gchar* valid = g_utf8_make_valid(text.data(), static_cast<gssize>(text.size()));
  std::string shown = valid;
  g_free(valid);
  return shown;
}
