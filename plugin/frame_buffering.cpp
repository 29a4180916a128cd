#include "plugin/frame_buffering.h"

#include <cerrno>
#include <cstdio>
#include <memory>
#include <new>
#include <string>
#include <system_error>

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
#include "plugin/encoding_workers.h"
#include "plugin/host_boundary.h"
#include "plugin/image_buffers.h"
#include "plugin/locked_options.h"
#include "plugin/module_errors.h"
#include "plugin/output_options.h"
#include "plugin/picture_track_file.h"
#include "plugin/picture_writer_owner.h"
#include "plugin/render_report.h"
#include "plugin/suite_handler.h"
#include "plugin/write_failure.h"

namespace {

constexpr ASDCP::ui32_t kFrameBufferCapacity = 0x400000;

// Slots whose frame still awaits its X'Y'Z' conversion: it runs on the slot's
// encoding thread, in parallel with the other slots, and only once per frame
// (a frame whose encode failed may be encoded again).
bool g_xyzPending[kMaxEncodingSlots];

// Slots whose last encode failed for want of memory (an allocation of the
// coder failed with ENOMEM); any other failed encode is a codestream that did
// not fit its byte stream.
bool g_encodeOutOfMemory[kMaxEncodingSlots];

// The encoding of the running render. The frames occupy the slots in turn,
// as a ring: from `oldest` on, `held` slots hold frames not yet written, in
// frame order. Each of them stays locked from its conversion until it has
// been written, while the plug-in's threads encode it, so that the host's
// thread converts and writes frames while the others encode.
struct RunningEncoding {
  // The threads' copy of the options record: the slots' pointers as their
  // locks gave them, and the frame count written.
  std::unique_ptr<OutputOptions> record;
  EncodingWorkers workers;
  uint32_t oldest = 0;
  uint32_t held = 0;
  bool writeFailed = false;  // nothing more reaches the track file
};

RunningEncoding g_encoding;

uint32_t SlotsPerFrame(const OutputOptions& record) { return record.stereoscopic ? 2 : 1; }

// Every frame starts from the layer's rate (the tile coder turns it into a
// byte budget in place) and from the start of its byte stream.
void RewindSlot(OutputOptions& record, uint32_t slot) {
  record.compressors[slot]->j2k->cp->tcps[0].rates[0] = EncoderParameters().tcp_rates[0];
  opj_cio& stream = *record.byteStreams[slot];
  stream.start = stream.buffer;
  stream.bp = stream.buffer;
  stream.end = stream.buffer + stream.length;
}

void ReleaseSlot(AEIO_BasicData* basic, OutputOptions& record, uint32_t slot) {
  UnlockByteStream(basic, &record, slot);
  UnlockImageBuffer(basic, &record, slot);
}

// Converts the frame (or one eye of it) into the slot and leaves the slot
// locked, ready to be encoded; on failure the slot is left unlocked.
A_Err BufferFrame(AEIO_BasicData* basic, AEIO_OutSpecH outH, const PF_EffectWorld* frame, A_u_char eye,
                  OutputOptions& record, uint32_t slot) {
  A_Err err = LockImageBuffer(basic, &record, slot);
  if (err) return err;
  err = convert_frame_to_image(basic, outH, frame, eye, &record, record.images[slot]);
  if (!err) err = LockByteStream(basic, &record, slot);
  if (err) {
    UnlockImageBuffer(basic, &record, slot);
    return err;
  }
  g_xyzPending[slot] = record.xyzConversion != 0;
  RewindSlot(record, slot);
  return A_Err_NONE;
}

// The plug-in's threads, as many as the host has worker threads (at most one
// per slot), from the first frame of a render on.
A_Err StartEncoding(AEIO_BasicData* basic, SuiteHandler& suites, const OutputOptions& options) {
  RunningEncoding& e = g_encoding;
  if (e.record) return A_Err_NONE;
  A_long threads = 0;
  const A_Err err = suites.IterateSuite1()->AEGP_GetNumThreads(&threads);
  if (err) return err;
  e.record = std::make_unique<OutputOptions>(options);
  e.record->buffersFilled = options.bufferCount;  // thread_func encodes whichever slot it is given
  e.oldest = 0;
  e.held = 0;
  e.writeFailed = false;
  const A_long count = threads < static_cast<A_long>(options.bufferCount) ? threads : options.bufferCount;
  // Threads that cannot be had fail the frame, as before, but with the reason.
  try {
    e.workers.Start(static_cast<int>(count), e.record.get());
  } catch (const std::system_error& error) {
    e.record.reset();
    ShowMessage(basic, ("The encoding threads cannot be started: " + std::string(error.what()) + ".").c_str());
    throw;
  } catch (const std::bad_alloc&) {
    e.record.reset();
    ShowMessage(basic, "The encoding threads cannot be started: there is not enough memory.");
    throw;
  }
  return A_Err_NONE;
}

void PointAtCodestream(ASDCP::JP2K::FrameBuffer& frame, const opj_cio& stream, ASDCP::ui32_t frameNumber) {
  frame.SetData(stream.buffer, kFrameBufferCapacity);
  frame.Size(static_cast<ASDCP::ui32_t>(cio_tell(&stream)));
  frame.FrameNumber(frameNumber);
  frame.PlaintextOffset(0);
}

// Writes the frame of the slot (both eyes from it on, for stereoscopic
// output); a failure is reported with the file's name and the system's
// reason.
A_Err WriteFrameAt(const OutputOptions& record, uint32_t slot) {
  ASDCP::JP2K::FrameBuffer left;
  ASDCP::JP2K::FrameBuffer right;
  const ASDCP::ui32_t frameNumber = record.framesWritten;
  PointAtCodestream(left, *record.byteStreams[slot], frameNumber);
  Kumu::Result_t result = Kumu::RESULT_OK;
  errno = 0;
  if (record.stereoscopic) {
    PointAtCodestream(right, *record.byteStreams[slot + 1], frameNumber);
    result = WriteStereoscopicFrame(left, right);
  } else {
    result = WritePictureFrame(left);
  }
  if (KM_FAILURE(result)) {
    ReportWriteFailure(record.pictureFileName, errno, result.Label());
    return kErrWrite;
  }
  return A_Err_NONE;
}

// Tells the user which frame could not be encoded, and why.
void ShowFailedEncode(AEIO_BasicData* basic, const OutputOptions& record, uint32_t slot) {
  const auto frame = static_cast<unsigned>(record.framesWritten / SlotsPerFrame(record) + 1);
  const auto frames = static_cast<unsigned>(record.durationFrames);
  char text[320];
  if (g_encodeOutOfMemory[slot]) {
    std::snprintf(text, sizeof text,
                  "Encoding frame %u of %u failed: there was not enough memory for the encoder.\n Please free some "
                  "memory, or render with fewer threads, and try again.",
                  frame, frames);
  } else {
    std::snprintf(text, sizeof text,
                  "Encoding frame %u of %u failed: its codestream did not fit the %d bytes kept for it.", frame, frames,
                  static_cast<int>(record.byteStreams[slot]->length));
  }
  LogBoth((std::string(text) + "\n").c_str());
  ShowMessage(basic, text);
}

bool OldestFrameEncoded(RunningEncoding& e, uint32_t perFrame) {
  for (uint32_t k = 0; k < perFrame; ++k)
    if (!e.workers.Ended(e.oldest + k)) return false;
  return true;
}

// Writes the oldest frames whose encodes have ended, in frame order, and
// frees their slots; while fewer than `room` slots are free, waits for the
// oldest frame instead. A failed encode stops the writing: the frame keeps its
// slots and place, is encoded again, and the error is returned. A failed
// write gives 9997, and from then on frames are released unwritten, each
// giving 9997.
A_Err WriteEncodedFrames(AEIO_BasicData* basic, uint32_t room) {
  RunningEncoding& e = g_encoding;
  if (!e.record) return A_Err_NONE;
  OutputOptions& record = *e.record;
  const uint32_t perFrame = SlotsPerFrame(record);
  while (e.held > 0) {
    if (e.held + room <= record.bufferCount && !OldestFrameEncoded(e, perFrame)) break;
    A_Err err = A_Err_NONE;
    for (uint32_t k = 0; k < perFrame; ++k) {
      const A_Err encoded = e.workers.Take(e.oldest + k);
      if (!err && encoded) ShowFailedEncode(basic, record, e.oldest + k);
      if (!err) err = encoded;
    }
    if (err) {
      for (uint32_t k = 0; k < perFrame; ++k) {
        RewindSlot(record, e.oldest + k);
        e.workers.Encode(e.oldest + k);
      }
      return err;
    }
    if (e.writeFailed) {
      err = kErrWrite;
    } else {
      err = WriteFrameAt(record, e.oldest);
      e.writeFailed = err != A_Err_NONE;
    }
    for (uint32_t k = 0; k < perFrame; ++k) ReleaseSlot(basic, record, e.oldest + k);
    e.oldest = (e.oldest + perFrame) % record.bufferCount;
    e.held -= perFrame;
    record.framesWritten += perFrame;
    if (err) return err;
  }
  return A_Err_NONE;
}

// Writes every frame still held and ends the threads; gives the count of
// frames written. After a failure the frames left are released unwritten
// (their encodes have ended).
A_Err FinishEncoding(AEIO_BasicData* basic, A_u_long* framesWritten) {
  RunningEncoding& e = g_encoding;
  if (!e.record) return A_Err_NONE;
  OutputOptions& record = *e.record;
  const A_Err err = WriteEncodedFrames(basic, record.bufferCount + 1);
  e.workers.Stop();
  for (; e.held > 0; --e.held) {
    ReleaseSlot(basic, record, e.oldest);
    e.oldest = (e.oldest + 1) % record.bufferCount;
  }
  *framesWritten = record.framesWritten;
  e.record.reset();
  return err;
}

void MirrorCounts(OutputOptions& options) {
  if (!g_encoding.record) return;
  options.buffersFilled = g_encoding.held;
  options.framesWritten = g_encoding.record->framesWritten;
}

A_Err AddFrame(AEIO_BasicData* basic, AEIO_OutSpecH outH, const PF_EffectWorld* frame) {
  SuiteHandler suites(basic->pica_basicP);
  LogBoth("My_AddFrame\n");

  LockedOptions locked(suites, outH);
  A_Err err = locked.err;
  if (err) return err;
  if (locked.options == nullptr) return A_Err_STRUCT;
  OutputOptions& options = *locked.options;

  // Only into the file of this output's own render.
  err = RefuseUnlessRendering(basic, locked.handle, "frame");
  if (err) return err;
  if (options.bufferCount == 0) return kErrWrite;
  err = StartEncoding(basic, suites, options);
  if (err) return err;
  RunningEncoding& e = g_encoding;
  OutputOptions& record = *e.record;
  const uint32_t perFrame = SlotsPerFrame(record);

  // Room for the frame: the oldest frames are written when every slot is taken.
  err = WriteEncodedFrames(basic, perFrame);
  if (!err) {
    const uint32_t slot = (e.oldest + e.held) % record.bufferCount;
    err = BufferFrame(basic, outH, frame, kLeftEyeOr2D, record, slot);
    if (!err && record.stereoscopic) {
      err = BufferFrame(basic, outH, frame, kRightEye, record, slot + 1);
      if (err) ReleaseSlot(basic, record, slot);
    }
    if (options.framesRemaining > 0) --options.framesRemaining;
    if (!err) {
      e.held += perFrame;
      char line[128];
      std::snprintf(line, sizeof line, "Time to encode image, number of imagebuffers: %d\n", static_cast<int>(e.held));
      LogBoth(line);
      for (uint32_t k = 0; k < perFrame; ++k) e.workers.Encode(slot + k);
      // What has been encoded meanwhile is written; after the last frame, everything.
      err = WriteEncodedFrames(basic, options.framesRemaining == 0 ? record.bufferCount + 1 : 0);
    }
  }
  MirrorCounts(options);
  return err;
}

}  // namespace

A_Err EncodeBufferedFrames(AEIO_BasicData* basic, OutputOptions& options) {
  MirrorCounts(options);
  const A_Err err = FinishEncoding(basic, &options.framesWritten);
  options.buffersFilled = 0;
  return err;
}

void FinishEncodingLeftOpen(AEIO_BasicData* basic) {
  A_u_long written = 0;
  FinishEncoding(basic, &written);
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
    errno = 0;
    if (opj_encode(options.compressors[slot], options.byteStreams[slot], options.images[slot], options.encoderFlag != 0,
                   options.tileBuffers[slot]) != 0) {
      std::fprintf(stderr, "thread_func%d: SUCCEEDED\n", static_cast<int>(thread_indexL));
      return A_Err_NONE;
    }
    g_encodeOutOfMemory[slot] = errno == ENOMEM;
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
