#include "plugin/picture_track_file.h"

#include <string>

#include "platform/asdcp/JP2K_frame_buffer.h"
#include "plugin/picture_track_writers.h"

namespace {

enum class OpenWriter { kNone, kTwoDimensional, kStereoscopic };
OpenWriter g_open = OpenWriter::kNone;
std::string g_openPath;

}  // namespace

Kumu::Result_t OpenPictureTrackFile(bool stereoscopic, const char* path, const ASDCP::WriterInfo& info,
                                    const ASDCP::JP2K::PictureDescriptor& descriptor) {
  ClosePictureTrackFileLeftOpen();
  constexpr Kumu::ui32_t kHeaderSize = 16384;
  Kumu::Result_t result = stereoscopic ? g_stereoPictureWriter.OpenWrite(path, info, descriptor, kHeaderSize)
                                       : g_pictureWriter.OpenWrite(path, info, descriptor, kHeaderSize);
  if (KM_SUCCESS(result)) {
    g_open = stereoscopic ? OpenWriter::kStereoscopic : OpenWriter::kTwoDimensional;
    g_openPath = path;
  }
  return result;
}

Kumu::Result_t WritePictureFrame(const ASDCP::JP2K::FrameBuffer& frame) {
  if (g_open != OpenWriter::kTwoDimensional) return Kumu::RESULT_STATE;
  return g_pictureWriter.WriteFrame(frame, nullptr, nullptr);
}

Kumu::Result_t WriteStereoscopicFrame(const ASDCP::JP2K::FrameBuffer& left, const ASDCP::JP2K::FrameBuffer& right) {
  if (g_open != OpenWriter::kStereoscopic) return Kumu::RESULT_STATE;
  Kumu::Result_t result = g_stereoPictureWriter.WriteFrame(left, ASDCP::JP2K::SP_LEFT, nullptr, nullptr);
  if (KM_FAILURE(result)) return result;
  return g_stereoPictureWriter.WriteFrame(right, ASDCP::JP2K::SP_RIGHT, nullptr, nullptr);
}

Kumu::Result_t FinalizePictureTrackFile() {
  const OpenWriter open = g_open;
  g_open = OpenWriter::kNone;
  g_openPath.clear();
  switch (open) {
    case OpenWriter::kTwoDimensional: return g_pictureWriter.Finalize();
    case OpenWriter::kStereoscopic: return g_stereoPictureWriter.Finalize();
    case OpenWriter::kNone: break;
  }
  return Kumu::RESULT_STATE;
}

bool PictureTrackFileIsOpen() { return g_open != OpenWriter::kNone; }

std::string OpenPictureTrackFilePath() { return g_openPath; }

void ClosePictureTrackFileLeftOpen() {
  if (g_open != OpenWriter::kNone) FinalizePictureTrackFile();
}
