#pragma once
// The encoder parameters of a render: the Digital Cinema 2K profile choices,
// and the rate fitting that turns the bit-rate setting into a compression
// ratio and a per-component size limit.

#include <cstdint>

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

// The most bytes of one component's tile-part in a codestream (200 Mbit/s at
// the codestreams' rate: the edit rate of a 2D picture, twice it for each eye
// of a stereoscopic one); 0 for a rate of 0.
int32_t cinema_component_limit(uint32_t frame_rate, bool stereoscopic);

// The bytes of one codestream at a bit rate (Mbit/s; per eye when
// stereoscopic) and edit rate. A stereoscopic eye gets no more than half of
// what keeps the edit unit, both eyes and the second eye's KLV key and length
// as the track-file library counts it, within 250 Mbit/s.
uint32_t cinema_frame_budget(uint32_t bit_rate, uint32_t frame_rate, bool stereoscopic);

// Rate fitting on the first image of a render: caps the resolutions, checks
// the 2K size (message on stdout and Rsiz 0 when it fails), sets layer 0's
// compression ratio from the bit rate and the per-component size limit.
void cinema_setup_encoder(opj_cparameters* parameters, const OutputOptions* options, const opj_image* image);
