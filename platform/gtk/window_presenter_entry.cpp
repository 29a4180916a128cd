#include "platform/gtk/gtk_dialog_presenter.h"

extern "C" __attribute__((visibility("default"))) DialogPresenter* LumavoxOpenWindowPresenter(std::string* why) {
  return GtkDialogPresenter::Open(why).release();
}
