#include "tests/host/display_pixels.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace host_test {

namespace {

// How far right a colour mask's lowest bit lies.
int Shift(unsigned long mask) {
  int shift = 0;
  while (mask != 0 && (mask & 1) == 0) {
    mask >>= 1;
    ++shift;
  }
  return shift;
}

}  // namespace

std::string DisplayPixels(const std::string& display, int x, int y, int width, int height) {
  Display* server = XOpenDisplay(display.c_str());
  if (server == nullptr) return "";
  std::string rgb;
  // Outside the screen the server would answer with an error, which ends
  // the program.
  const Screen* screen = DefaultScreenOfDisplay(server);
  XImage* image = x < 0 || y < 0 || width <= 0 || height <= 0 || x + width > screen->width ||
                          y + height > screen->height
                      ? nullptr
                      : XGetImage(server, DefaultRootWindow(server), x, y, width, height, AllPlanes, ZPixmap);
  if (image != nullptr) {
    // The test's server shows 24-bit colour: 8 bits of each in its mask.
    const unsigned long masks[3] = {image->red_mask, image->green_mask, image->blue_mask};
    const int shifts[3] = {Shift(masks[0]), Shift(masks[1]), Shift(masks[2])};
    rgb.reserve(static_cast<size_t>(width) * height * 3);
    for (int row = 0; row < height; ++row) {
      for (int column = 0; column < width; ++column) {
        const unsigned long pixel = XGetPixel(image, column, row);
        for (int c = 0; c < 3; ++c) rgb.push_back(static_cast<char>((pixel & masks[c]) >> shifts[c]));
      }
    }
    XDestroyImage(image);
  }
  XCloseDisplay(server);
  return rgb;
}

}  // namespace host_test
