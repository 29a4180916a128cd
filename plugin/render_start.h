// Render start: the checks before a render, the encoding set-up (its slots
// made before anything is written), the package folder, and the picture
// track file.
// My_StartAdding itself is declared with the other callbacks.
#pragma once

#include <cstdint>

#include "platform/aesdk/ae_types.h"

struct OutputOptions;

// 0 when every external channel file that the sound layout needs can be
// opened (or the sound comes from the timeline), else -1.
int CheckExternalAudioFiles(const OutputOptions& options);

// 0 when the subtitle file can be opened, else -1.
int SubtitleFileExists(const OutputOptions& options);

// The composition's duration in frames, value x rate / scale in 64-bit
// arithmetic (the value taken as unsigned, as the host's duration is never
// negative). False when the count does not fit 32 bits; a scale of 0 gives 0.
bool DurationInFrames(const A_Time& duration, uint32_t frameRate, double* frames);
