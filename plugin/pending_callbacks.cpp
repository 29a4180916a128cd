// The render callbacks that are still to come; each returns 0 and does
// nothing until its own unit replaces it here.
#include "plugin/callbacks.h"

A_Err My_AddFrame(AEIO_BasicData*, AEIO_OutSpecH, A_long, A_long, const PF_EffectWorld*,
                  const A_LPoint*, A_Boolean, AEIO_InterruptFuncs*) {
  return A_Err_NONE;
}

A_Err My_EndAdding(AEIO_BasicData*, AEIO_OutSpecH, A_long) { return A_Err_NONE; }
