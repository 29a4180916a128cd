// Stored records with damaged bytes: every field, boundary and random values,
// handed to the set-up as a host hands a project's record over. Each one is
// either refused with a message, or the render writes documents that are
// well-formed and valid against the published schemas; the host notices no
// misuse of its suites or memory, and the sanitizers nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <iterator>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "host/frame_source.h"
#include "host/render_host.h"
#include "package/subtitle_check.h"
#include "plugin/output_options.h"
#include "tests/support/schema_validator.h"
#include "tests/support/test_support.h"

using namespace lumavox_host;
using lumavox_test::SchemaValidator;
using lumavox_test::TempDir;

namespace {

enum class Kind { kText, kByte, kShort, kWord, kDouble, kRaw };

struct Field {
  const char* name;
  size_t offset;
  size_t size;
  Kind kind;
};

// clang-format off
#define TEXT(f) Field{#f, offsetof(OutputOptions, f), sizeof(OutputOptions::f), Kind::kText}
#define BYTE(f) Field{#f, offsetof(OutputOptions, f), 1, Kind::kByte}
#define SHORT(f) Field{#f, offsetof(OutputOptions, f), 2, Kind::kShort}
#define WORD(f) Field{#f, offsetof(OutputOptions, f), 4, Kind::kWord}
#define RAW(f) Field{#f, offsetof(OutputOptions, f), sizeof(OutputOptions::f), Kind::kRaw}

// Every field of the stored layout but the version (a record of another
// version is rebuilt from the defaults; the host refuses such a file).
const Field kFields[] = {
    BYTE(reserved4), TEXT(folderPath), WORD(reserved268), TEXT(title), TEXT(annotation), TEXT(issuer),
    TEXT(compName), BYTE(useCompName), RAW(padding1313), WORD(categoryIndex), TEXT(categoryText), WORD(packing),
    WORD(bitRate), WORD(stereoBitRate), WORD(reserved1364), WORD(xyzConversion), WORD(frameRate), WORD(width),
    WORD(height), SHORT(outputDepth), BYTE(projectBitDepth), BYTE(stereoscopic), TEXT(pictureUuid),
    RAW(reserved1452), BYTE(encoderFlag), RAW(padding1465), WORD(reserved1468), WORD(reserved1472),
    BYTE(multiSelectAudio), RAW(padding1477), WORD(audioSource), WORD(audioLayout), WORD(inPoint),
    WORD(audioFrames),
    Field{"channelFiles[0]", offsetof(OutputOptions, channelFiles), 512, Kind::kText},
    Field{"channelFiles[1]", offsetof(OutputOptions, channelFiles) + 512, 512, Kind::kText},
    Field{"channelFiles[5]", offsetof(OutputOptions, channelFiles) + 5 * 512, 512, Kind::kText},
    Field{"channelFiles[7]", offsetof(OutputOptions, channelFiles) + 7 * 512, 512, Kind::kText},
    TEXT(soundUuid), WORD(subtitleFrames), RAW(reserved5660), BYTE(subtitleOn), TEXT(subtitlePath), TEXT(subtitleUuid),
    BYTE(subtitleSmpte), BYTE(subtitleHasFont), TEXT(fontUuid), TEXT(fontFile), BYTE(reserved6819),
    TEXT(pictureFileName), TEXT(soundFileName), TEXT(subtitleFileName), RAW(padding8356),
    Field{"durationFrames", offsetof(OutputOptions, durationFrames), 8, Kind::kDouble}, TEXT(reelUuid),
    TEXT(cplUuid), TEXT(pklUuid), TEXT(assetMapUuid), TEXT(spareUuid), RAW(reserved8688), WORD(framesRemaining),
    WORD(buffersFilled), WORD(framesWritten), WORD(bufferCount), BYTE(reserved8708), RAW(images),
    RAW(imageHandles), RAW(compressors), RAW(byteStreams), RAW(byteStreamHandles), RAW(tileBuffers),
    RAW(tileBufferHandles), Field{"basicData", offsetof(OutputOptions, basicData), sizeof(void*), Kind::kRaw},
    SHORT(hostVersionMajor), SHORT(hostVersionMinor), TEXT(filmTitle),
    RAW(titleSelections), RAW(padding11684),
};
// clang-format on
#undef TEXT
#undef BYTE
#undef SHORT
#undef WORD
#undef RAW

// Texts that have broken documents or paths: control characters, bytes that
// are not UTF-8 (a lone continuation byte, an overlong form, a surrogate,
// beyond U+10FFFF, a cut sequence), the two non-characters, markup.
const std::vector<std::string> kNastyTexts = {"\x01\x02\x1f",
                                              "tab\tand\nline\rend",
                                              "\x7f\xc2\x80\xc2\x9f",
                                              "\x80",
                                              "\xc0\xaf",
                                              "\xed\xa0\x80",
                                              "\xf4\x90\x80\x80",
                                              "\xe2\x82",
                                              "\xef\xbf\xbe\xef\xbf\xbf",
                                              "<a>&amp;]]></CompositionPlaylist>",
                                              "\xff\xfe",
                                              "caf\xe9",
                                              "../../../escape",
                                              "/",
                                              "urn:uuid:",
                                              "\xf0\x9f\x98\x80 ok"};

class Mutator {
 public:
  explicit Mutator(uint32_t seed) : random_(seed) {}

