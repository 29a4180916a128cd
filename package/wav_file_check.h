// Checks a WAV file that the user picks as one channel of external sound and
// measures its length in picture frames; also the plain file-existence test.
#pragma once

#include <cstdint>

// Room the caller gives CheckWavFile for its message, terminator included.
constexpr int kWavCheckMessageSize = 64;

// 1 when the file opens for reading, else 0.
int FileExists(const char* path);

// 0 when the file is a mono, integer PCM (tag 1 or the extensible 0xFFFE),
// 48 or 96 kHz, 24-bit WAV file, with an empty message; -1 with the reason in
// `message` otherwise. Only the first 19000 bytes are looked at: the "fmt "
// chunk in them, then the first "data" after it, whose length, divided by the
// file's own byte rate and times `frame_rate`, is written to *length_frames.
// A file that cannot be opened gives -1 and leaves both outputs as they were;
// the length may be written although the file is refused.
int16_t CheckWavFile(const char* path, char* message, uint32_t* length_frames, uint32_t frame_rate);
