// A growable array of bytes for the track buffers, the chunks the passes
// build and the loaded source. Unlike a vector it leaves the bytes it grows
// by unwritten and grows through realloc: growing never zero-fills, and a
// large array can be moved by the C library without copying its bytes.
// Every reader stays below the bytes that were written.
#pragma once

#include <cstddef>
#include <cstdint>

namespace orvo {

class ByteStore {
 public:
  ByteStore() noexcept = default;
  ByteStore(const ByteStore& other);
  ByteStore(ByteStore&& other) noexcept;
  ByteStore& operator=(const ByteStore& other);
  ByteStore& operator=(ByteStore&& other) noexcept;
  ~ByteStore();

  uint8_t* data() noexcept { return data_; }
  const uint8_t* data() const noexcept { return data_; }
  size_t size() const noexcept { return size_; }
  size_t capacity() const noexcept { return capacity_; }
  bool empty() const noexcept { return size_ == 0; }
  uint8_t& operator[](size_t i) noexcept { return data_[i]; }
  const uint8_t& operator[](size_t i) const noexcept { return data_[i]; }
  uint8_t* begin() noexcept { return data_; }
  uint8_t* end() noexcept { return data_ + size_; }
  const uint8_t* begin() const noexcept { return data_; }
  const uint8_t* end() const noexcept { return data_ + size_; }

  // Sets the size; bytes beyond the old size are left unwritten. The
  // memory grows to at least twice its capacity, so that growing in small
  // steps costs no more than one growth in all. Throws std::bad_alloc.
  void resize(size_t n);

  // Makes room for `n` bytes without changing the size.
  void reserve(size_t n);

  void clear() noexcept { size_ = 0; }

  void push_back(uint8_t byte) {
    if (size_ == capacity_) grow(size_ + 1);
    data_[size_++] = byte;
  }

  // Appends the bytes [first, last), which must not lie inside this store.
  void append(const uint8_t* first, const uint8_t* last);

  void swap(ByteStore& other) noexcept;

  // Gives the memory back: size and capacity 0.
  void release() noexcept;

 private:
  void grow(size_t needed);

  uint8_t* data_ = nullptr;
  size_t size_ = 0;
  size_t capacity_ = 0;
};

}  // namespace orvo
