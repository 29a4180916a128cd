#include "ui/page_events.h"

#include "platform/win/common_controls.h"
#include "platform/win/window_messages.h"
#include "plugin/output_options.h"
#include "ui/audio_page.h"
#include "ui/dialog_ids.h"
#include "ui/general_page.h"
#include "ui/options_state.h"
#include "ui/subtitle_page.h"
#include "ui/tab_pages.h"
#include "ui/video_page.h"

INT_PTR PageDialogProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  OutputOptions* options = OptionsDialog().options;
  switch (message) {
    case WM_INITDIALOG:
      OptionsDialog().options = reinterpret_cast<OutputOptions*>(lParam);
      PositionTabPage(page);
      return TRUE;
    case WM_COMMAND: {
      if (options == nullptr) return FALSE;
      const int id = LOWORD(wParam);
      if (HIWORD(wParam) == CBN_SELENDOK) {
        if (id == kCategoryList || id == kPackingList) OnGeneralListChosen(page, id, options);
        if (id == kAudioSourceList || id == kAudioLayoutList) ShowAudioChannelRows(options);
      }
      if (id == kSubtitleCheck || id == kSubtitlePathEdit || id == kSubtitleBrowseButton) {
        OnSubtitleCommand(page, id, HIWORD(wParam), options);
      } else if (id == kUseCompNameCheck || id == kTitleEdit || id == kAnnotationEdit || id == kIssuerEdit ||
                 id == kTitleBuilderButton) {
        OnGeneralCommand(page, id, options);
      } else if (id == kXyzCheck) {
        OnXyzChanged(page, options);
      } else if (id == kInPointEdit || id == kMultiSelectCheck ||
                 (id >= kFirstChannelEdit && id < kFirstBrowseButton && (id - kFirstChannelEdit) % 2 == 0) ||
                 (id >= kFirstBrowseButton && id <= kLastAudioControl)) {
        OnAudioCommand(page, id, options);
      }
      return FALSE;
    }
    case WM_HSCROLL:
      if (options != nullptr && LOWORD(wParam) == SB_THUMBTRACK) OnBitRateTracked(page, options);
      return FALSE;
    default: return FALSE;
  }
}
