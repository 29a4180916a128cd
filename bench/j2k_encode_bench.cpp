// Encodes 48 frames of busy 1998 x 1080 content at 250 Mbit/s and 24 fps,
// first on one thread, then with one frame per core, and prints frames per
// second, bytes per frame and PSNR (decoded with opj_decompress).
//
//   bench_j2k_encode_bench [options] [frames]   run the benchmark
//   bench_j2k_encode_bench --psnr A.ppm B.ppm   PSNR of two 12-bit PPMs (at
//                       most 100 dB) and the mean signed error of B near
//                       black and near white
//   bench_j2k_encode_bench --pattern NAME F.ppm write one 16-bit frame of a
//                       pattern: grid, ramp, low-ramp, radial, grain
// options:
//   --frames-from DIR   encode DIR/frame00.ppm, frame01.ppm, ... (any 16-bit
//                       PPM, scaled to 12 bits) instead of the test card
//   --xyz               convert each frame to X'Y'Z' first, as a render does
//   --write-frames DIR  write the frames as they go to the encoder (after
//                       X'Y'Z') as 12-bit PPMs, and stop
//   --psnr-only K       no timing: encode every Kth frame and print the mean
//                       PSNR, the mean codestream size and the mean signed
//                       errors near black and near white
//   --write-codestreams DIR  with --psnr-only, keep each codestream as
//                       DIR/frameNN.j2c
//   --mct 0             code without the colour transform (for comparison)
//   --every-pass        code every pass, with no budget (for comparison)
//
// bench/opj_compress_bench.sh runs this and then the same frames through
// opj_compress, so that both sets of figures come out of one run.

#include <unistd.h>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "encoder/cinema_setup.h"
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
constexpr unsigned kBitRate = 250;
constexpr unsigned kFrameRate = 24;

uint32_t Hash(uint32_t x) {
  x ^= x >> 16;
  x *= 0x7feb352d;
  x ^= x >> 15;
  x *= 0x846ca68b;
  x ^= x >> 16;
  return x;
}

int Clamp12(int v) { return v < 0 ? 0 : (v > 4095 ? 4095 : v); }

// A sharp moving test card with mild noise: bars, checkerboard, rings, fine
// lines, diagonal edges and text-like strokes, shifted a little per frame.
void MakeFrame(int index, std::vector<std::vector<int32_t>>& planes) {
  planes.assign(3, std::vector<int32_t>(static_cast<size_t>(kWidth) * kHeight));
  const int shift = index * 3;
  for (int c = 0; c < 3; ++c) {
    for (int y = 0; y < kHeight; ++y) {
      for (int x0 = 0; x0 < kWidth; ++x0) {
        const int x = x0 + shift;
        int v;
        switch (y * 6 / kHeight) {
          case 0: v = ((7 - (x0 * 8 / kWidth)) >> c) & 1 ? 3500 : 400; break;
          case 1: v = (((x >> 1) ^ (y >> 1)) & 1) ? ((((x >> 3) ^ (y >> 3)) & 1) ? 3900 : 2600) : 300 + 200 * c; break;
          case 2: {
            const double dx = x0 - kWidth / 2.0, dy = y - kHeight / 2.0;
            v = static_cast<int>(2048 +
                                 1800 * std::cos((dx * dx + dy * dy) / (kWidth * 0.9) * (1 + c * 0.3) + index * 0.2));
            break;
          }
          case 3: v = (x % 7 == 0 || y % 5 == 0) ? 3800 - 300 * c : 700 + c * 150; break;
          case 4: v = ((x + 2 * y) / 23) % 2 ? 500 + x0 * 3000 / kWidth : 3600 - y * 1000 / kHeight; break;
          default: {
            const uint32_t cell = static_cast<uint32_t>((x / 6) * 131 + (y / 9) * 71);
            v = Hash(cell) & 1 ? ((x + y) % 3 ? 3300 : 900) : 1500 + 300 * c;
            break;
          }
        }
        const int noise = static_cast<int>(
                              Hash(static_cast<uint32_t>((index * 3 + c) * 2654435761u) ^ (y * kWidth + x0)) % 25) -
                          12;
        planes[c][static_cast<size_t>(y) * kWidth + x0] = Clamp12(v + noise);
      }
    }
  }
}

