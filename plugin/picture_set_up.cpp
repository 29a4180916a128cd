#include "plugin/picture_set_up.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

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
#include "plugin/writer_identity.h"

namespace {

constexpr size_t kPathSize = 512;

// Names the picture track file after a fresh asset UUID and opens it.
A_Err OpenPictureFile(AEIO_BasicData* basic, OutputOptions& options, const ASDCP::JP2K::PictureDescriptor& descriptor) {
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
  const Kumu::Result_t result = OpenPictureTrackFile(options.stereoscopic != 0, path, info, descriptor);
  return KM_SUCCESS(result) ? A_Err{A_Err_NONE} : A_Err{kErrOpenPictureTrack};
}

A_Err DescribeAndOpen(AEIO_BasicData* basic, OutputOptions& options) {
  ASDCP::JP2K::PictureDescriptor& descriptor = g_pictureDescriptor;
  const OutputOptions copy = options;
  A_Err err = LockImageBuffer(basic, &options, 0);
  if (err) return err;
  FillPictureDescriptor(descriptor, *options.compressors[0], *options.images[0], copy);
  err = UnlockImageBuffer(basic, &options, 0);
  if (err) return err;
  return OpenPictureFile(basic, options, descriptor);
}

}  // namespace

A_Err SetUpPicture(AEIO_BasicData* basic, SuiteHandler& suites, AEIO_OutSpecH outH, OutputOptions& options) {
  // A render that never ended left the comment of its parameters.
  std::free(EncoderParameters().cp_comment);
  EncoderParameters().cp_comment = nullptr;
  if (j2c_initialize(24, 1, &options, &EncoderParameters()) == 1) {
    LogBoth("My_StartAdding - j2c initialize failed\n");
    FreeEncodingSlots(basic, suites, options);
    return kErrUnsupportedOutput;
  }
  A_Err err = SetUpEncodingSlots(basic, suites, outH, options);
  if (err) return err;
  err = DescribeAndOpen(basic, options);
  if (err) {
    FreeEncodingSlots(basic, suites, options);
    return err;
  }
  KeepSlotsOfRunningRender(options);
  return A_Err_NONE;
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
