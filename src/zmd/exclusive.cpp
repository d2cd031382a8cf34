// Common command 0x18: blocks of exclusive messages.
#include "smf/events.h"
#include "smf/vlq.h"
#include "zmd/conductor.h"

namespace orvo {

void exclusive_block(TrackBuffer& tb, const ZmdImage& img, int64_t& p, int32_t wait,
                     int64_t& total, CommandAt at) {
  require_operands(img, p, 2, at);
  int32_t remaining = zbe16(img, p);
  p += 2;
  require_operands(img, p, remaining, at);
  // Every message adds at most its bytes plus a status byte and two
  // quantities; the block as a whole fits in its count plus that per message.
  ensure_room(tb, static_cast<size_t>(remaining) * 10 + 16);

  int64_t q = p;
  do {
    const int64_t begin = q;
    tb.pos += write_vlq(write_ptr(tb), wait);
    total += wait;
    int32_t leading_f0 = 0;
    if (zbyte(img, q) == 0xF0) {
      ++q;
      leading_f0 = 1;
    }
    tb.bytes[tb.pos++] = 0xF0;
    const int64_t body = q;
    while (zbyte(img, q) != 0xF7 && q - begin < remaining) ++q;
    if (zbyte(img, q) == 0xF7) ++q;
    const int32_t length = static_cast<int32_t>(q - body);
    tb.pos += write_vlq(write_ptr(tb), length);
    // Every byte but the closing F7 must be a data byte.
    for (int64_t i = body; i < q; ++i) {
      const uint8_t b = zbyte(img, i);
      tb.bytes[tb.pos++] = b == 0xF7 && i == q - 1 ? b : exclusive_data_byte(b);
    }
    remaining -= length + leading_f0;
  } while (remaining > 0);
  p = q;
}

}  // namespace orvo
