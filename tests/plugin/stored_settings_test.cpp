// A stored record taken over by the set-up: damaged texts come back clean
// and within their fields; settings no dialog can choose are refused with a
// message that names them.
#include "plugin/stored_settings.h"

#include "plugin/output_options.h"
#include "tests/plugin/plugin_harness.h"

using namespace plugin_test;

namespace {

std::vector<uint8_t> StoredDefaults() {
  auto host = LoadedHost(Comp(1998, 1080, 24));
  EXPECT_EQ(host->InitOutputSpec(), 0);
  return host->OptionsBytes();
}

}  // namespace

TEST(StoredSettings, DamagedTextsAreCleanedWhenTheRecordIsTakenOver) {
  std::vector<uint8_t> stored = StoredDefaults();
  std::memset(stored.data() + kTitle, 'T', 260);  // no terminating zero: runs into the annotation
  PutText(stored, kIssuer, 260, "Issuer\x01\xff");
  PutText(stored, kCategoryText, 32, "short\nfilm");
  auto host = LoadedHost(Comp(1998, 1080, 24));
  host->SetStoredOptions(stored);
  ASSERT_EQ(host->InitOutputSpec(), 0);
  const std::vector<uint8_t> live = host->OptionsBytes();
  EXPECT_EQ(Text(live, kTitle, 260), std::string(259, 'T'));
  EXPECT_EQ(Text(live, kAnnotation, 260), "YOUR_DCP_ANNOTATION_TEXT_HERE");
  EXPECT_EQ(Text(live, kIssuer, 260), "Issuer\xEF\xBF\xBD\xEF\xBF\xBD");
  EXPECT_EQ(Text(live, kCategoryText, 32),
            "short\xEF\xBF\xBD"
            "film");
}

TEST(StoredSettings, SettingsNoDialogCanChooseAreRefusedWithAMessage) {
  const struct {
    size_t offset;
    uint32_t value;
    const char* named;
  } cases[] = {{kPacking, 2, "the packing standard is 2"},
               {1316, 10, "the content kind is 10"},
               {kBitRate, 251, "the bit rate is 251 Mbit/s"},
               {kStereoBitRate, 126, "the stereoscopic bit rate is 126 Mbit/s"},
               {kAudioSource, 0xFFFFFFFF, "the sound source is 4294967295"},
               {1484, 3, "the channel layout is 3"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.named);
    std::vector<uint8_t> stored = StoredDefaults();
    PutU32(stored, c.offset, c.value);
    auto host = LoadedHost(Comp(1998, 1080, 24));
    host->SetStoredOptions(stored);
    EXPECT_EQ(host->InitOutputSpec(), 9995);
    ASSERT_EQ(host->state().messages.size(), 1u);
    EXPECT_NE(
        host->state().messages[0].find(std::string("The stored settings of this output cannot be used: ") + c.named),
        std::string::npos)
        << host->state().messages[0];
  }
  // The largest values the dialogs offer are taken.
  std::vector<uint8_t> stored = StoredDefaults();
  PutU32(stored, kPacking, 1);
  PutU32(stored, 1316, 9);
  PutU32(stored, kBitRate, 250);
  PutU32(stored, kStereoBitRate, 125);
  PutU32(stored, 1484, 2);
  auto host = LoadedHost(Comp(1998, 1080, 24));
  host->SetStoredOptions(stored);
  EXPECT_EQ(host->InitOutputSpec(), 0);
  EXPECT_TRUE(host->state().messages.empty());
}
