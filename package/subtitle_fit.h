// Whether the chosen subtitle file suits the output it goes into: a document
// of the packing's kind (Interop DCSubtitle, SMPTE SubtitleReel), and a SMPTE
// document timed at the composition's frame rate, whose subtitles all end
// within the composition. Checked when the packing
// changes and again at render start, since the file was inspected under the
// settings of its choice.
#pragma once

#include <cstdint>
#include <string>

namespace Kumu {
class XMLElement;
}
struct OutputOptions;

// What the user is told of a subtitle file of the other packing's kind.
inline constexpr char kSmpteInInterop[] = "You are trying to load a SMPTE subtitle file in interOp packaging mode.";
inline constexpr char kInteropInSmpte[] = "You are trying to load an InterOp subtitle file in SMPTE packaging mode.";

// True when the SubtitleReel's EditRate is the composition's rate (`frameRate`
// frames per second); otherwise false with the reason, naming both rates, in
// `message` (kSubtitleMessageSize bytes, when given).
bool SubtitleEditRateFits(const Kumu::XMLElement& root, uint32_t frameRate, char* message);

// 1 when the subtitle file at `options.subtitlePath`, and the kind the
// record keeps for it, suit `options.packing` and `options.frameRate`; 0 with
// the reason in `message` (kSubtitleMessageSize bytes).
int CheckSubtitleFitsOutput(const OutputOptions& options, char* message);

// The subtitle file of a render about to start, inspected again as the
// Subtitle page inspects a chosen one (CheckSubtitleFile: the kind the
// packing takes, a SMPTE document's edit rate, its id, its font and images)
// under the render's settings, so that a path typed on the page or a file
// changed since its choice is taken or refused as a browsed one would be;
// the record's subtitleUuid, subtitleSmpte, subtitleHasFont and fontFile
// then come from that inspection. The document's id (a DCSubtitle's
// SubtitleID, a SubtitleReel's Id) must also be still the id the record
// keeps for it, when it keeps one (a kept id that is no UUID, as a typed
// path leaves it, is not compared; a SMPTE render keeps its track file's id
// there), and every subtitle must end within the composition
// (`durationFrames` frames at `frameRate`): a reel's assets hold nothing
// beyond the reel. 1, or 0 with the reason in `message`: the inspection's
// message naming the file, the file and both ids, or a late subtitle's
// TimeOut and the composition's length; the record is then left as it was.
// TimeOut is read as "HH:MM:SS:EE" in units of the SubtitleReel's
// TimeCodeRate (its frame rate when absent), and in a DCSubtitle as
// "HH:MM:SS:TTT" in ticks of 4 ms or "HH:MM:SS.sss"; a TimeOut of another
// form is left to the checks of the subtitle file itself.
int CheckSubtitleFitsRender(OutputOptions& options, std::string* message);
