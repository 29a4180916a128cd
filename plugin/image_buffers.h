#pragma once
// The image of an encoding slot in host memory: the image record ("ImageH"),
// its component records ("CompH") and one sample plane per component
// ("dataH"), with the slot's three tile buffers ("CompGPU"). Everything is
// unlocked between callbacks; a lock writes the record pointers anew.

#include "encoder/j2k/image.h"
#include "platform/aesdk/aeio_basic_data.h"
#include "platform/aesdk/mem_handle.h"

struct OutputOptions;

// Builds an image of numcmpts components on new, cleared host handles and
// returns its "ImageH" handle, unlocked (extent fields still 0). On failure
// writes "Unable to allocate memory for image.\n" to stderr, frees whatever
// it made and returns null.
AEGP_MemHandle j2c_create_image_buffers(AEIO_BasicData* basic_dataP, int numcmpts, const opj_image_cmptparm* cmptparms);

// Locks slot i's image, component records, three planes and three tile
// buffers and stores their pointers (OutputOptions.images[i], comps, data,
// OutputOptions.tileBuffers[i]). On a failure unlocks what it locked and
// returns the first error.
A_Err LockImageBuffer(AEIO_BasicData* basic_dataP, OutputOptions* options, int i);

// Unlocks everything LockImageBuffer locked; returns the first error.
A_Err UnlockImageBuffer(AEIO_BasicData* basic_dataP, OutputOptions* options, int i);

// Frees slot i's planes, tile buffers, component records and image (the slot
// must be unlocked); reads the handles under a lock of their own. Returns the
// first error; the slot's handle fields are cleared.
A_Err FreeImageBuffer(AEIO_BasicData* basic_dataP, OutputOptions* options, int i);
