// A host with only the memory suite, for tests of code that keeps its data in
// host memory handles. Handles are relocatable like the real host's: when the
// last lock goes, the bytes move and the old place is overwritten with 0xDD,
// so a pointer kept past its unlock reads garbage. Failures can be injected.
#pragma once

#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/aesdk/aegp_suites.h"
#include "platform/aesdk/aeio_basic_data.h"

namespace lumavox_test {

class MemoryHost {
 public:
  struct Block {
    std::string name;
    std::unique_ptr<uint8_t[]> bytes;
    size_t size = 0;
    int locks = 0;
  };

  MemoryHost() {
    current() = this;
    basic_suite_.AcquireSuite = &Acquire;
    basic_suite_.ReleaseSuite = &Release;
    memory_.AEGP_NewMemHandle = &New;
    memory_.AEGP_FreeMemHandle = &Free;
    memory_.AEGP_LockMemHandle = &Lock;
    memory_.AEGP_UnlockMemHandle = &Unlock;
    memory_.AEGP_GetMemHandleSize = &Size;
    memory_.AEGP_ResizeMemHandle = &Resize;
    basic_data_.msg_func = &Message;
    basic_data_.pica_basicP = &basic_suite_;
  }
  ~MemoryHost() { current() = nullptr; }
  MemoryHost(const MemoryHost&) = delete;
  MemoryHost& operator=(const MemoryHost&) = delete;

  AEIO_BasicData* basic() { return &basic_data_; }

  // A cleared handle made as the plug-in would make it.
  AEGP_MemHandle Make(const char* name, size_t size) {
    AEGP_MemHandle h = nullptr;
    New(0, name, size, AEGP_MemFlag_CLEAR, &h);
    return h;
  }

  // Handles still allocated, by name.
  std::multiset<std::string> LiveNames() const {
    std::multiset<std::string> names;
    for (const auto& [h, b] : blocks_) names.insert(b.name);
    return names;
  }
  size_t Live() const { return blocks_.size(); }
  int TotalLocks() const {
    int n = 0;
    for (const auto& [h, b] : blocks_) n += b.locks;
    return n;
  }
  const Block* Find(AEGP_MemHandle h) const {
    auto it = blocks_.find(h);
    return it == blocks_.end() ? nullptr : &it->second;
  }
  int Locks(AEGP_MemHandle h) const {
    const Block* b = Find(h);
    return b ? b->locks : -1;
  }

  // Injection: the n-th creation from now fails (0: the next one); every lock
  // or free of the listed handles fails.
  void FailCreation(int n) { fail_new_in_ = n; }
  std::set<AEGP_MemHandle> fail_lock;
  std::set<AEGP_MemHandle> fail_free;

  std::vector<std::string> messages;  // texts shown through the message function
  std::vector<std::string> problems;  // misuse the host noticed (unknown handle, unbalanced unlock)
  int creations = 0;

 private:
  static constexpr A_Err kHostError = 42;

  static MemoryHost*& current() {
    static MemoryHost* host = nullptr;
    return host;
  }
  static A_Err Acquire(const char* name, A_long version, const void** suite) {
    if (std::strcmp(name, kAEGPMemorySuite) == 0 && version == kAEGPMemorySuiteVersion1) {
      *suite = &current()->memory_;
      return A_Err_NONE;
    }
    return A_Err_MISSING_SUITE;
  }
  static A_Err Release(const char*, A_long) { return A_Err_NONE; }
  static A_Err Message(A_Err, const A_char* msg) {
    current()->messages.push_back(msg ? msg : "");
    return A_Err_NONE;
  }
  static A_Err New(AEGP_PluginID, const A_char* name, AEGP_MemSize size, AEGP_MemFlag flags, AEGP_MemHandle* out) {
    MemoryHost* host = current();
    *out = nullptr;
    if (host->fail_new_in_ >= 0 && host->fail_new_in_-- == 0) return kHostError;
    ++host->creations;
    Block b;
    b.name = name ? name : "";
    b.size = static_cast<size_t>(size);
    b.bytes.reset(new uint8_t[b.size ? b.size : 1]);
    std::memset(b.bytes.get(), (flags & AEGP_MemFlag_CLEAR) ? 0 : 0xCD, b.size);
    AEGP_MemHandle h = reinterpret_cast<AEGP_MemHandle>(host->next_id_ += 16);
    host->blocks_[h] = std::move(b);
    *out = h;
    return A_Err_NONE;
  }
  static Block* Known(AEGP_MemHandle h, const char* what) {
    MemoryHost* host = current();
    auto it = host->blocks_.find(h);
    if (it != host->blocks_.end()) return &it->second;
    host->problems.push_back(std::string(what) + " of an unknown handle");
    return nullptr;
  }
  static A_Err Free(AEGP_MemHandle h) {
    if (current()->fail_free.count(h)) return kHostError;
    if (!Known(h, "free")) return A_Err_PARAMETER;
    current()->blocks_.erase(h);
    return A_Err_NONE;
  }
  static A_Err Lock(AEGP_MemHandle h, void** ptr) {
    *ptr = nullptr;
    if (current()->fail_lock.count(h)) return kHostError;
    Block* b = Known(h, "lock");
    if (!b) return A_Err_PARAMETER;
    ++b->locks;
    *ptr = b->bytes.get();
    return A_Err_NONE;
  }
  static A_Err Unlock(AEGP_MemHandle h) {
    Block* b = Known(h, "unlock");
    if (!b) return A_Err_PARAMETER;
    if (b->locks == 0) {
      current()->problems.push_back("unlock of an unlocked handle " + b->name);
      return A_Err_PARAMETER;
    }
    if (--b->locks == 0) {
      // The block moves; the old place is kept (so reads stay defined) but
      // overwritten.
      std::unique_ptr<uint8_t[]> moved(new uint8_t[b->size ? b->size : 1]);
      std::memcpy(moved.get(), b->bytes.get(), b->size);
      std::memset(b->bytes.get(), 0xDD, b->size);
      current()->graveyard_.push_back(std::move(b->bytes));
      b->bytes = std::move(moved);
    }
    return A_Err_NONE;
  }
  static A_Err Size(AEGP_MemHandle h, AEGP_MemSize* size) {
    Block* b = Known(h, "size");
    if (!b) return A_Err_PARAMETER;
    *size = b->size;
    return A_Err_NONE;
  }
  static A_Err Resize(const A_char*, AEGP_MemSize, AEGP_MemHandle) { return A_Err_GENERIC; }

  SPBasicSuite basic_suite_{};
  AEGP_MemorySuite1 memory_{};
  AEIO_BasicData basic_data_{};
  std::map<AEGP_MemHandle, Block> blocks_;
  std::vector<std::unique_ptr<uint8_t[]>> graveyard_;
  uintptr_t next_id_ = 0x10000;
  int fail_new_in_ = -1;
};

}  // namespace lumavox_test
