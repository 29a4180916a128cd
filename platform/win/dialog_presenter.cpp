#include "platform/win/dialog_presenter.h"

#include <atomic>

namespace {
std::atomic<DialogPresenter*> g_presenter{nullptr};
}

DialogPresenter* SetDialogPresenter(DialogPresenter* presenter) { return g_presenter.exchange(presenter); }

DialogPresenter* GetDialogPresenter() { return g_presenter.load(); }
