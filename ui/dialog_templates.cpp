#include "ui/dialog_templates.h"

#include "platform/win/control_styles.h"
#include "platform/win/dialog_template.h"
#include "platform/win/window_messages.h"
#include "plugin/channel_labels.h"
#include "plugin/product.h"
#include "ui/dialog_ids.h"

namespace {

constexpr const char* kFont = "MS Shell Dlg";
constexpr DWORD kModal = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
constexpr DWORD kPage = WS_CHILD | DS_CONTROL | DS_SETFONT;
constexpr DWORD kEdit = WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD kList = CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
constexpr DWORD kCheck = BS_AUTOCHECKBOX | WS_TABSTOP;

using K = ControlKind;

// clang-format off

const DialogTemplate& OptionsTemplate() {
  static const DialogTemplate t = {
      kModal, 0, 0, 352, 354, kProductName, kFont, 8,
      {
          {IDOK, K::PushButton, BS_DEFPUSHBUTTON | WS_TABSTOP, 234, 325, 50, 14, "OK"},
          {IDCANCEL, K::PushButton, WS_TABSTOP, 289, 325, 50, 14, "Cancel"},
          {-1, K::Bitmap, SS_BITMAP, 7, 7, 333, 31, ""},
          {2100, K::PushButton, WS_TABSTOP, 7, 36, 50, 15, "General"},
          {2200, K::PushButton, WS_TABSTOP, 60, 36, 50, 15, "Video"},
          {2300, K::PushButton, WS_TABSTOP, 112, 36, 50, 15, "Audio"},
          {2400, K::PushButton, WS_TABSTOP, 163, 36, 50, 15, "Subtitle"},
          {2500, K::PushButton, WS_TABSTOP, 215, 36, 50, 15, "About"},
          {kPageGroupBox, K::GroupBox, BS_GROUPBOX, 7, 58, 333, 255, ""},
      }};
  return t;
}

const DialogTemplate& GeneralTemplate() {
  static const DialogTemplate t = {
      kPage | WS_VISIBLE, 0, 0, 324, 228, "", kFont, 8,
      {
          {kUseCompNameCheck, K::CheckBox, kCheck, 52, 12, 117, 10, "Use composition name as DCP title"},
          {-1, K::Static, SS_RIGHT, 6, 31, 41, 8, "DCP title:"},
          {kTitleEdit, K::Edit, kEdit, 51, 28, 206, 12, ""},
          {kTitleBuilderButton, K::PushButton, WS_TABSTOP, 261, 28, 51, 12, "Title helper..."},
          {-1, K::Static, 0, 10, 50, 39, 8, "Annotation:"},
          {kAnnotationEdit, K::Edit, kEdit, 51, 48, 261, 12, ""},
          {-1, K::Static, 0, 52, 69, 34, 8, "Content kind"},
          {-1, K::Static, 0, 132, 69, 52, 8, "Packing standard"},
          {-1, K::Static, 0, 213, 69, 24, 8, "Issuer"},
          {kCategoryList, K::ComboBox, kList, 52, 79, 64, 30, ""},
          {kPackingList, K::ComboBox, kList, 132, 79, 67, 30, ""},
          {kIssuerEdit, K::Edit, kEdit, 213, 79, 98, 14, ""},
          {-1, K::GroupBox, BS_GROUPBOX, 7, 105, 306, 109, "Summary"},
          {kSummaryEdit, K::Edit, WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, 13, 116,
           293, 91, ""},
      }};
  return t;
}

const DialogTemplate& VideoTemplate() {
  static const DialogTemplate t = {
      kPage, 0, 0, 324, 228, "", kFont, 8,
      {
          {kXyzCheck, K::CheckBox, kCheck, 9, 30, 170, 10, "Convert colours to X'Y'Z'"},
          {-1, K::Static, 0, 7, 65, 75, 9, "JPEG 200 Compression"},
          {-1, K::Static, 0, 7, 87, 27, 8, "Bit rate"},
          {kBitRateTrackBar, K::TrackBar, TBS_BOTH | TBS_AUTOTICKS | WS_TABSTOP, 32, 79, 255, 26, ""},
          {-1, K::Static, 0, 291, 77, 21, 8, "Mbit/s"},
          {kBitRateText, K::Static, 0, 292, 88, 13, 8, "250"},
      }};
  return t;
}

const DialogTemplate& AudioTemplate() {
  static const DialogTemplate t = [] {
    DialogTemplate a = {
        kPage, 0, 0, 324, 228, "", kFont, 8,
        {
            {-1, K::Static, 0, 7, 19, 53, 8, "Audio source:"},
            {kAudioSourceList, K::ComboBox, kList, 64, 17, 64, 30, ""},
            {kAudioLayoutLabel, K::Static, 0, 20, 36, 41, 8, "Channels:"},
            {kAudioLayoutList, K::ComboBox, kList, 64, 34, 64, 30, ""},
            {kInPointLabel, K::Static, SS_RIGHT, 160, 19, 57, 8, "In-point (frames):"},
            {kInPointEdit, K::Edit, kEdit, 217, 17, 40, 12, ""},
            {kMultiSelectCheck, K::CheckBox, kCheck, 217, 37, 91, 10, "Find the other channels"},
            {kAudioWarningText, K::Static, SS_CENTER, 66, 63, 218, 8, ""},
        }};
    for (int c = 0; c < 8; ++c) {
      const short y = static_cast<short>(75 + 17 * c);
      a.items.push_back({kFirstChannelEdit + 1 + 2 * c, K::Static, 0, 7, static_cast<short>(y + 2), 54, 9,
                         kChannelRowLabels[c]});
      a.items.push_back({kFirstChannelEdit + 2 * c, K::Edit, kEdit, 63, y, 230, 12, ""});
      a.items.push_back({kFirstBrowseButton + c, K::PushButton, WS_TABSTOP, 296, y, 17, 12, "..."});
    }
    return a;
  }();
  return t;
}

const DialogTemplate& SubtitleTemplate() {
  static const DialogTemplate t = {
      kPage, 0, 0, 324, 228, "", kFont, 8,
      {
          {kSubtitleCheck, K::CheckBox, kCheck, 23, 17, 63, 10, "Subtitles"},
          {-1, K::Static, 0, 22, 83, 31, 8, "Subtitle file:"},
          {kSubtitlePathEdit, K::Edit, kEdit, 21, 94, 260, 12, ""},
          {kSubtitleBrowseButton, K::PushButton, WS_TABSTOP, 284, 93, 15, 14, "..."},
          {kSubtitleMessageText, K::Static, SS_CENTER, 50, 123, 218, 8, " - "},
      }};
  return t;
}

const DialogTemplate& AboutTemplate() {
  static const DialogTemplate t = {
      kPage, 0, 0, 324, 228, "", kFont, 8,
      {
          {-1, K::Bitmap, SS_BITMAP, 74, 40, 135, 26, ""},
          {kVersionText, K::Static, 0, 211, 54, 102, 8, ""},
      }};
  return t;
}

const DialogTemplate& TitleBuilderTemplate() {
  static const DialogTemplate t = [] {
    DialogTemplate b = {kModal, 0, 0, 304, 320, "", kFont, 8,
                        {{kComposedTitleText, K::Static, SS_CENTER, 7, 7, 290, 10, "MY_TITLE_FTR_C"}}};
    struct Row {
      int id;
      ControlKind kind;
      const char* label;
    };
    const Row rows[] = {
        {kFilmTitleEdit, K::Edit, "Film title:"},   {2802, K::ComboBox, "Content type:"},
        {2803, K::ComboBox, "Aspect ratio:"},        {2804, K::ComboBox, "Audio language:"},
        {2805, K::ComboBox, "Subtitle language:"},   {2806, K::ComboBox, "Territory:"},
        {2807, K::ComboBox, "Rating:"},              {2808, K::ComboBox, "Audio type:"},
        {0, K::Static, nullptr},                     {2810, K::ComboBox, "Resolution:"},
        {2811, K::ComboBox, "Studio:"},              {kDatePicker, K::DatePicker, "Date:"},
        {2813, K::ComboBox, "Facility:"},            {2814, K::ComboBox, "3D type:"},
        {2815, K::ComboBox, "Package type:"},
    };
    short y = 25;
    for (const Row& row : rows) {
      if (row.label != nullptr) {
        b.items.push_back({-1, K::Static, SS_RIGHT, 7, static_cast<short>(y + 2), 75, 8, row.label});
        DWORD style = kList;
        if (row.kind == K::Edit) style = kEdit | ES_UPPERCASE;
        if (row.kind == K::DatePicker) style = DTS_RIGHTALIGN | WS_TABSTOP;
        b.items.push_back({row.id, row.kind, style, 85, y, 208, row.kind == K::ComboBox ? short(100) : short(12), ""});
      }
      y = static_cast<short>(y + 17);
    }
    b.items.push_back({kBuilderReset, K::PushButton, WS_TABSTOP, 7, 297, 50, 14, "Reset"});
    b.items.push_back({kBuilderOk, K::PushButton, BS_DEFPUSHBUTTON | WS_TABSTOP, 190, 297, 50, 14, "OK"});
    b.items.push_back({kBuilderCancel, K::PushButton, WS_TABSTOP, 247, 297, 50, 14, "Cancel"});
    return b;
  }();
  return t;
}

// clang-format on

}  // namespace

void RegisterOptionsDialogTemplates(HINSTANCE module) {
  RegisterDialogTemplate(module, kOptionsDialogTemplate, &OptionsTemplate());
  RegisterDialogTemplate(module, kPageTemplates[kGeneralPage], &GeneralTemplate());
  RegisterDialogTemplate(module, kPageTemplates[kVideoPage], &VideoTemplate());
  RegisterDialogTemplate(module, kPageTemplates[kAudioPage], &AudioTemplate());
  RegisterDialogTemplate(module, kPageTemplates[kSubtitlePage], &SubtitleTemplate());
  RegisterDialogTemplate(module, kPageTemplates[kAboutPage], &AboutTemplate());
  RegisterDialogTemplate(module, kTitleBuilderTemplate, &TitleBuilderTemplate());
}