// One encoder slot as a render holds it: image, compressor, byte stream and
// tile buffers, all reused from frame to frame.
struct Slot {
  std::vector<std::vector<int32_t>> planes;
  opj_image_comp comps[3]{};
  opj_image image{};
  opj_cinfo* cinfo = nullptr;
  std::vector<uint8_t> buffer;
  opj_cio cio{};
  std::vector<std::vector<int32_t>> tiles;
  int32_t* tile_ptrs[3]{};
  float ratio = 0;

  void Init(const opj_cparameters& params) {
    planes.assign(3, std::vector<int32_t>(static_cast<size_t>(kWidth) * kHeight));
    for (int c = 0; c < 3; ++c) {
      comps[c] = opj_image_comp{1, 1, kWidth, kHeight, 0, 0, 12, 12, 0, planes[c].data(), nullptr};
    }
    image = opj_image{0, 0, kWidth, kHeight, 3, 1, comps, nullptr};
    cinfo = opj_create_compress();
    opj_setup_encoder(cinfo, &params, &image);
    ratio = params.tcp_rates[0];
    buffer.assign(static_cast<size_t>(0.1625 * cinfo->j2k->cp->img_size + 2000), 0);
    tiles.assign(3, std::vector<int32_t>(static_cast<size_t>(kWidth) * kHeight));
    for (int c = 0; c < 3; ++c) tile_ptrs[c] = tiles[c].data();
  }
  ~Slot() { opj_destroy_compress(cinfo); }

  // Encodes the slot's planes; the codestream is buffer[0, result).
  int Encode() {
    cinfo->j2k->cp->tcps[0].rates[0] = ratio;  // as the render resets it per batch
    cio = opj_cio{cinfo,         OPJ_STREAM_WRITE,
                  buffer.data(), static_cast<int32_t>(buffer.size()),
                  buffer.data(), buffer.data() + buffer.size(),
                  buffer.data(), nullptr};
    if (!opj_encode(cinfo, &cio, &image, false, tile_ptrs)) return -1;
    return cio_tell(&cio);
  }
};

opj_cparameters RenderParameters(int mct, bool every_pass) {
  opj_cparameters params;
  opj_set_default_encoder_parameters(&params);
  params.cp_cinema = CINEMA2K_24;
  params.cp_rsiz = CINEMA2K;
  params.tcp_numlayers = 1;
  // The tile, code-block, progression, wavelet and colour-transform choices
  // of every render.
  cinema_parameters(&params);
  params.tcp_mct = static_cast<int8_t>(mct);
  static char comment[] = "Created by Lumavox version 1.0.0";
  params.cp_comment = comment;
  const uint32_t budget = kBitRate * 1000000u / kFrameRate / 8u;
  params.tcp_rates[0] = every_pass ? 0.0f
                                   : static_cast<float>(3 * kWidth * kHeight * 12) /
                                         static_cast<float>(static_cast<int>(budget * 8));
  params.max_comp_size = 1041666;
  return params;
}

bool WritePpm(const std::string& path, const std::vector<std::vector<int32_t>>& planes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  std::fprintf(f, "P6\n%d %d\n4095\n", kWidth, kHeight);
  std::vector<uint8_t> row(static_cast<size_t>(kWidth) * 6);
  bool written = true;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      for (int c = 0; c < 3; ++c) {
        const int v = planes[c][static_cast<size_t>(y) * kWidth + x];
        row[6 * x + 2 * c] = static_cast<uint8_t>(v >> 8);
        row[6 * x + 2 * c + 1] = static_cast<uint8_t>(v & 0xff);
      }
    }
    written = written && std::fwrite(row.data(), 1, row.size(), f) == row.size();
  }
  return std::fclose(f) == 0 && written;
}

// Reads a binary PPM/PGM of 16-bit samples, interleaved (comment lines allowed).
bool ReadPpm(const std::string& path, std::vector<int>& samples, int& w, int& h, int* maxval) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  int fields[4] = {0, 0, 0, 0};  // magic digit, width, height, maxval
  int c = std::fgetc(f);
  if (c != 'P') {
    (void)std::fclose(f);  // read only
    return false;
  }
  for (int& field : fields) {
    c = std::fgetc(f);
    while (c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '#') {
      if (c == '#') {
        while (c != '\n' && c != EOF) c = std::fgetc(f);
      }
      c = std::fgetc(f);
    }
    while (c >= '0' && c <= '9') {
      field = field * 10 + (c - '0');
      c = std::fgetc(f);
    }
    if (&field == &fields[0]) std::ungetc(c, f);
  }
  w = fields[1];
  h = fields[2];
  if (maxval) *maxval = fields[3];
  const int ch = fields[0] == 6 ? 3 : 1;
  if (fields[3] < 256 || w <= 0 || h <= 0) {
    (void)std::fclose(f);  // read only
    return false;
  }
  std::vector<uint8_t> bytes(static_cast<size_t>(w) * h * ch * 2);
  const bool ok = std::fread(bytes.data(), 1, bytes.size(), f) == bytes.size();
  (void)std::fclose(f);  // read only
  samples.resize(bytes.size() / 2);
  for (size_t i = 0; i < samples.size(); ++i) samples[i] = (bytes[2 * i] << 8) | bytes[2 * i + 1];
  return ok;
}

