// The render start's checks of what the package is to be made of: the frame
// rate as the host renders it, stereoscopic output at 24 fps only, Interop
// packing at 24 fps only, and a bit rate that leaves the pictures some data;
// and what the user is told of input files that are not there.
#pragma once

#include <string>

#include "platform/aesdk/aeio_basic_data.h"

class SuiteHandler;
struct OutputOptions;

// 0 when the render can go on; else the callback's result (9993 after its
// message or report, or the host's error when the rate cannot be read). The
// stereoscopic rule is checked on the record's size. `err` is the error of
// the start so far: no host call or report is made while it is set, and the
// refusals stand all the same.
A_Err CheckRenderSettings(AEIO_BasicData* basic, SuiteHandler& suites, AEIO_OutSpecH outH, const OutputOptions& options,
                          A_Err err);

// Whether the file at `path` can be opened for reading.
bool CanOpenForReading(const char* path);

// The message for external channel files that cannot be opened: the rows
// the layout uses that are empty, and those whose file cannot be opened
// with its path, each named as the Audio page labels it. Empty when the
// sound comes from the timeline or every file opens.
std::string MissingExternalAudioMessage(const OutputOptions& options);

// The message for subtitles on whose file cannot be opened: that none is
// chosen and where to choose one, when the path is empty; else that the
// file does not exist.
std::string MissingSubtitleFileMessage(const OutputOptions& options);
