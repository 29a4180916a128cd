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

// The largest data size whose RIFF size (data size + 36) the 32-bit field
// holds.
constexpr uint64_t kWavMaxDataSize = 0xFFFFFFFFull - 36;

// The data size of a header made with the count n: n + n/2, the half
// rounded down, in 64 bits.
inline uint64_t WavDataSize(uint64_t n) { return n + n / 2; }

// The whole header: data size WavDataSize(n), RIFF size that plus 36. With n
// samples of 16 bits counted, the data size is that of the same samples at 24
// bits. False, with the header's sizes meaningless, when the data size is
// more than kWavMaxDataSize.
bool MakeWavHeader(uint8_t* header, uint16_t channels, uint32_t sample_rate, uint64_t n);
