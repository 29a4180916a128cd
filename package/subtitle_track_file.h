// The SMPTE subtitle track file of a render: the user's SubtitleReel document
// and its fonts wrapped into "sub_" + a fresh UUID + ".mxf" in the package
// folder.
#pragma once

#include <string>

#include "platform/asdcp/KM_error.h"

struct OutputOptions;

// Reads `options->subtitlePath`, `options->folderPath` and
// `options->durationFrames`. Once the document has been read,
// `options->subtitleUuid` becomes the track file's fresh UUID (in place of
// the document's id) and `options->subtitleFileName` its file name; once the
// file is open, `options->subtitleFrames` its length: the composition's, or
// the document's when its last subtitle ends later. Returns the library's
// result: the first failure of reading the document or a resource, or of
// writing the file (which is then left unfinished), else the result of
// finalising it; on a failure `cause` (when given) says which step failed
// and why, for the user.
Kumu::Result_t write_mxf_subtitle(OutputOptions* options, std::string* cause = nullptr);
