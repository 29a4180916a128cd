#include <gtest/gtest.h>

#include "tests/encoder/j2k_frames.h"
#include "tests/support/test_support.h"

using namespace j2k_test;

TEST(Codestream, SmokeCard) {
  Frame f;
  MakeFrame(f, 1998, 1080, Content::kCard);
  lumavox_test::TempDir dir;
  EncodeSettings s;
  EncodeResult r = Encode(f, s);
  lumavox_test::WriteBytes("/tmp/enc2_card2.j2c", r.codestream);
  auto planes = DecodeWithOpenJpeg(r.codestream, dir.path(), "card");
  printf("ours size %zu psnr %f\n", r.codestream.size(), Psnr(f, planes));
  WriteFramePpm(f, dir / "in.ppm");
  for (const char* mct : {"0", "1"}) {
    auto rr = lumavox_test::RunCommand({"opj_compress", "-i", dir / "in.ppm", "-o", dir / "ref.j2c", "-cinema2K", "24", "-GuardBits", "1", "-mct", mct});
    auto cs = lumavox_test::ReadBytes(dir / "ref.j2c");
    auto ref = DecodeWithOpenJpeg(cs, dir.path(), "ref");
    printf("opj mct %s size %zu psnr %f\n", mct, cs.size(), Psnr(f, ref));
  }
}
