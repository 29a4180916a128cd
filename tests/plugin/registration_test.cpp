// Loading and registration of the module, its callback table, its use of the
// host's suites, and the debug log, all through the render host.
#include <cstdlib>

#include "platform/aesdk/aeio_module.h"
#include "tests/plugin/plugin_harness.h"

using namespace plugin_test;
using lumavox_host::RenderHost;

namespace {

constexpr uint32_t FourCC(const char (&s)[5]) {
  return uint32_t(uint8_t(s[0])) << 24 | uint32_t(uint8_t(s[1])) << 16 | uint32_t(uint8_t(s[2])) << 8 | uint8_t(s[3]);
}

// Points the drive folder of the module's Windows paths at a test folder.
class DriveRoot {
 public:
  // Before the plug-in starts any thread and after it has stopped them.
  DriveRoot() { setenv("LUMAVOX_DRIVE_ROOT", dir.path().c_str(), 1); }  // NOLINT(concurrency-mt-unsafe)
  ~DriveRoot() { unsetenv("LUMAVOX_DRIVE_ROOT"); }                      // NOLINT(concurrency-mt-unsafe)
  lumavox_test::TempDir dir;
};

void ExpectEveryCallBalanced(const RenderHost& host) {
  for (const lumavox_host::CallRecord& call : host.calls()) {
    for (const auto& [suite, count] : call.suites) {
      EXPECT_EQ(count.acquired, count.released) << call.callback << ": \"" << suite.first << "\" " << suite.second;
    }
  }
}

}  // namespace

TEST(Registration, RegistersTheOutputModuleUnderTheProductName) {
  auto host = LoadedHost(Comp(2048, 1080, 24));
  ASSERT_TRUE(host->Registered());
  const AEIO_ModuleInfo& info = host->module_info();
  EXPECT_EQ(info.sig, FourCC("DCP_"));
  EXPECT_STREQ(info.name, "Lumavox");
  EXPECT_EQ(info.flags, 0x28002876u);
  EXPECT_EQ(info.flags2, 0x41u);
  EXPECT_EQ(info.max_width, 4096);
  EXPECT_EQ(info.max_height, 2160);
  EXPECT_EQ(info.num_filetypes, 1);
  EXPECT_EQ(info.num_extensions, 1);
  EXPECT_EQ(info.create_kind.type, FourCC("DCP_"));
  EXPECT_EQ(info.create_kind.creator, FourCC("ZEBD"));
  EXPECT_STREQ(info.create_ext, ".DCP");
  // The name is copied into a cleared record: nothing follows its zero.
  for (size_t i = 8; i < sizeof info.name; ++i) EXPECT_EQ(info.name[i], 0) << i;

  EXPECT_EQ(host->state().registered_name, "Lumavox");
  EXPECT_NE(host->state().death_hook, nullptr);
  ExpectEveryCallBalanced(*host);
  EXPECT_TRUE(host->state().problems.empty());
}

TEST(Registration, FillsExactlyTheTwentyOneSlotsAndTheSimpleOnesAnswerAsTheyShould) {
  auto host = LoadedHost(Comp(2048, 1080, 24));
  const AEIO_FunctionBlock4& f = host->functions();
  const std::vector<int> filled = {14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 41, 43, 45};
  for (int i = 0; i < AEIO_FUNCTION_BLOCK_SLOTS; ++i) {
    bool expected = std::find(filled.begin(), filled.end(), i) != filled.end();
    EXPECT_EQ(AEIO_FunctionBlockSlot(f, i) != nullptr, expected) << "slot " << i;
  }

  AEIO_BasicData* bd = host->basic();
  AEIO_OutSpecH out = host->out_spec();
  // The unsupported ones refuse with 9992 and leave their out parameters alone.
  EXPECT_EQ(host->Call("AEIO_SetOutputFile", f.AEIO_SetOutputFile, bd, out, (const A_UTF16Char*)u"x"), 9992);
  AEIO_LabelFlags labels = 0x5A5A;
  EXPECT_EQ(host->Call("AEIO_WriteLabels", f.AEIO_WriteLabels, bd, out, &labels), 9992);
  EXPECT_EQ(labels, 0x5A5A);
  A_u_longlong free_space = 11, file_size = 22;
  EXPECT_EQ(host->Call("AEIO_GetSizes", f.AEIO_GetSizes, bd, out, &free_space, &file_size), 9992);
  EXPECT_EQ(free_space, 11u);
  EXPECT_EQ(file_size, 22u);
  A_char suffix[8] = "keep";
  EXPECT_EQ(host->Call("AEIO_GetOutputSuffix", f.AEIO_GetOutputSuffix, bd, out, suffix), 9992);
  EXPECT_STREQ(suffix, "keep");
  // The ones it accepts and ignores.
  EXPECT_EQ(host->Call("AEIO_OutputFrame", f.AEIO_OutputFrame, bd, out, (const PF_EffectWorld*)nullptr), 0);
  EXPECT_EQ(host->Call("AEIO_Flush", f.AEIO_Flush, bd, out), 0);
  AEIO_IdleFlags idle = 7;
  EXPECT_EQ(host->Call("AEIO_Idle", f.AEIO_Idle, bd, FourCC("DCP_"), &idle), 0);
  EXPECT_EQ(idle, 7);
  EXPECT_EQ(host->Call("AEIO_SetUserData", f.AEIO_SetUserData, bd, out, A_u_long{1}, A_u_long{0}, AEIO_Handle{nullptr}),
            0);
  EXPECT_EQ(host->Call("AEIO_AddMarker", f.AEIO_AddMarker, bd, out, A_long{0}, AEIO_MarkerType{0}, (void*)nullptr,
                       (AEIO_InterruptFuncs*)nullptr),
            0);
  AEIO_SupportedDepthFlags depths = 0;
  EXPECT_EQ(host->GetDepths(&depths), 0);
  EXPECT_EQ(depths, 0x840);

  // None of these touches a suite.
  for (const char* name : {"AEIO_SetOutputFile", "AEIO_WriteLabels", "AEIO_GetSizes", "AEIO_GetOutputSuffix",
                           "AEIO_OutputFrame", "AEIO_Flush", "AEIO_Idle", "AEIO_SetUserData", "AEIO_AddMarker"}) {
    ASSERT_NE(host->LastCall(name), nullptr) << name;
    EXPECT_TRUE(host->LastCall(name)->suites.empty()) << name;
  }
  EXPECT_TRUE(host->state().problems.empty());
}

