// The SMPTE subtitle track file of a render: the user's SubtitleReel document
// and its fonts wrapped into "sub_" + a fresh UUID + ".mxf" in the package
// folder.
#pragma once

#include "platform/asdcp/KM_error.h"

struct OutputOptions;

// Reads `options->subtitlePath` and `options->folderPath`. Once the document
// has been read, `options->subtitleUuid` becomes the track file's fresh UUID
// (in place of the document's id) and `options->subtitleFileName` its file
// name. Returns the library's result: the first failure of reading the
// document or a font, or of writing the file (which is then left
// unfinished), else the result of finalising it.
Kumu::Result_t write_mxf_subtitle(OutputOptions* options);
