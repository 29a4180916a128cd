#include "ui/picture_format_name.h"

#include <cstdio>

namespace {

struct PictureFormat {
  A_u_long width, height;
  const char* name;
  A_u_char stereoscopic;
};

constexpr PictureFormat kFormats[] = {
    {2048, 1080, "2K Full Container (2048x1080)", 0},
    {1998, 1080, "2K Flat (1998x1080), aspect ratio=1.85:1", 0},
    {2048, 858, "2K Scope (2048x858), aspect ratio=2.39:1", 0},
    {1920, 1080, "HDTV (1920x1080), aspect ratio=16:9", 0},
    {4096, 2160, "4K Full Container (4096x2160)", 0},
    {3996, 2160, "4K Flat (3996x2160), aspect ratio=1.85:1", 0},
    {4096, 1716, "4K Scope (4096x1716), aspect ratio=2.39:1", 0},
    {3840, 2160, "HDTV (3840x2160), aspect ratio=16:9", 0},
    {4096, 1080, "2K Full Container (2048x1080)", 1},
    {3996, 1080, "2K Flat (1998x1080), aspect ratio=1.85:1", 1},
    {4096, 858, "2K Scope (2048x858), aspect ratio=2.39:1", 1},
    {3840, 1080, "HDTV (1920x1080), aspect ratio=16:9", 1},
};

}  // namespace

void GetPictureFormatName(A_u_long width, A_u_long height, A_u_char* stereoscopic, char* name) {
  *stereoscopic = 0;
  for (const PictureFormat& format : kFormats) {
    if (format.width == width && format.height == height) {
      std::snprintf(name, kPictureFormatNameSize, "%s", format.name);
      *stereoscopic = format.stereoscopic;
      return;
    }
  }
  std::snprintf(name, kPictureFormatNameSize, "%s", "unknown format");
}
