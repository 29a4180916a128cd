#include "plugin/output_file_path.h"

#include "platform/aesdk/aegp_suites.h"
#include "platform/win/code_page.h"
#include "plugin/suite_handler.h"

bool MemHandleToUtf8(SuiteHandler& suites, AEGP_MemHandle handle, char* destination) {
  destination[0] = '\0';
  if (handle == nullptr) return false;
  void* text = nullptr;
  if (suites.MemorySuite1()->AEGP_LockMemHandle(handle, &text) != A_Err_NONE || text == nullptr) {
    return false;
  }
  const int written = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, static_cast<LPCWCH>(text), -1, destination,
                                          kOutputPathSize, nullptr, nullptr);
  suites.MemorySuite1()->AEGP_UnlockMemHandle(handle);
  if (written <= 0) {
    destination[0] = '\0';
    return false;
  }
  return true;
}

A_Err GetOutputFilePath(SuiteHandler& suites, AEIO_OutSpecH outH, char* destination, bool* converted) {
  AEGP_MemHandle pathH = nullptr;
  const A_Err err = suites.IOOutSuite7()->AEGP_GetOutSpecFilePath(outH, &pathH);
  *converted = err == A_Err_NONE && MemHandleToUtf8(suites, pathH, destination);
  if (!*converted) destination[0] = '\0';
  if (pathH != nullptr) suites.MemorySuite1()->AEGP_FreeMemHandle(pathH);
  return err;
}