  uint32_t Below(uint32_t n) { return std::uniform_int_distribution<uint32_t>(0, n - 1)(random_); }

  // Changes one field of the record (or, now and then, a few bytes anywhere);
  // returns what was done.
  std::string Mutate(std::vector<uint8_t>& record) {
    if (Below(8) == 0) {
      std::string done = "bytes";
      for (uint32_t k = 1 + Below(8); k > 0; --k) {
        const size_t at = 4 + Below(static_cast<uint32_t>(record.size() - 4));
        record[at] = static_cast<uint8_t>(Below(256));
        done += " " + std::to_string(at);
      }
      return done;
    }
    return MutateField(record, kFields[Below(static_cast<uint32_t>(std::size(kFields)))]);
  }

  // Gives the field a boundary or random value of its kind; returns what was done.
  std::string MutateField(std::vector<uint8_t>& record, const Field& field) {
    uint8_t* at = record.data() + field.offset;
    switch (field.kind) {
      case Kind::kText: return std::string(field.name) + " " + MutateText(at, field.size);
      case Kind::kByte: *at = static_cast<uint8_t>(Pick({0, 1, 2, 0x7f, 0x80, 0xff}, 256)); break;
      case Kind::kShort: Put(at, 2, Pick({0, 1, 24, 48, 0x7fff, 0x8000, 0xffff}, 65536)); break;
      case Kind::kWord:
        Put(at, 4,
            Pick({0,  1,   2,   3,   9,   10,   23,   24,         25,          30,         48,
                  60, 125, 126, 250, 251, 1080, 2048, 0x7fffffff, 0x80000000u, 0xffffffffu},
                 0));
        break;
      case Kind::kDouble: {
        const double values[] = {0.0, -1.0, 1e300, 4294967296.0, std::nan(""), 3.5};
        std::memcpy(at, &values[Below(6)], 8);
        break;
      }
      case Kind::kRaw:
        for (size_t k = 0; k < field.size; ++k) at[k] = Below(2) ? static_cast<uint8_t>(Below(256)) : 0xff;
        break;
    }
    return field.name;
  }

 private:
  // A boundary value, or (one time in three) any value below `range` (0: any
  // 32-bit value).
  uint32_t Pick(std::initializer_list<uint32_t> boundary, uint32_t range) {
    if (Below(3) == 0) return range ? Below(range) : static_cast<uint32_t>(random_());
    return *(boundary.begin() + Below(static_cast<uint32_t>(boundary.size())));
  }

  static void Put(uint8_t* at, size_t size, uint32_t value) {
    for (size_t k = 0; k < size; ++k) at[k] = static_cast<uint8_t>(value >> (8 * k));
  }

