#include "tests/plugin/render_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "host/test_pattern.h"
#include "tests/support/test_support.h"

using namespace lumavox_host;
using namespace lumavox_test;

namespace render_test {

std::unique_ptr<RenderHost> SetUpHost(const HostSettings& settings) {
  auto host = std::make_unique<RenderHost>(settings);
  host->Load(PluginPath());
  EXPECT_EQ(host->CallEntryPoint(), 0);
  EXPECT_EQ(host->InitOutputSpec(), 0);
  return host;
}

HostSettings Settings(int width, int height, int64_t frames, const std::string& outputPath, int threads, int fps) {
  HostSettings s;
  s.comp.width = width;
  s.comp.height = height;
  s.comp.fps_num = fps;
  s.comp.frames = frames;
  s.output_path = outputPath;
  s.threads = threads;
  s.echo = false;
  return s;
}

OutputOptions& LiveOptions(RenderHost& host) {
  MemBlock* block = host.state().Find(host.state().spec.options);
  return *reinterpret_cast<OutputOptions*>(block->bytes.data());
}

int LiveHandles(const RenderHost& host, const std::string& name) {
  int count = 0;
  for (const HandleInfo& block : host.LiveHandles()) count += block.name == name ? 1 : 0;
  return count;
}

std::string Messages(RenderHost& host) {
  std::string all;
  for (const std::string& m : host.state().messages) all += m + "\n";
  return all;
}

std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string PictureTrackFile(const std::string& folder) {
  std::string found;
  int count = 0;
  for (const std::string& name : FolderEntries(folder)) {
    if (name.rfind("j2c_", 0) == 0 && name.size() > 8 && name.substr(name.size() - 4) == ".mxf") {
      found = folder + "/" + name;
      ++count;
    }
  }
  return count == 1 ? found : "";
}

int64_t ProbeFrameCount(const std::string& mxf) {
  const CommandResult r = RunCommand({"ffprobe", "-v", "error", "-select_streams", "v:0", "-count_packets",
                                      "-show_entries", "stream=nb_read_packets", "-of", "csv=p=0", mxf});
  if (r.status != 0 || r.out.empty()) return -1;
  return std::stoll(r.out);
}

std::vector<std::vector<uint8_t>> ExtractCodestreams(const std::string& mxf, const std::string& scratch) {
  const std::string folder = scratch + "/j2c";
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  const CommandResult r = RunCommand(
      {"ffmpeg", "-v", "error", "-i", mxf, "-map", "0:v", "-c", "copy", "-f", "image2", folder + "/%05d.j2c"});
  EXPECT_EQ(r.status, 0) << r.err;
  std::vector<std::vector<uint8_t>> codestreams;
  for (const std::string& name : FolderEntries(folder)) codestreams.push_back(ReadBytes(folder + "/" + name));
  return codestreams;
}

namespace {

// The stream's size and the decoder's own sample format, so that no colour
// conversion happens on the way out of the decoder.
bool Probe(const std::string& path, Decoded* d, std::string* format) {
  const CommandResult probe = RunCommand({"ffprobe", "-v", "error", "-select_streams", "v:0", "-show_entries",
                                          "stream=width,height,pix_fmt", "-of", "csv=p=0", path});
  EXPECT_EQ(probe.status, 0) << probe.err;
  char name[64] = {};
  if (std::sscanf(probe.out.c_str(), "%d,%d,%63[a-z0-9]", &d->width, &d->height, name) != 3) return false;
  *format = name;
  return true;
}

// One picture of 16-bit samples in `format` into 12-bit interleaved samples.
void Unpack(const uint8_t* bytes, const std::string& format, Decoded* d) {
  const size_t plane = static_cast<size_t>(d->width) * d->height;
  d->samples.resize(plane * 3);
  const bool planarGbr = format.rfind("gbrp", 0) == 0;
  const int shift = planarGbr ? 0 : 4;  // packed formats hold the 12 bits at the top
  for (size_t p = 0; p < plane; ++p) {
    for (int c = 0; c < 3; ++c) {
      size_t at = 3 * p + c;
      if (planarGbr) at = (c == 0 ? 2 : c - 1) * plane + p;  // planes G, B, R
      const uint16_t v = static_cast<uint16_t>(bytes[2 * at] | (bytes[2 * at + 1] << 8));
      d->samples[3 * p + c] = static_cast<uint16_t>(v >> shift);
    }
  }
}

}  // namespace

Decoded DecodeCodestream(const std::vector<uint8_t>& codestream, const std::string& scratch) {
  const std::string path = scratch + "/frame.j2c";
  WriteBytes(path, codestream);
  Decoded d;
  std::string format;
  if (!Probe(path, &d, &format)) return d;
  const std::string raw = scratch + "/frame.raw";
  const CommandResult r = RunCommand(
      {"ffmpeg", "-v", "error", "-y", "-i", path, "-f", "rawvideo", "-pix_fmt", format, raw});
  EXPECT_EQ(r.status, 0) << r.err;
  const std::vector<uint8_t> bytes = ReadBytes(raw);
  EXPECT_EQ(bytes.size(), static_cast<size_t>(d.width) * d.height * 6) << format;
  if (bytes.size() != static_cast<size_t>(d.width) * d.height * 6) return Decoded{};
  Unpack(bytes.data(), format, &d);
  return d;
}

Decoded DecodeWithOpenJpeg(const std::vector<uint8_t>& codestream, const std::string& scratch) {
  const std::string path = scratch + "/opj.j2c";
  const std::string ppm = scratch + "/opj.ppm";
  WriteBytes(path, codestream);
  const CommandResult r = RunCommand({"opj_decompress", "-i", path, "-o", ppm});
  EXPECT_EQ(r.status, 0) << r.err;
  // A binary PPM: "P6", width, height, maxval (comment lines between them),
  // one white space, then big-endian 16-bit samples (maxval above 255).
  std::ifstream in(ppm, std::ios::binary);
  auto field = [&in] {
    std::string word;
    while (in >> word && word[0] == '#') in.ignore(1 << 16, '\n');
    return word;
  };
  const std::string magic = field();
  const int width = std::atoi(field().c_str());
  const int height = std::atoi(field().c_str());
  const int maxval = std::atoi(field().c_str());
  in.get();
  Decoded d;
  if (!in || magic != "P6" || maxval < 256 || width <= 0 || height <= 0) return d;
  std::vector<uint8_t> bytes(static_cast<size_t>(width) * height * 6);
  if (!in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()))) return d;
  d.width = width;
  d.height = height;
  d.samples.resize(bytes.size() / 2);
  for (size_t i = 0; i < d.samples.size(); ++i)
    d.samples[i] = static_cast<uint16_t>(bytes[2 * i] << 8 | bytes[2 * i + 1]);
  return d;
}

