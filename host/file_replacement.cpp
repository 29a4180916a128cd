#include "host/file_replacement.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>

#include "host/descriptor_write.h"

namespace lumavox_host {

namespace {

namespace fs = std::filesystem;

// The system follows at most 40 links in one path; more is taken for a loop.
constexpr int kMostLinks = 40;

std::string Reason(int number) {
  char text[256];
  return strerror_r(number, text, sizeof text);
}

// The file that `path` leads to once its links are followed, a relative link
// read from the link's own folder: `path` itself when it is no link. False,
// with the reason in `error`, when a link cannot be read or the links loop.
bool FollowLinks(fs::path path, fs::path* file, std::string* error) {
  for (int links = 0; links <= kMostLinks; ++links) {
    struct stat entry = {};
    if (::lstat(path.c_str(), &entry) != 0 || !S_ISLNK(entry.st_mode)) {
      *file = path;
      return true;
    }
    std::error_code ec;
    const fs::path target = fs::read_symlink(path, ec);
    if (ec) {
      *error = "its link " + path.string() + " cannot be read: " + ec.message();
      return false;
    }
    path = target.is_absolute() ? target : path.parent_path() / target;
  }
  *error = "it leads through more than " + std::to_string(kMostLinks) + " symbolic links (a loop)";
  return false;
}

// Makes a file in `folder` whose name begins with `stem` and that no file
// held before: its descriptor and `name`, or -1 with errno set.
int MakeScratchFile(const fs::path& folder, const std::string& stem, std::string* name) {
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".%08x.tmp", static_cast<unsigned>(random()));
    *name = (folder / (stem + suffix)).string();
    const int fd = ::open(name->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

}  // namespace

bool ReplaceFileContents(const std::string& path, const std::vector<uint8_t>& bytes, std::string* error) {
  fs::path file;
  if (!FollowLinks(path, &file, error)) return false;
  std::string scratch;
  const int fd = MakeScratchFile(file.parent_path(), file.filename().string(), &scratch);
  if (fd < 0) {
    *error = "no file can be made beside " + file.string() + ": " + Reason(errno);
    return false;
  }
  struct stat existing = {};
  bool written = ::stat(file.c_str(), &existing) != 0 || !S_ISREG(existing.st_mode) ||
                 ::fchmod(fd, existing.st_mode & 07777) == 0;
  written = written && WriteAll(fd, bytes.data(), bytes.size()) && ::fsync(fd) == 0;
  int failure = written ? 0 : errno;
  if (::close(fd) != 0 && written) {
    written = false;
    failure = errno;
  }
  if (written && ::rename(scratch.c_str(), file.c_str()) != 0) {
    written = false;
    failure = errno;
  }
  if (!written) {
    (void)::unlink(scratch.c_str());  // ours, and of no use now
    *error = file.string() + ": " + Reason(failure);
  }
  return written;
}

}  // namespace lumavox_host
