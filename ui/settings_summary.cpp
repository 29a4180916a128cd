#include "ui/settings_summary.h"

#include <cstdio>

#include "platform/text/utf8_cut.h"
#include "plugin/output_options.h"
#include "ui/control_text.h"
#include "ui/dialog_ids.h"
#include "ui/picture_format_name.h"

namespace {

// Capacities, terminator included: a longer block is cut.
constexpr size_t kBlockSize = 512;
constexpr size_t kLayoutWordSize = 128;
constexpr size_t kSummarySize = 2048;

std::string OrNone(const std::string& text) { return text.empty() ? "--NONE--" : text; }

std::string ChannelLines(const OutputOptions& o) {
  std::string c[kChannelFileCount];
  for (int i = 0; i < kChannelFileCount; ++i) c[i] = OrNone(FieldText(o.channelFiles[i]));
  char lines[kBlockSize];
  if (o.audioLayout == 0) {
    FormatTextCut(lines, sizeof lines, "L: \t%s\r\nR: \t%s\r\n", c[0].c_str(), c[1].c_str());
  } else if (o.audioLayout == 1) {
    FormatTextCut(lines, sizeof lines, "L: \t%s\r\nR: \t%s\r\nC: \t%s\r\nLFe: \t%s\r\nLs: \t%s\r\nRs: \t%s\r\n",
                  c[0].c_str(), c[1].c_str(), c[2].c_str(), c[3].c_str(), c[4].c_str(), c[5].c_str());
  } else {
    FormatTextCut(lines, sizeof lines,
                  "L: \t%s\r\nR: \t%s\r\nC: \t%s\r\nLFe: \t%s\r\nLs: \t%s\r\nRs: \t%s\r\nLC: \t%s\r\nRC: \t%s\r\n",
                  c[0].c_str(), c[1].c_str(), c[2].c_str(), c[3].c_str(), c[4].c_str(), c[5].c_str(), c[6].c_str(),
                  c[7].c_str());
  }
  return lines;
}

}  // namespace

std::string BuildSettingsSummary(const OutputOptions& o) {
  A_u_char stereoscopic = 0;
  char formatName[kPictureFormatNameSize];
  GetPictureFormatName(o.width, o.height, &stereoscopic, formatName);

  char layout[kLayoutWordSize];
  std::snprintf(layout, sizeof layout, "%s", o.audioLayout == 0 ? "Stereo" : (o.audioLayout == 1 ? "5.1" : "7.1"));

  char general[kBlockSize];
  const std::string title = o.useCompName == 1 ? "(Composition Name)" : FieldText(o.title);
  FormatTextCut(general, sizeof general, "\r\nTitle: %s\r\nCategory: %s\r\nPacking: %s\r\nFramerate: %d fps\r\n\r\n",
                title.c_str(), FieldText(o.categoryText).c_str(), o.packing ? "SMPTE" : "InterOp",
                static_cast<int>(o.frameRate));

  // A stereoscopic size is encoded at the stereoscopic rate: show that one.
  char video[kBlockSize];
  std::snprintf(video, sizeof video,
                "VIDEO\r\nCompression: JPEG 2000 @ %d Mbit\r\nStereoscopic: %s\r\nResolution: %s\r\n\r\n",
                static_cast<int>(stereoscopic ? o.stereoBitRate : o.bitRate), stereoscopic ? "Yes" : "No", formatName);

  char audio[kBlockSize];
  if (o.audioSource == 0) {
    FormatTextCut(audio, sizeof audio, "AUDIO\r\nSource: %s - %s\r\nInpoint: %d\r\n%s\r\n\r\n", "External Files",
                  layout, static_cast<int>(o.inPoint), ChannelLines(o).c_str());
  } else {
    FormatTextCut(audio, sizeof audio, "AUDIO\r\nSource: %s\r\n\r\n", "Timeline");
  }

  char subtitle[kBlockSize] = "";
  if (o.subtitleOn) {
    FormatTextCut(subtitle, sizeof subtitle, "SUBTITLE\r\nSource: \t%s\r\n", OrNone(FieldText(o.subtitlePath)).c_str());
  }

  char summary[kSummarySize];
  FormatTextCut(summary, sizeof summary, "%s%s%s%s", general, video, audio, subtitle);
  return summary;
}

void updateMetaData(HWND page, const OutputOptions* options) {
  std::fputs("updateMetaData\n", stderr);
  SetControlText(page, kSummaryEdit, BuildSettingsSummary(*options));
}
