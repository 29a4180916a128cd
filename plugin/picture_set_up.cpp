#include "plugin/picture_set_up.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "encoder/cinema_setup.h"
#include "encoder/j2k/compressor.h"
#include "encoder/j2k/image.h"
#include "encoder/j2k/parameters.h"
#include "platform/asdcp/KM_uuid.h"
#include "plugin/byte_stream_buffers.h"
#include "plugin/debug_log.h"
#include "plugin/encoding_slots.h"
#include "plugin/frame_buffering.h"
#include "plugin/image_buffers.h"
#include "plugin/module_errors.h"
#include "plugin/output_options.h"
#include "plugin/package_folder_lock.h"
#include "plugin/picture_descriptor.h"
#include "plugin/picture_track_file.h"
#include "plugin/picture_track_writers.h"
#include "plugin/render_report.h"
#include "plugin/suite_handler.h"
#include "plugin/uuid_text.h"
#include "plugin/write_failure.h"
#include "plugin/writer_identity.h"

namespace {

constexpr size_t kPathSize = 512;

// A start that cannot have the memory of its encoding says what could not be
// had, and what the user can do.
void ShowShortage(AEIO_BasicData* basic, const std::string& what, const char* advice) {
  ShowMessage(basic,
              ("Not enough memory to start the render: " + what + " could not be allocated.\n " + advice).c_str());
}

// The static picture descriptor, from slot 0's image and compressor.
A_Err DescribePicture(AEIO_BasicData* basic, OutputOptions& options) {
  const OutputOptions copy = options;
  A_Err err = LockImageBuffer(basic, &options, 0);
  if (err) return err;
  FillPictureDescriptor(g_pictureDescriptor, *options.compressors[0], *options.images[0], copy);
  return UnlockImageBuffer(basic, &options, 0);
}

}  // namespace

A_Err SetUpEncoding(AEIO_BasicData* basic, SuiteHandler& suites, AEIO_OutSpecH outH, OutputOptions& options) {
  // A render that never ended left the comment of its parameters.
  std::free(EncoderParameters().cp_comment);
  EncoderParameters().cp_comment = nullptr;
  if (j2c_initialize(24, 1, &options, &EncoderParameters()) == 1) {
    LogBoth("My_StartAdding - j2c initialize failed\n");
    ShowShortage(basic, "the encoder's parameters", "Please free some memory and try again.");
    return kErrUnsupportedOutput;
  }
  const uint32_t slots = options.bufferCount;
  SlotShortage shortage;
  A_Err err = SetUpEncodingSlots(basic, suites, outH, options, &shortage);
  if (err) {
    ShowShortage(basic,
                 std::string("the ") + shortage.part + " of encoding slot " + std::to_string(shortage.slot + 1) +
                     " of " + std::to_string(slots),
                 "A slot holds a frame while it is encoded, one per host thread and some more: please free some "
                 "memory, or render with fewer threads, and try again.");
    return err;
  }
  err = DescribePicture(basic, options);
  if (err) return err;
  KeepSlotsOfRunningRender(options);
  return A_Err_NONE;
}

A_Err OpenPictureFile(AEIO_BasicData* basic, OutputOptions& options) {
  ASDCP::WriterInfo info = OutputWriterInfo;
  Kumu::GenRandomUUID(info.AssetUUID);
  if (options.packing != 0) info.LabelSetType = ASDCP::LS_MXF_SMPTE;
  char uuidText[kUuidTextSize] = {};
  Kumu::UUID(info.AssetUUID).EncodeHex(uuidText, sizeof uuidText);
  std::memcpy(options.pictureUuid, uuidText, sizeof options.pictureUuid);
  char path[kPathSize];
  if (!FormatBounded(options.pictureFileName, sizeof options.pictureFileName, "%s%s%s", "j2c_", uuidText, ".mxf") ||
      !FormatBounded(path, sizeof path, "%s/%s", options.folderPath, options.pictureFileName)) {
    ShowMessage(basic, "The path of the picture track file is too long.");
    return kErrStartCheck;
  }
  errno = 0;
  const Kumu::Result_t result = OpenPictureTrackFile(options.stereoscopic != 0, path, info, g_pictureDescriptor);
  if (KM_SUCCESS(result)) return A_Err_NONE;
  ReportWriteFailure(options.pictureFileName, errno, result.Label());
  ShowWriteFailure(basic);
  return kErrOpenPictureTrack;
}

StartedEncoding::~StartedEncoding() {
  if (!kept_) FreeEncodingSlots(basic_, suites_, options_);
}

void ReleaseRenderLeftOpen(AEIO_BasicData* basic, SuiteHandler& suites, OutputOptions& options) {
  FinishEncodingLeftOpen(basic);
  ClosePictureTrackFileLeftOpen();
  // Nothing of that render writes into its package folder any more.
  UnlockPackageFolder();
  FreeSlotsLeftOpen(basic, suites);
  ClearEncodingSlots(options);
  options.bufferCount = 0;
  options.buffersFilled = 0;
}
