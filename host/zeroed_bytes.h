// The bytes of a memory handle. They read as zero until written, and a large
// block is not written when it is made: its pages come zeroed from the system
// when first touched, so the memory of an encoding slot is brought in by the
// thread that first uses it, not all at once by the host's thread.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

namespace lumavox_host {

class ZeroedBytes {
 public:
  ZeroedBytes() = default;
  ~ZeroedBytes() { std::free(data_); }
  ZeroedBytes(const ZeroedBytes&) = delete;
  ZeroedBytes& operator=(const ZeroedBytes&) = delete;

  uint8_t* data() { return data_; }
  const uint8_t* data() const { return data_; }
  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }

  // `size` bytes: those kept from before, zeros after them. Throws
  // std::bad_alloc when the memory is not there.
  void resize(size_t size) {
    auto* fresh = static_cast<uint8_t*>(std::calloc(size == 0 ? 1 : size, 1));
    if (fresh == nullptr) throw std::bad_alloc();
    if (data_ != nullptr) std::memcpy(fresh, data_, size < size_ ? size : size_);
    std::free(data_);
    data_ = fresh;
    size_ = size;
  }

  std::vector<uint8_t> ToVector() const { return std::vector<uint8_t>(data_, data_ + size_); }

 private:
  uint8_t* data_ = nullptr;
  size_t size_ = 0;
};

}  // namespace lumavox_host
