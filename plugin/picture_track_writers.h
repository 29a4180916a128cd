// The picture track-file writers of the output module: static objects that
// live from load to unload, so that one picture track file stays open from
// render start through the frames to render end. One of each kind: only
// one picture track file is open at a time in the process.
#pragma once

#include "platform/asdcp/JP2K_mxf_writer.h"
#include "platform/asdcp/JP2K_mxfs_writer.h"
#include "platform/asdcp/JP2K_picture_descriptor.h"

// The two-dimensional writer.
extern ASDCP::JP2K::MXFWriter g_pictureWriter;
// The stereoscopic writer, used when OutputOptions.stereoscopic is set.
extern ASDCP::JP2K::MXFSWriter g_stereoPictureWriter;
// Filled at render start and handed to the writer's open.
extern ASDCP::JP2K::PictureDescriptor g_pictureDescriptor;