// PSNR with 4095 as the peak, at most 100 dB (an exact copy included), and
// the mean signed error (b - a) over the samples of a within 256 codes of
// black and of white (0 where there are none).
struct Fidelity {
  double psnr = 0, black = 0, white = 0;
};

Fidelity FidelityOf(const std::vector<int>& a, const std::vector<int>& b) {
  if (a.size() != b.size() || a.empty()) return {-1, 0, 0};
  double se = 0, black = 0, white = 0;
  size_t blacks = 0, whites = 0;
  for (size_t i = 0; i < a.size(); ++i) {
    const double d = b[i] - a[i];
    se += d * d;
    if (a[i] < 256) black += d, ++blacks;
    if (a[i] >= 4095 - 256) white += d, ++whites;
  }
  const double psnr = se == 0 ? 100.0 : std::min(100.0, 10 * std::log10(4095.0 * 4095.0 / (se / a.size())));
  return {psnr, blacks ? black / blacks : 0, whites ? white / whites : 0};
}

// Decodes the codestream, written to `in` (kept), with opj_decompress.
Fidelity DecodedFidelity(const std::vector<uint8_t>& codestream, const std::vector<std::vector<int32_t>>& planes,
                         const std::string& in, bool keep) {
  const std::string out = in + ".ppm";
  FILE* f = std::fopen(in.c_str(), "wb");
  if (!f) return {-1, 0, 0};
  const bool written = std::fwrite(codestream.data(), 1, codestream.size(), f) == codestream.size();
  if (std::fclose(f) != 0 || !written) return {-1, 0, 0};
  const std::string cmd = "opj_decompress -i " + in + " -o " + out + " >/dev/null 2>&1";
  if (std::system(cmd.c_str()) != 0) return {-1, 0, 0};
  std::vector<int> dec;
  int w = 0, h = 0;
  if (!ReadPpm(out, dec, w, h, nullptr)) return {-1, 0, 0};
  std::vector<int> src(dec.size());
  for (size_t i = 0; i < src.size() / 3; ++i)
    for (int c = 0; c < 3; ++c) src[3 * i + c] = planes[c][i];
  if (!keep) (void)std::remove(in.c_str());  // scratch files in the temporary folder
  (void)std::remove(out.c_str());
  return FidelityOf(src, dec);
}

double DecodedPsnr(const std::vector<uint8_t>& codestream, const std::vector<std::vector<int32_t>>& planes,
                   const std::string& tmp) {
  return DecodedFidelity(codestream, planes, tmp + ".j2c", false).psnr;
}

// One 1998 x 1080 frame of 16-bit samples (R, G, B interleaved) of a pattern
// that coders find hard to keep exact: a 1-pixel grid, ramps, grain.
bool MakePattern(const std::string& name, std::vector<uint16_t>& rgb) {
  rgb.assign(static_cast<size_t>(kWidth) * kHeight * 3, 0);
  auto at = [&](int x, int y, int c) -> uint16_t& { return rgb[(static_cast<size_t>(y) * kWidth + x) * 3 + c]; };
  auto clamp16 = [](double v) { return static_cast<uint16_t>(std::lround(std::min(65535.0, std::max(0.0, v)))); };
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      for (int c = 0; c < 3; ++c) {
        double v;
        if (name == "grid") {  // white lines one pixel wide, 8 apart, on black
          v = (x % 8 == 3 || y % 8 == 3) ? 65535 : 0;
        } else if (name == "ramp") {  // black to white, left to right
          v = 65535.0 * x / (kWidth - 1);
        } else if (name == "low-ramp") {  // the lowest 8192 of the 65536 values
          v = 8191.0 * x / (kWidth - 1);
        } else if (name == "radial") {  // white at the centre to black at the corners
          const double dx = x - (kWidth - 1) / 2.0, dy = y - (kHeight - 1) / 2.0;
          v = 65535.0 * (1 - std::sqrt(dx * dx + dy * dy) / std::sqrt(kWidth * kWidth + kHeight * kHeight) * 2);
        } else if (name == "grain") {  // a dark ramp with fine grain of its own in each component
          const uint32_t n = Hash(static_cast<uint32_t>((y * kWidth + x) * 3 + c) * 2654435761u);
          const double g = ((n & 0xff) + ((n >> 8) & 0xff) + ((n >> 16) & 0xff) - 382.5) / 110.0;  // about N(0, 1)
          v = 4800.0 * x / (kWidth - 1) + 480 + 24 * g;
        } else {
          return false;
        }
        at(x, y, c) = clamp16(v);
      }
    }
  }
  return true;
}

