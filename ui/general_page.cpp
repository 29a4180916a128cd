#include "ui/general_page.h"

#include <string>

#include "package/subtitle_check.h"
#include "package/subtitle_fit.h"
#include "platform/win/common_controls.h"
#include "platform/win/message_box.h"
#include "plugin/module_globals.h"
#include "plugin/output_options.h"
#include "ui/control_text.h"
#include "ui/dialog_ids.h"
#include "ui/options_state.h"
#include "ui/settings_summary.h"
#include "ui/title_builder.h"

namespace {

constexpr const char* kContentKinds[] = {"feature",       "trailer", "test",         "teaser", "rating",
                                         "advertisement", "short",   "transitional", "psa",    "policy"};

// The list's text at `index` into the content-kind text; a row that does
// not exist (or would not fit) leaves the text as it was.
void CopyCategoryText(HWND page, LRESULT index, OutputOptions* options) {
  const LRESULT length = SendToControl(page, kCategoryList, CB_GETLBTEXTLEN, static_cast<WPARAM>(index));
  if (index < 0 || length < 0 || length >= static_cast<LRESULT>(sizeof options->categoryText)) return;
  SendToControl(page, kCategoryList, CB_GETLBTEXT, static_cast<WPARAM>(index),
                reinterpret_cast<LPARAM>(options->categoryText));
}

void EnableTitleControls(HWND page, const OutputOptions* options) {
  const BOOL enable = options->useCompName == 0;
  EnableWindow(GetDlgItem(page, kTitleEdit), enable);
  EnableWindow(GetDlgItem(page, kTitleBuilderButton), enable);
}

// A subtitle file chosen under the other packing does not suit the new one:
// it is taken out of the settings, as the Subtitle page does with a file it
// refuses, and the user is told why.
void CheckSubtitleAgainstPacking(HWND page, OutputOptions* options) {
  if (!options->subtitleOn || options->subtitlePath[0] == '\0') return;
  char message[kSubtitleMessageSize] = "";
  if (CheckSubtitleFitsOutput(*options, message) != 0) return;
  options->subtitlePath[0] = '\0';
  options->subtitleUuid[0] = '\0';
  options->subtitleHasFont = 0;
  options->fontFile[0] = '\0';
  const std::string text = std::string(message) +
                           "\nThe subtitle file has been removed: choose one for this packing on the Subtitle page.";
  MessageBoxA(page, text.c_str(), "Subtitle file", MB_OK | MB_ICONWARNING);
}

}  // namespace

void InitGeneralPage(OutputOptions* options) {
  const HWND page = OptionsDialog().currentPage;
  SendToControl(page, kUseCompNameCheck, BM_SETCHECK, options->useCompName);
  SetBoundedEdit(page, kTitleEdit, options->title);
  SetBoundedEdit(page, kAnnotationEdit, options->annotation);
  SetBoundedEdit(page, kIssuerEdit, options->issuer);
  for (const char* kind : kContentKinds)
    SendToControl(page, kCategoryList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(kind));
  SendToControl(page, kCategoryList, CB_SETCURSEL, options->categoryIndex);
  CopyCategoryText(page, static_cast<int32_t>(options->categoryIndex), options);
  SendToControl(page, kPackingList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("InterOp"));
  SendToControl(page, kPackingList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("SMPTE"));
  SendToControl(page, kPackingList, CB_SETCURSEL, options->packing);
  EnableTitleControls(page, options);
  updateMetaData(page, options);
  ShowScrollBar(GetDlgItem(page, kSummaryEdit), SB_VERT, TRUE);
}

void OnGeneralCommand(HWND page, int id, OutputOptions* options) {
  switch (id) {
    case kUseCompNameCheck:
      options->useCompName = static_cast<A_u_char>(SendToControl(page, kUseCompNameCheck, BM_GETCHECK) & 0xFF);
      EnableTitleControls(page, options);
      updateMetaData(page, options);
      break;
    case kTitleEdit:
      GetControlText(page, kTitleEdit, options->title, sizeof options->title);
      updateMetaData(page, options);
      break;
    case kAnnotationEdit: GetControlText(page, kAnnotationEdit, options->annotation, sizeof options->annotation); break;
    case kIssuerEdit: GetControlText(page, kIssuerEdit, options->issuer, sizeof options->issuer); break;
    case kTitleBuilderButton: RunTitleHelper(g_hInstance, page, options); break;
    default: break;
  }
}

void OnGeneralListChosen(HWND page, int id, OutputOptions* options) {
  if (id == kCategoryList) {
    const LRESULT index = SendToControl(page, kCategoryList, CB_GETCURSEL);
    options->categoryIndex = static_cast<A_u_long>(index);
    CopyCategoryText(page, index, options);
  } else {
    options->packing = static_cast<A_u_long>(SendToControl(page, kPackingList, CB_GETCURSEL));
    CheckSubtitleAgainstPacking(page, options);
  }
  updateMetaData(page, options);
}
