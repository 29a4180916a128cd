// The encoding slots of a render: per frame being encoded or converted one
// image with its three tile buffers, one compressor and one byte stream, all
// in host memory and indexed alike in the render state of the options
// record; and the encoder parameter record that every slot's compressor is
// set up from.
#pragma once

#include <cstdint>

#include "platform/aesdk/aeio_basic_data.h"

class SuiteHandler;
struct OutputOptions;
struct opj_cparameters;

// The slot count for a host thread count: one per thread (no thread reported
// counts as one), and a quarter more but at least one for the frames
// converted while the others encode; even for stereoscopic output (two slots per
// frame); at most kMaxEncodingSlots.
uint32_t EncodingSlotCount(A_long threads, bool stereoscopic);

// The one parameter record of the encoder, refilled at each render start.
opj_cparameters& EncoderParameters();

// The slot (from 0) and its part ("tile buffers", "image", "compressor" or
// "byte stream") that could not be made.
struct SlotShortage {
  uint32_t slot = 0;
  const char* part = "";
};

// Creates options.bufferCount slots from the parameter record (rate fitting on
// slot 0's image). On failure frees every slot made so far (nothing stays
// locked, also when the host throws std::bad_alloc for a block), writes what
// could not be made into `shortage` and returns the host's error, A_Err_ALLOC
// after std::bad_alloc, or 9995 when an image, compressor or byte stream
// cannot be made.
A_Err SetUpEncodingSlots(AEIO_BasicData* basic, SuiteHandler& suites, AEIO_OutSpecH outH, OutputOptions& options,
                         SlotShortage* shortage);

// Frees every slot that exists (whatever was made of it), clears the slot
// arrays and the buffer counts, and frees the parameter record's comment.
void FreeEncodingSlots(AEIO_BasicData* basic, SuiteHandler& suites, OutputOptions& options);

// Keeps the slots of the render that has just started, so that they can be
// freed should the render never reach its end.
void KeepSlotsOfRunningRender(const OutputOptions& options);

// Frees the slots kept for a render that never reached its end; nothing when
// every render ended.
void FreeSlotsLeftOpen(AEIO_BasicData* basic, SuiteHandler& suites);

// Forgets slot pointers and handles that an earlier render left in the record
// (they are meaningless now); frees nothing.
void ClearEncodingSlots(OutputOptions& options);