  std::string MutateText(uint8_t* at, size_t size) {
    switch (Below(5)) {
      case 0:  // noise over the whole field, no terminating zero
        for (size_t k = 0; k < size; ++k) at[k] = static_cast<uint8_t>(1 + Below(255));
        return "noise";
      case 1: {  // a nasty text inside what is there
        const std::string& text = kNastyTexts[Below(static_cast<uint32_t>(kNastyTexts.size()))];
        const size_t from = Below(static_cast<uint32_t>(size));
        const size_t n = std::min(text.size(), size - from);
        std::memcpy(at + from, text.data(), n);
        if (Below(2) && from + n < size) at[from + n] = 0;
        return "nasty";
      }
      case 2: {  // valid multi-byte text up to the last byte, cut inside a character
        for (size_t k = 0; k + 1 < size; k += 2) {
          at[k] = 0xc3;
          at[k + 1] = 0xa9;
        }
        at[size - 1] = 0xc3;
        return "cut";
      }
      case 3: std::memset(at, 0, size); return "empty";
      default:  // one byte anywhere in the field
        at[Below(static_cast<uint32_t>(size))] = static_cast<uint8_t>(Below(256));
        return "byte";
    }
  }

  std::mt19937 random_;
};

// The frame is black and the sound silent.
class SilentSource : public FrameSource {
 public:
  void RenderFrame(int64_t, HostFrame&) override {}
  std::vector<int16_t> Sound(int64_t, int count) override { return std::vector<int16_t>(size_t(count) * 2, 0); }
};

// A render of the one black frame, without the host's reading ahead: the
// render start, the sound of the composition, the frame, the render end with
// its track files, digests and documents.
A_Err StartAndEnd(RenderHost& host, FrameSource& source, const HostFrame& frame) {
  A_Err err = host.StartAdding();
  if (err) return err;
  if (host.state().enabled_outputs & AEGP_OutputType_AUDIO) err = host.AddSoundChunk(0, source.Sound(0, 48000));
  if (!err) err = host.AddFrame(0, frame);
  if (err) host.SetQueueState(AEGP_RenderQueueState_STOPPED);
  const A_Err end = host.EndAdding();
  return err ? err : end;
}

struct Scenario {
  const char* name;
  int width, height, fps;
  std::vector<uint8_t> record;
};

// The documents of a package folder with their schemas; Interop's volume
// index has none and is only checked for well-formedness.
std::string CheckDocuments(SchemaValidator& validator, const std::string& folder, bool* wrote) {
  std::string faults;
  *wrote = false;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
    const std::string name = entry.path().filename().string();
    const std::string path = entry.path().string();
    const bool smpte = std::filesystem::exists(folder + "/ASSETMAP.xml");
    std::string fault;
    if (name.rfind("cpl_", 0) == 0) {
      *wrote = true;
      fault = validator.Validate(path, smpte ? "cpl-smpte-with-extensions.xsd" : "cpl-interop-with-extensions.xsd");
    } else if (name.rfind("pkl_", 0) == 0) {
      fault = validator.Validate(path, smpte ? "SMPTE-429-8-2006-PKL.xsd" : "PROTO-ASDCP-PKL-20040311.xsd");
    } else if (name == "ASSETMAP.xml" || name == "VOLINDEX.xml") {
      fault = validator.Validate(path, "SMPTE-429-9-2007-AM.xsd");
    } else if (name == "ASSETMAP") {
      fault = validator.Validate(path, "PROTO-ASDCP-AM-20040311.xsd");
    } else if (name == "VOLINDEX") {
      fault = validator.WellFormed(path);
    }
    if (!fault.empty()) faults += name + ": " + fault + "\n";
  }
  return faults;
}

class StoredRecordMutation : public ::testing::Test {
 protected:
  // A record as the set-up stores it for the composition, changed by `edit`.
  std::vector<uint8_t> BaseRecord(int width, int height, int fps, const std::function<void(OutputOptions&)>& edit) {
    HostSettings settings = Settings(width, height, fps, dir_ / "base.DCP");
    RenderHost host(settings);
    host.Load(lumavox_test::PluginPath());
    EXPECT_EQ(host.CallEntryPoint(), 0);
    EXPECT_EQ(host.InitOutputSpec(), 0);
    std::vector<uint8_t> bytes = host.OptionsBytes();
    edit(*reinterpret_cast<OutputOptions*>(bytes.data()));
    return bytes;
  }

