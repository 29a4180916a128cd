#include "plugin/encoding_slots.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "encoder/cinema_setup.h"
#include "encoder/frame_conversion.h"
#include "encoder/j2k/compressor.h"
#include "encoder/j2k/j2k.h"
#include "encoder/j2k/parameters.h"
#include "platform/aesdk/aegp_suites.h"
#include "plugin/byte_stream_buffers.h"
#include "plugin/image_buffers.h"
#include "plugin/module_errors.h"
#include "plugin/module_globals.h"
#include "plugin/output_options.h"
#include "plugin/suite_handler.h"

namespace {

opj_cparameters g_parameters;

// The slots of the render that is running (between a successful start and its
// end), as they stood when it started.
std::unique_ptr<OutputOptions> g_runningSlots;

// Three cleared "CompGPU" tile buffers of the full output size for slot i.
A_Err CreateTileBuffers(SuiteHandler& suites, OutputOptions& options, uint32_t i) {
  const AEGP_MemSize size = AEGP_MemSize{options.width} * options.height * 4;
  for (int c = 0; c < 3; ++c) {
    A_Err err = suites.MemorySuite1()->AEGP_NewMemHandle(g_aegpPluginId, "CompGPU", size, AEGP_MemFlag_CLEAR,
                                                         &options.tileBufferHandles[i][c]);
    if (err != A_Err_NONE) return err;
    void* pointer = nullptr;
    err = suites.MemorySuite1()->AEGP_LockMemHandle(options.tileBufferHandles[i][c], &pointer);
    if (err != A_Err_NONE) return err;
    options.tileBuffers[i][c] = static_cast<int32_t*>(pointer);
    suites.MemorySuite1()->AEGP_UnlockMemHandle(options.tileBufferHandles[i][c]);
  }
  return A_Err_NONE;
}

// Slot i's image, locked while the encoder is set up from it, and unlocked
// when it goes: also when the set-up is left by an exception.
class LockedSlotImage {
 public:
  LockedSlotImage(AEIO_BasicData* basic, OutputOptions& options, uint32_t i)
      : basic_(basic), options_(options), i_(i), err_(LockImageBuffer(basic, &options, static_cast<int>(i))) {}
  ~LockedSlotImage() { Unlock(); }
  LockedSlotImage(const LockedSlotImage&) = delete;
  LockedSlotImage& operator=(const LockedSlotImage&) = delete;

  A_Err err() const { return err_; }
  // The host's result; 0 when the lock failed or is undone already.
  A_Err Unlock() {
    if (err_ != A_Err_NONE || unlocked_) return A_Err_NONE;
    unlocked_ = true;
    return UnlockImageBuffer(basic_, &options_, static_cast<int>(i_));
  }

 private:
  AEIO_BasicData* basic_;
  OutputOptions& options_;
  uint32_t i_;
  A_Err err_;
  bool unlocked_ = false;
};

// Makes slot i; `*part` names the part being made, for the message when it
// cannot be had.
A_Err SetUpSlot(AEIO_BasicData* basic, SuiteHandler& suites, AEIO_OutSpecH outH, OutputOptions& options, uint32_t i,
                const char** part) {
  *part = "tile buffers";
  A_Err err = CreateTileBuffers(suites, options, i);
  if (err != A_Err_NONE) return err;
  *part = "image";
  options.imageHandles[i] = j2c_create_image(basic, &options, outH, &g_parameters);
  if (options.imageHandles[i] == nullptr) return kErrUnsupportedOutput;
  LockedSlotImage image(basic, options, i);
  if (image.err() != A_Err_NONE) return image.err();
  // Rate fitting once, on the first image, before any compressor is set up.
  if (i == 0 && g_parameters.cp_cinema != 0) cinema_setup_encoder(&g_parameters, &options, options.images[0]);
  *part = "compressor";
  options.compressors[i] = opj_create_compress();
  if (options.compressors[i] == nullptr) return kErrUnsupportedOutput;
  opj_setup_encoder(options.compressors[i], &g_parameters, options.images[i]);
  if (options.compressors[i]->j2k->cp == nullptr) return kErrUnsupportedOutput;
  *part = "byte stream";
  options.byteStreamHandles[i] = j2c_cio_open(basic, options.compressors[i], nullptr, 0);
  if (options.byteStreamHandles[i] == nullptr) return kErrUnsupportedOutput;
  return image.Unlock();
}

}  // namespace

