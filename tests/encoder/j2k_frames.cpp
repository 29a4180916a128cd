#include "tests/encoder/j2k_frames.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>

#include "encoder/cinema_setup.h"
#include "encoder/j2k/cio.h"
#include "encoder/j2k/coding_parameters.h"
#include "encoder/j2k/compressor.h"
#include "encoder/j2k/j2k.h"
#include "tests/support/test_support.h"

namespace j2k_test {

namespace {

int Clamp12(int v) { return v < 0 ? 0 : (v > 4095 ? 4095 : v); }

// A sharp synthetic card: colour bars, a fine checkerboard, thin lines,
// zone-plate rings and diagonal edges, with mild noise over everything.
int CardSample(int c, int x, int y, int w, int h, std::mt19937& rng) {
  int v;
  const int band = y * 6 / h;
  switch (band) {
    case 0: {  // bars
      const int bar = x * 8 / w;
      const int bits = 7 - bar;
      v = (bits >> c) & 1 ? 3500 : 400;
      break;
    }
    case 1:  // checkerboard of 2 x 2 and 8 x 8 cells
      v = (((x >> 1) ^ (y >> 1)) & 1) ? (((x >> 3) ^ (y >> 3)) & 1 ? 3900 : 2600) : 300 + 200 * c;
      break;
    case 2: {  // zone plate
      const double dx = x - w / 2.0, dy = y - h / 2.0;
      const double r2 = (dx * dx + dy * dy) / (w * 0.9);
      v = static_cast<int>(2048 + 1800 * std::cos(r2 * (1 + c * 0.3)));
      break;
    }
    case 3:  // thin vertical and horizontal lines
      v = (x % 7 == 0 || y % 5 == 0) ? 3800 - 300 * c : 700 + c * 150;
      break;
    case 4:  // diagonal edges and a smooth gradient
      v = ((x + 2 * y) / 23) % 2 ? 500 + x * 3000 / w : 3600 - y * 1000 / h;
      break;
    default: {  // text-like blocks of random strokes
      const int cell = (x / 6) * 131 + (y / 9) * 71;
      v = ((cell * 2654435761u) >> 29) & 1 ? ((x + y) % 3 ? 3300 : 900) : 1500 + 300 * c;
      break;
    }
  }
  std::uniform_int_distribution<int> noise(-12, 12);
  return Clamp12(v + noise(rng));
}

std::vector<uint8_t> ReadFile(const std::string& path) { return lumavox_test::ReadBytes(path); }

}  // namespace

void MakeFrame(Frame& frame, int width, int height, Content content, int flat_value, uint32_t seed) {
  frame.width = width;
  frame.height = height;
  frame.planes.assign(3, std::vector<int32_t>(static_cast<size_t>(width) * height));
  std::mt19937 rng(seed);
  std::uniform_int_distribution<int> full(0, 4095);
  for (int c = 0; c < 3; ++c) {
    int32_t* p = frame.planes[c].data();
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        int v = 0;
        switch (content) {
          case Content::kFlat: v = Clamp12(flat_value + (c == 1 ? 1000 : c == 2 ? -1000 : 0)); break;
          case Content::kRamp:
            if (c == 0) v = x * 4095 / (width - 1);
            else if (c == 1) v = y * 4095 / (height - 1);
            else v = (x + y) * 4095 / (width + height - 2);
            break;
          case Content::kCard: v = CardSample(c, x, y, width, height, rng); break;
          case Content::kNoise: v = full(rng); break;
        }
        p[static_cast<size_t>(y) * width + x] = v;
      }
    }
  }
  frame.comps.assign(3, opj_image_comp{});
  for (int c = 0; c < 3; ++c) {
    opj_image_comp& comp = frame.comps[c];
    comp.dx = comp.dy = 1;
    comp.w = width;
    comp.h = height;
    comp.prec = comp.bpp = 12;
    comp.sgnd = 0;
    comp.data = frame.planes[c].data();
  }
  frame.image = opj_image{};
  frame.image.x0 = frame.image.y0 = 0;
  frame.image.x1 = width;
  frame.image.y1 = height;
  frame.image.numcomps = 3;
  frame.image.color_space = 1;
  frame.image.comps = frame.comps.data();
}

