#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <stdexcept>

extern "C" {
#include <libavutil/error.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

#include <libdeflate.h>

#include "host/decode_ahead.h"
#include "host/media_input.h"
#include "tests/host/test_movie.h"
#include "tests/support/test_support.h"

using namespace lumavox_host;
using namespace lumavox_test;

namespace {

// FFmpeg's own picture of frame `index`, scaled, as 8-bit RGB.
std::vector<uint8_t> OracleFrame(const std::string& movie, int index, int w, int h) {
  auto r = RunCommand({"ffmpeg", "-v", "error", "-i", movie, "-vf",
                       "select=eq(n\\," + std::to_string(index) + "),scale=" + std::to_string(w) + ":" +
                           std::to_string(h) + ":flags=bicubic",
                       "-frames:v", "1", "-f", "rawvideo", "-pix_fmt", "rgb24", "-"});
  EXPECT_EQ(r.status, 0) << r.err;
  return std::vector<uint8_t>(r.out.begin(), r.out.end());
}

double Psnr(const std::vector<uint8_t>& a, const HostFrame& f) {
  double se = 0;
  size_t n = 0;
  for (int y = 0; y < f.height; ++y)
    for (int x = 0; x < f.width; ++x)
      for (int c = 1; c <= 3; ++c) {
        double ours = f.depth == 8 ? f.Channel(x, y, c) : f.Channel(x, y, c) * 255.0 / 32768.0;
        double d = ours - a[n++];
        se += d * d;
      }
  double mse = se / static_cast<double>(n);
  return mse == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / mse);
}

}  // namespace

// Each test on a movie runs on a Matroska file, which is probed, and on a
// QuickTime file, which is read from its header alone.
class MovieInput : public ::testing::TestWithParam<bool> {};
INSTANTIATE_TEST_SUITE_P(MediaInput, MovieInput, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& p) { return p.param ? "QuickTime" : "Matroska"; });

TEST_P(MovieInput, FramesAreScaledAndInOrder) {
  LUMAVOX_REQUIRE_TOOL("ffmpeg");
  TempDir dir;
  std::string movie = MakeTestMovie(dir, GetParam());
  MediaInput in(movie);
  EXPECT_EQ(in.info().width, 320);
  EXPECT_EQ(in.info().height, 240);
  EXPECT_EQ(in.info().fps_num, 24);
  EXPECT_EQ(in.info().fps_den, 1);
  EXPECT_EQ(in.info().frames, 48);
  EXPECT_TRUE(in.info().has_sound);
  EXPECT_FALSE(in.info().image_sequence);  // a movie keeps its own timing

  HostFrame f8, f16;
  f8.Allocate(640, 360, 8, 16);
  f16.Allocate(640, 360, 16);
  auto oracle10 = OracleFrame(movie, 10, 640, 360);
  auto oracle11 = OracleFrame(movie, 11, 640, 360);
  in.RenderFrame(10, f8);
  EXPECT_GT(Psnr(oracle10, f8), 35.0);
  EXPECT_LT(Psnr(oracle11, f8), Psnr(oracle10, f8) - 3.0);  // frame 11 is another picture
  in.RenderFrame(11, f16);
  EXPECT_GT(Psnr(oracle11, f16), 35.0);
  // Alpha is full scale in both formats; 16-bit stays within 0..32768.
  EXPECT_EQ(f8.Channel(5, 5, 0), 255);
  EXPECT_EQ(f16.Channel(5, 5, 0), 32768);
  int top = 0;
  for (int y = 0; y < f16.height; ++y)
    for (int x = 0; x < f16.width; ++x) top = std::max(top, f16.Channel(x, y, 1));
  EXPECT_LE(top, 32768);
  EXPECT_GT(top, 30000);
  // Going back reopens the file; past the end the last picture is held.
  in.RenderFrame(10, f8);
  EXPECT_GT(Psnr(oracle10, f8), 35.0);
  in.RenderFrame(60, f8);
  EXPECT_GT(Psnr(OracleFrame(movie, 47, 640, 360), f8), 35.0);

  // At 48 fps every picture is shown twice.
  in.SetCompositionRate(48, 1);
  in.RenderFrame(21, f8);
  EXPECT_GT(Psnr(oracle10, f8), 35.0);
}