bool WritePpm16(const std::string& path, const std::vector<uint16_t>& rgb) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  std::fprintf(f, "P6\n%d %d\n65535\n", kWidth, kHeight);
  std::vector<uint8_t> bytes(rgb.size() * 2);
  for (size_t i = 0; i < rgb.size(); ++i) {
    bytes[2 * i] = static_cast<uint8_t>(rgb[i] >> 8);
    bytes[2 * i + 1] = static_cast<uint8_t>(rgb[i] & 0xff);
  }
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && written;
}

// Loads DIR/frameNN.ppm for NN = 0, 1, ... until one is missing; every frame
// must be kWidth x kHeight.
bool LoadFrames(const std::string& dir, std::vector<std::vector<std::vector<int32_t>>>& frames) {
  for (int i = 0;; ++i) {
    char name[64];
    std::snprintf(name, sizeof name, "/frame%02d.ppm", i);
    std::vector<int> samples;
    int w = 0, h = 0, maxval = 0;
    if (!ReadPpm(dir + name, samples, w, h, &maxval)) return !frames.empty();
    if (w != kWidth || h != kHeight || samples.size() != static_cast<size_t>(w) * h * 3) return false;
    std::vector<std::vector<int32_t>> planes(3, std::vector<int32_t>(static_cast<size_t>(w) * h));
    for (size_t p = 0; p < planes[0].size(); ++p)
      for (int c = 0; c < 3; ++c)
        planes[c][p] = static_cast<int32_t>((samples[3 * p + c] * 4095LL + maxval / 2) / maxval);
    frames.push_back(std::move(planes));
  }
}

