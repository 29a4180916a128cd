// The subtitles of a render, prepared at its start once the package folder
// exists: the SMPTE subtitle track file, or the subtitle folder named by the
// subtitle's UUID holding "<uuid>.xml", its font and its images.
#pragma once

#include <string>

#include "platform/aesdk/aeio_basic_data.h"

class SuiteHandler;
struct OutputOptions;

// The failure of a subtitle copy, which the render start reports as a
// general error.
constexpr A_Err kSubtitleCopyFailed = -1;

// Called only when subtitles are on. A SMPTE document in SMPTE packing is
// wrapped into its track file; any other subtitle is copied with its font
// and images into the subtitle folder. Returns 0; kErrStartCheck once the
// user has been told why (the folder cannot be made, the track file fails,
// with its cause, the font's folder is unknown); or kSubtitleCopyFailed when
// a copy fails or the record's id, font or image names cannot name a file in
// the package, with what failed and why in `fault`.
A_Err PrepareSubtitles(AEIO_BasicData* basic, SuiteHandler& suites, OutputOptions& options, std::string* fault);
