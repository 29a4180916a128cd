#pragma once
// X'Y'Z' colour conversion: replaces the R, G and B planes of an image by
// X', Y' and Z' code values in place (12-bit, 1/2.6 power law, reference white
// at 48/52.37 of full scale).

struct opj_image;

// The image must be locked and hold three components of the same size.
// table_set selects the matrix and linearisation table (a render uses 1).
// Returns 0.
int rgb_to_xyz(opj_image* image, int table_set);
