// The naming-convention title builder: a modal dialog that composes the
// package title from a film title, the codes chosen in the twelve code
// lists and the date, and on OK writes it into the record's title and the
// General page's title edit.
#pragma once

#include "platform/win/types.h"

struct OutputOptions;

// Runs the builder (template 2899) over `page` on `options`, the options
// dialog's scratch record. When it ends with OK (2816) the page's title edit
// shows the new title.
void RunTitleHelper(HINSTANCE instance, HWND page, OutputOptions* options);
INT_PTR TitleHelperDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Composes the title from the builder's controls and shows it in 2818.
void ComposeTitle(HWND dialog);
// Cuts `text` in place at its first blank and returns it: the code of a row.
char* GetListCode(char* text);
