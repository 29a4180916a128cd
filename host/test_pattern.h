// The built-in source when no --input is given: a moving test pattern whose
// picture differs in every frame, and a tone. Deterministic, so that tests
// can rebuild any frame or second and compare it with what came out.
//
// The picture: a band along the top (an eighth of the height) holds the frame
// number in 16 blocks, most significant bit at the left, white for 1 and
// black for 0; below it red rises from left to right, green from top to
// bottom, blue has diagonal stripes that move with the frame number, and a
// white vertical bar moves across.
//
// The tone: 48000 Hz, 16-bit stereo; the left channel a 440 Hz sine, the
// right a sine whose frequency steps with the second (330 Hz plus 110 Hz
// times the second modulo 5), both at a quarter of full scale.
#pragma once

#include <cstdint>
#include <vector>

#include "host/host_frame.h"

namespace lumavox_host {

constexpr int kSoundRate = 48000;
constexpr int kCodeBlocks = 16;

struct RGB {
  double r, g, b;  // 0..1
};

// The pattern at pixel (x, y) of frame `frame` in a width x height picture.
RGB TestPatternPixel(int64_t frame, int x, int y, int width, int height);

// Fills `out` (already allocated with its size and depth) with frame `frame`;
// alpha is full.
void FillTestPattern(int64_t frame, HostFrame& out);

// Reads the frame number back from the code band of a frame (for instance a
// decoded one): each block's middle is averaged and compared with half scale.
// `rgb` holds width x height pixels of 8-bit R, G, B.
int64_t ReadPatternFrameNumber(const uint8_t* rgb, int width, int height);

// The tone's sample frames [first, first + count) of second `second` (sample
// frame k is at time second + k / 48000): interleaved left, right.
std::vector<int16_t> ToneSamples(int64_t second, int first = 0, int count = kSoundRate);

}  // namespace lumavox_host
