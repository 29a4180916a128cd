#include "plugin/picture_writer_owner.h"

#include <string>

#include "plugin/debug_log.h"
#include "plugin/module_errors.h"
#include "plugin/picture_track_file.h"
#include "plugin/render_report.h"

namespace {

// The record whose render start took the writer last; `g_ownerDisposed` once
// the host has disposed of it.
AEIO_Handle g_owner = nullptr;
bool g_ownerDisposed = false;

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(0, slash);
}

}  // namespace

A_Err TakePictureWriter(AEIO_BasicData* basic, AEIO_Handle record) {
  if (PictureTrackFileIsOpen() && record != g_owner && !g_ownerDisposed) {
    const std::string folder = FolderOf(OpenPictureTrackFilePath());
    LogBoth(("My_StartAdding - refused: the picture track file of " + folder + " is open\n").c_str());
    ShowMessage(basic,
                ("One DCP is rendered at a time: another output's render is still writing its package in " + folder +
                 ".\n This output is not rendered; please render it on its own once that render has ended.")
                    .c_str());
    return kErrStartCheck;
  }
  g_owner = record;
  g_ownerDisposed = false;
  return A_Err_NONE;
}

bool HoldsPictureWriter(AEIO_Handle record) {
  return PictureTrackFileIsOpen() && record == g_owner && !g_ownerDisposed;
}

A_Err RefuseUnlessRendering(AEIO_BasicData* basic, AEIO_Handle record, const char* what) {
  if (HoldsPictureWriter(record)) return A_Err_NONE;
  ShowMessage(basic, (std::string("No render of this output is running (its start failed or was refused, or it "
                                  "has ended): the ") +
                      what + " is not written.")
                         .c_str());
  return kErrWrite;
}

void PictureWriterRecordDisposed(AEIO_Handle record) {
  if (record != nullptr && record == g_owner) g_ownerDisposed = true;
}

void PictureWriterRecordReplaced(AEIO_Handle previous, AEIO_Handle replacement) {
  if (previous != nullptr && previous == g_owner && !g_ownerDisposed) g_owner = replacement;
}
