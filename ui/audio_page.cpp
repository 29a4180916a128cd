#include "ui/audio_page.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "package/wav_file_check.h"
#include "platform/text/utf8_cut.h"
#include "platform/win/file_dialog.h"
#include "plugin/output_options.h"
#include "ui/channel_file_search.h"
#include "ui/control_text.h"
#include "ui/dialog_ids.h"
#include "ui/options_state.h"

namespace {

int ChannelOf(int editId) { return (editId - kFirstChannelEdit) / 2; }
int EditOf(int channel) { return kFirstChannelEdit + 2 * channel; }

void SetChannel(HWND page, int channel, const std::string& path, OutputOptions* options) {
  SetControlText(page, EditOf(channel), path);
  CopyTextCut(options->channelFiles[channel], sizeof options->channelFiles[channel], path.c_str());
}

void ShowIds(HWND page, int first, int last, int command) {
  for (int id = first; id <= last; ++id) {
    if (HWND control = GetDlgItem(page, id)) ShowWindow(control, command);
  }
}

int ChannelsOfLayout(A_u_long layout) { return layout == 0 ? 2 : (layout == 1 ? 6 : (layout == 2 ? 8 : -1)); }

// The sibling files of the file chosen for row `chosen`: each goes to the row
// of the channel that its suffix names, the first in probing order where two
// name the same channel, and the chosen file keeps its row. When the files
// found name as many channels as the layout has, every other row is emptied
// first; a row whose channel has no file found keeps its path otherwise.
void FillSiblingRows(HWND page, int chosen, const std::string& file, OutputOptions* options) {
  std::vector<std::string> names;
  std::vector<int> channels;
  FindChannelFiles(file, &names, &channels);
  std::string found[kChannelFileCount];
  int channelsFound = 0;
  for (size_t i = 0; i < names.size(); ++i) {
    if (!found[channels[i]].empty()) continue;
    found[channels[i]] = names[i];
    ++channelsFound;
  }
  const bool wholeSet = channelsFound == ChannelsOfLayout(options->audioLayout);
  for (int c = 0; c < kChannelFileCount; ++c) {
    if (c == chosen) continue;
    if (!found[c].empty()) {
      SetChannel(page, c, found[c], options);
    } else if (wholeSet) {
      SetChannel(page, c, "", options);
    }
  }
}

}  // namespace

int32_t ParseInPoint(const char* text) {
  const char* p = text;
  while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\f' || *p == '\v') ++p;
  // The longest prefix of the form [sign] digits [. digits] [e [sign] digits].
  const char* end = p;
  if (*end == '+' || *end == '-') ++end;
  const char* digits = end;
  while (std::isdigit(static_cast<unsigned char>(*end))) ++end;
  bool any = end > digits;
  if (*end == '.') {
    const char* fraction = end + 1;
    while (std::isdigit(static_cast<unsigned char>(*fraction))) ++fraction;
    if (any || fraction > end + 1) {
      any = true;
      end = fraction;
    }
  }
  if (!any) return 0;
  if (*end == 'e' || *end == 'E') {
    const char* exponent = end + 1;
    if (*exponent == '+' || *exponent == '-') ++exponent;
    const char* expDigits = exponent;
    while (std::isdigit(static_cast<unsigned char>(*exponent))) ++exponent;
    if (exponent > expDigits) end = exponent;
  }
  const double value = std::strtod(std::string(p, end).c_str(), nullptr);
  if (!(value > -2147483649.0)) return INT32_MIN;
  if (!(value < 2147483648.0)) return INT32_MAX;
  return static_cast<int32_t>(value);  // toward zero
}

void InitAudioPage(OutputOptions* options) {
  const HWND page = OptionsDialog().currentPage;
  SendToControl(page, kAudioSourceList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("External Files"));
  SendToControl(page, kAudioSourceList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Timeline"));
  SendToControl(page, kAudioSourceList, CB_SETCURSEL, options->audioSource);
  for (const char* layout : {"Stereo", "5.1", "7.1"}) {
    SendToControl(page, kAudioLayoutList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(layout));
  }
  SendToControl(page, kAudioLayoutList, CB_SETCURSEL, options->audioLayout);
  SetControlText(page, kAudioWarningText, "");
  for (int c = 0; c < kChannelFileCount; ++c) SetControlText(page, EditOf(c), FieldText(options->channelFiles[c]));
  SetControlText(page, kInPointEdit, std::to_string(static_cast<int32_t>(options->inPoint)));
  SendToControl(page, kMultiSelectCheck, BM_SETCHECK, options->multiSelectAudio);
  ShowAudioChannelRows(options);
}

void ShowAudioChannelRows(OutputOptions* options) {
  const HWND page = OptionsDialog().currentPage;
  options->audioSource = static_cast<A_u_long>(SendToControl(page, kAudioSourceList, CB_GETCURSEL));
  options->audioLayout = static_cast<A_u_long>(SendToControl(page, kAudioLayoutList, CB_GETCURSEL));
  if (options->audioSource != 0) {
    ShowIds(page, kAudioLayoutList, kLastAudioControl, SW_HIDE);
    return;
  }
  ShowIds(page, kAudioLayoutList, kLastAudioControl, SW_SHOW);
  if (options->audioLayout == 0) {
    ShowIds(page, EditOf(2), EditOf(7) + 1, SW_HIDE);
    ShowIds(page, kFirstBrowseButton + 2, kFirstBrowseButton + 7, SW_HIDE);
  } else if (options->audioLayout == 1) {
    ShowIds(page, EditOf(6), EditOf(7) + 1, SW_HIDE);
    ShowIds(page, kFirstBrowseButton + 6, kFirstBrowseButton + 7, SW_HIDE);
  }
}

void BrowseAudioFile(HWND page, int editId, OutputOptions* options) {
  char file[260] = "";
  OPENFILENAMEA request{};
  request.lStructSize = sizeof request;
  request.hwndOwner = page;
  request.lpstrFilter = "Wav\0*.wav\0All\0*.*\0";
  request.nFilterIndex = 1;
  request.lpstrFile = file;
  request.nMaxFile = sizeof file;
  request.Flags = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
  if (!GetOpenFileNameA(&request)) return;

  char message[kWavCheckMessageSize] = "";
  uint32_t length = 0;
  if (CheckWavFile(file, message, &length, options->frameRate) == -1) length = 0;
  SetControlText(page, kAudioWarningText, message);
  if (length == 0) {
    SetControlText(page, kInPointEdit, "");
    options->inPoint = 0;
    return;
  }
  SetControlText(page, kInPointEdit, "0");
  options->inPoint = 0;
  options->audioFrames = length;
  SetChannel(page, ChannelOf(editId), file, options);

  if (!options->multiSelectAudio) return;
  FillSiblingRows(page, ChannelOf(editId), file, options);
}

void OnAudioCommand(HWND page, int id, OutputOptions* options) {
  if (id == kInPointEdit) {
    char text[256] = "";
    GetControlText(page, kInPointEdit, text, sizeof text);
    options->inPoint = static_cast<A_u_long>(ParseInPoint(text));
  } else if (id == kMultiSelectCheck) {
    options->multiSelectAudio = static_cast<A_u_char>(SendToControl(page, kMultiSelectCheck, BM_GETCHECK) & 0xFF);
  } else if (id >= kFirstBrowseButton) {
    BrowseAudioFile(page, EditOf(id - kFirstBrowseButton), options);
  } else {
    const int channel = ChannelOf(id);
    GetControlText(page, id, options->channelFiles[channel], sizeof options->channelFiles[channel]);
  }
}
