// The timeline sound's temporary files beyond the sound capture callback
// (My_AddSoundChunk, plugin/callbacks.h).
#pragma once

struct OutputOptions;

// A render that ends before its sound was wrapped (stopped, or failed) leaves
// the temporary files "tmpL.wav" and "tmpR.wav" of this render in the
// package folder: removes them. Nothing happens when this render's capture
// never started or has ended.
void RemoveUnwrappedSound(OutputOptions& options);
