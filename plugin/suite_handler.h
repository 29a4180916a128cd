// SuiteHandler: the host's suites for the length of one call. Each entry point
// and callback builds one on its stack from the basic suite it was given; a
// suite is acquired on its first use and every acquired suite is released
// when the handler goes. A suite the host does not offer throws the host
// error A_Err_MISSING_SUITE (an A_Err); CallFromHost turns it into the
// callback's result.
#pragma once

#include "platform/aesdk/aegp_suites.h"
#include "platform/aesdk/basic_suite.h"

class SuiteHandler {
 public:
  // Throws A_Err_MISSING_SUITE when basicSuite is null.
  explicit SuiteHandler(SPBasicSuite* basicSuite);
  ~SuiteHandler();
  SuiteHandler(const SuiteHandler&) = delete;
  SuiteHandler& operator=(const SuiteHandler&) = delete;

  SPBasicSuite* BasicSuite() const { return basic_; }

  const AEGP_MemorySuite1* MemorySuite1();
  const AEGP_UtilitySuite7* UtilitySuite7();
  const AEGP_UtilitySuite11* UtilitySuite11();
  const PF_ANSICallbacksSuite1* ANSISuite1();
  const AEGP_IOOutSuite7* IOOutSuite7();
  const AEGP_RegisterSuite6* RegisterSuite6();
  const AEGP_IterateSuite1* IterateSuite1();
  const AEGP_ProjSuite8* ProjSuite8();
  const AEGP_CompSuite15* CompSuite15();
  const AEGP_ItemSuite10* ItemSuite10();
  const AEGP_ItemSuite11* ItemSuite11();
  const AEGP_RQItemSuite3* RQItemSuite3();
  const AEGP_RenderQueueSuite1* RenderQueueSuite1();
  const AEGP_OutputModuleSuite4* OutputModuleSuite4();

  // Throws the missing-suite error.
  [[noreturn]] static void ThrowMissingSuite();

 private:
  enum Slot {
    kMemory1,
    kUtility7,
    kUtility11,
    kANSI1,
    kIOOut7,
    kRegister6,
    kIterate1,
    kProj8,
    kComp15,
    kItem10,
    kItem11,
    kRQItem3,
    kRenderQueue1,
    kOutputModule4,
    kSlotCount
  };
  const void* Get(Slot slot);
  const void* LoadSuite(const char* name, A_long version);
  void ReleaseAllSuites();

  SPBasicSuite* basic_;
  const void* suites_[kSlotCount];
};
