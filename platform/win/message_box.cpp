#include "platform/win/message_box.h"

#include "platform/win/dialog_presenter.h"
#include "platform/win/window_messages.h"

namespace {

int DefaultButton(UINT type) {
  static const int kButtons[6][3] = {
      {IDOK, IDOK, IDOK},      {IDOK, IDCANCEL, IDCANCEL}, {IDABORT, IDRETRY, IDIGNORE},
      {IDYES, IDNO, IDCANCEL}, {IDYES, IDNO, IDNO},        {IDRETRY, IDCANCEL, IDCANCEL},
  };
  UINT kind = type & MB_TYPEMASK;
  if (kind > 5) kind = 0;
  UINT which = (type & MB_DEFMASK) >> 8;
  if (which > 2) which = 0;
  return kButtons[kind][which];
}

}  // namespace

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  int answer = 0;
  if (DialogPresenter* presenter = GetDialogPresenter()) {
    answer = presenter->MessageBoxShown(owner, text != nullptr ? text : "", caption != nullptr ? caption : "Error",
                                        type);
  }
  return answer != 0 ? answer : DefaultButton(type);
}
