#include "platform/win/drive_paths.h"

#include <pwd.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>

std::string DriveRoot() {
  std::string root;
  if (const char* chosen = std::getenv("LUMAVOX_DRIVE_ROOT"); chosen && *chosen) {
    root = chosen;
  } else if (const char* home = std::getenv("HOME"); home && *home) {
    root = home;
  } else {
    // The reentrant look-up: any thread may map a path.
    passwd entry{};
    passwd* user = nullptr;
    char buffer[4096];
    const bool found = getpwuid_r(getuid(), &entry, buffer, sizeof buffer, &user) == 0 && user && user->pw_dir;
    root = found ? user->pw_dir : ".";
  }
  while (root.size() > 1 && root.back() == '/') root.pop_back();
  return root;
}

std::string MapDrivePath(const std::string& path) {
  bool drive = path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':' &&
               (path[2] == '\\' || path[2] == '/');
  if (!drive) return path;
  std::string rest = path.substr(2);
  for (char& c : rest) {
    if (c == '\\') c = '/';
  }
  std::string root = DriveRoot();
  return root == "/" ? rest : root + rest;
}
