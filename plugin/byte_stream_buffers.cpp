// Byte streams of the encoding slots in host memory.

#include "plugin/byte_stream_buffers.h"

#include "encoder/j2k/cio.h"
#include "encoder/j2k/coding_parameters.h"
#include "encoder/j2k/compressor.h"
#include "encoder/j2k/j2k.h"
#include "plugin/module_globals.h"
#include "plugin/output_options.h"
#include "plugin/suite_handler.h"

AEGP_MemHandle j2c_cio_open(AEIO_BasicData* basic_dataP, opj_cinfo* cinfo, uint8_t* buffer, int length) {
  // Only the write form, on a compressor whose coding parameters exist.
  if (buffer || length != 0 || !cinfo || !cinfo->j2k || !cinfo->j2k->cp) return nullptr;
  const double bytes = 0.1625 * cinfo->j2k->cp->img_size + 2000;
  if (!(bytes > 0 && bytes < 2147483647.0)) return nullptr;

  SuiteHandler suites(basic_dataP->pica_basicP);
  const AEGP_MemorySuite1* memory = suites.MemorySuite1();
  AEGP_MemHandle cioH = nullptr;
  void* ptr = nullptr;
  if (memory->AEGP_NewMemHandle(g_aegpPluginId, "cioH", sizeof(opj_cio), AEGP_MemFlag_CLEAR, &cioH) || !cioH) {
    return nullptr;
  }
  if (memory->AEGP_LockMemHandle(cioH, &ptr) || !ptr) {
    memory->AEGP_FreeMemHandle(cioH);
    return nullptr;
  }
  // The record, locked, goes back when its buffer cannot be had: also when
  // the host throws std::bad_alloc for it.
  struct MadeRecord {
    const AEGP_MemorySuite1* memory;
    AEGP_MemHandle handle;
    ~MadeRecord() {
      if (handle == nullptr) return;
      memory->AEGP_UnlockMemHandle(handle);
      memory->AEGP_FreeMemHandle(handle);
    }
  } made{memory, cioH};
  opj_cio* cio = static_cast<opj_cio*>(ptr);
  cio->cinfo = cinfo;
  cio->openmode = OPJ_STREAM_WRITE;
  cio->length = static_cast<int32_t>(bytes);

  AEGP_MemHandle bufferH = nullptr;
  void* data = nullptr;
  A_Err err = memory->AEGP_NewMemHandle(g_aegpPluginId, "cio_bufferH", static_cast<AEGP_MemSize>(cio->length),
                                        AEGP_MemFlag_CLEAR, &bufferH);
  if (!err && !bufferH) err = A_Err_ALLOC;
  if (!err) {
    err = memory->AEGP_LockMemHandle(bufferH, &data);
    if (!err && !data) err = A_Err_ALLOC;
    if (err) memory->AEGP_FreeMemHandle(bufferH);
  }
  if (err) return nullptr;
  cio->buffer_handle = bufferH;
  cio->buffer = static_cast<uint8_t*>(data);
  cio->start = cio->buffer;
  cio->bp = cio->buffer;
  cio->end = cio->buffer + cio->length;
  // The pointers go stale here; every lock of the slot writes them anew.
  memory->AEGP_UnlockMemHandle(bufferH);
  memory->AEGP_UnlockMemHandle(cioH);
  made.handle = nullptr;
  return cioH;
}

A_Err LockByteStream(AEIO_BasicData* basic_dataP, OutputOptions* options, int i) {
  SuiteHandler suites(basic_dataP->pica_basicP);
  const AEGP_MemorySuite1* memory = suites.MemorySuite1();
  void* ptr = nullptr;
  A_Err err = memory->AEGP_LockMemHandle(options->byteStreamHandles[i], &ptr);
  if (!err && !ptr) err = A_Err_ALLOC;
  if (err) {
    options->byteStreams[i] = nullptr;
    return err;
  }
  opj_cio* cio = static_cast<opj_cio*>(ptr);
  void* data = nullptr;
  err = memory->AEGP_LockMemHandle(static_cast<AEGP_MemHandle>(cio->buffer_handle), &data);
  if (!err && !data) err = A_Err_ALLOC;
  if (err) {
    cio->buffer = nullptr;
    memory->AEGP_UnlockMemHandle(options->byteStreamHandles[i]);
    options->byteStreams[i] = nullptr;
    return err;
  }
  cio->buffer = static_cast<uint8_t*>(data);
  options->byteStreams[i] = cio;
  return A_Err_NONE;
}

A_Err UnlockByteStream(AEIO_BasicData* basic_dataP, OutputOptions* options, int i) {
  SuiteHandler suites(basic_dataP->pica_basicP);
  const AEGP_MemorySuite1* memory = suites.MemorySuite1();
  if (!options->byteStreams[i]) return A_Err_STRUCT;  // not locked
  A_Err first = memory->AEGP_UnlockMemHandle(static_cast<AEGP_MemHandle>(options->byteStreams[i]->buffer_handle));
  A_Err err = memory->AEGP_UnlockMemHandle(options->byteStreamHandles[i]);
  return first ? first : err;
}

A_Err FreeByteStream(AEIO_BasicData* basic_dataP, OutputOptions* options, int i) {
  SuiteHandler suites(basic_dataP->pica_basicP);
  const AEGP_MemorySuite1* memory = suites.MemorySuite1();
  AEGP_MemHandle cioH = options->byteStreamHandles[i];
  options->byteStreams[i] = nullptr;
  if (!cioH) return A_Err_NONE;

  // Read the buffer handle from the record under a lock of its own.
  void* ptr = nullptr;
  A_Err err = memory->AEGP_LockMemHandle(cioH, &ptr);
  if (!err && !ptr) err = A_Err_ALLOC;
  if (err) return err;
  AEGP_MemHandle bufferH = static_cast<AEGP_MemHandle>(static_cast<opj_cio*>(ptr)->buffer_handle);
  err = memory->AEGP_UnlockMemHandle(cioH);
  if (err) return err;

  if (bufferH) {
    err = memory->AEGP_FreeMemHandle(bufferH);
    if (err) return err;
  }
  err = memory->AEGP_FreeMemHandle(cioH);
  if (!err) options->byteStreamHandles[i] = nullptr;
  return err;
}
