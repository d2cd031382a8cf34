// The state of one track conversion: what the commands of a performance
// track set, the repeat and jump structures, and where the chunk is written.
#pragma once

#include <cstdint>
#include <vector>

#include "render/params.h"
#include "run/session.h"
#include "smf/track_buffer.h"
#include "track/convert_track.h"
#include "zmd/image.h"

namespace orvo {

// Bar repeats (C1..C4): one entry per open repeat.
struct RepeatStack {
  std::vector<int32_t> passCount = std::vector<int32_t>(8);    // C2 adds 1 per pass
  std::vector<int32_t> repeatCount = std::vector<int32_t>(8);  // C1 CF n
  int32_t depth = 0;
  int32_t capacity = 8;  // grows by 8 when a push fills it
};

struct TrackState {
  int channel = 0;             // A3; the channel kind decides it at track start
  int32_t pendingDelta = 0;    // clocks not yet written as a delta time
  int32_t absTime = 0;         // clock of the current command
  int32_t cmdCount = 0;        // commands since the last one with a non-zero step
  int16_t volume = 100;        // AA, AB, B6
  int16_t velocity = 127;      // 84, B9, CA, CB, D9, DA, DB, FC, FD
  int16_t baseVelocity = 127;  // B9, CA, CB
  int32_t pan = 64;            // B1..B4, C8, C9
  BendComponents bend;         // 96, 97, D1, BD, C5, BB; the renderer
  uint8_t slur = 0;            // C5
  uint8_t modFlags = 0;        // BB, BC, BD, BE, C7, 9A, AE, E1, E3..E6, EE, EF
  uint8_t tie_continues = 0;   // the renderer: the last event ended in a tie
  uint8_t atR = 0;             // AC
  uint8_t keyoff_suppressed = 0;  // AC under -R without a number
  uint8_t porta_started = 0;   // the renderer; E0, E1 and BD 0 clear it
  uint16_t stepTime = 0;       // of the note being rendered
  uint16_t gateTime = 0;       // 0xFFFF = no key-off
  uint8_t pendingKeys[18];     // 0..8 keys to strike, 9..17 struck keys
  uint8_t soundingKeys[9];     // CD: keys left sounding
  StepTables tables;           // E3, E4, E5, EE, EF and their markers
  PitchModParams pm;           // 98, 99, 9C, D6, E6, E8
  CtrlModParams cm;            // 98, 99, 9A, 9C, A4, AE, BC, D6, E8
  PortamentoParams porta;      // E0 (one note), E1 (every note)
  PortamentoParams portaSaved; // E1; C7 restores it
  FadeState fade;              // A6, CC, [loop]
  uint8_t nrpnControllers[4] = {99, 98, 6, 38};  // D2
  uint8_t exclusiveHeader[4] = {0, 0, 0, 0};      // EB: maker, device, model, 0x12
  int rawStatus = 0;           // EC: running status of the raw bytes
  std::vector<uint8_t> rawBuffer;  // EC: bytes of a message not yet complete

  // Repeat and jump structures.
  int64_t trackStart = 0;      // offset of the first command ([d.c.])
  RepeatStack repeats;         // C1..C4
  int64_t doPos = 0;           // [do]: offset after it; 0 = none seen
  int32_t loopPass = 0;        // [loop]: passes completed
  size_t loopMarkerBase = 0;   // [do] under -L 0: buffer offset after the loop-start marker
  int64_t segnoPos = -1;       // [$]
  int64_t codaPos = -1;        // [coda], [d.c.], [d.s.]
  int32_t codaTime = 0;        // absTime when codaPos was last set (backward [tocoda])
  uint8_t dcDone = 0;          // [d.c.] has jumped
  uint8_t dsDone = 0;          // [d.s.] has jumped
  uint8_t fadeOutStarted = 0;  // the closing fade-out has been started once

  TrackState() {
    for (uint8_t& k : pendingKeys) k = kNoKey;
    for (uint8_t& k : soundingKeys) k = kNoKey;
  }
};

// One conversion in progress: the inputs, the state and where it goes.
struct Track {
  Session& s;
  const ZmdImage& img;
  TrackBuffer& tb;
  const TrackInputs& in;
  TrackTables& tables;
  TrackState st;
  int64_t offset = 0;          // read offset: the byte after the current command's last byte
  int64_t commands = 0;        // commands interpreted (bounded)
  int32_t doTime = 0;          // absTime at the last [do]
  int32_t loopTime = 0;        // absTime when [loop] was first reached
  bool records_full = false;   // 83, AF, 90..95, C0 marks: a record table holds the bound
};

}  // namespace orvo
