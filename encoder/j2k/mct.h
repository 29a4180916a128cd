#pragma once
// The irreversible colour transform (RGB to YCbCr) of the three tile
// components, and its component weights for tier-1's distortion.

#include <cstdint>

// Forward transform in place on n samples of each of the three level-shifted
// planes (11 fraction bits), in single precision rounded back to the planes:
// c0 becomes Y, c1 Cb and c2 Cr.
void mct_encode_real(int32_t* c0, int32_t* c1, int32_t* c2, int n);
// The level shift into 11 fraction bits ((sample - shift) * 2048) and the
// transform together, from the image's samples s0..s2 into c0..c2: the same
// results as the shift followed by mct_encode_real, in one pass.
void mct_encode_real_shifted(const int32_t* s0, const int32_t* s1, const int32_t* s2, int32_t shift, int32_t* c0,
                             int32_t* c1, int32_t* c2, int n);

// 1.732, 1.805, 1.573 for components 0, 1, 2.
double mct_getnorm_real(int compno);
