// "AEGP Memory Suite" 1: named handles with lock counts. Misuse (unknown
// handles, unlocking what is not locked, resizing or freeing a locked handle,
// a plug-in id other than the registered one) is reported as a fault.
#include <cstring>
#include <new>

#include "host/host_state.h"

namespace lumavox_host {

namespace {

A_Err NewMemHandle(AEGP_PluginID plugin_id, const A_char* whatZ, AEGP_MemSize size, AEGP_MemFlag flags,
                   AEGP_MemHandle* memPH) {
  HostState& h = HostState::Current();
  h.CheckHostThread("AEGP_NewMemHandle");
  if (!memPH) {
    h.Problem("AEGP_NewMemHandle without an out handle");
    return A_Err_PARAMETER;
  }
  *memPH = nullptr;
  std::string name = whatZ ? whatZ : "";
  if (!whatZ) h.Problem("AEGP_NewMemHandle without a name");
  if (plugin_id != h.registered_plugin_id)
    h.Problem("handle \"" + name + "\" made with plug-in id " + std::to_string(plugin_id) +
              " instead of the registered " + std::to_string(h.registered_plugin_id));
  if (size > (AEGP_MemSize{1} << 34)) return A_Err_ALLOC;
  if (h.handle_refusal && h.handle_refusal->name == name && --h.handle_refusal->count == 0) {
    const bool thrown = h.handle_refusal->thrown;
    h.handle_refusal.reset();
    if (thrown) throw std::bad_alloc();
    return A_Err_ALLOC;
  }
  (void)flags;  // blocks are always cleared
  *memPH = h.NewHandle(name, plugin_id, static_cast<size_t>(size), false);
  return A_Err_NONE;
}

A_Err FreeMemHandle(AEGP_MemHandle memH) {
  HostState& h = HostState::Current();
  h.CheckHostThread("AEGP_FreeMemHandle");
  return h.FreeHandle(memH);
}

A_Err LockMemHandle(AEGP_MemHandle memH, void** ptrPV) {
  HostState& h = HostState::Current();
  h.CheckHostThread("AEGP_LockMemHandle");
  if (ptrPV) *ptrPV = nullptr;
  MemBlock* b = h.Find(memH);
  if (!b || !ptrPV) return A_Err_PARAMETER;
  ++b->locks;
  *ptrPV = b->bytes.data();
  return A_Err_NONE;
}

A_Err UnlockMemHandle(AEGP_MemHandle memH) {
  HostState& h = HostState::Current();
  h.CheckHostThread("AEGP_UnlockMemHandle");
  MemBlock* b = h.Find(memH);
  if (!b) return A_Err_PARAMETER;
  if (b->locks == 0) {
    h.Problem("handle \"" + b->name + "\" was unlocked but not locked");
    return A_Err_PARAMETER;
  }
  --b->locks;
  return A_Err_NONE;
}

A_Err GetMemHandleSize(AEGP_MemHandle memH, AEGP_MemSize* sizeP) {
  HostState& h = HostState::Current();
  h.CheckHostThread("AEGP_GetMemHandleSize");
  MemBlock* b = h.Find(memH);
  if (!b || !sizeP) return A_Err_PARAMETER;
  *sizeP = b->bytes.size();
  return A_Err_NONE;
}

A_Err ResizeMemHandle(const A_char* whatZ, AEGP_MemSize new_size, AEGP_MemHandle memH) {
  HostState& h = HostState::Current();
  h.CheckHostThread("AEGP_ResizeMemHandle");
  MemBlock* b = h.Find(memH);
  if (!b) return A_Err_PARAMETER;
  if (b->locks > 0) {
    h.Problem("handle \"" + b->name + "\" was resized while locked (" + (whatZ ? whatZ : "") + ")");
    return A_Err_PARAMETER;
  }
  if (new_size > (AEGP_MemSize{1} << 34)) return A_Err_ALLOC;
  b->bytes.resize(static_cast<size_t>(new_size));
  return A_Err_NONE;
}

AEGP_MemorySuite1 MakeSuite() {
  AEGP_MemorySuite1 s;
  FillWithTraps(&s, sizeof s, kAEGPMemorySuite, kAEGPMemorySuiteVersion1);
  s.AEGP_NewMemHandle = NewMemHandle;
  s.AEGP_FreeMemHandle = FreeMemHandle;
  s.AEGP_LockMemHandle = LockMemHandle;
  s.AEGP_UnlockMemHandle = UnlockMemHandle;
  s.AEGP_GetMemHandleSize = GetMemHandleSize;
  s.AEGP_ResizeMemHandle = ResizeMemHandle;
  return s;
}

}  // namespace

const AEGP_MemorySuite1* HostMemorySuite() {
  static const AEGP_MemorySuite1 suite = MakeSuite();
  return &suite;
}

}  // namespace lumavox_host
