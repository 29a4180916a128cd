// The reference subtitles retimed for a shorter composition, so that a test
// renders only as many frames as it needs.
#pragma once

#include <string>

namespace lumavox_test {

// The reference subtitles of one kind (SMPTE or Interop) copied into
// `folder` beside their font, timed for a composition of `frames` frames at
// 24 fps: the first shown until frame 22 or the frame before the last, the
// second from the middle to the end. The document's path.
std::string SubtitlesEndingAt(const std::string& folder, bool smpte, int frames);

}  // namespace lumavox_test
