// Setting up an output: taking over stored records, the rate and size checks
// with their texts, following the composition, and the summary text.
#include "tests/plugin/plugin_harness.h"

using namespace plugin_test;

namespace {

const char kStereoRate[] = "3D DCPs only supports 24 fps";
const char kPackingChanged[] =
    "You have selected InterOp packing style and it only supports 24 fps.\n"
    "Please note that packing style is changed to SMPTE to support your framerate.";
const char kUnsupportedSize[] =
    "Width / height of your composition is not supported.\n"
    "Choose one of the following dimensions:\n"
    "2048x1080 - 2K Full Container\n"
    "1998x1080 - 2K Flat, 1.85:1\n"
    "2048x858  - 2K Scope, 2.39:1\n"
    "1920x1080 - HDTV, 1.77:1\n\n"
    "For stereoscopic, double the width of your comp.\n";

std::string UnsupportedRate(int fps) {
  return "Unsupported framerate: " + std::to_string(fps) +
         " fps\n\nLumavox are supporting 24, 25, 30, 48, 50 and 60 fps";
}

// The stored bytes of a record set up in `comp`.
std::vector<uint8_t> StoredRecord(const lumavox_host::Composition& comp) {
  auto host = LoadedHost(comp);
  EXPECT_EQ(host->InitOutputSpec(), 0);
  std::vector<uint8_t> flat;
  EXPECT_EQ(host->GetFlatOptions(&flat), 0);
  return flat;
}

// Sets the composition's rate and size as the host reports them.
void Recompose(lumavox_host::RenderHost& host, int width, int height, int fps) {
  host.state().spec.width = width;
  host.state().spec.height = height;
  host.state().spec.fps = fps << 16;
}

}  // namespace

TEST(OutputSpec, TheReportForAnUnsupportedSizeFillsItsBufferExactly) {
  EXPECT_EQ(std::string(kUnsupportedSize).size(), 255u);
  auto host = LoadedHost(Comp(1280, 720, 24));
  EXPECT_EQ(host->InitOutputSpec(), 9995);
  ASSERT_EQ(host->state().messages.size(), 1u);
  EXPECT_EQ(host->state().messages[0], kUnsupportedSize);
  // The fixed settings are stored all the same; the output keeps the record.
  std::vector<uint8_t> record = host->OptionsBytes();
  ASSERT_EQ(record.size(), kRecordSize);
  EXPECT_EQ(U32(record, kBitRate), 250u);
  EXPECT_EQ(U32(record, kWidth), 1280u);
  EXPECT_EQ(record[kStereoscopic], 0);
  EXPECT_TRUE(host->state().problems.empty());
}

