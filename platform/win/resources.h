// Module resources. Our modules keep their dialog templates as data
// registered under the module's instance handle (dialog_template.h); the
// resource calls find them there, so code written against resources
// (find, load, lock) works unchanged. Only dialog templates exist.
#pragma once

#include "platform/win/dialog_box.h"
#include "platform/win/types.h"

struct HRSRC__;
using HRSRC = HRSRC__*;
using HGLOBAL = void*;

#define RT_DIALOG MAKEINTRESOURCEA(5)

// The resource `name` (MAKEINTRESOURCEA(id)) of `type` in `module`, or null.
HRSRC FindResourceA(HMODULE module, LPCSTR name, LPCSTR type);
HGLOBAL LoadResource(HMODULE module, HRSRC resource);
// For a dialog resource: the `const DialogTemplate*`.
LPVOID LockResource(HGLOBAL data);
