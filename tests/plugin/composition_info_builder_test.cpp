#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>

#include "plugin/composition_info.h"
#include "plugin/composition_info_builder.h"
#include "plugin/output_options.h"

namespace {

std::unique_ptr<OutputOptions> Options(uint32_t width, uint32_t height, bool stereoscopic, uint32_t packing) {
  auto options = std::make_unique<OutputOptions>();
  std::memset(options.get(), 0, sizeof(OutputOptions));
  options->width = width;
  options->height = height;
  options->stereoscopic = stereoscopic ? 1 : 0;
  options->packing = packing;
  options->frameRate = 24;
  options->durationFrames = 1000.0;
  options->audioSource = 1;
  return options;
}

std::unique_ptr<DcpCompositionInfo> Fill(const OutputOptions& options) {
  auto info = std::make_unique<DcpCompositionInfo>();
  std::memset(info.get(), 0x5A, sizeof(DcpCompositionInfo));  // what is not written stays 0x5A
  FillCompositionInfo(options, *info);
  return info;
}

}  // namespace

TEST(CompositionInfo, AspectOfEveryAcceptedSizeInBothPackings) {
  struct Row {
    uint32_t width, height;
    bool stereoscopic;
    const char* interop;
    uint32_t pictureWidth;
  };
  // Width over height to two decimals, one eye's width for stereoscopic sizes.
  const Row rows[] = {
      {2048, 1080, false, "1.90", 2048}, {1998, 1080, false, "1.85", 1998}, {2048, 858, false, "2.39", 2048},
      {1920, 1080, false, "1.78", 1920}, {4096, 2160, false, "1.90", 4096}, {3996, 2160, false, "1.85", 3996},
      {4096, 1716, false, "2.39", 4096}, {3840, 2160, false, "1.78", 3840}, {4096, 1080, true, "1.90", 2048},
      {3996, 1080, true, "1.85", 1998},  {4096, 858, true, "2.39", 2048},   {3840, 1080, true, "1.78", 1920},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::to_string(row.width) + "x" + std::to_string(row.height));
    auto interop = Fill(*Options(row.width, row.height, row.stereoscopic, 0));
    EXPECT_STREQ(interop->aspectText, row.interop);
    EXPECT_EQ(interop->aspectWidth, 0x5A5A5A5Au);  // SMPTE fields untouched with Interop packing
    EXPECT_EQ(interop->stereoscopic, row.stereoscopic ? 1 : 0);
    auto smpte = Fill(*Options(row.width, row.height, row.stereoscopic, 1));
    EXPECT_EQ(smpte->aspectWidth, row.pictureWidth);
    EXPECT_EQ(smpte->aspectHeight, row.height);
    EXPECT_EQ(smpte->aspectText[0], 0x5A);  // Interop text untouched with SMPTE packing
    EXPECT_EQ(smpte->packing, 1u);
  }
}

TEST(CompositionInfo, RatesDurationsAndSound) {
  auto stereo = Fill(*Options(4096, 1080, true, 0));
  EXPECT_STREQ(stereo->editRate, "24 1");
  EXPECT_STREQ(stereo->frameRate, "48 1");
  EXPECT_EQ(stereo->pictureDuration, 1000u);
  EXPECT_EQ(stereo->pictureIntrinsicDuration, 1000u);
  // Timeline sound: the picture's duration from its start.
  EXPECT_EQ(stereo->soundDuration, 1000u);
  EXPECT_EQ(stereo->soundIntrinsicDuration, 1000u);
  EXPECT_EQ(stereo->soundEntryPoint, 0u);

  auto flat = Options(1998, 1080, false, 1);
  flat->frameRate = 50;
  flat->durationFrames = 1000.9;  // truncated
  flat->audioSource = 0;
  flat->inPoint = 48;
  flat->audioFrames = 1048;
  auto info = Fill(*flat);
  EXPECT_STREQ(info->editRate, "50 1");
  EXPECT_STREQ(info->frameRate, "50 1");
  EXPECT_EQ(info->pictureDuration, 1000u);
  EXPECT_EQ(info->soundDuration, 1000u);
  EXPECT_EQ(info->soundIntrinsicDuration, 1048u);
  EXPECT_EQ(info->soundEntryPoint, 48u);

  // Found by the record fuzzer: a duration no frame count holds is none,
  // never what the conversion happens to give.
  for (double duration : {-1.0, 5e9, 1e300, std::nan("")}) {
    flat->durationFrames = duration;
    EXPECT_EQ(Fill(*flat)->pictureDuration, 0u) << duration;
  }
}