TEST(OutputSpec, AStoredRecordIsCheckedForRateBeforeSize) {
  // Stereoscopic at 25: refused, and the rate text is not shown; the rate
  // is a valid one, so an Interop record is still switched to SMPTE.
  {
    auto host = LoadedHost(Comp(4096, 1080, 24));
    ASSERT_EQ(host->InitOutputSpec(), 0);
    Recompose(*host, 4096, 1080, 25);
    EXPECT_EQ(host->InitOutputSpec(), 9995);
    EXPECT_EQ(host->state().messages, (std::vector<std::string>{kStereoRate, kPackingChanged}));
    EXPECT_EQ(host->OptionsBytes()[kStereoscopic], 1);
  }
  // Stereoscopic at 23: the stereoscopic text only.
  {
    auto host = LoadedHost(Comp(4096, 1080, 24));
    ASSERT_EQ(host->InitOutputSpec(), 0);
    Recompose(*host, 4096, 1080, 23);
    EXPECT_EQ(host->InitOutputSpec(), 9995);
    EXPECT_EQ(host->state().messages, std::vector<std::string>{kStereoRate});
  }
  // 23 fps: the rate text with the rate, packing untouched, size not read.
  {
    auto host = LoadedHost(Comp(2048, 1080, 24));
    ASSERT_EQ(host->InitOutputSpec(), 0);
    Recompose(*host, 1280, 720, 23);
    EXPECT_EQ(host->InitOutputSpec(), 9995);
    EXPECT_EQ(host->state().messages, std::vector<std::string>{UnsupportedRate(23)});
    std::vector<uint8_t> record = host->OptionsBytes();
    EXPECT_EQ(U32(record, kPacking), 0u);
    EXPECT_EQ(U32(record, kFrameRate), 23u);
    EXPECT_EQ(U32(record, kWidth), 2048u);
  }
  // Interop at 25: switched to SMPTE with its message, no error.
  {
    auto host = LoadedHost(Comp(2048, 1080, 24));
    ASSERT_EQ(host->InitOutputSpec(), 0);
    Recompose(*host, 2048, 1080, 25);
    EXPECT_EQ(host->InitOutputSpec(), 0);
    EXPECT_EQ(host->state().messages, std::vector<std::string>{kPackingChanged});
    EXPECT_EQ(U32(host->OptionsBytes(), kPacking), 1u);
    EXPECT_EQ(host->InitOutputSpec(), 0);  // once SMPTE, nothing more to say
    EXPECT_EQ(host->state().messages.size(), 1u);
  }
  // A supported rate with a size that is not: the size report, the new size
  // kept, stereoscopic not updated.
  {
    auto host = LoadedHost(Comp(4096, 1080, 24));
    ASSERT_EQ(host->InitOutputSpec(), 0);
    Recompose(*host, 1280, 720, 24);
    EXPECT_EQ(host->InitOutputSpec(), 9995);
    EXPECT_EQ(host->state().messages, std::vector<std::string>{kUnsupportedSize});
    std::vector<uint8_t> record = host->OptionsBytes();
    EXPECT_EQ(U32(record, kWidth), 1280u);
    EXPECT_EQ(record[kStereoscopic], 1);
  }
  // And a good size updates it.
  {
    auto host = LoadedHost(Comp(2048, 1080, 24));
    ASSERT_EQ(host->InitOutputSpec(), 0);
    Recompose(*host, 3840, 1080, 24);
    EXPECT_EQ(host->InitOutputSpec(), 0);
    EXPECT_EQ(host->OptionsBytes()[kStereoscopic], 1);
    EXPECT_TRUE(host->state().messages.empty());
  }
}

TEST(OutputSpec, AStoredRecordIsCheckedOnTheSizeAndRateBeingSetUp) {
  // A stereoscopic record set up again for a two-dimensional composition at
  // 25: nothing stereoscopic about it, only the packing changes.
  {
    auto host = LoadedHost(Comp(4096, 1080, 24));
    ASSERT_EQ(host->InitOutputSpec(), 0);
    Recompose(*host, 2048, 1080, 25);
    EXPECT_EQ(host->InitOutputSpec(), 0);
    EXPECT_EQ(host->state().messages, std::vector<std::string>{kPackingChanged});
    std::vector<uint8_t> record = host->OptionsBytes();
    EXPECT_EQ(record[kStereoscopic], 0);
    EXPECT_EQ(U32(record, kWidth), 2048u);
  }
  // A two-dimensional record set up again for a stereoscopic composition at
  // 48: refused, and the record keeps its size.
  {
    auto host = LoadedHost(Comp(2048, 1080, 24));
    ASSERT_EQ(host->InitOutputSpec(), 0);
    Recompose(*host, 4096, 1080, 48);
    EXPECT_EQ(host->InitOutputSpec(), 9995);
    EXPECT_EQ(host->state().messages, (std::vector<std::string>{kStereoRate, kPackingChanged}));
    std::vector<uint8_t> record = host->OptionsBytes();
    EXPECT_EQ(record[kStereoscopic], 0);
    EXPECT_EQ(U32(record, kWidth), 2048u);
  }
  // 24.5 fps is no supported rate, though its whole part is: the rate text
  // with the whole part, and the packing untouched.
  {
    auto host = LoadedHost(Comp(2048, 1080, 24));
    ASSERT_EQ(host->InitOutputSpec(), 0);
    host->state().spec.fps = 49 << 15;
    EXPECT_EQ(host->InitOutputSpec(), 9995);
    EXPECT_EQ(host->state().messages, std::vector<std::string>{UnsupportedRate(24)});
    std::vector<uint8_t> record = host->OptionsBytes();
    EXPECT_EQ(U32(record, kFrameRate), 24u);
    EXPECT_EQ(U32(record, kPacking), 0u);
  }
}

