// Test frames for the codestream coder: three 12-bit planes of chosen
// content, set up and encoded the way a render does, with helpers to read
// back what the oracles decode.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "encoder/j2k/image.h"
#include "encoder/j2k/parameters.h"

namespace j2k_test {

enum class Content { kFlat, kRamp, kCard, kNoise };

struct Frame {
  int width = 0;
  int height = 0;
  std::vector<std::vector<int32_t>> planes;  // three planes of 12-bit samples
  std::vector<opj_image_comp> comps;
  opj_image image{};
  // The record's component pointers refer to this frame's vectors: a frame
  // is neither copied nor moved.
  Frame() = default;
  Frame(const Frame&) = delete;
  Frame& operator=(const Frame&) = delete;
};

// Fills a frame of the given size and content; flat fields take the value
// given (per component: value, value + 1000, value - 1000, clamped).
void MakeFrame(Frame& frame, int width, int height, Content content, int flat_value = 2048, uint32_t seed = 1);

struct EncodeSettings {
  unsigned bit_rate = 250;    // Mbit/s
  unsigned frame_rate = 24;   // frames per second
  bool stereoscopic = false;  // the budget and limits of a stereoscopic eye
  int max_comp_size = -1;     // -1: the render's value for the mode and rate
  bool no_budget = false;     // every pass that takes off distortion, whatever its bytes
  size_t buffer_size = 0;     // 0: the render's byte-stream size
};

struct EncodeResult {
  int status = 0;  // what opj_encode returned
  std::vector<uint8_t> codestream;
  float ratio = 0;
  unsigned budget = 0;  // bytes per frame
};

// The parameter record a render sets up for this frame and rate.
void RenderParameters(const Frame& frame, const EncodeSettings& settings, opj_cparameters& params, unsigned* budget);

EncodeResult Encode(Frame& frame, const EncodeSettings& settings);

// Reads a 16-bit (or 8-bit) binary PGM/PPM as written by the oracles.
bool ReadPnm(const std::string& path, int& width, int& height, int& channels, std::vector<int>& samples);

// PSNR of decoded planes against the frame, with 4095 as the peak.
double Psnr(const Frame& frame, const std::vector<std::vector<int>>& decoded);
int MaxAbsDiff(const Frame& frame, const std::vector<std::vector<int>>& decoded);

// Decodes a codestream with opj_decompress into three planes; empty on failure.
std::vector<std::vector<int>> DecodeWithOpenJpeg(const std::vector<uint8_t>& codestream, const std::string& dir,
                                                 const std::string& name);
// Decodes with ffmpeg (48-bit RGB out, scaled back to 12 bits); empty on failure.
std::vector<std::vector<int>> DecodeWithFfmpeg(const std::vector<uint8_t>& codestream, const std::string& dir,
                                               const std::string& name, int width, int height);

// Writes the frame as one 12-bit PPM (the input of opj_compress).
void WriteFramePpm(const Frame& frame, const std::string& path);

}  // namespace j2k_test