TEST_P(MovieInput, SoundIsResampledTo48kStereo) {
  LUMAVOX_REQUIRE_TOOL("ffmpeg");
  TempDir dir;
  std::string movie = MakeTestMovie(dir, GetParam());
  auto r = RunCommand({"ffmpeg", "-v", "error", "-i", movie, "-vn", "-f", "s16le", "-ac", "2", "-ar", "48000", "-"});
  ASSERT_EQ(r.status, 0) << r.err;
  std::vector<int16_t> oracle(r.out.size() / 2);
  std::memcpy(oracle.data(), r.out.data(), oracle.size() * 2);
  ASSERT_GE(oracle.size(), 2u * 95000);

  MediaInput in(movie);
  auto second0 = in.Sound(0, 48000);
  auto second1 = in.Sound(48000, 48000);
  auto second2 = in.Sound(96000, 48000);
  ASSERT_EQ(second0.size(), 96000u);
  int worst = 0, crossings = 0;
  for (size_t k = 0; k < 96000; ++k) {
    worst = std::max(worst, std::abs(second0[k] - oracle[k]));
    worst = std::max(worst, std::abs(second1[k] - oracle[96000 + k]));
  }
  EXPECT_LE(worst, 2);
  for (size_t k = 1; k < 48000; ++k) {
    EXPECT_EQ(second0[2 * k], second0[2 * k + 1]);  // mono source: both channels alike
    crossings += second0[2 * (k - 1)] < 0 && second0[2 * k] >= 0;
  }
  EXPECT_NEAR(crossings, 1000, 2);
  for (int16_t v : second2) ASSERT_EQ(v, 0);  // past the end: silence
  // Asking again from the start gives the same sound.
  EXPECT_EQ(in.Sound(0, 48000), second0);
}

TEST(MediaInput, ImageSequenceAndBadFiles) {
  LUMAVOX_REQUIRE_TOOL("ffmpeg");
  TempDir dir;
  auto r = RunCommand({"ffmpeg", "-v", "error", "-f", "lavfi", "-i", "testsrc=size=64x48:rate=24", "-frames:v", "10",
                       dir / "img%03d.png"});
  ASSERT_EQ(r.status, 0) << r.err;
  MediaInput seq(dir / "img%03d.png");
  EXPECT_EQ(seq.info().width, 64);
  EXPECT_EQ(seq.info().frames, 10);
  EXPECT_FALSE(seq.info().has_sound);
  EXPECT_TRUE(seq.info().image_sequence);
  HostFrame a, b;
  a.Allocate(64, 48, 8);
  b.Allocate(64, 48, 8);
  seq.RenderFrame(9, a);
  seq.RenderFrame(12, b);
  EXPECT_EQ(a.pixels, b.pixels);
  // The readers kept between frames may be handed over; the next frame is
  // read as before.
  EXPECT_NE(seq.TakeSpareBuffers(), nullptr);
  seq.RenderFrame(9, b);
  EXPECT_EQ(a.pixels, b.pixels);
  auto silence = seq.Sound(0, 100);
  EXPECT_EQ(silence, std::vector<int16_t>(200, 0));

  // Its files are read several at a time: frame k is still the file named
  // for picture k (img001 is picture 0), whichever thread reads it.
  EXPECT_TRUE(seq.FramesIndependent());
  HostFrame alone;
  alone.Allocate(32, 24, 16);
  auto oracle = RunCommand({"ffmpeg", "-v", "error", "-i", dir / "img004.png", "-vf", "scale=32:24:flags=bicubic", "-f",
                            "rawvideo", "-pix_fmt", "rgb24", "-"});
  ASSERT_EQ(oracle.status, 0) << oracle.err;
  seq.RenderFrame(3, alone);
  EXPECT_GT(Psnr(std::vector<uint8_t>(oracle.out.begin(), oracle.out.end()), alone), 35.0);
  DecodeAhead ahead(seq, 10, 6, 4);
  for (int64_t k : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 2, 3, 9}) {
    HostFrame shared;
    shared.Allocate(32, 24, 16);
    ahead.RenderFrame(k, shared);
    seq.RenderFrame(k, alone);
    EXPECT_EQ(shared.pixels, alone.pixels) << "frame " << k;
  }

  WriteText(dir / "junk.mov", "not a movie at all");
  EXPECT_THROW(MediaInput(dir / "junk.mov"), std::runtime_error);
  try {
    MediaInput missing(dir / "nothing.mov");
    ADD_FAILURE() << "opened a missing file";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("nothing.mov"), std::string::npos);
  }
}

