// Common command 0x4A: user waveform registration.
#include "run/alloc.h"
#include "run/exit.h"
#include "zmd/conductor.h"

namespace orvo {

void register_waveform(WaveformTable& table, const ZmdImage& img, int64_t& p, CommandAt at) {
  require_operands(img, p, 6, at);
  const int32_t count = zbe16(img, p);
  const int number = zbyte(img, p + 2);
  const uint8_t loop_mode = zbyte(img, p + 3);
  const int32_t loop_index = zbe16(img, p + 4);
  if (number > kLastUserWaveform) fatal_error(1, "%d:波形メモリ登録番号が大きすぎます。\n", number);
  if (number < kFirstUserWaveform) fatal_error(1, "%d:指定の波形メモリ登録番号は予約済みです。\n", number);
  p += 6;
  require_operands(img, p, int64_t{2} * count, at);

  Waveform& slot = table.slots[static_cast<size_t>(number)];
  slot.length = count;
  slot.loop_mode = loop_mode;
  slot.loop_index = loop_index;
  xmalloc(slot.samples, static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) {
    slot.samples[static_cast<size_t>(i)] = static_cast<int16_t>(zbe16(img, p));
    p += 2;
  }
}

}  // namespace orvo
