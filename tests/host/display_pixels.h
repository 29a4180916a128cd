// The pixels that an X server shows, read in the test's own process: a
// dialog's picture in some milliseconds, where a screen grabbing program
// takes half a second to start.
#pragma once

#include <string>

namespace host_test {

// The rectangle of `display`'s screen from (x, y), `width` by `height`, as
// red, green and blue bytes a pixel, row after row; empty when the display
// cannot be opened or the rectangle is not within the screen.
std::string DisplayPixels(const std::string& display, int x, int y, int width, int height);

}  // namespace host_test
