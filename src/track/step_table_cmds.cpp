// The eight-step tables: pitch depth (A), controller depth (B) and channel
// pressure (C), one entry per eighth of a note.
#include "render/oscillators.h"
#include "track/commands.h"
#include "track/track_ops.h"

namespace orvo {

namespace {

// Eight bytes, 0xFF repeating the previous entry (for entry 0, the old
// entry 7).
void read_table_bytes(Track& t, int16_t* table) {
  for (int i = 0; i < 8; ++i) {
    const uint8_t b = take8(t);
    if (b != 0xFF) {
      table[i] = b;
    } else {
      table[i] = i == 0 ? table[7] : table[i - 1];
    }
  }
}

// A mask and eight values; an entry whose mask bit is clear repeats the
// previous one. `wide` values are 16-bit, others signed bytes.
void read_table_masked(Track& t, int16_t* table, bool wide) {
  const uint8_t mask = take8(t);
  for (int i = 0; i < 8; ++i) {
    const int16_t v = wide ? static_cast<int16_t>(take16(t)) : static_cast<int8_t>(take8(t));
    if (mask & (1 << i)) {
      table[i] = v;
    } else {
      table[i] = i == 0 ? table[7] : table[i - 1];
    }
  }
}

void pitch_table_set(Track& t) {
  TrackState& st = t.st;
  st.tables.pitchModStep = static_cast<uint8_t>(st.tables.pitchModStep + 1);
  st.pm.pm_depth = 0;
  reset_pitch_oscillator(t.s, st.tie_continues);
  st.modFlags |= kModPitch;
}

void ctrl_table_set(Track& t) {
  TrackState& st = t.st;
  reset_controller_oscillator(t.s, st.cm.cm_initial, st.tie_continues);
  st.tables.ampModStep = static_cast<uint8_t>(st.tables.ampModStep + 1);
  st.cm.cm_depth = -128;
  st.modFlags |= kModCtrl;
}

}  // namespace

void cmd_pressure_table(Track& t) {
  read_table_bytes(t, t.st.tables.auxModTable);
  t.st.tables.auxModStep = static_cast<uint8_t>(t.st.tables.auxModStep + 1);
  t.st.modFlags |= kModPressure;
}

void cmd_pitch_table(Track& t) {
  read_table_bytes(t, t.st.tables.pitchModTable);
  pitch_table_set(t);
}

void cmd_ctrl_table(Track& t) {
  read_table_bytes(t, t.st.tables.ampModTable);
  ctrl_table_set(t);
}

void cmd_pitch_table_masked(Track& t) {
  read_table_masked(t, t.st.tables.pitchModTable, true);
  pitch_table_set(t);
}

void cmd_ctrl_table_masked(Track& t) {
  read_table_masked(t, t.st.tables.ampModTable, false);
  ctrl_table_set(t);
}

}  // namespace orvo
