// The basic suite: hands out the host's suites by name and version, counts
// every acquisition and release for the callback that is running, and refuses
// the suites that a test withholds.
#include <cstring>

#include "host/host_state.h"

namespace lumavox_host {

namespace {

const void* Lookup(const std::string& name, A_long version) {
  struct Entry {
    const char* name;
    A_long version;
    const void* (*table)();
  };
  static const Entry entries[] = {
      {kAEGPMemorySuite, 1, [] { return static_cast<const void*>(HostMemorySuite()); }},
      {kAEGPUtilitySuite, 7, [] { return static_cast<const void*>(HostUtilitySuite7()); }},
      {kAEGPUtilitySuite, 11, [] { return static_cast<const void*>(HostUtilitySuite11()); }},
      {kPFANSISuite, 1, [] { return static_cast<const void*>(HostANSISuite()); }},
      {kAEGPIOOutSuite, 7, [] { return static_cast<const void*>(HostIOOutSuite()); }},
      {kAEGPRegisterSuite, 6, [] { return static_cast<const void*>(HostRegisterSuite()); }},
      {kAEGPIterateSuite, 1, [] { return static_cast<const void*>(HostIterateSuite()); }},
      {kAEGPProjSuite, 8, [] { return static_cast<const void*>(HostProjSuite()); }},
      {kAEGPCompSuite, 15, [] { return static_cast<const void*>(HostCompSuite()); }},
      {kAEGPItemSuite, 10, [] { return static_cast<const void*>(HostItemSuite10()); }},
      {kAEGPItemSuite, 11, [] { return static_cast<const void*>(HostItemSuite11()); }},
      {kAEGPRQItemSuite, 3, [] { return static_cast<const void*>(HostRQItemSuite()); }},
      {kAEGPRenderQueueSuite, 1, [] { return static_cast<const void*>(HostRenderQueueSuite()); }},
      {kAEGPOutputModuleSuite, 4, [] { return static_cast<const void*>(HostOutputModuleSuite()); }},
  };
  for (const Entry& e : entries)
    if (name == e.name && version == e.version) return e.table();
  return nullptr;
}

A_Err AcquireSuite(const char* name, A_long version, const void** suite) {
  HostState& h = HostState::Current();
  h.CheckHostThread("AcquireSuite");
  if (suite) *suite = nullptr;
  if (!name || !suite) {
    h.Problem("AcquireSuite without a name or an out pointer");
    return A_Err_PARAMETER;
  }
  SuiteKey key{name, version};
  if (h.withheld.count(key)) return A_Err_MISSING_SUITE;
  const void* table = Lookup(name, version);
  if (!table) return A_Err_MISSING_SUITE;
  ++h.counts[key].acquired;
  ++h.total_counts[key].acquired;
  *suite = table;
  return A_Err_NONE;
}

A_Err ReleaseSuite(const char* name, A_long version) {
  HostState& h = HostState::Current();
  h.CheckHostThread("ReleaseSuite");
  if (!name) {
    h.Problem("ReleaseSuite without a name");
    return A_Err_PARAMETER;
  }
  SuiteKey key{name, version};
  if (!Lookup(name, version) || h.withheld.count(key)) {
    h.Problem("ReleaseSuite of \"" + key.first + "\" " + std::to_string(version) + ", which was never handed out");
    return A_Err_MISSING_SUITE;
  }
  ++h.counts[key].released;
  ++h.total_counts[key].released;
  return A_Err_NONE;
}

}  // namespace

SPBasicSuite* HostBasicSuite() {
  static SPBasicSuite suite = {AcquireSuite, ReleaseSuite};
  return &suite;
}

}  // namespace lumavox_host
