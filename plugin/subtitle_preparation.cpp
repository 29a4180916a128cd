#include "plugin/subtitle_preparation.h"

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "package/file_copy.h"
#include "package/subtitle_images.h"
#include "package/subtitle_names.h"
#include "package/subtitle_track_file.h"
#include "platform/win/directory.h"
#include "plugin/module_errors.h"
#include "plugin/output_options.h"
#include "plugin/render_report.h"

namespace {

constexpr char kFolderReport[] = "Sorry cannot remove this %s directory, you need to manually remove it.";

// A copy of `source` to `destination` that failed, with the system's reason.
std::string CopyFault(const std::string& source, const std::string& destination) {
  char reason[256];
  return "The subtitle file " + source + " could not be copied to " + destination + ": " +
         strerror_r(errno, reason, sizeof reason);
}

// The subtitle document, its font and its images into the subtitle folder.
A_Err CopySubtitleFiles(AEIO_BasicData* basic, SuiteHandler& suites, const OutputOptions& options,
                        const std::string& folder, const std::string& uuid, std::string* fault) {
  const std::string subtitlePath = FieldText(options.subtitlePath, sizeof options.subtitlePath);
  const std::string target = folder + "/" + uuid + "/";
  const std::string document = target + uuid + ".xml";
  if (CopyFileTo(subtitlePath.c_str(), document.c_str()) != 0) {
    *fault = CopyFault(subtitlePath, document);
    return kSubtitleCopyFailed;
  }
  // The images are those of the copy, which the package documents list.
  std::vector<std::string> images;
  if (!ReadInteropImageNames(document, &images)) {
    *fault = "The copy " + document + " of the subtitle file could not be read back.";
    return kSubtitleCopyFailed;
  }
  if (!options.subtitleHasFont && images.empty()) return A_Err_NONE;

  const std::string sourceFolder = FolderOfPath(subtitlePath);
  if (sourceFolder.empty()) {
    ReportFormatted(basic, suites, "Last path element could not be removed: %s.", subtitlePath.c_str());
    return kErrStartCheck;
  }
  std::vector<std::string> names = images;
  if (options.subtitleHasFont) names.insert(names.begin(), FieldText(options.fontFile, sizeof options.fontFile));
  for (const std::string& name : names) {
    if (!IsPlainFileName(name) || name == uuid + ".xml") {
      *fault = "The subtitle file names a file that cannot be copied into its folder: " + name;
      return kSubtitleCopyFailed;
    }
    if (CopyFileTo((sourceFolder + name).c_str(), (target + name).c_str()) != 0) {
      *fault = CopyFault(sourceFolder + name, target + name);
      return kSubtitleCopyFailed;
    }
  }
  return A_Err_NONE;
}

}  // namespace

A_Err PrepareSubtitles(AEIO_BasicData* basic, SuiteHandler& suites, OutputOptions& options, std::string* fault) {
  const bool trackFile = options.packing != 0 && options.subtitleSmpte;
  const std::string folder = FieldText(options.folderPath, sizeof options.folderPath);
  const std::string uuid = FieldText(options.subtitleUuid, sizeof options.subtitleUuid);
  // The id names a folder and a file of the package: nothing but a UUID text.
  if (!trackFile && !IsUuidText(uuid)) {
    *fault = "The subtitle's id is not a UUID: " + uuid;
    return kSubtitleCopyFailed;
  }

  if (!options.subtitleSmpte) {
    const std::string subfolder = folder + "/" + uuid;
    if (!CreateDirectoryA(subfolder.c_str(), nullptr)) {
      ReportFormatted(basic, suites, kFolderReport, subfolder.c_str());
      return kErrStartCheck;
    }
  }
  if (trackFile) {
    std::string cause;
    if (KM_FAILURE(write_mxf_subtitle(&options, &cause))) {
      ShowMessage(basic, ("Could not create subtitle file: " + cause + ".").c_str());
      return kErrStartCheck;
    }
    return A_Err_NONE;
  }
  // A SMPTE document in Interop packing has no subtitle folder: its copy
  // fails.
  return CopySubtitleFiles(basic, suites, options, folder, uuid, fault);
}
