// Byte buffers for frames and the buffers they are made from: bytes a
// growing buffer gains are left unset rather than cleared (they are written
// before they are read), and the buffer starts on a 64-byte boundary, so
// that whole cache lines and vector stores line up with it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <vector>

namespace lumavox_host {

template <typename T>
struct UnsetBytesAllocator {
  using value_type = T;
  static constexpr std::align_val_t kAlignment{64};

  UnsetBytesAllocator() = default;
  template <typename U>
  UnsetBytesAllocator(const UnsetBytesAllocator<U>&) {}

  T* allocate(size_t n) { return static_cast<T*>(::operator new(n * sizeof(T), kAlignment)); }
  void deallocate(T* p, size_t) { ::operator delete(p, kAlignment); }
  // Elements made without a value are left unset; those given one take it.
  template <typename U>
  void construct(U* p) {
    ::new (static_cast<void*>(p)) U;
  }
  template <typename U, typename... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(static_cast<Args&&>(args)...);
  }
  template <typename U>
  bool operator==(const UnsetBytesAllocator<U>&) const {
    return true;
  }
  template <typename U>
  bool operator!=(const UnsetBytesAllocator<U>&) const {
    return false;
  }
};

using FrameBytes = std::vector<uint8_t, UnsetBytesAllocator<uint8_t>>;

}  // namespace lumavox_host
