#include "support/render_harness.h"

#include <gtest/gtest.h>

#include "render/controllers.h"
#include "smf/events.h"
#include "smf/mthd.h"
#include "support/smf_check.h"

namespace orvo::test {

RenderHarness::RenderHarness() {
  allocate_track_buffer(tb, 16);
  open_chunk(tb);
  reset_running_status(s.running, kStatusRunning);
  reset_controller_memory(s);
  for (uint8_t& k : keys) k = kNoKey;
  for (uint8_t& k : held) k = kNoKey;
}

NoteRenderRequest RenderHarness::request(uint16_t step, uint16_t gate, int32_t spread) {
  NoteRenderRequest r;
  r.tie_continues = &tie_continues;
  r.keys = keys;
  r.step = step;
  r.gate = gate;
  r.pending = &pending;
  r.velocity = velocity;
  r.channel = channel;
  r.chord_spread = spread;
  r.held = held;
  r.keyoff_suppressed = keyoff_suppressed;
  r.pm = pm;
  r.porta = porta;
  r.bend = &bend;
  r.cm = cm;
  r.tables = tables;
  r.porta_started = &porta_started;
  r.enables = enables;
  r.slur = slur;
  r.track_volume = volume;
  r.fade = &fade;
  r.step_interval = step_interval;
  r.exclusive_header = header;
  r.exclusive_flag = exclusive_flag;
  return r;
}

size_t RenderHarness::render(uint16_t step, uint16_t gate, int32_t spread) {
  NoteRenderRequest r = request(step, gate, spread);
  const size_t before = tb.pos;
  const size_t n = render_note(s, tb, r);
  EXPECT_EQ(tb.pos - before, n) << "the count returned is what the write position moved";
  return n;
}

size_t RenderHarness::note(int key, uint16_t step, uint16_t gate) {
  keys[0] = static_cast<uint8_t>(key);
  for (int i = 1; i < 9; ++i) keys[i] = kNoKey;
  return render(step, gate);
}

size_t RenderHarness::rest(uint16_t step, uint16_t gate) { return note(kRestKey, step, gate); }

size_t RenderHarness::chord(std::initializer_list<int> chord_keys, uint16_t step, uint16_t gate,
                            int32_t spread) {
  int i = 0;
  for (int k : chord_keys) keys[i++] = static_cast<uint8_t>(k);
  for (; i < 9; ++i) keys[i] = kNoKey;
  return render(step, gate, spread);
}

size_t RenderHarness::wait(uint16_t step) {
  s.render.wait_marker = 0x77;
  return render(step, step);
}

std::vector<uint8_t> RenderHarness::file() const {
  TrackBuffer chunk = tb;
  close_chunk(chunk, pending);
  std::vector<uint8_t> out(kMthdBytes);
  write_mthd(out.data(), 2, 48);
  const uint8_t conductor[] = {'M', 'T', 'r', 'k', 0, 0, 0, 4, 0x00, 0xFF, 0x2F, 0x00};
  out.insert(out.end(), std::begin(conductor), std::end(conductor));
  out.insert(out.end(), chunk.bytes.begin(), chunk.bytes.begin() + static_cast<long>(chunk.pos));
  return out;
}

std::vector<std::string> RenderHarness::lines() const {
  const std::vector<uint8_t> f = file();
  expect_valid_smf(f);
  return event_lines(f, 1);
}

std::vector<uint8_t> RenderHarness::bytes() const {
  return std::vector<uint8_t>(tb.bytes.begin() + 8, tb.bytes.begin() + static_cast<long>(tb.pos));
}

std::vector<std::string> only(const std::vector<std::string>& all, const std::string& what) {
  std::vector<std::string> out;
  for (const std::string& line : all) {
    const size_t at = line.find(") ");
    if (at != std::string::npos && line.compare(at + 2, what.size(), what) == 0) {
      out.push_back(line);
    }
  }
  return out;
}

}  // namespace orvo::test
