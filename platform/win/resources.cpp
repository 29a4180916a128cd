#include "platform/win/resources.h"

#include "platform/win/dialog_template.h"

HRSRC FindResourceA(HMODULE module, LPCSTR name, LPCSTR type) {
  const auto id = reinterpret_cast<uintptr_t>(name);
  if (type != RT_DIALOG || id > 0xFFFF) return nullptr;
  const DialogTemplate* found = FindDialogTemplate(module, static_cast<int>(id));
  return reinterpret_cast<HRSRC>(const_cast<DialogTemplate*>(found));
}

HGLOBAL LoadResource(HMODULE module, HRSRC resource) {
  (void)module;
  return resource;
}

LPVOID LockResource(HGLOBAL data) { return data; }
