#pragma once
// The byte stream of an encoding slot in host memory: the stream record
// ("cioH") and its codestream buffer ("cio_bufferH"), unlocked between
// callbacks.

#include <cstdint>

#include "platform/aesdk/aeio_basic_data.h"
#include "platform/aesdk/mem_handle.h"

struct OutputOptions;
struct opj_cinfo;

// Opens a write stream for the compressor, which must be set up already: the
// buffer holds 0.1625 * the image's bit count + 2000 bytes. Only the write
// form exists: a buffer of the caller's, a non-zero length or a missing
// compressor give null. Returns the "cioH" handle, unlocked, or null with
// nothing left allocated.
AEGP_MemHandle j2c_cio_open(AEIO_BasicData* basic_dataP, opj_cinfo* cinfo, uint8_t* buffer, int length);

// Locks slot i's stream record and buffer (OutputOptions.byteStreams[i] and
// its buffer pointer). On a failure unlocks what it locked and returns the
// error. start, end and bp are not recomputed.
A_Err LockByteStream(AEIO_BasicData* basic_dataP, OutputOptions* options, int i);

// Unlocks the buffer, then the record; returns the first error.
A_Err UnlockByteStream(AEIO_BasicData* basic_dataP, OutputOptions* options, int i);

// Frees slot i's buffer, then its record (the slot must be unlocked); reads
// the buffer handle under a lock of its own. Returns the first error; the
// slot's fields are cleared.
A_Err FreeByteStream(AEIO_BasicData* basic_dataP, OutputOptions* options, int i);
