// The encoder alone on given frames, as a render's encoding slots run it:
// 12-bit PPM frames (converted to X'Y'Z' beforehand, as a render with the
// default options does, untimed), encoded at 250 Mbit/s and 24 fps for
// 1998 x 1080, one frame per thread at a time.
//
//   bench_encode_only_bench THREADS FRAME.ppm...
//
// Prints one line: "encoder-only: N frames, T threads: F frames/s, C frames
// per CPU second" (the second figure is what a core gives when it is not
// shared with other programs).
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <thread>
#include <vector>

#include "encoder/cinema_setup.h"
#include "encoder/j2k/block_coding_helpers.h"
#include "encoder/j2k/cio.h"
#include "encoder/j2k/coding_parameters.h"
#include "encoder/j2k/compressor.h"
#include "encoder/j2k/image.h"
#include "encoder/j2k/j2k.h"
#include "encoder/j2k/parameters.h"
#include "encoder/xyz_conversion.h"

namespace {

constexpr int kWidth = 1998;
constexpr int kHeight = 1080;

// The render's coding choices for 1998 x 1080 at 250 Mbit/s, 24 fps.
opj_cparameters RenderParameters() {
  opj_cparameters params;
  opj_set_default_encoder_parameters(&params);
  params.cp_cinema = CINEMA2K_24;
  params.cp_rsiz = CINEMA2K;
  params.tcp_numlayers = 1;
  // The tile, code-block, progression, wavelet and colour-transform choices
  // of every render.
  cinema_parameters(&params);
  static char comment[] = "Created by Lumavox version 1.0.0";
  params.cp_comment = comment;
  const uint32_t budget = 250u * 1000000u / 24u / 8u;
  params.tcp_rates[0] = static_cast<float>(3 * kWidth * kHeight * 12) /
                        static_cast<float>(static_cast<int>(budget * 8));
  params.max_comp_size = 1041666;
  return params;
}

// A binary PPM of 16-bit samples into three planes of 12-bit samples.
bool ReadFrame(const std::string& path, std::vector<std::vector<int32_t>>& planes) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  int w = 0, h = 0, maxval = 0;
  const bool header = std::fscanf(f, "P6 %d %d %d", &w, &h, &maxval) == 3 && std::fgetc(f) != EOF;
  if (!header || w != kWidth || h != kHeight || maxval < 256 || maxval > 65535) {
    (void)std::fclose(f);  // read only
    return false;
  }
  std::vector<uint8_t> bytes(static_cast<size_t>(w) * h * 6);
  const bool ok = std::fread(bytes.data(), 1, bytes.size(), f) == bytes.size();
  (void)std::fclose(f);  // read only
  planes.assign(3, std::vector<int32_t>(static_cast<size_t>(w) * h));
  for (size_t i = 0; i < static_cast<size_t>(w) * h; ++i)
    for (int c = 0; c < 3; ++c) planes[c][i] = ((bytes[6 * i + 2 * c] << 8) | bytes[6 * i + 2 * c + 1]) * 4095 / maxval;
  return ok;
}

struct Slot {
  std::vector<std::vector<int32_t>> planes, tiles;
  opj_image_comp comps[3]{};
  opj_image image{};
  opj_cinfo* cinfo = nullptr;
  std::vector<uint8_t> buffer;
  opj_cio cio{};
  int32_t* tile_ptrs[3]{};
  float ratio = 0;

  void Init(const opj_cparameters& params) {
    planes.assign(3, std::vector<int32_t>(static_cast<size_t>(kWidth) * kHeight));
    tiles = planes;
    for (int c = 0; c < 3; ++c) {
      comps[c] = opj_image_comp{1, 1, kWidth, kHeight, 0, 0, 12, 12, 0, planes[c].data(), nullptr};
      tile_ptrs[c] = tiles[c].data();
    }
    image = opj_image{0, 0, kWidth, kHeight, 3, 1, comps, nullptr};
    cinfo = opj_create_compress();
    opj_setup_encoder(cinfo, &params, &image);
    ratio = params.tcp_rates[0];
    buffer.assign(static_cast<size_t>(0.1625 * cinfo->j2k->cp->img_size + 2000), 0);
  }
  ~Slot() { opj_destroy_compress(cinfo); }

  bool Encode() {
    cinfo->j2k->cp->tcps[0].rates[0] = ratio;
    cio = opj_cio{cinfo,         OPJ_STREAM_WRITE,
                  buffer.data(), static_cast<int32_t>(buffer.size()),
                  buffer.data(), buffer.data() + buffer.size(),
                  buffer.data(), nullptr};
    return opj_encode(cinfo, &cio, &image, false, tile_ptrs) != 0;
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s THREADS FRAME.ppm...\n", argv[0]);
    return 2;
  }
  const int threads = std::max(1, std::atoi(argv[1]));
  block_coding_set_threads(threads);
  const int frames = argc - 2;
  std::vector<std::vector<std::vector<int32_t>>> source(frames);
  for (int i = 0; i < frames; ++i) {
    if (!ReadFrame(argv[i + 2], source[i])) {
      std::fprintf(stderr, "%s: not a %dx%d 16-bit PPM\n", argv[i + 2], kWidth, kHeight);
      return 1;
    }
    opj_image_comp comps[3];
    for (int c = 0; c < 3; ++c)
      comps[c] = opj_image_comp{1, 1, kWidth, kHeight, 0, 0, 12, 12, 0, source[i][c].data(), nullptr};
    opj_image image{0, 0, kWidth, kHeight, 3, 1, comps, nullptr};
    rgb_to_xyz(&image, 1);
  }
  const opj_cparameters params = RenderParameters();
  std::vector<Slot> slots(static_cast<size_t>(threads));
  for (Slot& s : slots) s.Init(params);
  std::atomic<int> next{0};
  std::atomic<bool> failed{false};
  timespec cpu0{}, cpu1{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu0);
  const auto t0 = std::chrono::steady_clock::now();
  std::vector<std::thread> pool;
  pool.reserve(slots.size());
  for (Slot& slot : slots) {
    pool.emplace_back([&, s = &slot] {
      for (int i = next++; i < frames; i = next++) {
        for (int c = 0; c < 3; ++c) std::copy(source[i][c].begin(), source[i][c].end(), s->planes[c].begin());
        if (!s->Encode()) failed = true;
      }
    });
  }
  for (std::thread& t : pool) t.join();
  const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu1);
  const double cpu = static_cast<double>(cpu1.tv_sec - cpu0.tv_sec) + (cpu1.tv_nsec - cpu0.tv_nsec) * 1e-9;
  if (failed) {
    std::fprintf(stderr, "encode failed\n");
    return 1;
  }
  std::printf("encoder-only: %d frames, %d threads: %.2f frames/s, %.2f frames per CPU second\n", frames, threads,
              frames / secs, frames / cpu);
  return 0;
}