TEST(OutputSpec, TakingOverAStoredRecordKeepsEverySetting) {
  std::vector<uint8_t> stored = StoredRecord(Comp(2048, 1080, 24));
  ASSERT_EQ(stored.size(), kRecordSize);
  PutText(stored, kTitle, 260, "A film");
  PutText(stored, kCategoryText, 32, "feature");
  PutU32(stored, kBitRate, 125);
  PutU32(stored, kXyz, 0);
  PutU32(stored, kAudioSource, 0);
  PutText(stored, kChannelFiles + 512, 512, "/media/right.wav");
  PutText(stored, kSubtitlePath, 512, "/media/subs.xml");
  PutText(stored, kFilmTitle, 64, "FILM");
  PutU32(stored, kTitleSelections + 4 * 19, 3);

  auto host = LoadedHost(Comp(2048, 1080, 24));
  host->SetStoredOptions(stored);
  ASSERT_EQ(host->InitOutputSpec(), 0);
  std::vector<uint8_t> record = host->OptionsBytes();
  ASSERT_EQ(record.size(), kRecordSize);
  // Only the values read from the host may differ.
  std::vector<uint8_t> a = record, b = stored;
  for (std::vector<uint8_t>* r : {&a, &b}) {
    for (size_t i = kOutputDepth; i < kStereoscopic + 1; ++i) (*r)[i] = 0;
    for (size_t i = kHostVersion; i < kHostVersion + 4; ++i) (*r)[i] = 0;
  }
  EXPECT_EQ(a, b);
  EXPECT_EQ(record[kProjectBitDepth], 1);  // the host's 16-bit project
  // The stored handle is replaced and freed.
  for (const auto& h : host->LiveHandles()) EXPECT_NE(h.name, "Stored Options");
  EXPECT_TRUE(host->state().problems.empty());
}

TEST(OutputSpec, ASmallerStoredRecordIsGrownAndAnotherVersionRebuilt) {
  std::vector<uint8_t> full = StoredRecord(Comp(2048, 1080, 24));
  PutText(full, kTitle, 260, "Short one");
  std::vector<uint8_t> small(full.begin(), full.begin() + 5000);
  {
    auto host = LoadedHost(Comp(2048, 1080, 24));
    host->SetStoredOptions(small);
    ASSERT_EQ(host->InitOutputSpec(), 0);
    std::vector<uint8_t> record = host->OptionsBytes();
    ASSERT_EQ(record.size(), kRecordSize);
    EXPECT_EQ(std::vector<uint8_t>(record.begin(), record.begin() + 1384),
              std::vector<uint8_t>(small.begin(), small.begin() + 1384));
    EXPECT_EQ(Text(record, kTitle, 260), "Short one");
    for (size_t i = 5000; i < kRecordSize; ++i) {
      if (i >= kHostVersion && i < kHostVersion + 4) continue;
      ASSERT_EQ(record[i], 0) << "byte " << i;
    }
    EXPECT_TRUE(host->state().problems.empty());
  }
  {
    std::vector<uint8_t> old = full;
    PutU32(old, kVersion, 6);
    PutText(old, kCategoryText, 32, "kept");
    PutU32(old, kBitRate, 100);
    auto host = LoadedHost(Comp(2048, 1080, 25));
    host->SetStoredOptions(old);
    ASSERT_EQ(host->InitOutputSpec(), 0);
    std::vector<uint8_t> record = host->OptionsBytes();
    EXPECT_EQ(U32(record, kVersion), 7u);
    EXPECT_EQ(Text(record, kTitle, 260), "YOUR_DCP_TITLE_HERE");
    EXPECT_EQ(U32(record, kBitRate), 250u);
    EXPECT_EQ(U32(record, kPacking), 1u);                // the defaults' own choice at 25 fps
    EXPECT_EQ(Text(record, kCategoryText, 32), "kept");  // not a field the defaults name
    EXPECT_TRUE(host->state().messages.empty());
  }
  {
    // An empty stored record (found by the record fuzzer: the host copied
    // from no bytes at all) is grown to zeros and rebuilt.
    auto host = LoadedHost(Comp(2048, 1080, 24));
    host->SetStoredOptions({});
    ASSERT_EQ(host->InitOutputSpec(), 0);
    std::vector<uint8_t> record = host->OptionsBytes();
    ASSERT_EQ(record.size(), kRecordSize);
    EXPECT_EQ(U32(record, kVersion), 7u);
    EXPECT_EQ(Text(record, kTitle, 260), "YOUR_DCP_TITLE_HERE");
    EXPECT_TRUE(host->state().problems.empty());
  }
}

