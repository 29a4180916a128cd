// "AEGP Utility Suite" 7 and 11, "PF ANSI Suite" 1, and the message function
// of the basic data: what the plug-in shows to the user goes to standard
// error and is kept for tests.
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "host/host_state.h"

namespace lumavox_host {

namespace {

A_Err ReportInfo(AEGP_PluginID plugin_id, const A_char* info_stringZ) {
  HostState& h = HostState::Current();
  h.CheckHostThread("AEGP_ReportInfo");
  if (plugin_id != h.registered_plugin_id && plugin_id != h.entry_plugin_id)
    h.Problem("AEGP_ReportInfo with the unknown plug-in id " + std::to_string(plugin_id));
  h.Message(info_stringZ ? info_stringZ : "");
  return h.report_result;
}

A_Err RegisterWithAEGP(AEGP_GlobalRefcon, const A_char* plugin_nameZ, AEGP_PluginID* plugin_id) {
  HostState& h = HostState::Current();
  h.CheckHostThread("AEGP_RegisterWithAEGP");
  if (!plugin_id) return A_Err_PARAMETER;
  h.registered_name = plugin_nameZ ? plugin_nameZ : "";
  h.registered_plugin_id = 4242;
  *plugin_id = h.registered_plugin_id;
  return A_Err_NONE;
}

A_Err GetMainHWND(HWND* main_hwnd) {
  HostState::Current().CheckHostThread("AEGP_GetMainHWND");
  if (!main_hwnd) return A_Err_PARAMETER;
  *main_hwnd = nullptr;  // no window on this host: dialogs have no parent
  return A_Err_NONE;
}

A_Err GetHostVersion(A_u_short* majorP, A_u_short* minorP) {
  HostState::Current().CheckHostThread("AEGP_GetHostVersion");
  if (majorP) *majorP = 23;
  if (minorP) *minorP = 0;
  return A_Err_NONE;
}

A_long AnsiSprintf(A_char* buffer, const A_char* format, ...) {
  va_list args;
  va_start(args, format);
  int n = std::vsprintf(buffer, format, args);
  va_end(args);
  return n;
}

A_char* AnsiStrcpy(A_char* dest, const A_char* src) { return std::strcpy(dest, src); }

AEGP_UtilitySuite7 MakeUtility7() {
  AEGP_UtilitySuite7 s;
  FillWithTraps(&s, sizeof s, kAEGPUtilitySuite, 7);
  s.AEGP_ReportInfo = ReportInfo;
  s.AEGP_RegisterWithAEGP = RegisterWithAEGP;
  s.AEGP_GetMainHWND = GetMainHWND;
  return s;
}

AEGP_UtilitySuite11 MakeUtility11() {
  AEGP_UtilitySuite11 s;
  FillWithTraps(&s, sizeof s, kAEGPUtilitySuite, 11);
  s.AEGP_GetHostVersion = GetHostVersion;
  return s;
}

PF_ANSICallbacksSuite1 MakeANSI() {
  PF_ANSICallbacksSuite1 s;
  FillWithTraps(&s, sizeof s, kPFANSISuite, 1);
  s.sprintf = AnsiSprintf;
  s.strcpy = AnsiStrcpy;
  return s;
}

}  // namespace

A_Err HostMessageFunc(A_Err, const A_char* msg) {
  HostState& h = HostState::Current();
  h.CheckHostThread("the message function");
  h.Message(msg ? msg : "");
  return A_Err_NONE;
}

const AEGP_UtilitySuite7* HostUtilitySuite7() {
  static const AEGP_UtilitySuite7 suite = MakeUtility7();
  return &suite;
}

const AEGP_UtilitySuite11* HostUtilitySuite11() {
  static const AEGP_UtilitySuite11 suite = MakeUtility11();
  return &suite;
}

const PF_ANSICallbacksSuite1* HostANSISuite() {
  static const PF_ANSICallbacksSuite1 suite = MakeANSI();
  return &suite;
}

}  // namespace lumavox_host