  HostSettings Settings(int width, int height, int fps, const std::string& output) {
    HostSettings s;
    s.comp.width = width;
    s.comp.height = height;
    s.comp.fps_num = fps;
    s.comp.frames = 1;
    s.output_path = output;
    s.threads = 0;  // one encoding slot: the least memory to set up
    s.echo = false;
    return s;
  }

  // A reference subtitle folder copied into the test's folder, every
  // subtitle moved into the first frame, which is all a scenario renders.
  std::string OneFrameSubtitles(const std::string& kind, const std::string& document, bool smpte) {
    const std::filesystem::path from = lumavox_test::SharedDir() + "/reference/subtitles/" + kind;
    const std::filesystem::path to = dir_ / kind;
    std::filesystem::create_directories(to);
    for (const auto& entry : std::filesystem::directory_iterator(from))
      if (entry.path().filename() != document) std::filesystem::copy_file(entry.path(), to / entry.path().filename());
    std::string text = lumavox_test::ReadText((from / document).string());
    text = std::regex_replace(text, std::regex("TimeIn=\"[0-9:]*\""),
                              smpte ? "TimeIn=\"00:00:00:00\"" : "TimeIn=\"00:00:00:000\"");
    text = std::regex_replace(text, std::regex("TimeOut=\"[0-9:]*\""),
                              smpte ? "TimeOut=\"00:00:00:01\"" : "TimeOut=\"00:00:00:010\"");
    lumavox_test::WriteText((to / document).string(), text);
    return (to / document).string();
  }

  std::vector<Scenario> Scenarios() {
    const std::string wavs = lumavox_test::SharedDir() + "/reference/wav/";
    auto choose = [](OutputOptions& o, const std::string& path, A_u_long packing) {
      const A_u_long kept = o.packing;
      o.packing = packing;
      char message[kSubtitleMessageSize] = "";
      EXPECT_EQ(CheckSubtitleFile(path.c_str(), &o, message), 1) << message;
      std::snprintf(o.subtitlePath, sizeof o.subtitlePath, "%s", path.c_str());
      o.subtitleOn = 1;
      o.packing = kept;
    };
    std::vector<Scenario> all;
    all.push_back({"interop, timeline sound", 2048, 858, 24, BaseRecord(2048, 858, 24, [](OutputOptions& o) {
                     std::strcpy(o.title, "Mutated title");
                     o.useCompName = 0;
                   })});
    all.push_back({"smpte 5.1 external sound", 2048, 858, 25, BaseRecord(2048, 858, 25, [&](OutputOptions& o) {
                     o.audioSource = 0;
                     o.audioLayout = 1;
                     const char* names[] = {"ch1_L", "ch2_R", "ch3_C", "ch4_LFE", "ch5_Ls", "ch6_Rs"};
                     for (int c = 0; c < 6; ++c)
                       std::snprintf(o.channelFiles[c], sizeof o.channelFiles[c], "%s%s.wav", wavs.c_str(), names[c]);
                     std::strcpy(o.categoryText, "trailer");
                   })});
    all.push_back({"interop subtitles with font", 1998, 1080, 24, BaseRecord(1998, 1080, 24, [&](OutputOptions& o) {
                     choose(o, OneFrameSubtitles("interop", "subs_interop.xml", false), 0);
                   })});
    all.push_back({"smpte stereoscopic subtitles", 4096, 858, 24, BaseRecord(4096, 858, 24, [&](OutputOptions& o) {
                     o.packing = 1;
                     choose(o, OneFrameSubtitles("smpte", "subs.xml", true), 1);
                   })});
    return all;
  }

