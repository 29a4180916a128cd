// The picture track file of the running render, written through the static
// two-dimensional or stereoscopic picture writer. Only one picture track file
// is open at a time in the process.
#pragma once

#include <string>

#include "platform/asdcp/KM_error.h"

namespace ASDCP {
struct WriterInfo;
namespace JP2K {
struct PictureDescriptor;
class FrameBuffer;
}  // namespace JP2K
}  // namespace ASDCP

// Opens the file on the stereoscopic writer or the two-dimensional one.
Kumu::Result_t OpenPictureTrackFile(bool stereoscopic, const char* path, const ASDCP::WriterInfo& info,
                                    const ASDCP::JP2K::PictureDescriptor& descriptor);

// Writes one two-dimensional frame.
Kumu::Result_t WritePictureFrame(const ASDCP::JP2K::FrameBuffer& frame);

// Writes one stereoscopic frame: the left eye, then, when that succeeded, the
// right eye.
Kumu::Result_t WriteStereoscopicFrame(const ASDCP::JP2K::FrameBuffer& left, const ASDCP::JP2K::FrameBuffer& right);

// Finalises the open file; the writer is free for the next file whatever the
// result. A failure when no file is open.
Kumu::Result_t FinalizePictureTrackFile();

// True from a successful open to the finalisation.
bool PictureTrackFileIsOpen();

// The path of the open file; empty when none is open.
std::string OpenPictureTrackFilePath();

// Closes a file that a render which never reached its end left open, so that
// the writer can take the next render's file. Nothing when none is open.
void ClosePictureTrackFileLeftOpen();
