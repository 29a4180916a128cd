// The callbacks that set up an output before any render: creating or taking
// over the options record, the frame-rate and size checks, following changes
// of the composition, the summary text, and the options dialogs.
#include <cstdio>
#include <cstring>
#include <string>

#include "plugin/callbacks.h"
#include "plugin/debug_log.h"
#include "plugin/frame_rates.h"
#include "plugin/frame_sizes.h"
#include "plugin/handle_lock.h"
#include "plugin/host_boundary.h"
#include "plugin/locked_options.h"
#include "plugin/module_errors.h"
#include "plugin/module_globals.h"
#include "plugin/output_options.h"
#include "plugin/picture_writer_owner.h"
#include "plugin/product.h"
#include "plugin/stored_settings.h"
#include "plugin/suite_handler.h"
#include "ui/options_dialog.h"

namespace {

void ShowMessage(AEIO_BasicData* basic_dataP, const char* text) {
  if (basic_dataP->msg_func) basic_dataP->msg_func(A_Err_NONE, text);
}

// Keeps the whole frames per second in the record; `supported` tells whether
// the host's rate is a supported one exactly (a fraction is not).
A_Err ReadFrameRate(SuiteHandler& suites, AEIO_OutSpecH outH, OutputOptions* options, bool* supported = nullptr) {
  A_Fixed fps = 0;
  A_Err err = suites.IOOutSuite7()->AEGP_GetOutSpecFPS(outH, &fps);
  if (!err) options->frameRate = WholeFrameRate(fps);
  if (!err && supported) *supported = IsSupportedHostFrameRate(fps);
  return err;
}

A_Err ReadFrameSize(SuiteHandler& suites, AEIO_OutSpecH outH, A_u_long* width, A_u_long* height) {
  A_long w = 0, h = 0;
  A_Err err = suites.IOOutSuite7()->AEGP_GetOutSpecDimensions(outH, &w, &h);
  if (!err) {
    *width = A_u_long(w);
    *height = A_u_long(h);
  }
  return err;
}

// A new handle that is freed unless it was handed to the host.
class NewHandle {
 public:
  explicit NewHandle(SuiteHandler& suites) : suites_(suites) {}
  ~NewHandle() {
    if (handle) suites_.MemorySuite1()->AEGP_FreeMemHandle(handle);
  }
  AEGP_MemHandle Release() {
    AEGP_MemHandle h = handle;
    handle = nullptr;
    return h;
  }
  AEGP_MemHandle handle = nullptr;

 private:
  SuiteHandler& suites_;
};

// The checks of a taken-over record against the composition, in their order.
// The stereoscopic rule is checked on the size being set up, read again here,
// not on what the record held; the record takes the new size only when every
// check has passed. `rateSupported`: the host's rate is a supported one exactly.
A_Err CheckTakenOverRecord(AEIO_BasicData* basic_dataP, SuiteHandler& suites, AEIO_OutSpecH outH,
                           OutputOptions* options, bool rateSupported, A_Err err) {
  A_u_long width = options->width, height = options->height;
  if (!err) err = ReadFrameSize(suites, outH, &width, &height);
  if (!IsStereoscopicRateAllowed(A_long(width), A_long(height), options->frameRate)) {
    ShowMessage(basic_dataP, kStereoscopicRateMessage);
    err = kErrUnsupportedOutput;
  }
  if (!rateSupported || !IsSupportedFrameRate(options->frameRate)) {
    A_char report[256];
    suites.ANSISuite1()->sprintf(report, kUnsupportedFrameRateReport, int(options->frameRate));
    if (!err) err = suites.UtilitySuite7()->AEGP_ReportInfo(basic_dataP->aegp_plug_id, report);
    err = kErrUnsupportedOutput;
  } else if (options->packing == 0 && options->frameRate != 24) {
    ShowMessage(basic_dataP,
                "You have selected InterOp packing style and it only supports 24 fps.\n"
                "Please note that packing style is changed to SMPTE to support your framerate.");
    options->packing = 1;
  }
  if (!err) {
    options->width = width;
    options->height = height;
    if (!IsSupportedFrameSize(A_long(options->width), A_long(options->height))) {
      ReportUnsupportedSize(basic_dataP);
      err = kErrUnsupportedOutput;
    }
    if (!err) {
      options->stereoscopic = IsStereoscopicFrameSize(A_long(options->width), A_long(options->height));
    }
  }
  return err;
}

}  // namespace

