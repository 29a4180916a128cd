#include "plugin/composition_info_builder.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "package/package_documents.h"
#include "plugin/composition_info.h"
#include "plugin/composition_rules.h"
#include "plugin/module_errors.h"
#include "plugin/output_options.h"
#include "plugin/record_text.h"

namespace {

// Copies a text into a field, cut to fit and cleaned for the documents: a
// field never overflows, a source field without its terminating zero is read
// no further than its end, and control characters or bytes that are not UTF-8
// never reach a document.
template <size_t N, size_t M>
void CopyText(char (&field)[N], const char (&text)[M]) {
  CopyRecordText(field, N, text, M);
}

// Copies a path into a field byte for byte: it names the package folder or
// the user's file as it is, and goes into no document.
template <size_t N, size_t M>
void CopyPath(char (&field)[N], const char (&path)[M]) {
  CopyRecordPath(field, N, path, M);
}

template <size_t N>
void CopyConstantText(char (&field)[N], const char* text) {
  const size_t length = strnlen(text, N - 1);
  std::memcpy(field, text, length);
  field[length] = '\0';
}

}  // namespace

void FillCompositionInfo(const OutputOptions& options, DcpCompositionInfo& info) {
  // A duration no frame count holds (never one that render start measured)
  // counts as none.
  const double frames = options.durationFrames;
  const auto d = frames >= 0.0 && frames < 4294967296.0 ? static_cast<uint32_t>(frames) : 0u;
  info.pictureDuration = d;
  info.pictureIntrinsicDuration = d;
  if (options.audioSource == 1) {
    info.soundDuration = d;
    info.soundIntrinsicDuration = d;
    info.soundEntryPoint = 0;
  } else {
    info.soundDuration = d;
    info.soundIntrinsicDuration = options.audioFrames;
    info.soundEntryPoint = options.inPoint;
  }

  CopyText(info.issuer, options.issuer);
  const bool useCompName = options.useCompName != 0 || options.title[0] == '\0';
  CopyText(info.contentTitle, useCompName ? options.compName : options.title);
  CopyText(info.annotation, options.annotation);
  CopyPath(info.folderPath, options.folderPath);

  const int rate = static_cast<int>(options.frameRate);
  std::snprintf(info.editRate, sizeof info.editRate, "%d 1", rate);
  std::snprintf(info.frameRate, sizeof info.frameRate, "%d 1", options.stereoscopic ? 2 * rate : rate);

  info.packing = options.packing;
  CopyConstantText(info.contentKind, ContentKindText(options.categoryIndex, options.categoryText));
  info.stereoscopic = options.stereoscopic;

  const uint32_t w = options.stereoscopic == 1 ? options.width / 2 : options.width;
  if (options.packing != 0) {
    info.aspectWidth = w;
    info.aspectHeight = options.height;
  } else {
    CopyConstantText(info.aspectText, InteropAspectText(w, options.height).c_str());
  }

  CopyText(info.pictureFileName, options.pictureFileName);
  CopyText(info.pictureUuid, options.pictureUuid);
  info.pictureHash[0] = '\0';

  CopyText(info.soundUuid, options.soundUuid);
  std::fprintf(stderr, "AUDIO File is: %s\n", options.soundFileName);
  CopyText(info.soundFileName, options.soundFileName);
  info.soundHash[0] = '\0';

  info.subtitleOn = options.subtitleOn;
  if (options.subtitleOn) {
    std::fprintf(stderr, "Subtitle File is: %s\n", options.subtitlePath);
    std::fprintf(stderr, "Subtitle UUID is: %s\n", options.subtitleUuid);
    CopyPath(info.subtitlePath, options.subtitlePath);
    CopyText(info.subtitleUuid, options.subtitleUuid);
    info.subtitleIsMxf = options.subtitleSmpte;
    info.fontPresent = options.subtitleHasFont;
    CopyText(info.fontUuid, options.fontUuid);
    CopyText(info.fontFile, options.fontFile);
    CopyText(info.subtitleFileName, options.subtitleFileName);
    info.subtitleIntrinsicDuration = options.subtitleSmpte ? options.subtitleFrames : d;
  }

  CopyText(info.reelUuid, options.reelUuid);
  CopyText(info.cplUuid, options.cplUuid);
  CopyText(info.pklUuid, options.pklUuid);
  CopyText(info.assetMapUuid, options.assetMapUuid);
  CopyText(info.spareUuid, options.spareUuid);
}

A_Err BuildCompositionInfo(AEIO_BasicData* basic, OutputOptions* options, int /*unused*/) {
  // The record is large: it lives on the heap for the package step.
  auto info = std::make_unique<DcpCompositionInfo>();
  FillCompositionInfo(*options, *info);
  // Documents that could not be written fail the render: no package that
  // lacks them may pass for a finished one. Cancel in the digest dialog
  // stops it.
  const Kumu::Result_t result = CreateDcpXml(basic, info.get());
  if (result == kDigestsCancelled) return PF_Interrupt_CANCEL;
  if (KM_FAILURE(result)) return kErrWrite;
  return A_Err_NONE;
}