TEST(MediaInput, EightBitPicturesWidenExactlyToTheHostsFullScale) {
  LUMAVOX_REQUIRE_TOOL("ffmpeg");
  TempDir dir;
  // Every 8-bit level once: in red, reversed in green and grey 128 in blue;
  // and as a grey picture.
  std::string rgb, grey;
  for (int v = 0; v < 256; ++v) {
    rgb += {static_cast<char>(v), static_cast<char>(255 - v), static_cast<char>(128)};
    grey += static_cast<char>(v);
  }
  WriteText(dir / "levels.rgb24", rgb);
  WriteText(dir / "levels.gray", grey);
  const auto exact = [](int level) { return (level * 32768 + 127) / 255; };
  for (const std::string format : {"rgb24", "gray"}) {
    SCOPED_TRACE(format);
    const std::string png = dir / (format + ".png");
    auto r = RunCommand({"ffmpeg", "-v", "error", "-f", "rawvideo", "-pix_fmt", format, "-s", "256x1", "-i",
                         dir / ("levels." + format), png});
    ASSERT_EQ(r.status, 0) << r.err;
    MediaInput in(png);
    HostFrame frame;
    frame.Allocate(256, 1, 16);
    in.RenderFrame(0, frame);
    for (int v = 0; v < 256; ++v) {
      const bool isGrey = format == "gray";
      EXPECT_EQ(frame.Channel(v, 0, 0), 32768) << "opaque";
      EXPECT_EQ(frame.Channel(v, 0, 1), exact(v)) << "level " << v;
      EXPECT_EQ(frame.Channel(v, 0, 2), exact(isGrey ? v : 255 - v));
      EXPECT_EQ(frame.Channel(v, 0, 3), exact(isGrey ? v : 128));
    }
  }
}

// Movies in YUV without subsampled chroma (ProRes 4444, for one) are converted
// through 16-bit planes: the host's frames are exactly what FFmpeg's scaler
// gives as interleaved RGBA64, widened to the host's scale, for every sample
// value, scaled or not.
TEST(MediaInput, FullChromaYuvMoviesGiveTheScalersInterleavedSamples) {
  LUMAVOX_REQUIRE_TOOL("ffmpeg");
  TempDir dir;
  const int w = 64, h = 48;
  for (const AVPixelFormat format : {AV_PIX_FMT_YUV444P10LE, AV_PIX_FMT_YUVA444P10LE, AV_PIX_FMT_YUV444P}) {
    const std::string name = av_get_pix_fmt_name(format);
    SCOPED_TRACE(name);
    std::vector<uint8_t> raw(static_cast<size_t>(av_image_get_buffer_size(format, w, h, 1)));
    std::mt19937 random(static_cast<unsigned>(format));
    const bool deep = format != AV_PIX_FMT_YUV444P;
    for (size_t k = 0; k < raw.size(); ++k) raw[k] = static_cast<uint8_t>(deep && k % 2 ? random() & 3 : random());
    WriteBytes(dir / (name + ".raw"), raw);
    auto r = RunCommand({"ffmpeg", "-v", "error", "-f", "rawvideo", "-pix_fmt", name, "-s", "64x48", "-i",
                         dir / (name + ".raw"), "-c:v", "ffv1", dir / (name + ".mkv")});
    ASSERT_EQ(r.status, 0) << r.err;
    MediaInput in(dir / (name + ".mkv"));
    for (const auto& [tw, th] : std::vector<std::pair<int, int>>{{w, h}, {100, 30}}) {
      HostFrame frame;
      frame.Allocate(tw, th, 16);
      in.RenderFrame(0, frame);
      // The oracle: the scaler's RGBA64 of the same samples.
      const uint8_t* planes[4] = {};
      int strides[4] = {};
      av_image_fill_arrays(const_cast<uint8_t**>(planes), strides, raw.data(), format, w, h, 1);
      std::vector<uint16_t> rgba(static_cast<size_t>(tw) * th * 4);
      SwsContext* sws = sws_getContext(w, h, format, tw, th, AV_PIX_FMT_RGBA64LE, SWS_BICUBIC, nullptr, nullptr,
                                       nullptr);
      ASSERT_NE(sws, nullptr);
      uint8_t* out_planes[4] = {reinterpret_cast<uint8_t*>(rgba.data())};
      const int out_strides[4] = {tw * 8};
      sws_scale(sws, planes, strides, 0, h, out_planes, out_strides);
      sws_freeContext(sws);
      const auto host = [](int v) { return (v * 32768 + 32767) / 65535; };
      for (int y = 0; y < th; ++y)
        for (int x = 0; x < tw; ++x) {
          const uint16_t* p = &rgba[(static_cast<size_t>(y) * tw + x) * 4];
          const int expected[4] = {format == AV_PIX_FMT_YUVA444P10LE ? host(p[3]) : 32768, host(p[0]), host(p[1]),
                                   host(p[2])};
          for (int c = 0; c < 4; ++c)
            ASSERT_EQ(frame.Channel(x, y, c), expected[c])
                << tw << "x" << th << " at " << x << "," << y << " channel " << c;
        }
    }
  }
}

