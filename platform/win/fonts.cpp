#include "platform/win/fonts.h"

#include <mutex>
#include <set>
#include <string>

namespace {

struct Font {
  int height;
  int weight;
  bool italic;
  std::string face;
};

std::mutex g_fontsMutex;
std::set<Font*>& Fonts() {
  static std::set<Font*> fonts;
  return fonts;
}

}  // namespace

HFONT CreateFontA(int height, int, int, int, int weight, DWORD italic, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD,
                  LPCSTR face) {
  Font* font = new Font{height, weight, italic != 0, face != nullptr ? face : ""};
  std::lock_guard<std::mutex> lock(g_fontsMutex);
  Fonts().insert(font);
  return reinterpret_cast<HFONT>(font);
}

BOOL DeleteObject(HGDIOBJ object) {
  Font* font = static_cast<Font*>(object);
  {
    std::lock_guard<std::mutex> lock(g_fontsMutex);
    if (Fonts().erase(font) == 0) return FALSE;
  }
  delete font;
  return TRUE;
}