A_Err My_InitOutputSpec(AEIO_BasicData* basic_dataP, AEIO_OutSpecH outH, A_Boolean*) {
  return CallFromHost([&]() -> A_Err {
    SuiteHandler suites(basic_dataP->pica_basicP);
    LogBoth("My_InitOutputSpec\n");

    const AEGP_MemorySuite1* memory = suites.MemorySuite1();
    NewHandle created(suites);
    A_Err err = memory->AEGP_NewMemHandle(g_aegpPluginId, "Output Options", sizeof(OutputOptions), AEGP_MemFlag_CLEAR,
                                          &created.handle);
    AEGP_MemSize newSize = 0;
    if (!err) err = memory->AEGP_GetMemHandleSize(created.handle, &newSize);
    HandleLock newLock(suites, created.handle);
    OutputOptions* options = nullptr;
    if (!err) err = newLock.Lock(&options);
    if (err) return err;

    AEIO_Handle oldH = nullptr;
    if (suites.IOOutSuite7()->AEGP_GetOutSpecOptionsHandle(outH, &oldH)) oldH = nullptr;
    HandleLock oldLock(suites, oldH);

    if (!oldH) {
      err = InitDefaultOutputOptions(basic_dataP, outH, options);
    } else {
      // Take the stored record over: grow a smaller one first, so that the
      // whole record can be copied from it.
      AEGP_MemSize oldSize = 0;
      err = memory->AEGP_GetMemHandleSize(oldH, &oldSize);
      if (!err && oldSize < newSize) err = memory->AEGP_ResizeMemHandle("Old Handle Resize", newSize, oldH);
      void* stored = nullptr;
      if (!err) err = oldLock.Lock(&stored);
      if (!err) {
        std::memcpy(options, stored, sizeof(OutputOptions));
        if (options->version != kOutputOptionsVersion) {
          err = InitDefaultOutputOptions(basic_dataP, outH, options);
        }
        // The stored bytes may hold anything: no text runs past its field or
        // carries what a document cannot, and no setting is used that no
        // dialog could have chosen.
        CleanStoredTexts(*options);
        const std::string fault = StoredSettingsFault(*options);
        if (!fault.empty()) {
          ShowMessage(basic_dataP, fault.c_str());
          if (!err) err = kErrUnsupportedOutput;
        }
      }
      if (!g_setupLogged) {
        g_setupLogged = true;
        std::fputs("My_InitOutputSpec ------- bInitialized\n", stderr);
        LogMessage("My_InitOutputSpec  ------- bInitialized\n");
      }
      suites.UtilitySuite11()->AEGP_GetHostVersion(&options->hostVersionMajor, &options->hostVersionMinor);
      if (!err) {
        AEGP_ProjectH project = nullptr;
        err = suites.ProjSuite8()->AEGP_GetProjectByIndex(0, &project);
        if (project && !err) {
          err = suites.ProjSuite8()->AEGP_GetProjectBitDepth(project, &options->projectBitDepth);
        }
      }
      if (!err) err = suites.IOOutSuite7()->AEGP_GetOutSpecDepth(outH, &options->outputDepth);
      bool rateSupported = IsSupportedFrameRate(options->frameRate);
      if (!err) err = ReadFrameRate(suites, outH, options, &rateSupported);
      err = CheckTakenOverRecord(basic_dataP, suites, outH, options, rateSupported, err);
    }

    // The new record becomes the output's whatever the result; the one it
    // replaces is freed.
    oldLock.Unlock();
    newLock.Unlock();
    AEIO_Handle replaced = nullptr;
    A_Err setErr = suites.IOOutSuite7()->AEGP_SetOutSpecOptionsHandle(outH, created.handle, &replaced);
    if (setErr) return err ? err : setErr;
    PictureWriterRecordReplaced(replaced, created.Release());
    if (replaced) memory->AEGP_FreeMemHandle(replaced);
    return err;
  });
}

