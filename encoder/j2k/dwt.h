#pragma once
// The forward irreversible 9/7 wavelet transform of the fixed-point sample
// plane (lifted in single precision, each pass's results rounded back to the
// plane's 11 fraction bits), and the quantiser step sizes.

#include <cstdint>

struct opj_tcd_tilecomp;
struct opj_tccp;
struct opj_stepsize;

// Transforms the tile-component's sample plane in place over all its
// decomposition levels (resolutions - 1). False, with the plane untouched,
// when the transform's scratch memory could not be had.
bool dwt_encode_real(opj_tcd_tilecomp* tilec);

// The same on a plane whose tile-component extent is x0..x1, y0..y1 (row
// stride x1 - x0), with numresolutions resolutions.
bool dwt_encode_real_plane(int32_t* data, int x0, int y0, int x1, int y1, int numresolutions);

// One-dimensional 9/7 lifting of an interleaved line of sn + dn samples
// (S(i) = a[2i] low-pass, D(i) = a[2i + 1] high-pass).
void dwt_encode_1_real(int32_t* a, int dn, int sn);

// Gain of a band orientation (0 LL, 1 HL, 2 LH, 3 HH): 0 for the 9/7 filter.
int dwt_getgain_real(int orient);
// Norm of a band: level 0 is the finest.
double dwt_getnorm_real(int level, int orient);

// Fills tccp->stepsizes for its numresolutions and quantisation style.
void dwt_calc_explicit_stepsizes(opj_tccp* tccp, int prec);
// Encodes a step (13 fraction bits) as exponent and mantissa for a band of
// numbps bits (the component's precision plus the band's gain).
void dwt_encode_stepsize(int stepsize, int numbps, opj_stepsize* bandno_stepsize);
