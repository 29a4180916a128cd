#include "plugin/frame_buffering.h"

#include <cerrno>
#include <cstdio>

#include "encoder/frame_conversion.h"
#include "encoder/j2k/cio.h"
#include "encoder/j2k/coding_parameters.h"
#include "encoder/j2k/compressor.h"
#include "encoder/j2k/image.h"
#include "encoder/j2k/j2k.h"
#include "encoder/j2k/parameters.h"
#include "encoder/xyz_conversion.h"
#include "platform/aesdk/aegp_suites.h"
#include "platform/asdcp/JP2K_frame_buffer.h"
#include "plugin/byte_stream_buffers.h"
#include "plugin/callbacks.h"
#include "plugin/debug_log.h"
#include "plugin/encoding_slots.h"
#include "plugin/host_boundary.h"
#include "plugin/image_buffers.h"
#include "plugin/locked_options.h"
#include "plugin/module_errors.h"
#include "plugin/output_options.h"
#include "plugin/picture_track_file.h"
#include "plugin/suite_handler.h"
#include "plugin/write_failure.h"

namespace {

constexpr ASDCP::ui32_t kFrameBufferCapacity = 0x400000;

// Slots whose frame still awaits its X'Y'Z' conversion: it runs on the slot's
// encoding worker, in parallel with the other slots, and only once per frame
// (a batch that failed may be encoded again later).
bool g_xyzPending[kMaxEncodingSlots];

// Converts the frame (or one eye of it) into the next free slot.
A_Err BufferFrame(AEIO_BasicData* basic, AEIO_OutSpecH outH, const PF_EffectWorld* frame, A_u_char eye,
                  OutputOptions& options) {
  const uint32_t slot = options.buffersFilled;
  A_Err err = LockImageBuffer(basic, &options, slot);
  if (err) return err;
  err = convert_frame_to_image(basic, outH, frame, eye, &options, options.images[slot]);
  if (!err) g_xyzPending[slot] = options.xyzConversion != 0;
  const A_Err unlockErr = UnlockImageBuffer(basic, &options, slot);
  if (!err) err = unlockErr;
  // Only a converted frame occupies its slot.
  if (!err) ++options.buffersFilled;
  return err;
}

void PointAtCodestream(ASDCP::JP2K::FrameBuffer& frame, const opj_cio& stream, ASDCP::ui32_t frameNumber) {
  frame.SetData(stream.buffer, kFrameBufferCapacity);
  frame.Size(static_cast<ASDCP::ui32_t>(cio_tell(&stream)));
  frame.FrameNumber(frameNumber);
  frame.PlaintextOffset(0);
}

// Writes the encoded slots in order; stops at the first failure, which is
// reported with the file's name and the system's reason.
A_Err WriteBufferedFrames(OutputOptions& options) {
  ASDCP::JP2K::FrameBuffer left;
  ASDCP::JP2K::FrameBuffer right;
  for (uint32_t i = 0; i < options.buffersFilled; ++i) {
    const ASDCP::ui32_t frameNumber = options.framesWritten + i;
    PointAtCodestream(left, *options.byteStreams[i], frameNumber);
    Kumu::Result_t result = Kumu::RESULT_OK;
    errno = 0;
    if (options.stereoscopic) {
      ++i;
      PointAtCodestream(right, *options.byteStreams[i], frameNumber);
      result = WriteStereoscopicFrame(left, right);
    } else {
      result = WritePictureFrame(left);
    }
    if (KM_FAILURE(result)) {
      ReportWriteFailure(options.pictureFileName, errno, result.Label());
      return kErrWrite;
    }
  }
  return A_Err_NONE;
}

A_Err AddFrame(AEIO_BasicData* basic, AEIO_OutSpecH outH, const PF_EffectWorld* frame) {
  SuiteHandler suites(basic->pica_basicP);
  std::fputs("My_AddFrame\n", stderr);
  LogMessage("My_AddFrame\n");

  LockedOptions locked(suites, outH);
  A_Err err = locked.err;
  if (err) return err;
  if (locked.options == nullptr) return A_Err_STRUCT;
  OutputOptions& options = *locked.options;

  if (options.bufferCount == 0 || !PictureTrackFileIsOpen()) return kErrWrite;  // no render started

  if (options.buffersFilled < options.bufferCount) {
    err = BufferFrame(basic, outH, frame, kLeftEyeOr2D, options);
    if (!err && options.stereoscopic) err = BufferFrame(basic, outH, frame, kRightEye, options);
    if (options.framesRemaining > 0) --options.framesRemaining;
    if (!err && options.buffersFilled < options.bufferCount && options.framesRemaining != 0) return A_Err_NONE;
  }
  if (!err) err = EncodeBufferedFrames(basic, suites, options);
  return err;
}

}  // namespace