TEST(Registration, EverySuiteACallbackAcquiresIsReleasedAtItsEnd) {
  auto host = LoadedHost(Comp(2048, 1080, 24));
  ASSERT_EQ(host->InitOutputSpec(), 0);
  ASSERT_EQ(host->InitOutputSpec(), 0);  // takes over the record: more suites
  std::vector<uint8_t> flat;
  ASSERT_EQ(host->GetFlatOptions(&flat), 0);
  AEIO_Verbiage verbiage{};
  ASSERT_EQ(host->GetOutputInfo(&verbiage), 0);
  ASSERT_EQ(host->OutputInfoChanged(), 0);
  {
    CancelEveryDialog user;
    ASSERT_EQ(host->UserOptionsDialog(), 0);
    ASSERT_EQ(host->UserAudioOptionsDialog(), 0);
  }
  ASSERT_EQ(host->DisposeOptions(), 0);

  ExpectEveryCallBalanced(*host);
  const lumavox_host::CallRecord* takeOver = host->LastCall("AEIO_InitOutputSpec");
  ASSERT_NE(takeOver, nullptr);
  for (const lumavox_host::SuiteKey& key : {lumavox_host::SuiteKey{"AEGP Memory Suite", 1},
                                            {"AEGP IO Out Suite", 7},
                                            {"AEGP Utility Suite", 11},
                                            {"AEGP Proj Suite", 8}}) {
    ASSERT_TRUE(takeOver->suites.count(key)) << key.first;
    EXPECT_GE(takeOver->suites.at(key).acquired, 1) << key.first;
  }
  const lumavox_host::CallRecord* dialog = host->LastCall("AEIO_UserOptionsDialog");
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(dialog->suites.count({"AEGP Comp Suite", 15}));
  EXPECT_TRUE(host->state().problems.empty());
  for (const auto& [key, count] : host->state().total_counts) {
    EXPECT_EQ(count.acquired, count.released) << key.first << " " << key.second;
  }
}

TEST(Registration, AMissingSuiteIsReturnedAs516AndNothingEscapes) {
  lumavox_host::HostSettings settings;
  settings.comp = Comp(2048, 1080, 24);
  settings.echo = false;
  {
    RenderHost host(settings);
    host.Load(lumavox_test::PluginPath());
    host.Withhold("AEGP Register Suite", 6);
    EXPECT_EQ(host.CallEntryPoint(), 516);
    EXPECT_FALSE(host.Registered());
    EXPECT_TRUE(host.state().problems.empty());
  }
  {
    // The last registration step: the module and its hook are registered,
    // the product name is not.
    RenderHost host(settings);
    host.Load(lumavox_test::PluginPath());
    host.Withhold("AEGP Utility Suite", 7);
    EXPECT_EQ(host.CallEntryPoint(), 516);
    EXPECT_TRUE(host.Registered());
    EXPECT_TRUE(host.state().registered_name.empty());
    ExpectEveryCallBalanced(host);
    EXPECT_TRUE(host.state().problems.empty());
  }
}