TEST(OutputSpec, TheSizeAndRateFollowTheCompositionWithoutChecks) {
  auto host = LoadedHost(Comp(2048, 1080, 24));
  ASSERT_EQ(host->InitOutputSpec(), 0);
  Recompose(*host, 3996, 1080, 23);
  ASSERT_EQ(host->OutputInfoChanged(), 0);
  std::vector<uint8_t> record = host->OptionsBytes();
  EXPECT_EQ(U32(record, kWidth), 3996u);
  EXPECT_EQ(record[kStereoscopic], 1);
  EXPECT_EQ(U32(record, kFrameRate), 23u);
  Recompose(*host, 1280, 720, 24);
  ASSERT_EQ(host->OutputInfoChanged(), 0);
  EXPECT_EQ(host->OptionsBytes()[kStereoscopic], 0);
  EXPECT_TRUE(host->state().messages.empty());
}

TEST(OutputSpec, TheSummaryNamesPackingColourStereoscopyAndSound) {
  std::vector<uint8_t> stored = StoredRecord(Comp(4096, 1080, 24));
  auto host = LoadedHost(Comp(2048, 1080, 24));
  ASSERT_EQ(host->InitOutputSpec(), 0);
  AEIO_Verbiage v{};
  ASSERT_EQ(host->GetOutputInfo(&v), 0);
  EXPECT_STREQ(v.name, "Lumavox");
  EXPECT_STREQ(v.type, "(Lumavox) DCP Package");
  EXPECT_STREQ(v.sub_type,
               "DCI compliant JPEG 2000\nPacking: Interop\nX'Y'Z' processing: enabled\nAudio src: Timeline\n");

  PutU32(stored, kPacking, 1);
  PutU32(stored, kXyz, 0);
  PutU32(stored, kAudioSource, 0);
  host->SetStoredOptions(stored);
  Recompose(*host, 4096, 1080, 24);
  ASSERT_EQ(host->InitOutputSpec(), 0);
  ASSERT_EQ(host->GetOutputInfo(&v), 0);
  EXPECT_STREQ(v.sub_type,
               "DCI compliant JPEG 2000\nPacking: SMPTE\nX'Y'Z' processing: disabled\nStereoscopic\n"
               "Audio Src: External Files\n");
}

TEST(OutputSpec, TheDialogsCancelledLeaveTheSettingsAsTheyAre) {
  auto host = LoadedHost(Comp(2048, 1080, 24));
  ASSERT_EQ(host->InitOutputSpec(), 0);
  std::vector<uint8_t> before = host->OptionsBytes();
  CancelEveryDialog user;
  testing::internal::CaptureStderr();
  EXPECT_EQ(host->UserOptionsDialog(), 0);
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("Comp Name is: Comp 1\n"), std::string::npos);
  EXPECT_EQ(host->UserAudioOptionsDialog(), 0);
  std::vector<uint8_t> after = host->OptionsBytes();
  // Only the basic-data pointer kept for the dialog changes.
  for (size_t i = 11528; i < 11536; ++i) after[i] = before[i];
  EXPECT_EQ(after, before);
  EXPECT_TRUE(host->state().problems.empty());
}
