#include "plugin/output_file_path.h"

#include <string>
#include <utility>

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

namespace {

// The whole UTF-8 form of the handle's text, whatever its length; empty when
// it cannot be had.
std::string WholeUtf8(SuiteHandler& suites, AEGP_MemHandle handle) {
  void* text = nullptr;
  if (handle == nullptr || suites.MemorySuite1()->AEGP_LockMemHandle(handle, &text) != A_Err_NONE || text == nullptr)
    return std::string();
  const auto wide = static_cast<LPCWCH>(text);
  std::string whole;
  const int needed = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide, -1, nullptr, 0, nullptr, nullptr);
  if (needed > 0) {
    whole.resize(static_cast<size_t>(needed));
    if (WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide, -1, whole.data(), needed, nullptr, nullptr) != needed)
      whole.clear();
  }
  suites.MemorySuite1()->AEGP_UnlockMemHandle(handle);
  if (!whole.empty()) whole.pop_back();  // the terminating zero
  return whole;
}

}  // namespace

A_Err GetOutputFilePath(SuiteHandler& suites, AEIO_OutSpecH outH, char* destination, bool* converted,
                        std::string* tooLong) {
  AEGP_MemHandle pathH = nullptr;
  const A_Err err = suites.IOOutSuite7()->AEGP_GetOutSpecFilePath(outH, &pathH);
  *converted = err == A_Err_NONE && MemHandleToUtf8(suites, pathH, destination);
  if (!*converted) destination[0] = '\0';
  if (tooLong != nullptr) {
    tooLong->clear();
    if (!*converted && err == A_Err_NONE) {
      std::string whole = WholeUtf8(suites, pathH);
      if (whole.size() >= static_cast<size_t>(kOutputPathSize)) *tooLong = std::move(whole);
    }
  }
  if (pathH != nullptr) suites.MemorySuite1()->AEGP_FreeMemHandle(pathH);
  return err;
}
