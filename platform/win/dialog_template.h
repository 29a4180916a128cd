// Dialog templates as data, in place of a module's dialog resources: the
// dialog's style, size in dialog units, caption and font, and its controls
// with their ids, kinds, positions and texts. A module registers its
// templates under its instance handle; the dialog calls find them there.
#pragma once

#include <string>
#include <vector>

#include "platform/win/types.h"

// Window styles.
constexpr DWORD WS_POPUP = 0x80000000u;
constexpr DWORD WS_CHILD = 0x40000000u;
constexpr DWORD WS_VISIBLE = 0x10000000u;
constexpr DWORD WS_DISABLED = 0x08000000u;
constexpr DWORD WS_CAPTION = 0x00C00000u;
constexpr DWORD WS_BORDER = 0x00800000u;
constexpr DWORD WS_SYSMENU = 0x00080000u;
constexpr DWORD WS_TABSTOP = 0x00010000u;
constexpr DWORD DS_MODALFRAME = 0x0080u;
constexpr DWORD DS_SETFONT = 0x0040u;
// Control styles that change behaviour here.
constexpr DWORD SS_CENTER = 0x0001u;
constexpr DWORD BS_AUTOCHECKBOX = 0x0003u;
constexpr DWORD BS_TYPEMASK = 0x000Fu;
constexpr DWORD ES_MULTILINE = 0x0004u;
constexpr DWORD ES_READONLY = 0x0800u;

enum class ControlKind {
  Dialog,  // a dialog window (top level or a child page)
  Static,  // static text
  Bitmap,  // static picture
  PushButton,
  CheckBox,
  GroupBox,
  Edit,
  ComboBox,  // drop-down list
  ProgressBar,
  TrackBar,
  DatePicker,
};

struct DialogItemTemplate {
  int id;  // -1 for a control without id
  ControlKind kind;
  DWORD style;
  short x, y, cx, cy;  // dialog units
  std::string text;
};

struct DialogTemplate {
  DWORD style;
  short x, y, cx, cy;  // dialog units
  std::string caption;
  std::string fontName;
  WORD fontSize;
  std::vector<DialogItemTemplate> items;
};

// Registers the template under (module, id); registering the same pair
// again replaces it. The template must outlive every dialog made from it.
void RegisterDialogTemplate(HINSTANCE module, int id, const DialogTemplate* dialogTemplate);
// The template registered under (module, id), or nullptr.
const DialogTemplate* FindDialogTemplate(HINSTANCE module, int id);
