// The options record's defaults, and the two callbacks through which the host
// stores and disposes of it.
#include "plugin/output_options.h"

#include <cstring>

#include "plugin/callbacks.h"
#include "plugin/frame_sizes.h"
#include "plugin/handle_lock.h"
#include "plugin/host_boundary.h"
#include "plugin/module_errors.h"
#include "plugin/module_globals.h"
#include "plugin/picture_writer_owner.h"
#include "plugin/product.h"
#include "plugin/suite_handler.h"

A_Err InitDefaultOutputOptions(AEIO_BasicData* basic_dataP, AEIO_OutSpecH outH, OutputOptions* options) {
  SuiteHandler suites(basic_dataP->pica_basicP);
  A_Err err = A_Err_NONE;

  options->version = kOutputOptionsVersion;
  options->reserved268 = 0;
  std::strcpy(options->title, "YOUR_DCP_TITLE_HERE");
  std::strcpy(options->annotation, "YOUR_DCP_ANNOTATION_TEXT_HERE");
  std::strcpy(options->issuer, kProductName);
  options->compName[0] = '\0';
  options->useCompName = 1;
  options->categoryIndex = 0;
  options->packing = 0;

  A_long width = 0, height = 0;
  err = suites.IOOutSuite7()->AEGP_GetOutSpecDimensions(outH, &width, &height);
  if (!err) {
    options->width = A_u_long(width);
    options->height = A_u_long(height);
  }
  options->stereoscopic = IsStereoscopicFrameSize(A_long(options->width), A_long(options->height));
  if (!err && !IsSupportedFrameSize(A_long(options->width), A_long(options->height))) {
    ReportUnsupportedSize(basic_dataP);
    err = kErrUnsupportedOutput;
  }

  options->stereoBitRate = 125;
  options->bitRate = 250;
  options->xyzConversion = 1;

  if (!err) {
    A_Fixed fps = 0;
    err = suites.IOOutSuite7()->AEGP_GetOutSpecFPS(outH, &fps);
    if (!err) options->frameRate = A_u_long(A_long(fps / 65536.0));
  }
  if (options->frameRate != 24) options->packing = 1;

  if (!err) err = suites.IOOutSuite7()->AEGP_GetOutSpecDepth(outH, &options->outputDepth);

  options->reserved1468 = 0;
  options->reserved1472 = 0;
  options->encoderFlag = 0;
  options->multiSelectAudio = 1;
  options->audioSource = 1;
  options->audioLayout = 0;
  options->inPoint = 0;
  for (char* file : options->channelFiles) file[0] = '\0';
  options->subtitleOn = 0;
  options->subtitleSmpte = 0;
  options->subtitleHasFont = 0;
  options->subtitlePath[0] = '\0';
  for (A_u_long& selection : options->titleSelections) selection = 0;
  options->filmTitle[0] = '\0';
  return err;
}

A_Err My_GetFlatOutputOptions(AEIO_BasicData* basic_dataP, AEIO_OutSpecH outH, AEIO_Handle* flat_optionsPH) {
  return CallFromHost([&]() -> A_Err {
    SuiteHandler suites(basic_dataP->pica_basicP);
    AEIO_Handle optionsH = nullptr;
    A_Err err = suites.IOOutSuite7()->AEGP_GetOutSpecOptionsHandle(outH, &optionsH);
    if (err || !optionsH) return err;

    const AEGP_MemorySuite1* memory = suites.MemorySuite1();
    AEGP_MemSize size = 0;
    err = memory->AEGP_GetMemHandleSize(optionsH, &size);
    AEGP_MemHandle flatH = nullptr;
    if (!err) {
      err = memory->AEGP_NewMemHandle(g_aegpPluginId, "Flat Options", size, AEGP_MemFlag_CLEAR, &flatH);
    }
    // A flat copy is handed over only when it was made, locked and filled
    // whole; otherwise it is freed and the host gets the error.
    HandleLock source(suites, optionsH);
    HandleLock flat(suites, flatH);
    void* from = nullptr;
    void* to = nullptr;
    if (!err) err = source.Lock(&from);
    if (!err) err = flat.Lock(&to);
    if (!err) std::memcpy(to, from, size);
    A_Err unlockFlat = flat.Unlock();
    A_Err unlockSource = source.Unlock();
    if (!err) err = unlockFlat ? unlockFlat : unlockSource;
    if (err) {
      if (flatH) memory->AEGP_FreeMemHandle(flatH);
      return err;
    }
    *flat_optionsPH = flatH;
    return A_Err_NONE;
  });
}

A_Err My_DisposeOutputOptions(AEIO_BasicData* basic_dataP, void* optionsPV) {
  return CallFromHost([&]() -> A_Err {
    if (!optionsPV) return A_Err_NONE;
    PictureWriterRecordDisposed(static_cast<AEIO_Handle>(optionsPV));
    SuiteHandler suites(basic_dataP->pica_basicP);
    return suites.MemorySuite1()->AEGP_FreeMemHandle(static_cast<AEGP_MemHandle>(optionsPV));
  });
}
