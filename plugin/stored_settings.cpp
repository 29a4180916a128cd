#include "plugin/stored_settings.h"

#include <cstdio>

#include "plugin/bit_rates.h"
#include "plugin/composition_rules.h"
#include "plugin/output_options.h"
#include "plugin/record_text.h"

namespace {

std::string Described(const char* format, unsigned value) {
  char text[160];
  std::snprintf(text, sizeof text, format, value);
  return std::string("The stored settings of this output cannot be used: ") + text +
         ".\nPlease choose the settings again in the options dialog.";
}

}  // namespace

void CleanStoredTexts(OutputOptions& options) {
  // The paths name the user's files (and the package folder) as they were
  // chosen: a folder named with a tab or a byte that is not UTF-8 is still
  // that folder.
  EndRecordPath(options.folderPath);
  CleanRecordText(options.title);
  CleanRecordText(options.annotation);
  CleanRecordText(options.issuer);
  CleanRecordText(options.compName);
  CleanRecordText(options.categoryText);
  CleanRecordText(options.pictureUuid);
  for (auto& file : options.channelFiles) EndRecordPath(file);
  CleanRecordText(options.soundUuid);
  EndRecordPath(options.subtitlePath);
  CleanRecordText(options.subtitleUuid);
  CleanRecordText(options.fontUuid);
  // The font's name is the subtitle document's, and goes into the package's
  // documents.
  CleanRecordText(options.fontFile);
  CleanRecordText(options.pictureFileName);
  CleanRecordText(options.soundFileName);
  CleanRecordText(options.subtitleFileName);
  CleanRecordText(options.reelUuid);
  CleanRecordText(options.cplUuid);
  CleanRecordText(options.pklUuid);
  CleanRecordText(options.assetMapUuid);
  CleanRecordText(options.spareUuid);
  CleanRecordText(options.filmTitle);
}

std::string StoredSettingsFault(const OutputOptions& options) {
  if (options.packing > 1) {
    return Described("the packing standard is %u, not 0 (Interop) or 1 (SMPTE)", options.packing);
  }
  if (options.categoryIndex >= static_cast<A_u_long>(kContentKindCount)) {
    return Described("the content kind is %u, not one of the 10 kinds of the list", options.categoryIndex);
  }
  if (options.bitRate > kMaxBitRate) {
    return Described("the bit rate is %u Mbit/s, more than 250", options.bitRate);
  }
  if (options.stereoBitRate > kMaxStereoBitRate) {
    return Described("the stereoscopic bit rate is %u Mbit/s, more than 125", options.stereoBitRate);
  }
  if (options.audioSource > 1) {
    return Described("the sound source is %u, not 0 (external files) or 1 (timeline)", options.audioSource);
  }
  if (options.audioLayout > 2) {
    return Described("the channel layout is %u, not 0 (stereo), 1 (5.1) or 2 (7.1)", options.audioLayout);
  }
  return std::string();
}
