#pragma once
// The encoder parameters of a render: the Digital Cinema 2K profile choices,
// and the rate fitting that turns the bit-rate setting into a compression
// ratio and a per-component size limit.

struct OutputOptions;
struct opj_cparameters;
struct opj_image;

// Refills the parameter record for a render (defaults, cinema profile, coding
// choices, comment). Returns 0, or 1 when the comment text cannot be made.
// The record's cp_comment is a malloc'd text that the render end frees.
int j2c_initialize(int frame_rate, int is_2k, OutputOptions* options, opj_cparameters* parameters);

// Cinema mode and Rsiz from the 2K flag and the stereoscopic setting, and one
// layer with no rate limit; returns 0. The frame rate is not used.
int set_cinema_profile(int frame_rate, int is_2k, OutputOptions* options, opj_cparameters* parameters);

// The fixed coding choices: one tile, tile-parts by component, 32 x 32
// code-blocks, precincts, CPRL, 9/7.
void cinema_parameters(opj_cparameters* parameters);

// Rate fitting on the first image of a render: caps the resolutions, checks
// the 2K size (message on stdout and Rsiz 0 when it fails), sets layer 0's
// compression ratio from the bit rate and the per-component size limit.
void cinema_setup_encoder(opj_cparameters* parameters, const OutputOptions* options, const opj_image* image);
