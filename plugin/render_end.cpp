// The EndAdding callback: the frames still buffered are written, the picture
// track file is finalised, the encoding slots are freed and, unless the render
// queue was stopped, the reel and the documents get their UUIDs and the
// package writer produces the documents; Cancel in its digest dialog stops
// the render without them, and so does a track file of other frames than the
// composition's duration.
#include <cerrno>
#include <cstdint>
#include <cstdio>

#include "platform/aesdk/aegp_suites.h"
#include "plugin/callbacks.h"
#include "plugin/composition_info_builder.h"
#include "plugin/debug_log.h"
#include "plugin/encoding_slots.h"
#include "plugin/frame_buffering.h"
#include "plugin/host_boundary.h"
#include "plugin/locked_options.h"
#include "plugin/module_errors.h"
#include "plugin/output_options.h"
#include "plugin/package_folder_lock.h"
#include "plugin/picture_track_file.h"
#include "plugin/picture_writer_owner.h"
#include "plugin/render_report.h"
#include "plugin/sound_capture.h"
#include "plugin/suite_handler.h"
#include "plugin/uuid_text.h"
#include "plugin/write_failure.h"

namespace {

void MakeUuidLogged(const char* format, char* destination) {
  MakeUUIDText(destination);
  char line[128];
  std::snprintf(line, sizeof line, format, destination);
  LogBoth(line);
}

// The playlist gives the picture and the sound the composition's duration: a
// track file of other frames than that (the host ended the render early or
// late) makes no package. 0, or 9997 after a message with both counts.
A_Err CheckFramesWritten(AEIO_BasicData* basic, const OutputOptions& options) {
  const uint32_t frames = options.framesWritten / (options.stereoscopic ? 2 : 1);
  const auto duration = static_cast<uint32_t>(options.durationFrames);
  if (frames == duration) return A_Err_NONE;
  char text[768];
  std::snprintf(text, sizeof text,
                "The render ended after %u frames, but the composition lasts %u frames: the package is not "
                "complete, and no playlist, packing list or asset map is written.\n The track files stay in %s.",
                unsigned(frames), unsigned(duration), options.folderPath);
  LogBoth("My_EndAdding - the frames written are not the duration's: no documents\n");
  ShowMessage(basic, text);
  return kErrWrite;
}

A_Err EndAdding(AEIO_BasicData* basic, AEIO_OutSpecH outH) {
  SuiteHandler suites(basic->pica_basicP);
  LogBoth("My_EndAdding\n");

  LockedOptions locked(suites, outH);
  A_Err err = locked.err;
  if (err) return err;
  if (locked.options == nullptr) return A_Err_STRUCT;
  OutputOptions& options = *locked.options;

  // The end of a start that failed or was refused, a second end of one
  // render: no track file of this output is open, and there is nothing to
  // finalise (another output's file is not this one's to touch).
  if (!HoldsPictureWriter(locked.handle)) return A_Err_NONE;
  // However the end goes, the render is over: its package folder is free for
  // other renders once the end returns.
  const PackageFolderRelease folderRelease;

  // The host may deliver fewer frames than the duration (a stopped render):
  // the frames still buffered belong in the file.
  if (options.bufferCount > 0) err = EncodeBufferedFrames(basic, options);

  errno = 0;
  const Kumu::Result_t finalized = FinalizePictureTrackFile();
  if (KM_FAILURE(finalized) && errno != 0) ReportWriteFailure(options.pictureFileName, errno, "");
  if (!err && KM_FAILURE(finalized)) err = kErrFinalizePictureTrack;

  FreeEncodingSlots(basic, suites, options);
  // A render that ends before its sound was wrapped leaves no half sound behind.
  RemoveUnwrappedSound(options);

  std::fprintf(stderr, "My_EndAdding - VIDEO File is: %s\n", options.pictureFileName);
  std::fprintf(stderr, "My_EndAdding - AUDIO File is: %s\n", options.soundFileName);
  LogMessage("My_EndAdding - VIDEO File is:\n");
  LogMessage("My_EndAdding - AUDIO File is:\n");

  if (err) return err;
  AEGP_RenderQueueState state = AEGP_RenderQueueState_STOPPED;
  err = suites.RenderQueueSuite1()->AEGP_GetRenderQueueState(&state);
  if (!err && state != AEGP_RenderQueueState_STOPPED) {
    err = CheckFramesWritten(basic, options);
    if (err) return err;
    LogBoth("My_EndAdding - XML Creation starts\n");
    MakeUuidLogged("UUID Reel: %s\n", options.reelUuid);
    MakeUuidLogged("UUID CPL: %s\n", options.cplUuid);
    MakeUUIDText(options.pklUuid);
    MakeUUIDText(options.assetMapUuid);
    MakeUUIDText(options.spareUuid);
    MakeUUIDText(options.fontUuid);
    err = BuildCompositionInfo(basic, &options, 0);
    LogBoth("XML Craete DONE\n");
  }
  return err;
}

}  // namespace

A_Err My_EndAdding(AEIO_BasicData* basic_dataP, AEIO_OutSpecH outH, A_long /*flags*/) {
  const A_Err err = CallFromHost([&] { return EndAdding(basic_dataP, outH); });
  ShowWriteFailure(basic_dataP);
  return err;
}
