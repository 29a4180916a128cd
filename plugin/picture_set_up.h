// The picture side of a render start: the encoder parameters, one encoding
// slot per host worker thread, the picture descriptor and the picture track
// file "j2c_" + UUID + ".mxf" in the package folder.
#pragma once

#include "platform/aesdk/aeio_basic_data.h"

class SuiteHandler;
struct OutputOptions;

// Sets up the encoder and opens the picture track file. On failure nothing of
// it stays allocated: 9995 (encoder set-up or image allocation), 9986 (the
// track file cannot be opened), 9993 (its path does not fit), or the host's
// error.
A_Err SetUpPicture(AEIO_BasicData* basic, SuiteHandler& suites, AEIO_OutSpecH outH, OutputOptions& options);

// Closes the picture track file, lets go of the package folder and frees the
// slots of a render that never reached its end, and forgets the slot
// pointers and handles in the record, which belong to an earlier render.
void ReleaseRenderLeftOpen(AEIO_BasicData* basic, SuiteHandler& suites, OutputOptions& options);
