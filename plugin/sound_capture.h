// The timeline sound's temporary files beyond the sound capture callback
// (My_AddSoundChunk, plugin/callbacks.h).
#pragma once

#include <string>

struct OutputOptions;

// A render that ends before its sound was wrapped (stopped, or failed) leaves
// the temporary files "tmpL.wav" and "tmpR.wav" of this render in the
// package folder: removes them. Nothing happens when this render's capture
// never started or has ended.
void RemoveUnwrappedSound(OutputOptions& options);

// With sound from the timeline, each channel is kept in a temporary WAV file
// whose sizes have 32 bits. Empty when the composition's sound fits them (or
// does not come from the timeline); else the message that says what does not
// fit and why.
std::string TemporarySoundFault(const OutputOptions& options);
