// The picture descriptor against the markers of a codestream coded with the
// same compressor, read back by the test's own marker reader.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "encoder/cinema_setup.h"
#include "encoder/j2k/cio.h"
#include "encoder/j2k/compressor.h"
#include "encoder/j2k/image.h"
#include "encoder/j2k/parameters.h"
#include "platform/asdcp/JP2K_picture_descriptor.h"
#include "plugin/output_options.h"
#include "plugin/picture_descriptor.h"
#include "tests/support/j2c_descriptor.h"

namespace {

struct Coded {
  ASDCP::JP2K::PictureDescriptor filled;
  ASDCP::JP2K::PictureDescriptor fromMarkers;
};

// Sets up a compressor for one eye of the output as a render does, fills the
// descriptor from it and codes one mid-grey picture.
Coded Code(uint32_t width, uint32_t height, bool stereoscopic) {
  auto options = std::make_unique<OutputOptions>();
  std::memset(options.get(), 0, sizeof(OutputOptions));
  options->width = width;
  options->height = height;
  options->stereoscopic = stereoscopic ? 1 : 0;
  options->frameRate = 24;
  options->bitRate = 250;
  options->stereoBitRate = 125;
  options->durationFrames = 48.7;

  opj_cparameters parameters;
  EXPECT_EQ(j2c_initialize(24, 1, options.get(), &parameters), 0);
  const int w = static_cast<int>(stereoscopic ? width / 2 : width);
  const int h = static_cast<int>(height);
  std::vector<std::vector<int32_t>> planes(3, std::vector<int32_t>(static_cast<size_t>(w) * h, 2048));
  std::vector<std::vector<int32_t>> tiles(3, std::vector<int32_t>(static_cast<size_t>(w) * h));
  opj_image_comp comps[3] = {};
  for (int c = 0; c < 3; ++c) {
    comps[c] = opj_image_comp{1, 1, w, h, 0, 0, 12, 12, 0, planes[c].data(), nullptr};
  }
  opj_image image{0, 0, w, h, 3, 1, comps, nullptr};
  cinema_setup_encoder(&parameters, options.get(), &image);
  opj_cinfo* compressor = opj_create_compress();
  opj_setup_encoder(compressor, &parameters, &image);

  Coded coded;
  FillPictureDescriptor(coded.filled, *compressor, image, *options);

  std::vector<uint8_t> buffer(static_cast<size_t>(w) * h * 6);
  opj_cio cio{};
  cio.cinfo = compressor;
  cio.openmode = OPJ_STREAM_WRITE;
  cio.buffer = buffer.data();
  cio.length = static_cast<int32_t>(buffer.size());
  cio.start = cio.bp = buffer.data();
  cio.end = buffer.data() + buffer.size();
  int32_t* tileBuffers[3] = {tiles[0].data(), tiles[1].data(), tiles[2].data()};
  EXPECT_EQ(opj_encode(compressor, &cio, &image, false, tileBuffers), 1);
  buffer.resize(static_cast<size_t>(cio_tell(&cio)));
  EXPECT_TRUE(lumavox_test::DescriptorFromCodestream(buffer, &coded.fromMarkers));
  opj_destroy_compress(compressor);
  std::free(parameters.cp_comment);
  return coded;
}

// The coding values agree field for field (the records hold bytes only).
void ExpectSameCoding(const ASDCP::JP2K::PictureDescriptor& a, const ASDCP::JP2K::PictureDescriptor& b) {
  EXPECT_EQ(a.Rsize, b.Rsize);
  EXPECT_EQ(std::vector<uint32_t>({a.Xsize, a.Ysize, a.XOsize, a.YOsize, a.XTsize, a.YTsize, a.XTOsize, a.YTOsize}),
            std::vector<uint32_t>({b.Xsize, b.Ysize, b.XOsize, b.YOsize, b.XTsize, b.YTsize, b.XTOsize, b.YTOsize}));
  EXPECT_EQ(a.Csize, b.Csize);
  EXPECT_EQ(std::memcmp(a.ImageComponents, b.ImageComponents, sizeof a.ImageComponents), 0);
  EXPECT_EQ(std::memcmp(&a.CodingStyleDefault, &b.CodingStyleDefault, sizeof a.CodingStyleDefault), 0);
  EXPECT_EQ(std::memcmp(&a.QuantizationDefault, &b.QuantizationDefault, sizeof a.QuantizationDefault), 0);
}

}  // namespace

TEST(PictureDescriptor, DescribesWhatTheCodestreamsCarry) {
  for (uint32_t width : {2048u, 1998u, 4096u}) {
    const uint32_t height = width == 4096 ? 2160 : 1080;
    SCOPED_TRACE(width);
    const Coded coded = Code(width, height, false);
    ExpectSameCoding(coded.filled, coded.fromMarkers);
    EXPECT_EQ(coded.filled.StoredWidth, width);
    EXPECT_EQ(coded.filled.StoredHeight, height);
    EXPECT_EQ(coded.filled.AspectRatio, ASDCP::Rational(static_cast<int32_t>(width), static_cast<int32_t>(height)));
    EXPECT_EQ(coded.filled.EditRate, ASDCP::Rational(24, 1));
    EXPECT_EQ(coded.filled.SampleRate, ASDCP::Rational(24, 1));
    EXPECT_EQ(coded.filled.ContainerDuration, 48u);
    EXPECT_EQ(coded.filled.QuantizationDefault.SPqcdLength, 32);
    EXPECT_EQ(coded.filled.Rsize, width == 4096 ? 0 : 3);
  }
}

TEST(PictureDescriptor, AStereoscopicOutputDescribesOneEye) {
  const Coded coded = Code(4096, 1080, true);
  ExpectSameCoding(coded.filled, coded.fromMarkers);
  EXPECT_EQ(coded.filled.StoredWidth, 2048u);
  EXPECT_EQ(coded.filled.AspectRatio, ASDCP::Rational(2048, 1080));
  EXPECT_EQ(coded.filled.Xsize, 2048u);
}
