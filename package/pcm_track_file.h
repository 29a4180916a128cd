// The sound track file of a package: the sound of a render (the two
// temporary timeline files, or the user's external channel files) wrapped
// into "pcm_<uuid>.mxf" in the package folder, one edit unit per picture
// frame, padded with silence up to the track's length.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/asdcp/KM_error.h"

struct OutputOptions;

// The temporary timeline files in the package folder, left then right.
constexpr const char* kTimelineLeftFile = "tmpL.wav";
constexpr const char* kTimelineRightFile = "tmpR.wav";

// Room for the message of CheckExternalSound, which names a channel file.
constexpr size_t kExternalSoundMessageSize = 1024;

// Before a render with external sound: 0 when every channel file passes the
// check of a chosen channel file (CheckWavFile: one channel, 24 bits, 48 or
// 96 kHz) and the in-point lies within them (or the sound comes from the
// timeline), else -1 with a message for the user in `message`, which names
// the first file refused and why. A negative in-point typed in the dialog is
// stored as a huge unsigned value and refused here too.
int CheckExternalSound(const OutputOptions& options, char* message, size_t message_size);

// Wraps the sound. Writes soundUuid, soundFileName and audioFrames (the
// frames written). The track holds durationFrames frames (rounded up) with
// timeline sound, and durationFrames + inPoint with external sound:
// every sample of the sources (a last partial frame completed with silence),
// then silence. A failure leaves no finalised file.
Kumu::Result_t write_PCM_file(OutputOptions* options);
