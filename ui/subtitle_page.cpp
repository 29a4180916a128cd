#include "ui/subtitle_page.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "package/subtitle_check.h"
#include "platform/text/utf8_cut.h"
#include "platform/win/file_dialog.h"
#include "plugin/output_options.h"
#include "ui/control_text.h"
#include "ui/dialog_ids.h"
#include "ui/options_state.h"

namespace {

void ForgetSubtitleDocument(OutputOptions* options) {
  options->subtitleUuid[0] = '\0';
  options->subtitleHasFont = 0;
  options->fontFile[0] = '\0';
}

}  // namespace

void InitSubtitlePage(OutputOptions* options) {
  const HWND page = OptionsDialog().currentPage;
  SendToControl(page, kSubtitleCheck, BM_SETCHECK, options->subtitleOn);
  SetControlText(page, kSubtitlePathEdit, FieldText(options->subtitlePath));
  SetControlText(page, kSubtitleMessageText, "");
  EnableSubtitleControls(options);
}

void EnableSubtitleControls(OutputOptions* options) {
  const HWND page = OptionsDialog().currentPage;
  const bool on = SendToControl(page, kSubtitleCheck, BM_GETCHECK) == 1;
  EnableWindow(GetDlgItem(page, kSubtitlePathEdit), on);
  EnableWindow(GetDlgItem(page, kSubtitleBrowseButton), on);
  options->subtitleOn = on ? 1 : 0;
}

void BrowseSubtitleFile(HWND page, OutputOptions* options) {
  char file[260] = "";
  OPENFILENAMEA request{};
  request.lStructSize = sizeof request;
  request.hwndOwner = page;
  request.lpstrFilter = "All\0*.*\0XML\0*.xml\0";
  request.nFilterIndex = 1;
  request.lpstrFile = file;
  request.nMaxFile = sizeof file;
  request.Flags = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
  if (!GetOpenFileNameA(&request)) {
    options->subtitlePath[0] = '\0';
    SetControlText(page, kSubtitlePathEdit, "");
    return;
  }
  char message[kSubtitleMessageSize] = "";
  const bool accepted = CheckSubtitleFile(file, options, message) != 0;
  // The record first: the edit then shows the path it holds, which is no
  // typed one.
  CopyTextCut(options->subtitlePath, sizeof options->subtitlePath, accepted ? file : "");
  SetControlText(page, kSubtitlePathEdit, accepted ? file : "");
  SetControlText(page, kSubtitleMessageText, message);
}

bool CheckTypedSubtitlePath(OutputOptions* options, char* message) {
  if (!options->subtitleOn || options->subtitlePath[0] == '\0' || options->subtitleUuid[0] != '\0') return true;
  const std::string path = FieldText(options->subtitlePath);
  if (InspectSubtitleFile(path.c_str(), options, message) != 0) return true;
  ForgetSubtitleDocument(options);
  return false;
}

void OnSubtitleCommand(HWND page, int id, WORD code, OutputOptions* options) {
  if (id == kSubtitleCheck) {
    EnableSubtitleControls(options);
  } else if (id == kSubtitlePathEdit && code == EN_KILLFOCUS) {
    char message[kSubtitleMessageSize] = "";
    CheckTypedSubtitlePath(options, message);
    SetControlText(page, kSubtitleMessageText, message);
  } else if (id == kSubtitlePathEdit) {
    char typed[sizeof options->subtitlePath] = "";
    GetControlText(page, kSubtitlePathEdit, typed, sizeof typed);
    if (std::strncmp(typed, options->subtitlePath, sizeof typed) == 0) return;
    // Another file until it is inspected: what the record kept of the
    // chosen one does not describe it.
    std::memcpy(options->subtitlePath, typed, sizeof typed);
    ForgetSubtitleDocument(options);
  } else {
    BrowseSubtitleFile(page, options);
  }
}