TEST(CompositionInfo, TitleTextsNamesAndUuids) {
  auto options = Options(2048, 1080, false, 0);
  std::strcpy(options->title, "My Film");
  std::strcpy(options->compName, "Comp 1");
  std::strcpy(options->issuer, "Issuer & Co");
  std::strcpy(options->annotation, "Note");
  std::strcpy(options->folderPath, "/tmp/out/T");
  std::strcpy(options->pictureFileName, "j2c_1.mxf");
  std::strcpy(options->spareUuid, "s");
  std::strcpy(options->categoryText, "trailer");

  options->useCompName = 1;
  EXPECT_STREQ(Fill(*options)->contentTitle, "Comp 1");
  options->useCompName = 0;
  auto info = Fill(*options);
  EXPECT_STREQ(info->contentTitle, "My Film");
  options->title[0] = '\0';
  EXPECT_STREQ(Fill(*options)->contentTitle, "Comp 1");

  EXPECT_STREQ(info->issuer, "Issuer & Co");
  EXPECT_STREQ(info->annotation, "Note");
  EXPECT_STREQ(info->folderPath, "/tmp/out/T");
  EXPECT_STREQ(info->contentKind, "trailer");
  EXPECT_STREQ(info->pictureFileName, "j2c_1.mxf");
  EXPECT_STREQ(info->pictureHash, "");
  EXPECT_STREQ(info->soundHash, "");
  EXPECT_STREQ(info->spareUuid, "s");
  // Subtitles off: only the flag is written.
  EXPECT_EQ(info->subtitleOn, 0);
  EXPECT_EQ(info->subtitleIsMxf, 0x5A);
  EXPECT_EQ(info->subtitlePath[0], 0x5A);
  EXPECT_EQ(info->fontUuid[0], 0x5A);
  // A record whose dialog never set the content kind text takes it from the index.
  options->categoryText[0] = '\0';
  options->categoryIndex = 0;
  EXPECT_STRNE(Fill(*options)->contentKind, "");
}

TEST(CompositionInfo, SubtitleFieldsAreCutToTheirWidthNeverOverflowed) {
  auto options = Options(2048, 1080, false, 1);
  options->subtitleOn = 1;
  options->subtitleSmpte = 1;
  options->subtitleHasFont = 1;
  std::memset(options->subtitlePath, 'p', 511);
  std::memset(options->fontFile, 'f', 511);
  std::strcpy(options->subtitleUuid, "33333333-3333-4333-8333-333333333333");
  std::strcpy(options->fontUuid, "44444444-4444-4444-8444-444444444444");
  std::strcpy(options->subtitleFileName, "sub_3.mxf");
  auto info = Fill(*options);
  EXPECT_EQ(info->subtitleOn, 1);
  EXPECT_EQ(info->subtitleIsMxf, 1);
  EXPECT_EQ(info->fontPresent, 1);
  EXPECT_EQ(std::strlen(info->subtitlePath), sizeof info->subtitlePath - 1);
  EXPECT_EQ(std::strlen(info->fontFile), sizeof info->fontFile - 1);
  EXPECT_STREQ(info->subtitleUuid, "33333333-3333-4333-8333-333333333333");
  EXPECT_STREQ(info->fontUuid, "44444444-4444-4444-8444-444444444444");
  EXPECT_STREQ(info->subtitleFileName, "sub_3.mxf");
}
