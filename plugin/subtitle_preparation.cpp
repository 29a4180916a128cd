#include "plugin/subtitle_preparation.h"

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

// The subtitle document, its font and its images into the subtitle folder.
A_Err CopySubtitleFiles(AEIO_BasicData* basic, SuiteHandler& suites, const OutputOptions& options,
                        const std::string& folder, const std::string& uuid) {
  const std::string subtitlePath = FieldText(options.subtitlePath, sizeof options.subtitlePath);
  const std::string target = folder + "/" + uuid + "/";
  const std::string document = target + uuid + ".xml";
  if (CopyFileTo(subtitlePath.c_str(), document.c_str()) != 0) return kSubtitleCopyFailed;
  // The images are those of the copy, which the package documents list.
  std::vector<std::string> images;
  if (!ReadInteropImageNames(document, &images)) return kSubtitleCopyFailed;
  if (!options.subtitleHasFont && images.empty()) return A_Err_NONE;

  const std::string sourceFolder = FolderOfPath(subtitlePath);
  if (sourceFolder.empty()) {
    ReportFormatted(basic, suites, "Last path element could not be removed: %s.", subtitlePath.c_str());
    return kErrStartCheck;
  }
  if (options.subtitleHasFont) {
    const std::string font = FieldText(options.fontFile, sizeof options.fontFile);
    if (!IsPlainFileName(font)) return kSubtitleCopyFailed;
    if (CopyFileTo((sourceFolder + font).c_str(), (target + font).c_str()) != 0) return kSubtitleCopyFailed;
  }
  for (const std::string& image : images) {
    if (!IsPlainFileName(image) || image == uuid + ".xml") return kSubtitleCopyFailed;
    if (CopyFileTo((sourceFolder + image).c_str(), (target + image).c_str()) != 0) return kSubtitleCopyFailed;
  }
  return A_Err_NONE;
}

}  // namespace

A_Err PrepareSubtitles(AEIO_BasicData* basic, SuiteHandler& suites, OutputOptions& options) {
  const bool trackFile = options.packing != 0 && options.subtitleSmpte;
  const std::string folder = FieldText(options.folderPath, sizeof options.folderPath);
  const std::string uuid = FieldText(options.subtitleUuid, sizeof options.subtitleUuid);
  // The id names a folder and a file of the package: nothing but a UUID text.
  if (!trackFile && !IsUuidText(uuid)) return kSubtitleCopyFailed;

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
  return CopySubtitleFiles(basic, suites, options, folder, uuid);
}
