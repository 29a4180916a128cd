#include "plugin/render_start.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "package/pcm_track_file.h"
#include "package/subtitle_check.h"
#include "package/subtitle_fit.h"
#include "package/subtitle_names.h"
#include "platform/aesdk/aegp_suites.h"
#include "plugin/callbacks.h"
#include "plugin/debug_log.h"
#include "plugin/encoding_slots.h"
#include "plugin/host_boundary.h"
#include "plugin/locked_options.h"
#include "plugin/module_errors.h"
#include "plugin/output_file_path.h"
#include "plugin/output_options.h"
#include "plugin/package_folder.h"
#include "plugin/package_folder_lock.h"
#include "plugin/picture_set_up.h"
#include "plugin/picture_writer_owner.h"
#include "plugin/render_report.h"
#include "plugin/render_start_checks.h"
#include "plugin/sound_capture.h"
#include "plugin/subtitle_preparation.h"
#include "plugin/suite_handler.h"

namespace {

constexpr char kRemoveFolderReport[] = "Sorry cannot remove this %s directory, you need to manually remove it.";

// The files that the render reads from the user and that lie in the package
// folder, which the render start replaces with everything in it: the first
// of them, named with what it is, or empty.
std::string InputInPackageFolder(const OutputOptions& options) {
  std::vector<std::pair<std::string, std::string>> inputs;
  if (options.subtitleOn) {
    const std::string subtitle = FieldText(options.subtitlePath, sizeof options.subtitlePath);
    inputs.emplace_back("subtitle file", subtitle);
    const std::string folder = FolderOfPath(subtitle);
    if (options.subtitleHasFont && !folder.empty())
      inputs.emplace_back("subtitle font", folder + FieldText(options.fontFile, sizeof options.fontFile));
  }
  if (options.audioSource == 0) {
    for (int k = 0; k < ExternalChannelCount(options); ++k)
      inputs.emplace_back("external audio file", FieldText(options.channelFiles[k], sizeof options.channelFiles[k]));
  }
  for (const auto& [what, path] : inputs) {
    if (LiesInFolder(path, options.folderPath))
      return "The " + what + " " + path + " lies in the package folder " + options.folderPath +
             ", which the render replaces: it would be deleted with the folder.\n Please move it out of the folder "
             "and choose it again in the option dialog.\n";
  }
  return std::string();
}

A_Err GetCompName(SuiteHandler& suites, AEGP_CompH comp, char* destination) {
  AEGP_ItemH item = nullptr;
  A_Err err = suites.CompSuite15()->AEGP_GetItemFromComp(comp, &item);
  if (!err) err = suites.ItemSuite10()->AEGP_GetItemName(item, destination);
  return err;
}

// The host calls of the start, chained on one error: each runs only while the
// error is 0. `durationFits` tells whether the duration has a frame count.
A_Err ReadAndSetOutput(SuiteHandler& suites, AEIO_OutSpecH outH, OutputOptions& options, bool* durationFits) {
  A_Err err = A_Err_NONE;
  AEGP_ProjectH project = nullptr;
  err = suites.ProjSuite8()->AEGP_GetProjectByIndex(0, &project);
  if (!err && project != nullptr) err = suites.ProjSuite8()->AEGP_GetProjectBitDepth(project, &options.projectBitDepth);

  A_Time duration = {0, 1};
  if (!err) err = suites.IOOutSuite7()->AEGP_GetOutSpecDuration(outH, &duration);
  double frames = 0;
  *durationFits = DurationInFrames(duration, options.frameRate, &frames);
  options.durationFrames = frames;
  options.framesRemaining = *durationFits ? static_cast<A_u_long>(frames) : 0;

  A_long threads = 0;
  if (!err) err = suites.IterateSuite1()->AEGP_GetNumThreads(&threads);
  options.bufferCount = EncodingSlotCount(threads, options.stereoscopic != 0);
  options.reserved8708 = 0;
  options.buffersFilled = 0;
  options.framesWritten = 0;

  AEGP_RQItemRefH rqItem = nullptr;
  AEGP_OutputModuleRefH outputModule = nullptr;
  AEGP_CompH comp = nullptr;
  if (!err) err = suites.IOOutSuite7()->AEGP_GetOutSpecOutputModule(outH, &rqItem, &outputModule);
  if (!err) err = suites.RQItemSuite3()->AEGP_GetCompFromRQItem(rqItem, &comp);
  if (!err) err = GetCompName(suites, comp, options.compName);
  std::printf("Compname: %s\n\n", options.compName);

  constexpr AEGP_OutputTypes kVideoAndAudio = AEGP_OutputType_VIDEO | AEGP_OutputType_AUDIO;
  AEGP_OutputTypes outputs = AEGP_OutputType_NONE;
  if (!err) err = suites.OutputModuleSuite4()->AEGP_GetEnabledOutputs(rqItem, outputModule, &outputs);
  if (!err && outputs != kVideoAndAudio) {
    err = suites.OutputModuleSuite4()->AEGP_SetEnabledOutputs(rqItem, outputModule, kVideoAndAudio);
  }

  if (!err) err = suites.IOOutSuite7()->AEGP_SetOutSpecSoundRate(outH, 48000.0);
  if (!err) err = suites.IOOutSuite7()->AEGP_SetOutSpecSoundEncoding(outH, AEIO_E_SIGNED_PCM);
  if (!err) err = suites.IOOutSuite7()->AEGP_SetOutSpecSoundSampleSize(outH, 2);
  if (!err) err = suites.IOOutSuite7()->AEGP_SetOutSpecSoundChannels(outH, 2);
  const AEIO_AlphaLabel alpha = {0, AEIO_AlphaLabelFlag_PREMUL, 0, 0, 0, AEIO_AlphaType_STRAIGHT};
  if (!err) err = suites.IOOutSuite7()->AEGP_SetOutSpecAlphaLabel(outH, &alpha);
  return err;
}

// The package folder from the output path, locked against another
// process's render into it; nothing is touched yet. 9993 with a message
// naming the path when it is too long for the record or names no folder of
// its own, or when another render holds the folder.
A_Err LockPackageFolderOfOutput(AEIO_BasicData* basic, SuiteHandler& suites, AEIO_OutSpecH outH,
                                OutputOptions& options) {
  char outputPath[kOutputPathSize];
  bool converted = false;
  std::string tooLong;
  const A_Err err = GetOutputFilePath(suites, outH, outputPath, &converted, &tooLong);
  if (err) return err;
  if (!tooLong.empty()) {
    // The whole path in a message: a report would cut it.
    ShowMessage(basic, ("The output path is too long (" + std::to_string(tooLong.size()) + " bytes; at most " +
                        std::to_string(kOutputPathSize - 1) + " are supported): " + tooLong)
                           .c_str());
    return kErrStartCheck;
  }
  if (!converted) {
    ShowMessage(basic, "The output path cannot be read: it is not valid Unicode text.");
    return kErrStartCheck;
  }
  if (!PackageFolderFromOutputPath(outputPath, options.folderPath, sizeof options.folderPath)) {
    // The folder is the output path without ".DCP", and must have a name of its own.
    ShowMessage(basic, (std::string("The output path names no package folder: \"") + outputPath +
                        "\". It must end in a folder name followed by .DCP, such as MyFilm.DCP.")
                           .c_str());
    return kErrStartCheck;
  }
  // The playlist's path ("<folder>/cpl_<uuid>.xml") is kept in a field of the
  // same size as the output path: a longer folder would fail only at the end.
  constexpr size_t kLongestNameInFolder = 1 + 4 + 36 + 4;
  const size_t folderBytes = std::strlen(options.folderPath);
  if (folderBytes + kLongestNameInFolder > kOutputPathSize - 1) {
    ShowMessage(basic, ("The package folder's path is too long (" + std::to_string(folderBytes) + " bytes; at most " +
                        std::to_string(kOutputPathSize - 1 - kLongestNameInFolder) +
                        " are supported, so that the paths of the files in it stay within " +
                        std::to_string(kOutputPathSize - 1) + "): " + options.folderPath)
                           .c_str());
    options.folderPath[0] = '\0';
    return kErrStartCheck;
  }
  // Before anything in the folder is touched: another process's render that
  // writes into it keeps it.
  return LockPackageFolder(basic, options.folderPath);
}

// The locked package folder, created empty. 9993 with a message when a file
// the render reads lies in it, when it cannot be created (with the system's
// reason), and with the report when the folder that is there cannot be
// removed.
A_Err PreparePackageFolder(AEIO_BasicData* basic, SuiteHandler& suites, OutputOptions& options) {
  std::printf("FOLDERPATH: %s\n\n", options.folderPath);
  const std::string inside = InputInPackageFolder(options);
  if (!inside.empty()) {
    ShowMessage(basic, inside.c_str());
    return kErrStartCheck;
  }
  std::string foreign;
  int creationError = 0;
  if (!CreatePackageFolder(options.folderPath, &foreign, &creationError)) {
    if (creationError != 0) {
      char reason[256];
      ShowMessage(basic, (std::string("Cannot create the folder ") + options.folderPath + ": " +
                          strerror_r(creationError, reason, sizeof reason))
                             .c_str());
      return kErrStartCheck;
    }
    if (!foreign.empty()) {
      const std::string line = "My_StartAdding - " + std::string(options.folderPath) + " is kept: it holds " + foreign +
                               ", which no render wrote\n";
      LogBoth(line.c_str());
    }
    ReportFormatted(basic, suites, kRemoveFolderReport, options.folderPath);
    return kErrStartCheck;
  }
  return A_Err_NONE;
}

A_Err StartAdding(AEIO_BasicData* basic, AEIO_OutSpecH outH) {
  SuiteHandler suites(basic->pica_basicP);
  std::fputs("My_StartAdding\n", stderr);
  LogMessage("My_StartAdding\n");

  LockedOptions locked(suites, outH);
  A_Err err = locked.err;
  if (err) return err;
  if (locked.options == nullptr) return A_Err_STRUCT;
  OutputOptions& options = *locked.options;

  // Another output's render that writes its picture track file keeps it.
  if (const A_Err refused = TakePictureWriter(basic, locked.handle)) return refused;
  // A render that never reached its end may have left its file open, and its
  // slot pointers in the record mean nothing now.
  ReleaseRenderLeftOpen(basic, suites, options);
  // A start that fails, however it fails, lets go of the package folder it
  // locked; one that succeeds holds it until the render's end.
  PackageFolderRelease folderRelease;

  if (CheckExternalAudioFiles(options) == -1) {
    ShowMessage(basic, MissingExternalAudioMessage(options).c_str());
    return kErrStartCheck;
  }
  // A channel file that the check of a chosen one refuses, or an in-point
  // beyond the external files (a track of silence): refused before anything
  // is written.
  char soundMessage[kExternalSoundMessageSize] = {};
  if (CheckExternalSound(options, soundMessage, sizeof soundMessage) == -1) {
    ShowMessage(basic, soundMessage);
    return kErrStartCheck;
  }
  if (options.subtitleOn && SubtitleFileExists(options) == -1) {
    ShowMessage(basic, MissingSubtitleFileMessage(options).c_str());
    return kErrStartCheck;
  }

  bool durationFits = true;
  err = ReadAndSetOutput(suites, outH, options, &durationFits);

  if (const A_Err refused = CheckRenderSettings(basic, suites, outH, options, err)) return refused;
  if (!err && !durationFits) {
    ShowMessage(basic, "The duration of the composition is too long to render.");
    return kErrStartCheck;
  }
  if (!err) {
    const std::string soundFault = TemporarySoundFault(options);
    if (!soundFault.empty()) {
      ShowMessage(basic, soundFault.c_str());
      return kErrStartCheck;
    }
  }

  // The subtitle file is inspected again, typed or chosen: one that does not
  // suit these settings (packing, frame rate, a longer composition), or
  // exported again with a new id since, is refused before the folder is
  // touched; the record takes what the inspection found.
  if (!err && options.subtitleOn) {
    std::string subtitleFault;
    if (CheckSubtitleFitsRender(options, &subtitleFault) == 0) {
      ShowMessage(basic, (subtitleFault + "\n Please check your subtitle file in the option dialog.\n").c_str());
      return kErrStartCheck;
    }
  }

  // The folder is held before the encoding's memory is taken, so that a
  // start refused for another process's render takes none.
  if (!err) {
    err = LockPackageFolderOfOutput(basic, suites, outH, options);
    if (err == kErrStartCheck) return err;
  }
  // The memory of the encoding is had before the package folder is touched:
  // a start that cannot have it leaves an earlier package as it was.
  StartedEncoding encoding(basic, suites, options);
  if (!err) {
    err = SetUpEncoding(basic, suites, outH, options);
    if (err) return err;
  }
  if (!err) err = PreparePackageFolder(basic, suites, options);
  std::string subtitleFault;
  if (!err && options.subtitleOn) err = PrepareSubtitles(basic, suites, options, &subtitleFault);
  if (err == kErrStartCheck) return err;
  if (err) {
    ShowMessage(basic, ("General error: 1:100" + (subtitleFault.empty() ? "" : "\n " + subtitleFault)).c_str());
    return err;
  }
  err = OpenPictureFile(basic, options);
  if (!err) {
    encoding.Keep();
    folderRelease.Keep();
  }
  return err;
}

}  // namespace

bool DurationInFrames(const A_Time& duration, uint32_t frameRate, double* frames) {
  if (duration.scale == 0) {
    *frames = 0;
    return true;
  }
  const uint64_t count = uint64_t{static_cast<uint32_t>(duration.value)} * frameRate / duration.scale;
  *frames = static_cast<double>(count);
  return count <= UINT32_MAX;
}

int CheckExternalAudioFiles(const OutputOptions& options) {
  if (options.audioSource != 0) return 0;
  for (int k = 0; k < ExternalChannelCount(options); ++k) {
    if (!CanOpenForReading(options.channelFiles[k])) return -1;
  }
  return 0;
}

int SubtitleFileExists(const OutputOptions& options) { return CanOpenForReading(options.subtitlePath) ? 0 : -1; }

A_Err My_StartAdding(AEIO_BasicData* basic_dataP, AEIO_OutSpecH outH, A_long /*flags*/) {
  return CallFromHost([&] {
    try {
      return StartAdding(basic_dataP, outH);
    } catch (const std::bad_alloc&) {
      // Whatever the start had is undone on the way out.
      ShowMessage(basic_dataP, "Not enough memory to start the render.\n Please free some memory and try again.");
      return A_Err{A_Err_ALLOC};
    }
  });
}