void RenderParameters(const Frame& frame, const EncodeSettings& settings, opj_cparameters& params, unsigned* budget) {
  opj_set_default_encoder_parameters(&params);
  params.cp_cinema = settings.stereoscopic ? CINEMA2K_48 : CINEMA2K_24;
  params.cp_rsiz = (frame.width == 2048 || frame.height == 1080) ? CINEMA2K : STD_RSIZ;
  params.tcp_numlayers = 1;
  // The tile, code-block, progression, wavelet and colour-transform choices
  // of every render.
  cinema_parameters(&params);
  static char comment[] = "Created by Lumavox version 1.0.0";
  params.cp_comment = comment;
  const uint32_t b = cinema_frame_budget(settings.bit_rate, settings.frame_rate, settings.stereoscopic);
  params.tcp_rates[0] = settings.no_budget ? 0.0f
                                           : static_cast<float>(3 * frame.width * frame.height * 12) /
                                                 static_cast<float>(static_cast<int>(b * 8));
  params.max_comp_size = settings.max_comp_size >= 0
                             ? settings.max_comp_size
                             : cinema_component_limit(settings.frame_rate, settings.stereoscopic);
  if (budget) *budget = b;
}

EncodeResult Encode(Frame& frame, const EncodeSettings& settings) {
  EncodeResult result;
  opj_cparameters params;
  RenderParameters(frame, settings, params, &result.budget);
  result.ratio = params.tcp_rates[0];

  opj_cinfo* cinfo = opj_create_compress();
  opj_setup_encoder(cinfo, &params, &frame.image);
  const size_t size = settings.buffer_size ? settings.buffer_size
                                           : static_cast<size_t>(0.1625 * cinfo->j2k->cp->img_size + 2000);
  std::vector<uint8_t> buffer(size);
  opj_cio cio{};
  cio.cinfo = cinfo;
  cio.openmode = OPJ_STREAM_WRITE;
  cio.buffer = buffer.data();
  cio.length = static_cast<int32_t>(size);
  cio.start = cio.bp = buffer.data();
  cio.end = buffer.data() + size;

  std::vector<std::vector<int32_t>> tiles(3, std::vector<int32_t>(frame.planes[0].size()));
  int32_t* tile_buffers[3] = {tiles[0].data(), tiles[1].data(), tiles[2].data()};
  result.status = opj_encode(cinfo, &cio, &frame.image, false, tile_buffers);
  const size_t length = std::min(static_cast<size_t>(std::max(cio_tell(&cio), 0)), size);
  result.codestream.assign(buffer.begin(), buffer.begin() + length);
  opj_destroy_compress(cinfo);
  return result;
}

bool ReadPnm(const std::string& path, int& width, int& height, int& channels, std::vector<int>& samples) {
  const std::vector<uint8_t> bytes = ReadFile(path);
  if (bytes.size() < 3 || bytes[0] != 'P') return false;
  channels = bytes[1] == '6' ? 3 : (bytes[1] == '5' ? 1 : 0);
  if (!channels) return false;
  size_t pos = 2;
  int fields[3];
  for (int& field : fields) {
    while (pos < bytes.size() && (std::isspace(bytes[pos]) || bytes[pos] == '#')) {
      if (bytes[pos] == '#') {
        while (pos < bytes.size() && bytes[pos] != '\n') ++pos;
      } else {
        ++pos;
      }
    }
    field = 0;
    while (pos < bytes.size() && std::isdigit(bytes[pos])) field = field * 10 + (bytes[pos++] - '0');
  }
  ++pos;  // one whitespace byte
  width = fields[0];
  height = fields[1];
  const int bytes_per = fields[2] > 255 ? 2 : 1;
  const size_t count = static_cast<size_t>(width) * height * channels;
  if (bytes.size() < pos + count * bytes_per) return false;
  samples.resize(count);
  for (size_t i = 0; i < count; ++i) {
    samples[i] = bytes_per == 2 ? (bytes[pos + 2 * i] << 8) | bytes[pos + 2 * i + 1] : bytes[pos + i];
  }
  return true;
}

