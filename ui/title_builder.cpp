#include "ui/title_builder.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/win/common_controls.h"
#include "platform/win/dialog_box.h"
#include "platform/win/fonts.h"
#include "plugin/output_options.h"
#include "ui/code_lists.h"
#include "ui/control_text.h"
#include "ui/dialog_ids.h"
#include "ui/dialog_templates.h"

namespace {

// One builder at a time: the record it edits and its list font.
OutputOptions* g_builderOptions = nullptr;
HFONT g_builderFont = nullptr;

using FillList = void (*)(HWND, A_u_long);
constexpr FillList kFillers[kCodeListCount] = {
    FillContentTypeList, FillAspectRatioList, FillAudioLanguageList, FillSubtitleLanguageList,
    FillTerritoryList,   FillRatingList,      FillAudioTypeList,     FillResolutionList,
    FillStudioList,      FillFacilityList,    FillStereoTypeList,    FillPackageTypeList,
};

int ListEntryOf(int controlId) {
  for (int entry = 0; entry < kCodeListCount; ++entry) {
    if (GetCodeList(entry).controlId == controlId) return entry;
  }
  return -1;
}

// The code of the list's selected row, or "" when no row but the empty one
// (or none at all) is selected.
std::string ChosenCode(HWND dialog, int entry) {
  const int id = GetCodeList(entry).controlId;
  const LRESULT row = SendToControl(dialog, id, CB_GETCURSEL);
  if (row == CB_ERR || row == 0) return "";
  const LRESULT length = SendToControl(dialog, id, CB_GETLBTEXTLEN, static_cast<WPARAM>(row));
  if (length < 0 || length >= kCodeRowSize) return "";
  char text[kCodeRowSize] = {};
  if (SendToControl(dialog, id, CB_GETLBTEXT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(text)) == CB_ERR) {
    return "";
  }
  return GetListCode(text);
}

// The date picker's "yyyy-MM-dd" as yyyymmdd: the parts around the first
// two dashes joined; one dash gives the part before it, none gives "".
std::string DatePiece(HWND dialog) {
  char text[64] = {};
  GetControlText(dialog, kDatePicker, text, sizeof text);
  const std::string date = text;
  const size_t first = date.find('-');
  if (first == std::string::npos) return "";
  const size_t second = date.find('-', first + 1);
  if (second == std::string::npos) return date.substr(0, first);
  return date.substr(0, first) + date.substr(first + 1, second - first - 1) + date.substr(second + 1);
}

void EndBuilder(HWND dialog, INT_PTR result) {
  if (g_builderFont != nullptr) DeleteObject(g_builderFont);
  g_builderFont = nullptr;
  EndDialog(dialog, result);
}

}  // namespace

char* GetListCode(char* text) {
  if (char* blank = std::strchr(text, ' ')) *blank = '\0';
  return text;
}

void ComposeTitle(HWND dialog) {
  char film[64] = {};
  GetControlText(dialog, kFilmTitleEdit, film, sizeof film);
  std::string code[kCodeListCount];
  for (int entry = 0; entry < kCodeListCount; ++entry) code[entry] = ChosenCode(dialog, entry);
  auto chosen = [&](int entry) { return !code[entry].empty(); };
  auto sep = [&](bool when) { return std::string(when ? "_" : ""); };
  std::string title = film;
  title += "_";
  title += code[kContent] + sep(chosen(kContent));
  title += code[kAspect] + sep(chosen(kAspect));
  title += code[kAudioLang] + sep(chosen(kAudioLang) && !chosen(kSubLang));
  title += (chosen(kSubLang) ? "-" + code[kSubLang] : "") + sep(chosen(kSubLang));
  title += code[kTerritory] + sep(chosen(kTerritory) && !chosen(kRating));
  title += (chosen(kRating) ? "-" + code[kRating] : "") + sep(chosen(kRating));
  title += code[kAudioType] + sep(chosen(kAudioType));
  title += code[kResolution] + sep(chosen(kResolution));
  title += code[kStudio] + sep(chosen(kStudio));
  title += DatePiece(dialog);
  title += sep(chosen(kFacility)) + code[kFacility];
  title += sep(chosen(kStereo)) + code[kStereo];
  title += sep(chosen(kPackage)) + code[kPackage];
  SetControlText(dialog, kComposedTitleText, title);
}

INT_PTR TitleHelperDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      InitCommonControls();
      g_builderOptions = reinterpret_cast<OutputOptions*>(lParam);
      SendToControl(dialog, kDatePicker, DTM_SETFORMATA, 0, reinterpret_cast<LPARAM>("yyyy-MM-dd"));
      g_builderFont = CreateFontA(15, 0, 0, 0, 0, TRUE, FALSE, FALSE, 0, 0, 0, 0, 0, "Courier New");
      for (int id = kFilmTitleEdit; id <= 2815; ++id) {
        if (id != 2809) SendToControl(dialog, id, WM_SETFONT, reinterpret_cast<WPARAM>(g_builderFont), TRUE);
      }
      SetBoundedEdit(dialog, kFilmTitleEdit, g_builderOptions->filmTitle);
      for (int entry = 0; entry < kCodeListCount; ++entry) {
        kFillers[entry](dialog, g_builderOptions->titleSelections[entry]);
      }
      // Composed once every control shows its stored value: the title shown
      // is the one OK would store.
      ComposeTitle(dialog);
      return TRUE;
    }
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      if (id == kFilmTitleEdit) {
        GetControlText(dialog, kFilmTitleEdit, g_builderOptions->filmTitle, sizeof g_builderOptions->filmTitle);
        ComposeTitle(dialog);
        return TRUE;
      }
      const int entry = ListEntryOf(id);
      if (entry >= 0) {
        if (HIWORD(wParam) != CBN_SELENDOK) return FALSE;
        for (int later = entry; later < kCodeListCount; ++later) {
          g_builderOptions->titleSelections[later] = static_cast<A_u_long>(
              SendToControl(dialog, GetCodeList(later).controlId, CB_GETCURSEL));
        }
        ComposeTitle(dialog);
        return TRUE;
      }
      switch (id) {
        case kDatePicker: ComposeTitle(dialog); return TRUE;
        case kBuilderOk:
          ComposeTitle(dialog);
          GetControlText(dialog, kComposedTitleText, g_builderOptions->title, sizeof g_builderOptions->title);
          EndBuilder(dialog, kBuilderOk);
          return TRUE;
        case kBuilderCancel: EndBuilder(dialog, kBuilderCancel); return TRUE;
        case kBuilderReset:
          SetControlText(dialog, kFilmTitleEdit, "");
          for (int e = 0; e < kCodeListCount; ++e) SendToControl(dialog, GetCodeList(e).controlId, CB_SETCURSEL, 0);
          ComposeTitle(dialog);
          return TRUE;
        default: return FALSE;
      }
    }
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header != nullptr && header->code == DTN_DATETIMECHANGE) ComposeTitle(dialog);
      return FALSE;
    }
    default: return FALSE;
  }
}

void RunTitleHelper(HINSTANCE instance, HWND page, OutputOptions* options) {
  RegisterOptionsDialogTemplates(instance);
  const INT_PTR result = DialogBoxParamA(instance, MAKEINTRESOURCEA(kTitleBuilderTemplate), page, TitleHelperDialogProc,
                                         reinterpret_cast<LPARAM>(options));
  if (result == kBuilderOk) SetControlText(page, kTitleEdit, FieldText(options->title));
}
