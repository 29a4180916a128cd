#include "plugin/encoding_slots.h"

#include <cstdlib>
#include <cstring>
#include <memory>

#include "encoder/cinema_setup.h"
#include "encoder/frame_conversion.h"
#include "encoder/j2k/compressor.h"
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

A_Err SetUpSlot(AEIO_BasicData* basic, SuiteHandler& suites, AEIO_OutSpecH outH, OutputOptions& options, uint32_t i) {
  A_Err err = CreateTileBuffers(suites, options, i);
  if (err != A_Err_NONE) return err;
  options.imageHandles[i] = j2c_create_image(basic, &options, outH, &g_parameters);
  if (options.imageHandles[i] == nullptr) return kErrUnsupportedOutput;
  err = LockImageBuffer(basic, &options, i);
  if (err != A_Err_NONE) return err;
  // Rate fitting once, on the first image, before any compressor is set up.
  if (i == 0 && g_parameters.cp_cinema != 0) cinema_setup_encoder(&g_parameters, &options, options.images[0]);
  options.compressors[i] = opj_create_compress();
  if (options.compressors[i] != nullptr) {
    opj_setup_encoder(options.compressors[i], &g_parameters, options.images[i]);
    options.byteStreamHandles[i] = j2c_cio_open(basic, options.compressors[i], nullptr, 0);
  }
  const A_Err unlockErr = UnlockImageBuffer(basic, &options, i);
  if (options.compressors[i] == nullptr || options.byteStreamHandles[i] == nullptr) return kErrUnsupportedOutput;
  return unlockErr;
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

A_Err SetUpEncodingSlots(AEIO_BasicData* basic, SuiteHandler& suites, AEIO_OutSpecH outH, OutputOptions& options) {
  ClearEncodingSlots(options);
  for (uint32_t i = 0; i < options.bufferCount; ++i) {
    const A_Err err = SetUpSlot(basic, suites, outH, options, i);
    if (err != A_Err_NONE) {
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
