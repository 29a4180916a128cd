// The callbacks the module registers but does not use. They touch no host
// suite and leave their out parameters untouched.
#include "plugin/callbacks.h"
#include "plugin/module_errors.h"

A_Err My_SetOutputFile(AEIO_BasicData*, AEIO_OutSpecH, const A_UTF16Char*) { return kErrNotSupported; }

A_Err My_OutputFrame(AEIO_BasicData*, AEIO_OutSpecH, const PF_EffectWorld*) { return A_Err_NONE; }

A_Err My_WriteLabels(AEIO_BasicData*, AEIO_OutSpecH, AEIO_LabelFlags*) { return kErrNotSupported; }

A_Err My_GetSizes(AEIO_BasicData*, AEIO_OutSpecH, A_u_longlong*, A_u_longlong*) { return kErrNotSupported; }

A_Err My_Flush(AEIO_BasicData*, AEIO_OutSpecH) { return A_Err_NONE; }

A_Err My_Idle(AEIO_BasicData*, AEIO_ModuleSignature, AEIO_IdleFlags*) { return A_Err_NONE; }

A_Err My_GetDepths(AEIO_BasicData*, AEIO_OutSpecH, AEIO_SupportedDepthFlags* which) {
  if (which) *which = 0x840;  // the two depths the module takes: 8 and 16 bits per channel
  return A_Err_NONE;
}

A_Err My_GetOutputSuffix(AEIO_BasicData*, AEIO_OutSpecH, A_char*) { return kErrNotSupported; }

A_Err My_SetUserData(AEIO_BasicData*, AEIO_OutSpecH, A_u_long, A_u_long, const AEIO_Handle) { return A_Err_NONE; }

A_Err My_AddMarker(AEIO_BasicData*, AEIO_OutSpecH, A_long, AEIO_MarkerType, void*, AEIO_InterruptFuncs*) {
  return A_Err_NONE;
}
