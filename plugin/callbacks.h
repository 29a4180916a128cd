// The output module's callbacks, one per slot of the function block that
// FillFunctionBlock fills. Each takes the host's basic data first.
#pragma once

#include "platform/aesdk/aeio_module.h"

// Output set-up and storage of the options record.
A_Err My_InitOutputSpec(AEIO_BasicData* basic_dataP, AEIO_OutSpecH outH, A_Boolean* user_interacted);
A_Err My_GetFlatOutputOptions(AEIO_BasicData* basic_dataP, AEIO_OutSpecH outH, AEIO_Handle* flat_optionsPH);
A_Err My_DisposeOutputOptions(AEIO_BasicData* basic_dataP, void* optionsPV);
A_Err My_UserOptionsDialog(AEIO_BasicData* basic_dataP, AEIO_OutSpecH outH, const PF_EffectWorld* sample0,
                           A_Boolean* user_interacted0);
A_Err My_GetOutputInfo(AEIO_BasicData* basic_dataP, AEIO_OutSpecH outH, AEIO_Verbiage* verbiageP);
A_Err My_OutputInfoChanged(AEIO_BasicData* basic_dataP, AEIO_OutSpecH outH);
A_Err My_SetOutputFile(AEIO_BasicData* basic_dataP, AEIO_OutSpecH outH, const A_UTF16Char* file_pathZ);
A_Err My_GetDepths(AEIO_BasicData* basic_dataP, AEIO_OutSpecH outH, AEIO_SupportedDepthFlags* which);
A_Err My_UserAudioOptionsDialog(AEIO_BasicData* basic_dataP, AEIO_OutSpecH outH, A_Boolean* user_interacted0);

// A render.
A_Err My_StartAdding(AEIO_BasicData* basic_dataP, AEIO_OutSpecH outH, A_long flags);
A_Err My_AddFrame(AEIO_BasicData* basic_dataP, AEIO_OutSpecH outH, A_long frame_index, A_long frames,
                  const PF_EffectWorld* wP, const A_LPoint* origin0, A_Boolean was_compressedB,
                  AEIO_InterruptFuncs* inter0);
A_Err My_EndAdding(AEIO_BasicData* basic_dataP, AEIO_OutSpecH outH, A_long flags);
A_Err My_AddSoundChunk(AEIO_BasicData* basic_dataP, AEIO_OutSpecH outH, const A_Time* start, A_u_long num_samplesLu,
                       const void* dataPV);

// Callbacks the module offers but does not use: 0 or 9992, out parameters
// untouched.
A_Err My_OutputFrame(AEIO_BasicData* basic_dataP, AEIO_OutSpecH outH, const PF_EffectWorld* wP);
A_Err My_WriteLabels(AEIO_BasicData* basic_dataP, AEIO_OutSpecH outH, AEIO_LabelFlags* written);
A_Err My_GetSizes(AEIO_BasicData* basic_dataP, AEIO_OutSpecH outH, A_u_longlong* free_space, A_u_longlong* file_size);
A_Err My_Flush(AEIO_BasicData* basic_dataP, AEIO_OutSpecH outH);
A_Err My_Idle(AEIO_BasicData* basic_dataP, AEIO_ModuleSignature sig, AEIO_IdleFlags* idle_flags0);
A_Err My_GetOutputSuffix(AEIO_BasicData* basic_dataP, AEIO_OutSpecH outH, A_char* suffix);
A_Err My_SetUserData(AEIO_BasicData* basic_dataP, AEIO_OutSpecH outH, A_u_long typeLu, A_u_long indexLu,
                     const AEIO_Handle dataH);
A_Err My_AddMarker(AEIO_BasicData* basic_dataP, AEIO_OutSpecH outH, A_long frame_index, AEIO_MarkerType marker_type,
                   void* marker_dataPV, AEIO_InterruptFuncs* inter0);
