#include "package/package_documents.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "package/asset_map.h"
#include "package/composition_playlist.h"
#include "package/document_common.h"
#include "package/packing_list.h"
#include "package/progress_dialog.h"
#include "platform/asdcp/KM_file_reader.h"
#include "platform/asdcp/KM_file_writer.h"
#include "platform/win/window_messages.h"
#include "plugin/composition_info.h"
#include "plugin/debug_log.h"

namespace {

// Measures one track file: its size as a number and as text.
Kumu::Result_t MeasureTrackFile(const char* path, uint64_t* size, char* sizeText, size_t sizeTextLength) {
  Kumu::FileReader reader;
  Kumu::Result_t result = reader.OpenRead(path);
  if (result.Success()) {
    *size = static_cast<uint64_t>(reader.Size());
    std::snprintf(sizeText, sizeTextLength, "%llu", static_cast<unsigned long long>(*size));
    reader.Close();
  } else {
    std::fprintf(stderr, "Cannot open file: %s\n", path);
  }
  return result;
}

// The system's reason for a failure (errno), or `fallback` when it gave none.
std::string Reason(int error, const char* fallback) {
  if (error == 0) return fallback;
  char text[256];
  return strerror_r(error, text, sizeof text);
}

// Tells the user what of the package could not be made and why: on the
// standard error stream, in the debug log and through the host's message
// function.
void ReportFailure(const AEIO_BasicData* basicData, const std::string& text) {
  std::fprintf(stderr, "%s\n", text.c_str());
  LogMessage((text + "\n").c_str());
  if (basicData != nullptr && basicData->msg_func != nullptr) basicData->msg_func(0, text.c_str());
}

// A document step failed (a full disk, say): the documents this driver wrote
// go again, so that nothing looks like a finished package. Only regular files
// of the documents' names go.
void RemoveDocuments(const std::vector<std::string>& written) {
  for (const std::string& path : written) {
    std::error_code ec;
    if (std::filesystem::symlink_status(path, ec).type() == std::filesystem::file_type::regular)
      std::filesystem::remove(path, ec);
  }
}

bool Exists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::symlink_status(path, ec).type() != std::filesystem::file_type::not_found;
}

}  // namespace

Kumu::Result_t WriteXmlFile(const char* text, uint32_t length, const char* path) {
  Kumu::FileWriter writer;
  Kumu::Result_t result = writer.OpenWrite(path);
  if (result.Success()) result = writer.Write(reinterpret_cast<const Kumu::byte_t*>(text), length);
  if (writer.IsOpen()) {
    Kumu::Result_t closed = writer.Close();
    // Data that never reached the file is a failed write.
    if (result.Success() && closed.Failure()) result = closed;
  }
  return result;
}

Kumu::Result_t WriteDcpXml(const AEIO_BasicData* basicData, DcpCompositionInfo* info) {
  const std::string picturePath = std::string(info->folderPath) + "/" + info->pictureFileName;
  const std::string soundPath = std::string(info->folderPath) + "/" + info->soundFileName;
  // The record's widths keep both paths inside their fields.
  std::snprintf(info->picturePath, sizeof info->picturePath, "%s", picturePath.c_str());
  std::snprintf(info->soundPath, sizeof info->soundPath, "%s", soundPath.c_str());

  errno = 0;
  bool pictureMeasured = false;
  Kumu::Result_t result = MeasureTrackFile(info->picturePath, &info->pictureSize, info->pictureSizeText,
                                           sizeof info->pictureSizeText);
  if (result.Success()) {
    pictureMeasured = true;
    result = MeasureTrackFile(info->soundPath, &info->soundSize, info->soundSizeText, sizeof info->soundSizeText);
  }
  info->soundHash[0] = '\0';
  info->pictureHash[0] = '\0';
  if (result.Failure()) {
    const char* name = pictureMeasured ? info->soundFileName : info->pictureFileName;
    if (name[0] == '\0')
      ReportFailure(basicData,
                    pictureMeasured ? "The render made no sound track file" : "The render made no picture track file");
    else
      ReportFailure(basicData, std::string("Cannot open file: ") +
                                   (pictureMeasured ? info->soundPath : info->picturePath) + ": " +
                                   Reason(errno, "it is no file that can be read"));
    return result;
  }

  // Without the digests no document is written: the package is not finished.
  const int digests = RunHashProgressDialog(basicData, info);
  if (digests == IDCANCEL) return kDigestsCancelled;
  if (digests != 0) {
    ReportFailure(basicData, std::string("Cannot compute the digests of ") + info->picturePath + " and " +
                                 info->soundPath + ": the digest dialog or its worker could not be started");
    return Kumu::RESULT_FAIL;
  }
  // A digest that failed has been reported by its message box; a package
  // without it would be refused, so no document is written.
  if (info->pictureHash[0] == '\0' || info->soundHash[0] == '\0') {
    const char* path = info->pictureHash[0] == '\0' ? info->picturePath : info->soundPath;
    ReportFailure(basicData, std::string("Cannot compute the digest of ") + path + ": " +
                                 Reason(LastDigestError(), "the file could not be read"));
    return Kumu::RESULT_FAIL;
  }

  using Writer = Kumu::Result_t (*)(DcpCompositionInfo*);
  const struct {
    Writer write;
    std::string path;
  } steps[] = {{WriteCPL, CplPath(*info)},
               {WritePKL, PklPath(*info)},
               {WriteAssetMap, AssetMapPath(*info)},
               {WriteVolIndex, VolumeIndexPath(*info)}};
  std::vector<std::string> written;
  int undigestedError = 0;
  (void)TakeUndigestedFile(&undigestedError);  // nothing of an earlier render
  for (const auto& step : steps) {
    // A file of that name that was there before (put there by someone else
    // during the render) is not this driver's to remove.
    const bool existed = Exists(step.path);
    errno = 0;
    result = step.write(info);
    if (result.Failure()) {
      const int error = errno;
      if (!existed) written.push_back(step.path);  // what a failed write may have left half way
      const std::string undigested = TakeUndigestedFile(&undigestedError);
      if (!undigested.empty())
        ReportFailure(basicData, "Cannot compute the digest of " + undigested + ": " +
                                     Reason(undigestedError, "the file could not be read"));
      else
        ReportFailure(basicData,
                      "Cannot write file: " + step.path + ": " + Reason(error, "the file could not be written"));
      RemoveDocuments(written);
      return result;
    }
    written.push_back(step.path);
  }
  return result;
}

Kumu::Result_t CreateDcpXml(const AEIO_BasicData* basicData, DcpCompositionInfo* info) {
  return WriteDcpXml(basicData, info);
}
