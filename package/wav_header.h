// The 44-byte header of the mono 24-bit WAV files that the sound capture
// writes. All numbers little-endian; the byte rate and block align are those
// of one 24-bit channel whatever the channel count.
#pragma once

#include <cstdint>

constexpr int kWavHeaderSize = 44;

// "RIFF" at 0, "WAVE" at 8, "data" at 36; nothing else.
void SetWavChunkIds(uint8_t* header);

// The chunk ids and the format chunk: "fmt ", length 16, tag 1, the channels,
// the sample rate, the byte rate rate x 3, block align 3, 24 bits. The two
// size fields are left as they were.
void InitWavHeader24(uint8_t* header, uint16_t channels, uint32_t sample_rate);

// The whole header: data size n + n/2 (n taken as a signed 32-bit value, the
// half rounded toward zero), RIFF size that plus 36. With n samples of 16
// bits counted, the data size is that of the same samples at 24 bits.
void MakeWavHeader(uint8_t* header, uint16_t channels, uint32_t sample_rate, uint32_t n);
