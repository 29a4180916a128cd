#include <gtest/gtest.h>

#include "platform/aesdk/aegp_suites.h"
#include "platform/aesdk/aeio_module.h"
#include "platform/aesdk/entry_point.h"
#include "platform/aesdk/pipl.h"

TEST(AeSdk, FourCharacterCodesPutTheFirstCharacterHighest) {
  EXPECT_EQ(AE_FourCC("DCP_"), 0x4443505Fu);
  EXPECT_EQ(AE_FourCC("ZEBD"), 0x5A454244u);
}

TEST(AeSdk, FunctionBlockSlotsAreReadByPosition) {
  AEIO_FunctionBlock4 block{};
  block.AEIO_Flush = [](AEIO_BasicData*, AEIO_OutSpecH) -> A_Err { return 0; };
  for (int i = 0; i < AEIO_FUNCTION_BLOCK_SLOTS; ++i) {
    EXPECT_EQ(AEIO_FunctionBlockSlot(block, i) != nullptr, i == 27) << "slot " << i;
  }
}

TEST(AeSdk, DeclarationResourceBytesPadEachPropertyToFourBytes) {
  PiPLResource r{AE_FourCC("PIPL"), 16000, 1, 0, {}};
  r.properties.push_back({AE_FourCC("8BIM"), AE_FourCC("name"), 0, PiPLLengthPrefixedString("Abc")});
  r.properties.push_back({AE_FourCC("8BIM"), AE_FourCC("vers"), 0, PiPLLong(0x00010000)});
  std::vector<uint8_t> b = PiPLBytes(r);
  ASSERT_EQ(b.size(), 10u + 16 + 4 + 16 + 4);
  EXPECT_EQ(b[0], 1);  // version
  EXPECT_EQ(b[6], 2);  // property count
  EXPECT_EQ(std::vector<uint8_t>(b.begin() + 10, b.begin() + 14),
            (std::vector<uint8_t>{'M', 'I', 'B', '8'}));  // vendor, little-endian code
  EXPECT_EQ(b[22], 4);                                    // data length of "Abc" with its length byte
  EXPECT_EQ(std::vector<uint8_t>(b.begin() + 26, b.begin() + 30), (std::vector<uint8_t>{3, 'A', 'b', 'c'}));
  EXPECT_EQ(r.Find(AE_FourCC("vers"))->data, PiPLLong(0x00010000));
  EXPECT_EQ(r.Find(AE_FourCC("kind")), nullptr);
}
