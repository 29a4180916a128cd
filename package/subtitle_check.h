// Inspection of the subtitle file that the user picks: well-formed XML of the
// kind that matches the packing (Interop DCSubtitle, SMPTE SubtitleReel), an
// id that is a UUID text, the font and (Interop) the image files it names
// standing beside it, and (SMPTE) the composition's edit rate.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/asdcp/KM_types.h"

struct OutputOptions;

// Room the caller gives CheckSubtitleFile for its message, terminator
// included; every message is much shorter.
constexpr size_t kSubtitleMessageSize = 256;
// Subtitle files are read whole and must be smaller than this.
constexpr uint32_t kSubtitleFileLimit = 0xA00000;
// The longest font file name taken (the composition record's field holds 63).
constexpr size_t kFontNameLimit = 63;

// Reads a subtitle file whole into `text`, zero-terminated after its
// `length` bytes: 1, or 0 when it cannot be read or held (with a message
// only for a file of kSubtitleFileLimit bytes or more).
int ReadSubtitleText(const char* path, std::unique_ptr<char[]>* text, Kumu::ui32_t* length, char* message);

// 1 when the file is accepted: `options->subtitleUuid`, `subtitleSmpte`,
// `subtitleHasFont` and `fontFile` then describe it and `message` is left
// as it was. 0 when it is refused, with the reason in `message` or, where
// the file cannot be read or is of no kind the packing takes, no message.
// Reads `options->packing` and `options->frameRate`.
int CheckSubtitleFile(const char* path, OutputOptions* options, char* message);

// What a refusal that CheckSubtitleFile makes without a message says, for a
// file that no file dialog chose: one that cannot be opened or read.
inline constexpr char kUnreadableSubtitle[] = "This subtitlefile cannot be read.";

// CheckSubtitleFile for a path that was typed or kept since its choice,
// which may name no file: every refusal says why, a silent one with
// kUnreadableSubtitle.
int InspectSubtitleFile(const char* path, OutputOptions* options, char* message);
