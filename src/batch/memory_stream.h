// A stdio stream that collects what is written to it in memory, so that the
// messages of one conversion never mix with another's.
#pragma once

#include <cstdio>
#include <string>

namespace orvo::batch {

class MemoryStream {
 public:
  MemoryStream();  // throws std::bad_alloc when the stream cannot be made
  ~MemoryStream();
  MemoryStream(const MemoryStream&) = delete;
  MemoryStream& operator=(const MemoryStream&) = delete;

  std::FILE* file() const { return file_; }

  // Closes the stream and returns every byte written to it.
  std::string take();

 private:
  std::FILE* file_ = nullptr;
  char* buffer_ = nullptr;
  size_t size_ = 0;
};

}  // namespace orvo::batch
