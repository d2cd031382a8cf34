// Allocation that ends the conversion with status 10 when memory runs out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <stdexcept>
#include <vector>

#include "run/byte_store.h"
#include "run/exit.h"

namespace orvo {

// Gives `storage` fresh room for `count` elements (contents discarded).
template <class T>
void xmalloc(std::vector<T>& storage, size_t count) {
  try {
    std::vector<T>().swap(storage);
    storage.resize(count);
  } catch (const std::bad_alloc&) {
    fatal_error(10, "malloc failed.\n");
  } catch (const std::length_error&) {
    fatal_error(10, "malloc failed.\n");
  }
}

// Resizes `storage` to `count` elements, keeping its contents.
template <class T>
void xrealloc(std::vector<T>& storage, size_t count) {
  try {
    storage.resize(count);
  } catch (const std::bad_alloc&) {
    fatal_error(10, "realloc failed.\n");
  } catch (const std::length_error&) {
    fatal_error(10, "realloc failed.\n");
  }
}

// The same for a byte store; its new bytes are left unwritten.
inline void xmalloc(ByteStore& storage, size_t count) {
  try {
    storage.release();
    storage.resize(count);
  } catch (const std::bad_alloc&) {
    fatal_error(10, "malloc failed.\n");
  }
}

inline void xrealloc(ByteStore& storage, size_t count) {
  try {
    storage.resize(count);
  } catch (const std::bad_alloc&) {
    fatal_error(10, "realloc failed.\n");
  }
}

}  // namespace orvo
