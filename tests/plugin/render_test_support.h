// Renders through the render host for the tests of the render callbacks: a
// host with the real module loaded and the output set up, access to the live
// options record, and the oracles' view of a picture track file.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/render_host.h"
#include "plugin/output_options.h"

namespace render_test {

// A host with the module loaded, registered and the output set up.
std::unique_ptr<lumavox_host::RenderHost> SetUpHost(const lumavox_host::HostSettings& settings);

lumavox_host::HostSettings Settings(int width, int height, int64_t frames, const std::string& outputPath,
                                    int threads = 1, int fps = 24);

// The output's options record as the module sees it (live: changes reach the
// next callback).
OutputOptions& LiveOptions(lumavox_host::RenderHost& host);

// Host memory handles alive now with this name.
int LiveHandles(const lumavox_host::RenderHost& host, const std::string& name);

// The texts the module showed, joined.
std::string Messages(lumavox_host::RenderHost& host);

// The files of a folder, by name.
std::vector<std::string> FolderEntries(const std::string& folder);

// The single "j2c_*.mxf" in the folder, or "" when there is none or more.
std::string PictureTrackFile(const std::string& folder);

// ffprobe's frame count of the first video stream (-1 when it cannot read it).
int64_t ProbeFrameCount(const std::string& mxf);

// The codestreams of the file in order (stereoscopic: left, right, ...), as
// ffmpeg extracts them.
std::vector<std::vector<uint8_t>> ExtractCodestreams(const std::string& mxf, const std::string& scratch);

// One decoded codestream: 12-bit code values of the three components.
struct Decoded {
  int width = 0, height = 0;
  std::vector<uint16_t> samples;  // width * height * 3, interleaved
};
Decoded DecodeCodestream(const std::vector<uint8_t>& codestream, const std::string& scratch);

// The same with OpenJPEG's opj_decompress (which applies the inverse colour
// transform itself); an empty picture when it fails.
Decoded DecodeWithOpenJpeg(const std::vector<uint8_t>& codestream, const std::string& scratch);

// Decodes every picture of the track file in one go and hands them over in
// order; false when the tools fail.
bool ForEachDecodedPicture(const std::string& mxf, const std::string& scratch,
                           const std::function<void(size_t index, const Decoded& picture)>& visit);

// The X'Y'Z' code values that the test pattern's frame should come out as,
// computed in double precision from the colour standard's formulas: columns
// [x0, x0 + width) of a frame `fullWidth` wide (only every `step`th row and
// column is computed; Psnr12 with the same step reads no other).
Decoded ExpectedPatternXyz(int64_t frame, int fullWidth, int height, int x0, int width, int depth, int step = 1);

// Peak signal-to-noise ratio in dB for 12-bit samples, over every `step`th
// row and column.
double Psnr12(const Decoded& a, const Decoded& b, int step = 1);

}  // namespace render_test
