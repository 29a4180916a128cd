// The render host's PNG reading on one thread: CPU milliseconds (user and
// system) per file, best of several passes over the files, reading into one
// kept 16-bit frame as the reading ahead does once its frames are made, and
// into a newly made frame for every file as it does for its first frames;
// beside them the inflating of the files' image data alone, the part the
// reader leaves to libdeflate.
//   bench_png_read_bench FILE.png...  (files of one size)

#include <libdeflate.h>
#include <time.h>

#include <cstdio>
#include <cstring>
#include <exception>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "host/host_frame.h"
#include "host/png_frame_reader.h"

namespace {

double CpuSeconds() {
  timespec t = {};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// The CPU seconds of inflating the image data of `file`, gathered from its
// IDAT chunks beforehand; a negative number when the file cannot be read.
double InflateSeconds(libdeflate_decompressor* inflater, const std::string& file, std::vector<uint8_t>& rows) {
  std::ifstream in(file, std::ios::binary);
  const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<uint8_t> data;
  for (size_t at = 8; at + 12 <= bytes.size();) {
    const size_t length = static_cast<size_t>(bytes[at]) << 24 | bytes[at + 1] << 16 | bytes[at + 2] << 8 |
                          bytes[at + 3];
    if (at + 12 + length > bytes.size()) return -1;
    if (std::memcmp(&bytes[at + 4], "IDAT", 4) == 0)
      data.insert(data.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at + 8),
                  bytes.begin() + static_cast<std::ptrdiff_t>(at + 8 + length));
    at += 12 + length;
  }
  const double start = CpuSeconds();
  size_t got = 0;
  if (libdeflate_zlib_decompress(inflater, data.data(), data.size(), rows.data(), rows.size(), &got) !=
      LIBDEFLATE_SUCCESS)
    return -1;
  return CpuSeconds() - start;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace lumavox_host;
  const std::vector<std::string> files(argv + 1, argv + argc);
  if (files.empty()) {
    std::fprintf(stderr, "usage: %s FILE.png...\n", argv[0]);
    return 2;
  }
  const std::optional<PngHeader> header = ReadPngHeader(files[0]);
  if (!header) {
    std::fprintf(stderr, "%s is not a PNG file the reader reads\n", files[0].c_str());
    return 1;
  }
  try {
    PngFrameReader reader;
    HostFrame kept;
    kept.Allocate(header->width, header->height, 16);
    const int passes = 5;
    double best_kept = 1e9, best_new = 1e9;
    for (int pass = 0; pass < passes; ++pass) {
      double start = CpuSeconds();
      for (const std::string& file : files) {
        if (!reader.Read(file, kept)) {
          std::fprintf(stderr, "%s is not read by the reader\n", file.c_str());
          return 1;
        }
      }
      best_kept = std::min(best_kept, CpuSeconds() - start);
      start = CpuSeconds();
      for (const std::string& file : files) {
        HostFrame made;
        made.AllocateToFill(header->width, header->height, 16);
        reader.Read(file, made);
      }
      best_new = std::min(best_new, CpuSeconds() - start);
    }
    libdeflate_decompressor* inflater = libdeflate_alloc_decompressor();
    const int channels = header->colour_type == 0 ? 1 : header->colour_type == 2 ? 3 : header->colour_type == 4 ? 2 : 4;
    std::vector<uint8_t> rows(static_cast<size_t>(header->height) *
                              (1 + static_cast<size_t>(header->width) * channels * header->bit_depth / 8));
    double best_inflate = 1e9;
    for (int pass = 0; pass < passes; ++pass) {
      double seconds = 0;
      for (const std::string& file : files) {
        const double s = InflateSeconds(inflater, file, rows);
        if (s < 0) {
          std::fprintf(stderr, "cannot inflate the image data of %s\n", file.c_str());
          return 1;
        }
        seconds += s;
      }
      best_inflate = std::min(best_inflate, seconds);
    }
    libdeflate_free_decompressor(inflater);
    const double n = static_cast<double>(files.size());
    std::printf(
        "PNG reading, %zu files of %dx%d, %d bits, ms CPU per file: %.2f into a kept frame, %.2f into a new one;"
        " inflating alone %.2f, so %.2f and %.2f besides\n",
        files.size(), header->width, header->height, header->bit_depth, 1e3 * best_kept / n, 1e3 * best_new / n,
        1e3 * best_inflate / n, 1e3 * (best_kept - best_inflate) / n, 1e3 * (best_new - best_inflate) / n);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
