// The picture descriptor of a JPEG 2000 track file as header sets: the
// RGBA descriptor and its JPEG 2000 sub-descriptor, and for stereoscopic
// files with SMPTE labels the stereoscopic sub-descriptor.
#pragma once

#include <vector>

#include "platform/asdcp/AS_DCP_writer_info.h"
#include "platform/asdcp/JP2K_picture_descriptor.h"
#include "platform/asdcp/MXF_header_metadata.h"
#include "platform/asdcp/MXF_track_file_writer.h"

namespace ASDCP {
namespace JP2K {

// False when the descriptor cannot describe a track file (no edit rate, no
// size, more components or precincts than the fields hold).
bool DescriptorIsUsable(const PictureDescriptor& descriptor);

std::vector<MXF::Set> PictureDescriptorSets(const PictureDescriptor& descriptor, LabelSet_t label_set,
                                            bool stereoscopic);

MXF::TrackFileLayout PictureLayout(const PictureDescriptor& descriptor, bool stereoscopic);

}  // namespace JP2K
}  // namespace ASDCP
