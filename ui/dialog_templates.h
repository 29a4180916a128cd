// The dialog resources of the options dialog, its five pages and the title
// builder, as template data registered under the module's instance handle.
#pragma once

#include "platform/win/types.h"

// Registers the templates 131 (options dialog), 2199, 2299, 2399, 2499,
// 2599 (pages) and 2899 (title builder) under `module`; registering again
// changes nothing.
void RegisterOptionsDialogTemplates(HINSTANCE module);
