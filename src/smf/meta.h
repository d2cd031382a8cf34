// Meta events: delta, FF, type, length, data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace orvo {

// Writes delta, FF, `type`, VLQ(length) and the data at `out`; returns the
// bytes written.
size_t put_meta(uint8_t* out, int32_t delta, uint8_t type, std::string_view data);

// Bytes put_meta writes at most for `length` bytes of data.
constexpr size_t meta_room(size_t length) { return 4 + 2 + 4 + length; }

}  // namespace orvo
