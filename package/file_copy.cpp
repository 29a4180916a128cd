#include "package/file_copy.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

constexpr size_t kCopyBlockSize = 0x200000;  // 2 MB

struct FileCloser {
  // Closes on the ways out of a failed copy, keeping the failure's errno for
  // the caller; the finished copy is closed and checked below.
  void operator()(std::FILE* file) const {
    const int failure = errno;
    (void)std::fclose(file);
    errno = failure;
  }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

struct BufferFree {
  void operator()(void* buffer) const { std::free(buffer); }
};

}  // namespace

int CopyFileTo(const char* source, const char* destination) {
  if (source == nullptr || destination == nullptr) return -1;
  FilePtr out(std::fopen(destination, "wb"));
  if (out == nullptr) return -1;
  FilePtr in(std::fopen(source, "rb"));
  if (in == nullptr) return -1;
  std::unique_ptr<char, BufferFree> buffer(static_cast<char*>(std::malloc(kCopyBlockSize)));
  if (buffer == nullptr) return -1;

  for (;;) {
    const size_t got = std::fread(buffer.get(), 1, kCopyBlockSize, in.get());
    if (std::ferror(in.get())) return -1;
    if (got > 0 && std::fwrite(buffer.get(), 1, got, out.get()) != got) return -1;
    if (got < kCopyBlockSize) {
      if (!std::feof(in.get())) return -1;
      break;
    }
  }
  // Buffered bytes reach the disk only now: a full disk shows here.
  const bool flushed = std::fflush(out.get()) == 0;
  const bool closed = std::fclose(out.release()) == 0;
  return flushed && closed ? 0 : -1;
}