// A movie that says which matrix and range its YUV samples follow is read by
// them, as FFmpeg's scaler told the same reads it; one that says nothing
// keeps the scaler's defaults.
TEST(MediaInput, MoviesAreReadByTheColourMatrixAndRangeTheyName) {
  LUMAVOX_REQUIRE_TOOL("ffmpeg");
  TempDir dir;
  struct Case {
    std::string format, matrix, range;
  };
  for (const Case& c :
       {Case{"yuv444p", "bt709", "tv"}, Case{"yuv420p10le", "bt709", "pc"}, Case{"yuv444p10le", "bt2020nc", "tv"}}) {
    SCOPED_TRACE(c.format + " " + c.matrix + " " + c.range);
    const std::string movie = dir / (c.format + ".mkv");
    auto r = RunCommand({"ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i", "smptebars=size=64x48:duration=0.2",
                         "-pix_fmt", c.format, "-colorspace", c.matrix, "-color_range", c.range, "-c:v", "ffv1",
                         movie});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto oracle = [&](const std::string& matrix, const std::string& range) {
      auto o = RunCommand({"ffmpeg", "-v", "error", "-i", movie, "-vf",
                           "scale=64:48:in_color_matrix=" + matrix + ":in_range=" + range, "-frames:v", "1", "-f",
                           "rawvideo", "-pix_fmt", "rgb24", "-"});
      EXPECT_EQ(o.status, 0) << o.err;
      return std::vector<uint8_t>(o.out.begin(), o.out.end());
    };
    MediaInput in(movie);
    HostFrame frame;
    frame.Allocate(64, 48, 16);
    in.RenderFrame(0, frame);
    const double named = Psnr(oracle(c.matrix, c.range), frame);
    EXPECT_GT(named, 40.0);
    EXPECT_GT(named, Psnr(oracle("bt601", "tv"), frame) + 6.0);
  }
}

// A movie whose display matrix turns its pictures (a telephone's, held
// upright) is read turned, as players and FFmpeg show it, with its size
// turned too.
TEST(MediaInput, TurnedMoviesAreReadAsTheyAreShown) {
  LUMAVOX_REQUIRE_TOOL("ffmpeg");
  TempDir dir;
  const std::string plain = dir / "plain.mov";
  auto r = RunCommand({"ffmpeg", "-v", "error", "-f", "lavfi", "-i", "testsrc2=size=96x64:duration=0.2", "-c:v",
                       "mjpeg", "-q:v", "2", plain});
  ASSERT_EQ(r.status, 0) << r.err;
  // Each turned movie is read as close to FFmpeg's picture as the plain one.
  const auto shown = [](const std::string& movie) {
    auto o = RunCommand(
        {"ffmpeg", "-v", "error", "-i", movie, "-frames:v", "1", "-f", "rawvideo", "-pix_fmt", "rgb24", "-"});
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out.size(), 96u * 64 * 3);
    return std::vector<uint8_t>(o.out.begin(), o.out.end());
  };
  HostFrame upright;
  upright.Allocate(96, 64, 16);
  MediaInput(plain).RenderFrame(0, upright);
  const double plain_psnr = Psnr(shown(plain), upright);
  EXPECT_GT(plain_psnr, 28.0);
  for (const int degrees : {90, 180, 270}) {
    SCOPED_TRACE(degrees);
    const std::string turned = dir / ("turned" + std::to_string(degrees) + ".mov");
    r = RunCommand({"ffmpeg", "-v", "error", "-i", plain, "-c", "copy", "-metadata:s:v:0",
                    "rotate=" + std::to_string(degrees), turned});
    ASSERT_EQ(r.status, 0) << r.err;
    MediaInput in(turned);
    const bool across = degrees != 180;
    EXPECT_EQ(in.info().width, across ? 64 : 96);
    EXPECT_EQ(in.info().height, across ? 96 : 64);
    HostFrame frame;
    frame.Allocate(in.info().width, in.info().height, 16);
    in.RenderFrame(0, frame);
    // FFmpeg turns what it decodes as the matrix says.
    EXPECT_GT(Psnr(shown(turned), frame), plain_psnr - 0.5);
  }
}

