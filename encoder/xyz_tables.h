#pragma once
// Constant tables of the X'Y'Z' colour conversion (static data; nothing
// computes them at run time).

#include <cstdint>

// RGB to XYZ, row by row (X, Y, Z rows; R, G, B columns). Sets 0 and 1: ITU-R
// BT.709 primaries with the D65 white; set 2: DCI-P3 with the DCI white.
extern const float rgb_to_xyz_matrices[3][3][3];

// Linearisation by 12-bit code value: set 1 holds (i / 4095)^2.2 to six
// decimal places; sets 0 and 2 hold zeros.
extern const float rgb_to_xyz_linearise[3][4096];

// Encoding with the 1/2.6 power law: floor(4095 * (i / 65535)^(1 / 2.6)).
extern const int32_t xyz_encode_table[65536];
