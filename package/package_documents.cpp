#include "package/package_documents.h"

#include <cstdio>
#include <filesystem>
#include <string>

#include "package/asset_map.h"
#include "package/composition_playlist.h"
#include "package/document_common.h"
#include "package/packing_list.h"
#include "package/progress_dialog.h"
#include "platform/asdcp/KM_file_reader.h"
#include "platform/asdcp/KM_file_writer.h"
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

// Tells the user which document could not be written.
void ReportUnwritten(const AEIO_BasicData* basicData, const std::string& path) {
  char text[768];
  std::snprintf(text, sizeof text, "Cannot write file: %s", path.c_str());
  std::fprintf(stderr, "%s\n", text);
  LogMessage((std::string(text) + "\n").c_str());
  if (basicData != nullptr && basicData->msg_func != nullptr) basicData->msg_func(0, text);
}

// A document step failed (a full disk, say): the documents already written
// and the one that failed half way go, so that nothing looks like a finished
// package. Only files are removed.
void RemoveDocuments(const DcpCompositionInfo& info) {
  for (const std::string& path : {CplPath(info), PklPath(info), AssetMapPath(info), VolumeIndexPath(info)}) {
    std::error_code ec;
    if (std::filesystem::symlink_status(path, ec).type() == std::filesystem::file_type::regular)
      std::filesystem::remove(path, ec);
  }
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

  Kumu::Result_t result = MeasureTrackFile(info->picturePath, &info->pictureSize, info->pictureSizeText,
                                           sizeof info->pictureSizeText);
  if (result.Success()) {
    result = MeasureTrackFile(info->soundPath, &info->soundSize, info->soundSizeText, sizeof info->soundSizeText);
  }
  info->soundHash[0] = '\0';
  info->pictureHash[0] = '\0';
  if (result.Failure()) return result;

  if (RunHashProgressDialog(basicData, info) != 0) return result;  // cancelled or not shown: no document
  // A digest that failed has been reported by its message box; a package
  // without it would be refused, so no document is written.
  if (info->pictureHash[0] == '\0' || info->soundHash[0] == '\0') return Kumu::RESULT_FAIL;

  result = WriteCPL(info);
  std::string failed = CplPath(*info);
  if (result.Success()) {
    result = WritePKL(info);
    failed = PklPath(*info);
  }
  if (result.Success()) {
    result = WriteAssetMap(info);
    failed = AssetMapPath(*info);
  }
  if (result.Success()) {
    result = WriteVolIndex(info);
    failed = VolumeIndexPath(*info);
  }
  if (result.Failure()) {
    ReportUnwritten(basicData, failed);
    RemoveDocuments(*info);
  }
  return result;
}

Kumu::Result_t CreateDcpXml(const AEIO_BasicData* basicData, DcpCompositionInfo* info) {
  return WriteDcpXml(basicData, info);
}