// A damaged file of a sequence read with FFmpeg (one to be scaled) fails
// naming the file and what the decoder found, not that the file ended.
TEST(MediaInput, ADamagedPictureToScaleFailsSayingWhatIsWrong) {
  LUMAVOX_REQUIRE_TOOL("ffmpeg");
  TempDir dir;
  auto r = RunCommand({"ffmpeg", "-v", "error", "-f", "lavfi", "-i", "testsrc=size=64x48:rate=24", "-frames:v", "3",
                       dir / "img%03d.png"});
  ASSERT_EQ(r.status, 0) << r.err;
  std::string bytes = ReadText(dir / "img002.png");
  bytes.resize(bytes.size() / 2);
  WriteText(dir / "img002.png", bytes);
  EXPECT_NE(RunCommand({"ffmpeg", "-v", "error", "-i", dir / "img002.png", "-f", "null", "-"}).err, "");
  MediaInput in(dir / "img%03d.png");
  HostFrame frame;
  frame.Allocate(32, 24, 16);
  in.RenderFrame(0, frame);
  try {
    in.RenderFrame(1, frame);
    ADD_FAILURE() << "read a file cut short";
  } catch (const std::runtime_error& e) {
    const std::string what = e.what();
    EXPECT_NE(what.find("img002.png"), std::string::npos) << what;
    char invalid[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(AVERROR_INVALIDDATA, invalid, sizeof invalid);
    EXPECT_NE(what.find(invalid), std::string::npos) << what;
  }
}

// A still picture that FFmpeg decodes with errors (a JPEG cut short, a PNG
// whose image data ends at half its rows) is refused naming the file, as
// PngFrameReader refuses a damaged file, whether it is a single file or one
// of a numbered sequence, and whichever picture reader FFmpeg picks for it.
TEST(MediaInput, StillPicturesDecodedWithErrorsAreRefused) {
  LUMAVOX_REQUIRE_TOOL("ffmpeg");
  TempDir dir;
  struct Case {
    std::string input, damaged, pixels;
    bool cut;  // cut at half its bytes; else a PNG's height doubled in its header
  };
  for (const Case& c :
       {Case{"cut.jpg", "cut.jpg", "yuvj420p", true}, Case{"seq%d.jpg", "seq2.jpg", "yuvj420p", true},
        Case{"palette%d.png", "palette2.png", "pal8", false}, Case{"deep.png", "deep.png", "rgb48be", false}}) {
    SCOPED_TRACE(c.input);
    const bool sequence = c.input.find('%') != std::string::npos;
    auto r = RunCommand({"ffmpeg", "-v", "error", "-f", "lavfi", "-i",
                         "testsrc=size=64x" + std::string(c.cut ? "48" : "24"), "-frames:v", sequence ? "2" : "1",
                         "-pix_fmt", c.pixels, dir / c.input});
    ASSERT_EQ(r.status, 0) << r.err;
    std::vector<uint8_t> bytes = ReadBytes(dir / c.damaged);
    if (c.cut) {
      bytes.resize(bytes.size() / 2);
    } else {
      bytes[23] = 48;  // IHDR's height, and its CRC
      const uint32_t crc = libdeflate_crc32(0, &bytes[12], 17);
      for (int k = 0; k < 4; ++k) bytes[29 + k] = static_cast<uint8_t>(crc >> (24 - 8 * k));
    }
    WriteBytes(dir / c.damaged, bytes);
    EXPECT_NE(RunCommand({"ffmpeg", "-v", "error", "-i", dir / c.damaged, "-f", "null", "-"}).err, "");
    MediaInput in(dir / c.input);
    HostFrame frame;
    frame.Allocate(64, 48, 8);
    if (sequence) in.RenderFrame(0, frame);
    try {
      in.RenderFrame(sequence ? 1 : 0, frame);
      ADD_FAILURE() << "read a damaged picture as whole";
    } catch (const std::runtime_error& e) {
      EXPECT_EQ(std::string(e.what()).find("picture '" + dir / c.damaged + "' is damaged: FFmpeg's "), 0u) << e.what();
    }
  }
  // The program stops the render with the message, and no package is told done.
  const auto r = RunCommand({RenderPath(), "--input", dir / "cut.jpg", "--size", "2048x858", "--depth", "8", "--frames",
                             "1", "--threads", "2", dir / "out.DCP"});
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_NE(r.err.find("picture '" + dir / "cut.jpg" + "' is damaged"), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("render done"), std::string::npos) << r.err;
}