A_Err EncodeBufferedFrames(AEIO_BasicData* basic, SuiteHandler& suites, OutputOptions& options) {
  if (options.buffersFilled == 0) return A_Err_NONE;

  // Every slot is locked for the batch; each records what it locked.
  bool imageLocked[kMaxEncodingSlots] = {};
  bool streamLocked[kMaxEncodingSlots] = {};
  A_Err err = A_Err_NONE;
  for (uint32_t i = 0; i < options.bufferCount && !err; ++i) {
    err = LockImageBuffer(basic, &options, i);
    if (err) break;
    imageLocked[i] = true;
    err = LockByteStream(basic, &options, i);
    if (!err) streamLocked[i] = true;
  }

  if (!err) {
    const opj_cparameters& parameters = EncoderParameters();
    for (uint32_t i = 0; i < options.buffersFilled; ++i) {
      // The tile coder turns the rate into a byte budget in place: every frame starts from the ratio.
      options.compressors[i]->j2k->cp->tcps[0].rates[0] = parameters.tcp_rates[0];
      opj_cio& stream = *options.byteStreams[i];
      stream.start = stream.buffer;
      stream.bp = stream.buffer;
      stream.end = stream.buffer + stream.length;
    }
    std::fprintf(stderr, "Time to encode image, number of imagebuffers: %d\n", static_cast<int>(options.buffersFilled));
    char line[128];
    std::snprintf(line, sizeof line, "Time to encode image, number of imagebuffers: %d\n",
                  static_cast<int>(options.buffersFilled));
    LogMessage(line);

    err = suites.IterateSuite1()->AEGP_IterateGeneric(static_cast<A_long>(options.bufferCount), &options, thread_func);
    if (!err) {
      err = WriteBufferedFrames(options);
      options.framesWritten += options.buffersFilled;
      options.buffersFilled = 0;
    }
  }

  for (uint32_t i = 0; i < options.bufferCount; ++i) {
    if (imageLocked[i]) UnlockImageBuffer(basic, &options, i);
    if (streamLocked[i]) UnlockByteStream(basic, &options, i);
  }
  return err;
}

A_Err thread_func(void* refconPV, A_long thread_indexL, A_long i, A_long iterationsL) {
  OutputOptions& options = *static_cast<OutputOptions*>(refconPV);
  std::fprintf(stderr, "thread_func%d: i=%d - iterationsL=%d\n", static_cast<int>(thread_indexL), static_cast<int>(i),
               static_cast<int>(iterationsL));
  if (static_cast<uint32_t>(i) < options.buffersFilled) {
    const auto slot = static_cast<uint32_t>(i);
    if (g_xyzPending[slot]) {
      rgb_to_xyz(options.images[slot], 1);
      g_xyzPending[slot] = false;
    }
    if (opj_encode(options.compressors[slot], options.byteStreams[slot], options.images[slot], options.encoderFlag != 0,
                   options.tileBuffers[slot]) != 0) {
      std::fprintf(stderr, "thread_func%d: SUCCEEDED\n", static_cast<int>(thread_indexL));
      return A_Err_NONE;
    }
    std::fprintf(stderr, "thread_func%d: FAILED\n", static_cast<int>(thread_indexL));
    return kErrEncodeFailed;
  }
  std::fprintf(stderr, "thread_func%d: Skipped buffer: %d\n", static_cast<int>(thread_indexL), static_cast<int>(i));
  return A_Err_NONE;
}

A_Err My_AddFrame(AEIO_BasicData* basic_dataP, AEIO_OutSpecH outH, A_long /*frame_index*/, A_long /*frames*/,
                  const PF_EffectWorld* wP, const A_LPoint* /*origin0*/, A_Boolean /*was_compressedB*/,
                  AEIO_InterruptFuncs* /*inter0*/) {
  const A_Err err = CallFromHost([&] { return AddFrame(basic_dataP, outH, wP); });
  ShowWriteFailure(basic_dataP);
  return err;
}
