// Renders with subtitles through the render host for the package tests: a
// host with the real module loaded and the output set up, the live options
// record, and a subtitle chosen as the Subtitle page chooses it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "host/render_host.h"
#include "plugin/output_options.h"

namespace subtitle_test {

constexpr char kSmpteId[] = "77777777-0000-4000-8000-0000000000aa";
constexpr char kSmpteFont[] = "77777777-0000-4000-8000-0000000000f0";
constexpr char kInteropId[] = "77777777-0000-4000-8000-0000000000bb";

// A file of the reference subtitles: "smpte/subs.xml", "interop/...".
std::string Reference(const std::string& name);

// A host for a 1998x1080 composition at `fps` of `frames` frames; two
// seconds at 24 fps, the length of the reference subtitles, unless told.
std::unique_ptr<lumavox_host::RenderHost> SetUpHost(const std::string& outputPath, int frames = 48, int threads = 1,
                                                    int fps = 24);
OutputOptions& LiveOptions(lumavox_host::RenderHost& host);
std::string Messages(lumavox_host::RenderHost& host);

// Inspects the file in `packing` (the packing it was chosen in), stores its
// path and switches subtitles on; the record's own packing is kept.
void ChooseSubtitle(OutputOptions& options, const std::string& path, uint32_t packing);

// The names in a folder, sorted.
std::vector<std::string> Entries(const std::string& folder);

}  // namespace subtitle_test