void ToXyz(std::vector<std::vector<int32_t>>& planes) {
  opj_image_comp comps[3];
  for (int c = 0; c < 3; ++c)
    comps[c] = opj_image_comp{1, 1, kWidth, kHeight, 0, 0, 12, 12, 0, planes[c].data(), nullptr};
  opj_image image{0, 0, kWidth, kHeight, 3, 1, comps, nullptr};
  rgb_to_xyz(&image, 1);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "--psnr") == 0) {
    std::vector<int> a, b;
    int w, h;
    if (!ReadPpm(argv[2], a, w, h, nullptr) || !ReadPpm(argv[3], b, w, h, nullptr)) return 1;
    const Fidelity q = FidelityOf(a, b);
    std::printf("%.3f %.4f %.4f\n", q.psnr, q.black, q.white);
    return 0;
  }
  if (argc == 4 && std::strcmp(argv[1], "--pattern") == 0) {
    std::vector<uint16_t> rgb;
    if (!MakePattern(argv[2], rgb)) {
      std::fprintf(stderr, "unknown pattern %s\n", argv[2]);
      return 2;
    }
    return WritePpm16(argv[3], rgb) ? 0 : 1;
  }
  int frames = 48;
  std::string from, write_to, keep_codestreams;
  bool xyz = false;
  int psnr_every = 0;
  int mct = 1;
  bool every_pass = false;
  for (int a = 1; a < argc; ++a) {
    const std::string arg = argv[a];
    if (arg == "--frames-from" && a + 1 < argc) {
      from = argv[++a];
    } else if (arg == "--write-frames" && a + 1 < argc) {
      write_to = argv[++a];
    } else if (arg == "--write-codestreams" && a + 1 < argc) {
      keep_codestreams = argv[++a];
    } else if (arg == "--every-pass") {
      every_pass = true;
    } else if (arg == "--xyz") {
      xyz = true;
    } else if (arg == "--psnr-only" && a + 1 < argc) {
      psnr_every = std::max(1, std::atoi(argv[++a]));
    } else if (arg == "--mct" && a + 1 < argc) {
      mct = std::atoi(argv[++a]) ? 1 : 0;
    } else if (!arg.empty() && arg[0] != '-') {
      frames = std::max(1, std::atoi(arg.c_str()));
    } else {
      std::fprintf(stderr, "unknown option %s\n", arg.c_str());
      return 2;
    }
  }

  std::vector<std::vector<std::vector<int32_t>>> source;
  if (!from.empty()) {
    if (!LoadFrames(from, source)) {
      std::fprintf(stderr, "cannot read %dx%d frames from %s\n", kWidth, kHeight, from.c_str());
      return 1;
    }
    frames = static_cast<int>(source.size());
  } else {
    source.resize(frames);
    for (int i = 0; i < frames; ++i) MakeFrame(i, source[i]);
  }
  if (xyz) {
    for (auto& planes : source) ToXyz(planes);
  }
  if (!write_to.empty()) {
    for (int i = 0; i < frames; ++i) {
      char name[64];
      std::snprintf(name, sizeof name, "/frame%02d.ppm", i);
      if (!WritePpm(write_to + name, source[i])) return 1;
    }
    return 0;
  }
  const opj_cparameters params = RenderParameters(mct, every_pass);
  std::vector<std::vector<uint8_t>> codestreams(frames);

  if (psnr_every > 0) {
    Slot slot;
    slot.Init(params);
    double psnr = 0, bytes = 0, black = 0, white = 0;
    int n = 0;
    for (int i = 0; i < frames; i += psnr_every, ++n) {
      for (int c = 0; c < 3; ++c) std::copy(source[i][c].begin(), source[i][c].end(), slot.planes[c].begin());
      const int size = slot.Encode();
      if (size < 0) {
        std::printf("encode failed\n");
        return 1;
      }
      char name[64];
      std::snprintf(name, sizeof name, "/frame%02d.j2c", i);
      const bool keep = !keep_codestreams.empty();
      const Fidelity q = DecodedFidelity(
          std::vector<uint8_t>(slot.buffer.begin(), slot.buffer.begin() + size), source[i],
          keep ? keep_codestreams + name : "/tmp/lumavox_bench_" + std::to_string(getpid()), keep);
      psnr += q.psnr;
      black += q.black;
      white += q.white;
      bytes += size;
    }
    std::printf("%.3f %.0f %.4f %.4f\n", psnr / n, bytes / n, black / n, white / n);
    return 0;
  }

  const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  std::printf("%d frames %dx%d, %u Mbit/s at %u fps, budget %u bytes\n", frames, kWidth, kHeight, kBitRate, kFrameRate,
              kBitRate * 1000000u / kFrameRate / 8u);
  for (int mode = 0; mode < 2; ++mode) {
    const unsigned threads = mode == 0 ? 1 : cores;
    std::vector<Slot> slots(threads);
    for (Slot& s : slots) s.Init(params);
    std::atomic<int> next{0};
    std::atomic<bool> failed{false};
    const auto t0 = std::chrono::steady_clock::now();
    auto worker = [&](Slot& slot) {
      for (int i = next++; i < frames; i = next++) {
        for (int c = 0; c < 3; ++c) std::copy(source[i][c].begin(), source[i][c].end(), slot.planes[c].begin());
        const int n = slot.Encode();
        if (n < 0) {
          failed = true;
          return;
        }
        codestreams[i].assign(slot.buffer.begin(), slot.buffer.begin() + n);
      }
    };
    std::vector<std::thread> pool;
    for (unsigned t = 0; t < threads; ++t) pool.emplace_back(worker, std::ref(slots[t]));
    for (auto& t : pool) t.join();
    const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    if (failed) {
      std::printf("encode failed\n");
      return 1;
    }
    double bytes = 0;
    for (const auto& cs : codestreams) bytes += cs.size();
    std::printf("lumavox  %-22s %7.2f frames/s  %9.0f bytes/frame\n",
                mode == 0 ? "single thread:" : (std::to_string(threads) + " threads, frame/core:").c_str(),
                frames / secs, bytes / frames);
  }

  double psnr = 0;
  int n = 0;
  for (int i = 0; i < frames; i += 8, ++n) {
    psnr += DecodedPsnr(codestreams[i], source[i], "/tmp/lumavox_bench_" + std::to_string(getpid()));
  }
  std::printf("lumavox  PSNR (opj_decompress, every 8th frame): %.3f dB\n", psnr / n);
  return 0;
}
