#include "zmd/common_ops.h"

#include "run/exit.h"

namespace orvo {

namespace {
[[noreturn]] void truncated(CommandAt at) {
  fatal_error(1, "makecommon:%ldでの%xのデータがファイルの終わりで途切れています。\n",
              static_cast<long>(at.offset), at.opcode);
}
}  // namespace

void require_operands(const ZmdImage& img, int64_t p, int64_t count, CommandAt at) {
  if (!in_data(img, p, count)) truncated(at);
}

std::string read_string(const ZmdImage& img, int64_t& p, CommandAt at) {
  const int64_t start = p;
  int64_t end = start;
  while (true) {
    if (!in_data(img, end, 1)) truncated(at);
    if (img.bytes[static_cast<size_t>(end)] == 0) break;
    ++end;
  }
  p = end + 1;
  return std::string(reinterpret_cast<const char*>(img.bytes.data()) + start,
                     static_cast<size_t>(end - start));
}

}  // namespace orvo
