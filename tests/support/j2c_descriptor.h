// Fills a picture descriptor from a codestream's own SIZ, COD and QCD
// markers, the way the reference files were described.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/asdcp/JP2K_picture_descriptor.h"

namespace lumavox_test {

// False when the markers are missing or malformed.
bool DescriptorFromCodestream(const std::vector<uint8_t>& codestream, ASDCP::JP2K::PictureDescriptor* descriptor);

// The codestreams f001.j2c, f002.j2c, ... of a reference set, in order.
std::vector<std::vector<uint8_t>> ReferenceCodestreams(const std::string& set_name);

}  // namespace lumavox_test
