// Inspection of the subtitle file that the user picks: well-formed XML of the
// kind that matches the packing (Interop DCSubtitle, SMPTE SubtitleReel), an
// id that is a UUID text, and the font it names standing beside it.
#pragma once

#include <cstddef>
#include <cstdint>

struct OutputOptions;

// Room the caller gives CheckSubtitleFile for its message, terminator
// included; every message is much shorter.
constexpr size_t kSubtitleMessageSize = 256;
// Subtitle files are read whole and must be smaller than this.
constexpr uint32_t kSubtitleFileLimit = 0xA00000;
// The longest font file name taken (the composition record's field holds 63).
constexpr size_t kFontNameLimit = 63;

// 1 when the file is accepted: `options->subtitleUuid`, `subtitleSmpte`,
// `subtitleHasFont` and `fontFile` then describe it and `message` is left
// as it was. 0 when it is refused, with the reason in `message` or, where
// the file cannot be read or is of no kind the packing takes, no message.
// Reads `options->packing`.
int CheckSubtitleFile(const char* path, OutputOptions* options, char* message);
