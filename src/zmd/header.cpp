#include "zmd/header.h"

#include "run/exit.h"
#include "run/messages.h"

namespace orvo {

int checkzmd(const ZmdImage& img) {
  static const char kTag[] = "ZmuSiC";
  const uint8_t first = zbyte(img, 0);
  if (first != 0x10 && first != 0x1A) return -1;
  for (int i = 0; i < 6; ++i) {
    if (zbyte(img, 1 + i) != static_cast<uint8_t>(kTag[i])) return -1;
  }
  return zbyte(img, 7);
}

void check_header(const ZmdImage& img, const std::string& source_name, ErrorStream& err) {
  const int version = checkzmd(img);
  if (version < 0) {
    fatal_error(1, "Error: %sは ZMD形式のフォーマットではありません。\n", source_name.c_str());
  }
  switch (version >> 4) {
    case 3:
      fatal_error(1,
                  "Error: Z-MUSIC V3 のデータは変換出来ません。\n"
                  "PLX.x(みなとさん作)やk7p4.x(拙作)をお使い下さい。\n"
                  "ちなみに、前者がお勧めです:-)\n");
    case 15:
      report(err, "Warning: 改造したZ-MUSICのデータは恐らく変換に失敗するでしょう。\n");
      break;
    default:
      break;
  }
}

}  // namespace orvo