TEST(Registration, MissingSuitesDuringSetUpUnlockAndFreeWhatTheCallbackHeld) {
  auto host = LoadedHost(Comp(2048, 1080, 24));
  ASSERT_EQ(host->InitOutputSpec(), 0);
  std::vector<uint8_t> before = host->OptionsBytes();

  // Taking over the record needs the project suite after both records are
  // locked.
  host->Withhold("AEGP Proj Suite", 8);
  EXPECT_EQ(host->InitOutputSpec(), 516);
  host->Offer("AEGP Proj Suite", 8);
  // The output keeps its record; the new one is gone; nothing stays locked.
  EXPECT_EQ(host->OptionsBytes(), before);
  int records = 0;
  for (const auto& b : host->LiveHandles()) {
    EXPECT_EQ(b.locks, 0) << b.name;
    if (b.name == "Output Options") ++records;
  }
  EXPECT_EQ(records, 1);

  // Flattening, the summary and the dialogs without their suites.
  host->Withhold("AEGP Memory Suite", 1);
  EXPECT_EQ(host->GetFlatOptions(nullptr), 516);
  host->Offer("AEGP Memory Suite", 1);
  host->Withhold("PF ANSI Suite", 1);
  AEIO_Verbiage verbiage{};
  EXPECT_EQ(host->GetOutputInfo(&verbiage), 516);
  host->Offer("PF ANSI Suite", 1);
  host->Withhold("AEGP Item Suite", 11);
  EXPECT_EQ(host->UserOptionsDialog(), 516);
  host->Offer("AEGP Item Suite", 11);

  for (const auto& b : host->LiveHandles()) EXPECT_EQ(b.locks, 0) << b.name;
  ExpectEveryCallBalanced(*host);
  EXPECT_TRUE(host->state().problems.empty());
}

TEST(DebugLog, WrittenOnlyWhileTheGuardFileExists) {
  DriveRoot drives;
  const std::string log = drives.dir / "Lumavox_Log.txt";
  {
    testing::internal::CaptureStderr();
    auto host = LoadedHost(Comp(2048, 1080, 24));
    EXPECT_EQ(host->InitOutputSpec(), 0);
    std::string err = testing::internal::GetCapturedStderr();
    // The standard error copies appear all the same.
    EXPECT_NE(err.find("EntryPointFunc\n"), std::string::npos);
    EXPECT_NE(err.find("My_InitOutputSpec\n"), std::string::npos);
    EXPECT_FALSE(lumavox_test::FileExists(log));
  }
  {
    lumavox_test::WriteText(drives.dir / "logmetofile.txt", "");
    lumavox_test::WriteText(log, "left from an earlier run\n");
    auto host = LoadedHost(Comp(2048, 1080, 24));
    // Loading empties the log; each message is appended as it stands.
    EXPECT_EQ(lumavox_test::ReadText(log), "EntryPointFunc\n");
    testing::internal::CaptureStderr();
    EXPECT_EQ(host->InitOutputSpec(), 0);
    EXPECT_EQ(host->InitOutputSpec(), 0);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(lumavox_test::ReadText(log),
              "EntryPointFunc\nMy_InitOutputSpec\nMy_InitOutputSpec\n"
              "My_InitOutputSpec  ------- bInitialized\n");
    EXPECT_NE(err.find("My_InitOutputSpec ------- bInitialized\n"), std::string::npos);

    // Without the guard the log stays as it is.
    ASSERT_EQ(std::remove((drives.dir / "logmetofile.txt").c_str()), 0);
    EXPECT_EQ(host->InitOutputSpec(), 0);
    EXPECT_EQ(lumavox_test::ReadText(log),
              "EntryPointFunc\nMy_InitOutputSpec\nMy_InitOutputSpec\n"
              "My_InitOutputSpec  ------- bInitialized\n");
  }
}

TEST(Registration, TheDeathHookSaysGoodbyeOnStandardError) {
  auto host = LoadedHost(Comp(2048, 1080, 24));
  testing::internal::CaptureStderr();
  host->Finish();
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("DeathHook..\n"), std::string::npos);
  EXPECT_TRUE(host->state().problems.empty());
}

#include "plugin/declaration_resource.h"

TEST(Registration, DeclaresAGeneralPluginWithItsEntryPoint) {
  const PiPLResource& r = LumavoxDeclaration();
  EXPECT_EQ(r.type, FourCC("PIPL"));
  EXPECT_EQ(r.resource_id, 16000);
  EXPECT_EQ(r.version, 1);
  EXPECT_EQ(r.list_version, 0);
  ASSERT_EQ(r.properties.size(), 5u);
  const char* keys[] = {"kind", "name", "catg", "vers", "8664"};
  for (size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(r.properties[i].vendor, FourCC("8BIM")) << i;
    EXPECT_EQ(r.properties[i].id, 0) << i;
    EXPECT_EQ(r.properties[i].key, (uint32_t(uint8_t(keys[i][0])) << 24 | uint32_t(uint8_t(keys[i][1])) << 16 |
                                    uint32_t(uint8_t(keys[i][2])) << 8 | uint8_t(keys[i][3])))
        << i;
  }
  auto bytes = [](const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); };
  EXPECT_EQ(r.properties[0].data, (std::vector<uint8_t>{'x', 'g', 'E', 'A'}));  // 'AEgx', little-endian
  EXPECT_EQ(r.properties[1].data, bytes(std::string("\x07") + "Lumavox"));
  EXPECT_EQ(r.properties[2].data, bytes(std::string("\x0e") + "General Plugin"));
  EXPECT_EQ(r.properties[3].data, (std::vector<uint8_t>{0x00, 0x00, 0x01, 0x00}));
  EXPECT_EQ(r.properties[4].data, bytes(std::string("EntryPointFunc") + '\0'));
}
