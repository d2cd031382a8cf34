#include "run/byte_store.h"

#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <utility>

namespace orvo {

ByteStore::ByteStore(const ByteStore& other) {
  if (other.size_ == 0) return;
  grow(other.size_);
  std::memcpy(data_, other.data_, other.size_);
  size_ = other.size_;
}

ByteStore::ByteStore(ByteStore&& other) noexcept { swap(other); }

ByteStore& ByteStore::operator=(const ByteStore& other) {
  if (this != &other) {
    ByteStore copy(other);
    swap(copy);
  }
  return *this;
}

ByteStore& ByteStore::operator=(ByteStore&& other) noexcept {
  if (this != &other) {
    release();
    swap(other);
  }
  return *this;
}

ByteStore::~ByteStore() { std::free(data_); }

void ByteStore::grow(size_t needed) {
  constexpr size_t kLargest = static_cast<size_t>(std::numeric_limits<std::ptrdiff_t>::max());
  if (needed > kLargest) throw std::bad_alloc();
  size_t capacity = capacity_ > kLargest / 2 ? kLargest : capacity_ * 2;
  if (capacity < needed) capacity = needed;
  void* moved = std::realloc(data_, capacity);
  if (moved == nullptr) throw std::bad_alloc();
  data_ = static_cast<uint8_t*>(moved);
  capacity_ = capacity;
}

void ByteStore::resize(size_t n) {
  if (n > capacity_) grow(n);
  size_ = n;
}

void ByteStore::reserve(size_t n) {
  if (n > capacity_) grow(n);
}

void ByteStore::append(const uint8_t* first, const uint8_t* last) {
  const size_t n = static_cast<size_t>(last - first);
  if (n == 0) return;
  if (n > capacity_ - size_) grow(size_ + n);
  std::memcpy(data_ + size_, first, n);
  size_ += n;
}

void ByteStore::swap(ByteStore& other) noexcept {
  std::swap(data_, other.data_);
  std::swap(size_, other.size_);
  std::swap(capacity_, other.capacity_);
}

void ByteStore::release() noexcept {
  std::free(data_);
  data_ = nullptr;
  size_ = 0;
  capacity_ = 0;
}

}  // namespace orvo