bool ForEachDecodedPicture(const std::string& mxf, const std::string& scratch,
                           const std::function<void(size_t index, const Decoded& picture)>& visit) {
  Decoded d;
  std::string format;
  if (!Probe(mxf, &d, &format)) return false;
  const std::string raw = scratch + "/pictures.raw";
  const CommandResult r = RunCommand(
      {"ffmpeg", "-v", "error", "-y", "-i", mxf, "-map", "0:v", "-f", "rawvideo", "-pix_fmt", format, raw});
  EXPECT_EQ(r.status, 0) << r.err;
  if (r.status != 0) return false;
  std::ifstream in(raw, std::ios::binary);
  std::vector<uint8_t> bytes(static_cast<size_t>(d.width) * d.height * 6);
  for (size_t index = 0; in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
       ++index) {
    Unpack(bytes.data(), format, &d);
    visit(index, d);
  }
  in.close();
  std::filesystem::remove(raw);
  return true;
}

Decoded ExpectedPatternXyz(int64_t frame, int fullWidth, int height, int x0, int width, int depth, int step) {
  HostFrame host;
  host.Allocate(fullWidth, height, depth);
  FillTestPattern(frame, host);
  Decoded d;
  d.width = width;
  d.height = height;
  d.samples.resize(static_cast<size_t>(width) * height * 3);
  const double m[3][3] = {
      {0.4124564, 0.3575761, 0.1804375}, {0.2126729, 0.7151522, 0.0721750}, {0.0193339, 0.1191920, 0.9503041}};
  // Linear light of every 12-bit code the frame conversion can give.
  std::vector<double> linear(4096);
  for (int code = 0; code < 4096; ++code) linear[code] = std::pow(code / 4095.0, 2.2);
  for (int y = 0; y < height; y += step) {
    for (int x = 0; x < width; x += step) {
      double lin[3];
      for (int c = 0; c < 3; ++c) {
        const int v = host.Channel(x0 + x, y, c + 1);
        // 0 to 255 spread over the 12-bit range.
        const int code = depth == 8 ? static_cast<int>(std::lround(v * 4095.0 / 255.0)) : std::min(4095, v / 8);
        lin[c] = linear[static_cast<size_t>(code)];
      }
      for (int c = 0; c < 3; ++c) {
        const double t = (m[c][0] * lin[0] + m[c][1] * lin[1] + m[c][2] * lin[2]) * 48.0 / 52.37;
        d.samples[(static_cast<size_t>(y) * width + x) * 3 + c] = static_cast<uint16_t>(
            std::lround(4095.0 * std::pow(std::max(t, 0.0), 1.0 / 2.6)));
      }
    }
  }
  return d;
}

double Psnr12(const Decoded& a, const Decoded& b, int step) {
  if (a.samples.size() != b.samples.size() || a.samples.empty() || a.width != b.width) return 0;
  double sum = 0;
  size_t count = 0;
  for (int y = 0; y < a.height; y += step) {
    for (int x = 0; x < a.width; x += step) {
      for (int c = 0; c < 3; ++c) {
        const size_t i = (static_cast<size_t>(y) * a.width + x) * 3 + c;
        const double e = double(a.samples[i]) - double(b.samples[i]);
        sum += e * e;
        ++count;
      }
    }
  }
  const double mse = sum / count;
  return mse == 0 ? 99.0 : 10.0 * std::log10(4095.0 * 4095.0 / mse);
}

}  // namespace render_test