A_Err My_OutputInfoChanged(AEIO_BasicData* basic_dataP, AEIO_OutSpecH outH) {
  return CallFromHost([&]() -> A_Err {
    SuiteHandler suites(basic_dataP->pica_basicP);
    LockedOptions locked(suites, outH);
    A_Err err = locked.err;
    if (OutputOptions* options = locked.options; options && !err) {
      err = ReadFrameSize(suites, outH, &options->width, &options->height);
      options->stereoscopic = IsStereoscopicFrameSize(A_long(options->width), A_long(options->height)) ? 1 : 0;
      if (!err) err = ReadFrameRate(suites, outH, options);
    }
    A_Err unlockErr = locked.lock.Unlock();
    return err ? err : unlockErr;
  });
}

A_Err My_GetOutputInfo(AEIO_BasicData* basic_dataP, AEIO_OutSpecH outH, AEIO_Verbiage* verbiageP) {
  return CallFromHost([&]() -> A_Err {
    SuiteHandler suites(basic_dataP->pica_basicP);
    LockedOptions locked(suites, outH);
    A_Err err = locked.err;
    suites.ANSISuite1()->strcpy(verbiageP->name, kProductName);
    suites.ANSISuite1()->strcpy(verbiageP->type, "(Lumavox) DCP Package");
    if (const OutputOptions* options = locked.options; options && !err) {
      std::string text = options->packing ? "DCI compliant JPEG 2000\nPacking: SMPTE\n"
                                          : "DCI compliant JPEG 2000\nPacking: Interop\n";
      text += options->xyzConversion ? "X'Y'Z' processing: enabled\n" : "X'Y'Z' processing: disabled\n";
      if (options->stereoscopic == 1) text += "Stereoscopic\n";
      text += options->audioSource ? "Audio src: Timeline\n" : "Audio Src: External Files\n";
      std::snprintf(verbiageP->sub_type, sizeof verbiageP->sub_type, "%s", text.c_str());
    }
    A_Err unlockErr = locked.lock.Unlock();
    return err ? err : unlockErr;
  });
}

namespace {

// Keeps the basic data in the record for the options dialog and opens the
// dialog on the locked record.
A_Err OpenOptionsOnRecord(AEIO_BasicData* basic_dataP, SuiteHandler& suites, AEIO_OutSpecH outH,
                          A_Boolean* user_interactedP) {
  LockedOptions locked(suites, outH);
  A_Err err = locked.err;
  if (locked.options) {
    locked.options->basicData = basic_dataP;
    if (!err) err = OpenOptionsDialog(basic_dataP, locked.options, user_interactedP);
  }
  A_Err unlockErr = locked.lock.Unlock();
  return err ? err : unlockErr;
}

}  // namespace

A_Err My_UserOptionsDialog(AEIO_BasicData* basic_dataP, AEIO_OutSpecH outH, const PF_EffectWorld*,
                           A_Boolean* user_interactedP) {
  return CallFromHost([&]() -> A_Err {
    SuiteHandler suites(basic_dataP->pica_basicP);
    AEGP_ItemH item = nullptr;
    suites.ItemSuite11()->AEGP_GetActiveItem(&item);
    if (item) {
      AEGP_CompH comp = nullptr;
      suites.CompSuite15()->AEGP_GetCompFromItem(item, &comp);
      if (comp) {
        A_char name[AEGP_MAX_ITEM_NAME_SIZE] = {};
        if (!suites.ItemSuite10()->AEGP_GetItemName(item, name)) {
          name[sizeof name - 1] = '\0';
          std::fprintf(stderr, "Comp Name is: %s\n", name);
        }
      }
    }
    return OpenOptionsOnRecord(basic_dataP, suites, outH, user_interactedP);
  });
}

A_Err My_UserAudioOptionsDialog(AEIO_BasicData* basic_dataP, AEIO_OutSpecH outH, A_Boolean* user_interactedP) {
  return CallFromHost([&]() -> A_Err {
    SuiteHandler suites(basic_dataP->pica_basicP);
    return OpenOptionsOnRecord(basic_dataP, suites, outH, user_interactedP);
  });
}