double Psnr(const Frame& frame, const std::vector<std::vector<int>>& decoded) {
  double se = 0;
  size_t n = 0;
  for (int c = 0; c < 3; ++c) {
    for (size_t i = 0; i < frame.planes[c].size(); ++i) {
      const double d = frame.planes[c][i] - decoded[c][i];
      se += d * d;
    }
    n += frame.planes[c].size();
  }
  if (se == 0) return 200.0;
  return 10.0 * std::log10(4095.0 * 4095.0 / (se / n));
}

int MaxAbsDiff(const Frame& frame, const std::vector<std::vector<int>>& decoded) {
  int m = 0;
  for (int c = 0; c < 3; ++c)
    for (size_t i = 0; i < frame.planes[c].size(); ++i) m = std::max(m, std::abs(frame.planes[c][i] - decoded[c][i]));
  return m;
}

std::vector<std::vector<int>> DecodeWithOpenJpeg(const std::vector<uint8_t>& codestream, const std::string& dir,
                                                 const std::string& name) {
  const std::string in = dir + "/" + name + ".j2c";
  const std::string out = dir + "/" + name + ".ppm";
  lumavox_test::WriteBytes(in, codestream);
  const auto r = lumavox_test::RunCommand({"opj_decompress", "-i", in, "-o", out});
  int w, h, ch;
  std::vector<int> samples;
  if (r.status != 0 || !ReadPnm(out, w, h, ch, samples) || ch != 3) return {};
  std::vector<std::vector<int>> planes(3, std::vector<int>(static_cast<size_t>(w) * h));
  for (size_t i = 0; i < planes[0].size(); ++i)
    for (int c = 0; c < 3; ++c) planes[c][i] = samples[3 * i + c];
  return planes;
}

std::vector<std::vector<int>> DecodeWithFfmpeg(const std::vector<uint8_t>& codestream, const std::string& dir,
                                               const std::string& name, int width, int height) {
  const std::string in = dir + "/" + name + ".j2c";
  const std::string out = dir + "/" + name + ".raw";
  lumavox_test::WriteBytes(in, codestream);
  // The decoder's own 48-bit layout (X'Y'Z' for the cinema profile, RGB
  // otherwise), written without any colour conversion: 12 bits at the top of
  // each little-endian 16-bit sample.
  const auto r = lumavox_test::RunCommand(
      {"ffmpeg", "-v", "error", "-y", "-f", "j2k_pipe", "-i", in, "-f", "rawvideo", out});
  if (r.status != 0) return {};
  const std::vector<uint8_t> bytes = ReadFile(out);
  const size_t n = static_cast<size_t>(width) * height;
  if (bytes.size() != n * 6) return {};
  std::vector<std::vector<int>> planes(3, std::vector<int>(n));
  for (size_t i = 0; i < n; ++i) {
    for (int c = 0; c < 3; ++c) {
      const int v = bytes[6 * i + 2 * c] | (bytes[6 * i + 2 * c + 1] << 8);
      planes[c][i] = v >> 4;
    }
  }
  return planes;
}

void WriteFramePpm(const Frame& frame, const std::string& path) {
  const std::string header = "P6\n" + std::to_string(frame.width) + " " + std::to_string(frame.height) + "\n4095\n";
  std::vector<uint8_t> bytes(header.begin(), header.end());
  bytes.reserve(bytes.size() + frame.planes[0].size() * 6);
  for (size_t i = 0; i < frame.planes[0].size(); ++i) {
    for (int c = 0; c < 3; ++c) {
      bytes.push_back(static_cast<uint8_t>(frame.planes[c][i] >> 8));
      bytes.push_back(static_cast<uint8_t>(frame.planes[c][i] & 0xff));
    }
  }
  lumavox_test::WriteBytes(path, bytes);
}

}  // namespace j2k_test
