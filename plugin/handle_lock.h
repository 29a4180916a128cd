// A host memory handle locked for part of one call. Unlock() gives the host's
// result; a lock still held when the object goes (the call left by an
// exception) is undone then.
#pragma once

#include "platform/aesdk/mem_handle.h"
#include "plugin/suite_handler.h"

class HandleLock {
 public:
  HandleLock(SuiteHandler& suites, AEGP_MemHandle handle) : suites_(suites), handle_(handle) {}
  ~HandleLock() {
    if (locked_) memory_->AEGP_UnlockMemHandle(handle_);
  }
  HandleLock(const HandleLock&) = delete;
  HandleLock& operator=(const HandleLock&) = delete;

  // Locks the handle and gives its bytes in *ptr.
  A_Err Lock(void** ptr) {
    memory_ = suites_.MemorySuite1();
    A_Err err = memory_->AEGP_LockMemHandle(handle_, ptr);
    if (!err) locked_ = true;
    return err;
  }
  template <typename T>
  A_Err Lock(T** ptr) {
    void* bytes = nullptr;
    A_Err err = Lock(&bytes);
    *ptr = static_cast<T*>(bytes);
    return err;
  }

  // Unlocks the handle when it is locked; 0 otherwise.
  A_Err Unlock() {
    if (!locked_) return A_Err_NONE;
    locked_ = false;
    return memory_->AEGP_UnlockMemHandle(handle_);
  }

  bool locked() const { return locked_; }
  AEGP_MemHandle handle() const { return handle_; }

 private:
  SuiteHandler& suites_;
  AEGP_MemHandle handle_;
  const AEGP_MemorySuite1* memory_ = nullptr;
  bool locked_ = false;
};
