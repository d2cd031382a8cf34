// Converting single performance tracks in-process: the command bytes become
// a track of their own, converted with chosen inputs in a session that
// lives as long as the harness (so state that carries from track to track
// can be tested), and the chunk comes back as bytes and readable events.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "run/session.h"
#include "support/zmd_builder.h"
#include "track/convert_track.h"

namespace orvo::test {

// Inputs of a MIDI track on channel `midi_channel` (1..16) with the
// command line's defaults.
TrackInputs midi_track(int midi_channel = 1);

struct TrackResult {
  Bytes file;                      // a whole MIDI file: empty conductor, then this track
  Bytes events;                    // the chunk's bytes after its 8-byte header
  std::vector<std::string> lines;  // its events, "@96 (+48) NoteOn ch1 60 100" (below 1 MB)
  std::string err;                 // what this track wrote to the error stream (CP932)
  int32_t doTime = 0;
  int32_t loopTime = 0;
  int64_t offset = 0;              // where interpretation stopped
  size_t chunk_size = 0;
};

class TrackHarness {
 public:
  TrackHarness();
  ~TrackHarness();
  TrackHarness(const TrackHarness&) = delete;
  TrackHarness& operator=(const TrackHarness&) = delete;

  // Converts `commands` (0xFF appended) as the track at offset 0 of an image.
  // The file is checked by both readers.
  TrackResult convert(const Bytes& commands, const TrackInputs& in = midi_track());

  Session& session() { return *session_; }
  TrackTables& tables() { return tables_; }

 private:
  std::unique_ptr<Session> session_;
  TrackTables tables_;
};

// The lines of `r` from the first one that contains `from` (all when empty).
std::vector<std::string> lines_from(const TrackResult& r, const std::string& from);

}  // namespace orvo::test
