// The process console.
#pragma once

#include "platform/win/types.h"

// Detaches the process from its console. A process here owns no console of
// its own to release, so this only reports success; the standard streams stay
// as they are.
BOOL FreeConsole();
