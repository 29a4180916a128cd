#include "plugin/picture_track_writers.h"

ASDCP::JP2K::MXFWriter g_pictureWriter;
ASDCP::JP2K::MXFSWriter g_stereoPictureWriter;
ASDCP::JP2K::PictureDescriptor g_pictureDescriptor;