uint32_t EncodingSlotCount(A_long threads, bool stereoscopic) {
  const uint32_t encoding = threads < 1 ? 1u : static_cast<uint32_t>(threads);
  // Beyond the frames being encoded, room for those the host's thread converts meanwhile.
  const uint32_t spare = encoding / 4 > 1 ? encoding / 4 : 1;
  uint32_t count = encoding + spare;
  if (stereoscopic) count = (count + 1) & ~1u;
  if (count > uint32_t{kMaxEncodingSlots}) count = kMaxEncodingSlots;
  return count;
}

opj_cparameters& EncoderParameters() { return g_parameters; }

A_Err SetUpEncodingSlots(AEIO_BasicData* basic, SuiteHandler& suites, AEIO_OutSpecH outH, OutputOptions& options,
                         SlotShortage* shortage) {
  ClearEncodingSlots(options);
  for (uint32_t i = 0; i < options.bufferCount; ++i) {
    const char* part = "";
    A_Err err = A_Err_NONE;
    try {
      err = SetUpSlot(basic, suites, outH, options, i, &part);
    } catch (const std::bad_alloc&) {
      // The host had no memory for a block: what was made of the slot is in
      // the record, and unlocked.
      err = A_Err_ALLOC;
    }
    if (err != A_Err_NONE) {
      *shortage = {i, part};
      FreeEncodingSlots(basic, suites, options);
      return err;
    }
  }
  return A_Err_NONE;
}

void FreeEncodingSlots(AEIO_BasicData* basic, SuiteHandler& suites, OutputOptions& options) {
  const uint32_t count = options.bufferCount < uint32_t{kMaxEncodingSlots} ? options.bufferCount : kMaxEncodingSlots;
  for (uint32_t i = 0; i < count; ++i) {
    if (options.byteStreamHandles[i] != nullptr) FreeByteStream(basic, &options, i);
    if (options.compressors[i] != nullptr) opj_destroy_compress(options.compressors[i]);
    if (options.imageHandles[i] != nullptr) {
      FreeImageBuffer(basic, &options, i);  // its tile buffers go with it
    } else {
      for (int c = 0; c < 3; ++c) {
        if (options.tileBufferHandles[i][c] != nullptr) {
          suites.MemorySuite1()->AEGP_FreeMemHandle(options.tileBufferHandles[i][c]);
        }
      }
    }
  }
  ClearEncodingSlots(options);
  options.bufferCount = 0;
  options.buffersFilled = 0;
  std::free(g_parameters.cp_comment);
  g_parameters.cp_comment = nullptr;
  g_runningSlots.reset();
}

void KeepSlotsOfRunningRender(const OutputOptions& options) {
  g_runningSlots = std::make_unique<OutputOptions>(options);
}

void FreeSlotsLeftOpen(AEIO_BasicData* basic, SuiteHandler& suites) {
  if (!g_runningSlots) return;
  std::unique_ptr<OutputOptions> slots = std::move(g_runningSlots);
  FreeEncodingSlots(basic, suites, *slots);
}

void ClearEncodingSlots(OutputOptions& options) {
  std::memset(options.images, 0, sizeof options.images);
  std::memset(options.imageHandles, 0, sizeof options.imageHandles);
  std::memset(options.compressors, 0, sizeof options.compressors);
  std::memset(options.byteStreams, 0, sizeof options.byteStreams);
  std::memset(options.byteStreamHandles, 0, sizeof options.byteStreamHandles);
  std::memset(options.tileBuffers, 0, sizeof options.tileBuffers);
  std::memset(options.tileBufferHandles, 0, sizeof options.tileBufferHandles);
}
