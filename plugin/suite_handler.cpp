#include "plugin/suite_handler.h"

namespace {

struct SuiteId {
  const char* name;
  A_long version;
};

// Indexed like SuiteHandler::Slot.
const SuiteId kSuites[] = {
    {kAEGPMemorySuite, kAEGPMemorySuiteVersion1},
    {kAEGPUtilitySuite, kAEGPUtilitySuiteVersion7},
    {kAEGPUtilitySuite, kAEGPUtilitySuiteVersion11},
    {kPFANSISuite, kPFANSISuiteVersion1},
    {kAEGPIOOutSuite, kAEGPIOOutSuiteVersion7},
    {kAEGPRegisterSuite, kAEGPRegisterSuiteVersion6},
    {kAEGPIterateSuite, kAEGPIterateSuiteVersion1},
    {kAEGPProjSuite, kAEGPProjSuiteVersion8},
    {kAEGPCompSuite, kAEGPCompSuiteVersion15},
    {kAEGPItemSuite, kAEGPItemSuiteVersion10},
    {kAEGPItemSuite, kAEGPItemSuiteVersion11},
    {kAEGPRQItemSuite, kAEGPRQItemSuiteVersion3},
    {kAEGPRenderQueueSuite, kAEGPRenderQueueSuiteVersion1},
    {kAEGPOutputModuleSuite, kAEGPOutputModuleSuiteVersion4},
};

}  // namespace

SuiteHandler::SuiteHandler(SPBasicSuite* basicSuite) : basic_(basicSuite), suites_{} {
  static_assert(sizeof(kSuites) / sizeof(kSuites[0]) == kSlotCount, "one entry per suite");
  if (!basic_) ThrowMissingSuite();
}

SuiteHandler::~SuiteHandler() { ReleaseAllSuites(); }

void SuiteHandler::ThrowMissingSuite() { throw static_cast<A_Err>(A_Err_MISSING_SUITE); }

const void* SuiteHandler::LoadSuite(const char* name, A_long version) {
  const void* suite = nullptr;
  if (!basic_->AcquireSuite || basic_->AcquireSuite(name, version, &suite) != A_Err_NONE || !suite) {
    ThrowMissingSuite();
  }
  return suite;
}

const void* SuiteHandler::Get(Slot slot) {
  if (!suites_[slot]) suites_[slot] = LoadSuite(kSuites[slot].name, kSuites[slot].version);
  return suites_[slot];
}

void SuiteHandler::ReleaseAllSuites() {
  for (int i = 0; i < kSlotCount; ++i) {
    if (suites_[i]) {
      if (basic_->ReleaseSuite) basic_->ReleaseSuite(kSuites[i].name, kSuites[i].version);
      suites_[i] = nullptr;
    }
  }
}

#define LUMAVOX_SUITE_GETTER(Getter, Type, slot) \
  const Type* SuiteHandler::Getter() { return static_cast<const Type*>(Get(slot)); }
LUMAVOX_SUITE_GETTER(MemorySuite1, AEGP_MemorySuite1, kMemory1)
LUMAVOX_SUITE_GETTER(UtilitySuite7, AEGP_UtilitySuite7, kUtility7)
LUMAVOX_SUITE_GETTER(UtilitySuite11, AEGP_UtilitySuite11, kUtility11)
LUMAVOX_SUITE_GETTER(ANSISuite1, PF_ANSICallbacksSuite1, kANSI1)
LUMAVOX_SUITE_GETTER(IOOutSuite7, AEGP_IOOutSuite7, kIOOut7)
LUMAVOX_SUITE_GETTER(RegisterSuite6, AEGP_RegisterSuite6, kRegister6)
LUMAVOX_SUITE_GETTER(IterateSuite1, AEGP_IterateSuite1, kIterate1)
LUMAVOX_SUITE_GETTER(ProjSuite8, AEGP_ProjSuite8, kProj8)
LUMAVOX_SUITE_GETTER(CompSuite15, AEGP_CompSuite15, kComp15)
LUMAVOX_SUITE_GETTER(ItemSuite10, AEGP_ItemSuite10, kItem10)
LUMAVOX_SUITE_GETTER(ItemSuite11, AEGP_ItemSuite11, kItem11)
LUMAVOX_SUITE_GETTER(RQItemSuite3, AEGP_RQItemSuite3, kRQItem3)
LUMAVOX_SUITE_GETTER(RenderQueueSuite1, AEGP_RenderQueueSuite1, kRenderQueue1)
LUMAVOX_SUITE_GETTER(OutputModuleSuite4, AEGP_OutputModuleSuite4, kOutputModule4)
#undef LUMAVOX_SUITE_GETTER
