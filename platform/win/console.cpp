#include "platform/win/console.h"

BOOL FreeConsole() { return TRUE; }
