#include "batch/memory_stream.h"

#include <cstdlib>
#include <new>

namespace orvo::batch {

MemoryStream::MemoryStream() {
  file_ = open_memstream(&buffer_, &size_);
  if (file_ == nullptr) throw std::bad_alloc();
}

MemoryStream::~MemoryStream() {
  if (file_ != nullptr) std::fclose(file_);
  std::free(buffer_);
}

std::string MemoryStream::take() {
  if (file_ != nullptr) {
    std::fclose(file_);
    file_ = nullptr;
  }
  std::string bytes = buffer_ != nullptr ? std::string(buffer_, size_) : std::string();
  std::free(buffer_);
  buffer_ = nullptr;
  size_ = 0;
  return bytes;
}

}  // namespace orvo::batch
