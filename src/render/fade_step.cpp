// The fade: the scale moves by the 1/256 steps of FadeState every clock and
// each carry writes the new level, as channel volume or as a master-volume
// exclusive message.
#include <algorithm>
#include <cstdint>

#include "render/span.h"

namespace orvo {

namespace {

constexpr int kFullScale = 128;
constexpr uint8_t kRoland = 0x41;

// The master-volume message of the instrument the exclusive header names.
void write_master_volume(Span& sp, const FadeState& f) {
  const uint8_t* header = sp.r.exclusive_header;
  if (header == nullptr || header[0] != kRoland) return;
  uint8_t body[4];
  if (header[2] == 0x16) {
    body[0] = 0x10, body[1] = 0x00, body[2] = 0x16;
  } else if (header[2] == 0x42 || header[2] == 0x45) {
    body[0] = 0x40, body[1] = 0x00, body[2] = 0x04;
  } else {
    return;
  }
  body[3] = static_cast<uint8_t>(f.scale);  // the scale itself, not the volume
  sp.tb.pos += write_exclusive(sp.s, write_ptr(sp.tb), sp.pending, header, body, 4,
                               kExclusiveChecksum, sp.r.exclusive_flag);
}

}  // namespace

int64_t fade_quiet_clocks(const FadeState& f) {
  if (f.scale <= 0 && f.state == -1) return 0;  // the next clock ends the fade-out
  const int64_t delay = f.delay > 0 ? f.delay : 0;
  if (f.counter != 0) return delay;  // after the delay the scale moves on every clock
  if (f.aux > 255) return delay;     // the first step carries
  if (f.step == 0) return kNeverClocks;
  // The first step whose sum passes 255 carries and may write.
  return delay + (255 - f.aux) / f.step;
}

void pass_fade_clocks(FadeState& f, int64_t clocks) {
  const int64_t delay = f.delay > 0 ? std::min<int64_t>(f.delay, clocks) : 0;
  f.delay = static_cast<int32_t>(f.delay - delay);
  f.aux = static_cast<int16_t>(f.aux + (clocks - delay) * f.step);
}

bool fade_clock(Span& sp) {
  FadeState& f = *sp.r.fade;
  if (f.delay > 0) {
    --f.delay;
  } else {
    f.scale = static_cast<int16_t>(f.scale + f.counter);
    f.aux = static_cast<int16_t>(f.aux + f.step);  // step is an unsigned 0..254
    if (f.aux > 255) {
      f.aux = static_cast<int16_t>(f.aux - 256);
      f.scale = static_cast<int16_t>(f.scale + f.state);
      if (f.scale > kFullScale) {
        f.scale = kFullScale;
      } else if (f.mode == 0) {
        if (volume_was_sent(sp.s)) {
          const int v = clamp_controller((f.scale * sp.r.track_volume) >> 7);
          sp.tb.pos += write_volume(sp.s, write_ptr(sp.tb), sp.pending, sp.channel, v);
        }
      } else {
        write_master_volume(sp, f);
      }
    }
  }
  return f.scale <= 0 && f.state == -1;
}

}  // namespace orvo
