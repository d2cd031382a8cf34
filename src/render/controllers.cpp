#include "render/controllers.h"

#include <algorithm>

#include "smf/events.h"
#include "smf/vlq.h"

namespace orvo {

size_t write_pitch_bend(Session& s, uint8_t* out, int32_t& pending, int channel,
                        const BendComponents& bend) {
  // The components are summed in 16 bits, as the driver adds them.
  const int16_t sum =
      static_cast<int16_t>(bend.detune + bend.portamento + bend.slur + bend.pitch_mod);
  return put_bend(s.running, s.render.last_bend, s.render.opm_scaling, out, pending, channel, sum);
}

size_t write_modulation(Session& s, uint8_t* out, int32_t& pending, int channel, int value) {
  value = std::clamp(value, 0, 127);
  if (value == s.render.last_modulation) return 0;
  s.render.last_modulation = static_cast<int16_t>(value);
  const size_t n = put_event2(s.running, out, pending, 0xB0 + channel, 1, value);
  pending = 0;
  return n;
}

size_t write_volume(Session& s, uint8_t* out, int32_t& pending, int channel, int value) {
  if (value == s.render.last_volume) return 0;
  s.render.last_volume = static_cast<int16_t>(value);
  const size_t n = put_event2(s.running, out, pending, 0xB0 + channel, 7, value);
  pending = 0;
  return n;
}

size_t write_controller(Session& s, uint8_t* out, int32_t& pending, int channel, int controller,
                        int value) {
  const uint8_t v = static_cast<uint8_t>(value);
  if (v == s.render.last_controller) return 0;
  s.render.last_controller = v;
  const size_t n = put_event2(s.running, out, pending, 0xB0 + channel, controller, v);
  pending = 0;
  return n;
}

bool volume_was_sent(const Session& s) { return s.render.last_volume != kNoValue16; }

void reset_controller_memory(Session& s) {
  s.render.last_bend = kNoValue16;
  s.render.last_modulation = kNoValue16;
  s.render.last_volume = kNoValue16;
  s.render.last_controller = kNoController;
}

void set_opm_scaling(Session& s, bool on) { s.render.opm_scaling = on; }

size_t write_exclusive(Session& s, uint8_t* out, int32_t& pending, const uint8_t* header,
                       const uint8_t* body, int count, int framing, uint8_t running_flag) {
  // Every byte inside the message must be a data byte; anything above is
  // held at 0x7F, and the checksum covers the bytes as written.
  size_t n = write_vlq(out, pending);
  pending = 0;
  if (framing != 0) {
    out[n++] = 0xF0;
    n += write_vlq(out + n, count + 6);
    for (int i = 0; i < 4; ++i) out[n++] = exclusive_data_byte(header[i]);
  }
  int sum = 0;
  for (int i = 0; i < count; ++i) {
    const uint8_t b = exclusive_data_byte(body[i]);
    sum += b;
    out[n++] = b;
  }
  if (framing == kExclusiveChecksum) out[n++] = static_cast<uint8_t>((0 - sum) & 0x7F);
  if (framing != 0) out[n++] = 0xF7;
  reset_running_status(s.running, running_flag == 1 ? kStatusRunning : kStatusAlways);
  return n;
}

}  // namespace orvo
