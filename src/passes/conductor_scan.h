// The events of the conductor track as the tempo pass sees them: sized by
// conductor_event_length, up to the end-of-track event.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "run/session.h"
#include "smf/track_buffer.h"

namespace orvo {

struct ConductorEvent {
  uint32_t start;       // first byte of the delta time
  uint32_t status_pos;  // the status byte
  uint32_t end;         // one past the event
  int64_t time;         // clock of the event
};

struct ConductorScan {
  std::vector<ConductorEvent> events;  // every event before the end of track
  uint32_t tail = 8;          // bytes from here to eot_start belong to no event read
  uint32_t eot_start = 8;     // the end-of-track event's delta time
  uint32_t eot_status = 8;    // its status byte; == eot_start when it has to be written anew
  uint32_t chunk_end = 8;
  int64_t total = 0;          // clock of the last event before the end of track
  int64_t eot_time = 0;       // clock of the end-of-track event
  // Events whose status the conductor never holds, for the reports of each walk.
  std::vector<std::pair<int64_t, uint8_t>> unexpected;
};

// Walks the conductor chunk from its first event, reporting unexpected
// statuses. A walk that runs past the chunk without meeting FF 2F takes the
// chunk's last four bytes as the end-of-track event.
ConductorScan scan_conductor(Session& s, const TrackBuffer& tb);

// Length of the conductor event whose status byte is at `at`, from the
// status byte on, with `available` bytes left in the chunk; negative for the
// end-of-track event. Statuses the conductor never holds are reported and
// stepped over by a fixed length. A length that would run past the chunk
// comes back larger than `available`.
int64_t conductor_event_length(Session& s, const uint8_t* at, size_t available);

// Writes the report of an unexpected conductor status again, as a later
// walk over the same event does.
void report_conductor_status(Session& s, uint8_t status);

}  // namespace orvo
