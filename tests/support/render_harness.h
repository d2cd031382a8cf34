// Renders notes straight through render_note, the way the track interpreter
// hands them over: a track's renderer-facing state, the chunk it writes, and
// the finished file decoded into readable event lines.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "render/params.h"
#include "render/render_note.h"
#include "run/session.h"
#include "smf/track_buffer.h"

namespace orvo::test {

struct RenderHarness {
  Session s;
  TrackBuffer tb;

  // The track's settings, copied into every request.
  PitchModParams pm;
  CtrlModParams cm;
  PortamentoParams porta;
  StepTables tables;
  uint8_t enables = 0;
  uint8_t slur = 0;
  uint8_t keyoff_suppressed = 0;
  uint8_t step_interval = 1;
  uint8_t exclusive_flag = 1;
  int16_t velocity = 100;
  int16_t volume = 100;
  int channel = 0;
  uint8_t header[4] = {0x41, 0x10, 0x42, 0x12};

  // The track's state the renderer updates.
  uint8_t tie_continues = 0;
  uint8_t porta_started = 0;
  uint8_t keys[18];
  uint8_t held[9];
  int32_t pending = 0;
  BendComponents bend;
  FadeState fade;

  // A chunk opened with running status on and no controller value sent.
  RenderHarness();

  // One event with the keys as they stand; returns render_note's count.
  size_t render(uint16_t step, uint16_t gate, int32_t spread = 0);
  size_t note(int key, uint16_t step, uint16_t gate);
  size_t rest(uint16_t step, uint16_t gate);
  size_t chord(std::initializer_list<int> chord_keys, uint16_t step, uint16_t gate,
               int32_t spread = 0);
  size_t wait(uint16_t step);

  // The request render() hands over.
  NoteRenderRequest request(uint16_t step, uint16_t gate, int32_t spread);

  // Header, an empty conductor track and this chunk, closed at the pending
  // delta.
  std::vector<uint8_t> file() const;

  // The events of this chunk as "@tick (+delta) Event", end of track last.
  // The file is checked first (strict checker and the independent reader).
  std::vector<std::string> lines() const;

  // The chunk's event bytes so far (after the chunk header).
  std::vector<uint8_t> bytes() const;
};

// Lines of `all` whose event text starts with `what` ("PitchBend", ...).
std::vector<std::string> only(const std::vector<std::string>& all, const std::string& what);

}  // namespace orvo::test
