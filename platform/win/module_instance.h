// Module instance handles: the handle of the loaded module (shared library or
// program) that holds a given address. A module keeps its own handle to find
// its resources.
#pragma once

#include "platform/win/types.h"

constexpr DWORD DLL_PROCESS_DETACH = 0;
constexpr DWORD DLL_PROCESS_ATTACH = 1;

// The instance handle of the module that contains `address`, or null.
HINSTANCE ModuleInstanceOf(const void* address);
