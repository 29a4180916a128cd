// The version text of the track-file library, stamped into the files it
// writes.
#pragma once

namespace ASDCP {

// "1.8.44"
const char* Version();

}  // namespace ASDCP
