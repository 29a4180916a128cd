// "AEGP Register Suite" 6: the death hook and the output module's
// registration (its information record and function block are copied, since
// the plug-in may build them on its stack).
#include "host/host_state.h"

namespace lumavox_host {

namespace {

A_Err RegisterDeathHook(AEGP_PluginID plugin_id, AEGP_DeathHook hook, AEGP_DeathRefcon refcon) {
  HostState& h = HostState::Current();
  h.CheckHostThread("AEGP_RegisterDeathHook");
  if (plugin_id != h.entry_plugin_id && plugin_id != h.registered_plugin_id)
    h.Problem("AEGP_RegisterDeathHook with the unknown plug-in id " + std::to_string(plugin_id));
  if (!hook) return A_Err_PARAMETER;
  h.death_hook = hook;
  h.death_refcon = refcon;
  return A_Err_NONE;
}

A_Err RegisterIO(AEGP_PluginID plugin_id, AEGP_IORefcon, const AEIO_ModuleInfo* io_infoP,
                 const AEIO_FunctionBlock4* aeio_fcn_blockP) {
  HostState& h = HostState::Current();
  h.CheckHostThread("AEGP_RegisterIO");
  if (plugin_id != h.entry_plugin_id && plugin_id != h.registered_plugin_id)
    h.Problem("AEGP_RegisterIO with the unknown plug-in id " + std::to_string(plugin_id));
  if (!io_infoP || !aeio_fcn_blockP) return A_Err_STRUCT;
  h.module_info = *io_infoP;
  h.functions = *aeio_fcn_blockP;
  h.io_registered = true;
  return A_Err_NONE;
}

AEGP_RegisterSuite6 MakeSuite() {
  AEGP_RegisterSuite6 s;
  FillWithTraps(&s, sizeof s, kAEGPRegisterSuite, 6);
  s.AEGP_RegisterDeathHook = RegisterDeathHook;
  s.AEGP_RegisterIO = RegisterIO;
  return s;
}

}  // namespace

const AEGP_RegisterSuite6* HostRegisterSuite() {
  static const AEGP_RegisterSuite6 suite = MakeSuite();
  return &suite;
}

}  // namespace lumavox_host