  // One mutated record through set-up and render; counts what became of it.
  void RunOne(SchemaValidator& validator, const Scenario& scenario, const std::vector<uint8_t>& record,
              const std::string& what, int index, bool whole) {
    const std::string output = dir_ / ("r" + std::to_string(index) + ".DCP");
    const std::string folder = output.substr(0, output.size() - 4);
    SilentSource source;
    RenderHost host(Settings(scenario.width, scenario.height, scenario.fps, output));
    host.Load(lumavox_test::PluginPath());
    ASSERT_EQ(host.CallEntryPoint(), 0);
    host.SetStoredOptions(record);
    const A_Err setUp = host.InitOutputSpec();
    const size_t shownAtSetUp = host.state().messages.size();
    if (setUp != A_Err_NONE) {
      EXPECT_GT(shownAtSetUp, 0u) << what << ": the set-up refused the record (" << setUp << ") without a message";
      ++refusedAtSetUp_;
    } else {
      const A_Err rendered = whole ? host.Render(source) : StartAndEnd(host, source, Black(host.settings().comp));
      bool wrote = false;
      const std::string faults = CheckDocuments(validator, folder, &wrote);
      EXPECT_EQ(faults, "") << what;
      if (rendered != A_Err_NONE) {
        EXPECT_GT(host.state().messages.size(), shownAtSetUp)
            << what << ": the render failed (" << rendered << ") without a message";
        EXPECT_FALSE(wrote) << what << ": a failed render left a CPL";
        ++refusedAtRender_;
      } else {
        EXPECT_TRUE(wrote) << what << ": a render that succeeded wrote no CPL";
        ++written_;
      }
    }
    host.Finish();
    EXPECT_TRUE(host.state().problems.empty()) << what << ": " << host.state().problems.front();
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
  }

  // The black frame of a composition's size, made once for every render of that size.
  const HostFrame& Black(const Composition& c) {
    if (black_.width != c.width || black_.height != c.height || black_.depth != c.depth)
      black_.Allocate(c.width, c.height, c.depth);
    return black_;
  }

  TempDir dir_;
  HostFrame black_;
  int refusedAtSetUp_ = 0, refusedAtRender_ = 0, written_ = 0;
};

// How many fields each record changes in turn: under the sanitizers, which
// run each render ten times slower, three in each of fewer records.
constexpr size_t kTurnsPerRecord = lumavox_test::kSanitized ? 3 : 1;

// How many records each scenario runs (LUMAVOX_MUTATION_RECORDS overrides):
// one for each field, and under the sanitizers enough for the four scenarios
// to change every field once. Each record's render encodes its frame, which
// takes most of its time.
int RecordsPerScenario() {
  if (const char* count = std::getenv("LUMAVOX_MUTATION_RECORDS")) return std::atoi(count);
  return lumavox_test::kSanitized ? 7 : static_cast<int>(std::size(kFields));
}

}  // namespace

TEST_F(StoredRecordMutation, EveryRecordIsRefusedWithAMessageOrRendersValidDocuments) {
  SchemaValidator validator;
  const std::vector<Scenario> scenarios = Scenarios();
  Mutator mutator(20261207);
  int index = 0;
  for (const Scenario& scenario : scenarios) {
    // The scenario as it stands renders.
    RunOne(validator, scenario, scenario.record, std::string(scenario.name) + ": unchanged", index++, true);
    ASSERT_EQ(written_, index) << scenario.name;
  }
  const int per = RecordsPerScenario();
  // Each record changes the next field in turn, then up to two more at
  // random: every scenario has each of its fields changed (under the
  // sanitizers, the fields go on from one scenario to the next).
  size_t next = 0;
  for (const Scenario& scenario : scenarios) {
    for (int k = 0; k < per; ++k) {
      std::vector<uint8_t> record = scenario.record;
      std::string what = std::string(scenario.name) + ", record " + std::to_string(k) + ":";
      for (size_t turn = 0; turn < kTurnsPerRecord; ++turn)
        what += " " + mutator.MutateField(record, kFields[next++ % std::size(kFields)]);
      for (uint32_t n = mutator.Below(3); n > 0; --n) what += " " + mutator.Mutate(record);
      // One record in 25 through a whole render, frame encoding included.
      const bool whole = k % 25 == 0;
      RunOne(validator, scenario, record, what + (whole ? " (whole render)" : ""), index++, whole);
      if (HasFailure()) return;
    }
  }
  std::printf("mutated records: %d refused at set-up, %d refused at render start, %d rendered\n", refusedAtSetUp_,
              refusedAtRender_, written_);
  EXPECT_GT(written_, per);  // the mutations leave many records that render
}
