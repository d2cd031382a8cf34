// What every track command uses: reading operands, writing events at the
// pending delta, markers on the error stream, and handing notes to the
// renderer.
#pragma once

#include <cstddef>
#include <cstdint>

#include "track/track_state.h"

namespace orvo {

// Operands follow the command byte; 16-bit operands are big-endian. Reads
// outside the image see 0xFF.
uint8_t take8(Track& t);
uint16_t take16(Track& t);
inline void skip_operands(Track& t, int64_t count) { t.offset += count; }

// Channel events on the track's channel at the pending delta, which becomes 0.
void emit1(Track& t, int status_high, int data);
void emit2(Track& t, int status_high, int data1, int data2);
// Bn controller value.
inline void emit_controller(Track& t, int controller, int value) {
  emit2(t, 0xB0, controller, value);
}

// Resets the running status to the track's own value (0xFE, 0xFF under -s);
// after every meta or exclusive event.
void reset_track_status(Track& t);

// Marker or message on the error stream (UTF-8 text, written as CP932).
void marker(Track& t, const char* text);

// Adds `step` to absTime; a command with a non-zero step restarts cmdCount.
void advance_time(Track& t, uint16_t step);

// The gate limit of -R: with a number, a non-zero @R and a longer gate,
// the gate becomes that number.
uint16_t limit_gate(const Track& t, uint16_t gate);

// When no auto-bend is pending (porta_mode neither 2 nor -2), notes, rests,
// waits and long notes start without a portamento offset.
void drop_porta_offset(Track& t);

// Renders the keys in pendingKeys for `step` and `gate`.
void render_event(Track& t, uint16_t step, uint16_t gate, int32_t chord_spread = 0);

// Releases every key: the struck or pending keys and those left sounding.
void release_all_keys(Track& t);

// A [!] (kind 1) or [@] (kind 2) mark for the span removal.
void append_mark(Track& t, uint8_t kind);

// Start of a new key list: `key` alone.
void set_single_key(Track& t, uint8_t key);

// True when one of the song's record tables holds the session's bound of
// records; kept in records_full by every command that appends one.
bool record_tables_full(const Track& t);

}  // namespace orvo
