// Hand-built chunks and a captured error stream for the pass tests: the
// chunks and records are what the track interpreter leaves behind.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "run/records.h"
#include "run/session.h"
#include "smf/bytes.h"
#include "smf/track_buffer.h"
#include "support/smf_check.h"

namespace orvo::test {

using Bytes = std::vector<uint8_t>;

// A track buffer holding an MTrk chunk of `events` (delta times included),
// with room behind it as a converter leaves; pos is the chunk size.
inline TrackBuffer chunk(const Bytes& events) {
  TrackBuffer tb;
  allocate_track_buffer(tb, 1);
  open_chunk(tb);
  if (tb.bytes.size() < 8 + events.size() + 64) tb.bytes.resize(8 + events.size() + 64);
  std::copy(events.begin(), events.end(), tb.bytes.begin() + 8);
  tb.pos = 8 + events.size();
  put_be32(tb.bytes.data() + 4, static_cast<uint32_t>(events.size()));
  return tb;
}

// The event bytes of a chunk, as far as its length field says.
inline Bytes events_of(const TrackBuffer& tb) {
  const size_t end = 8 + chunk_length(tb);
  return Bytes(tb.bytes.begin() + 8, tb.bytes.begin() + static_cast<std::ptrdiff_t>(end));
}

// A whole format-1 file of the given chunks, division 48.
inline Bytes smf_of(const std::vector<TrackBuffer>& tracks) {
  Bytes file{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, static_cast<uint8_t>(tracks.size()), 0, 48};
  for (const TrackBuffer& tb : tracks) {
    file.insert(file.end(), tb.bytes.begin(), tb.bytes.begin() + 8 + chunk_length(tb));
  }
  return file;
}

// The readable events of chunk `index` of `tracks`.
inline std::vector<std::string> lines_of(const std::vector<TrackBuffer>& tracks, size_t index) {
  return event_lines(smf_of(tracks), index);
}

// A session whose error stream keeps what it is told.
struct PassSession {
  std::unique_ptr<Session> owned = std::make_unique<Session>();
  Session& s = *owned;
  PassSession() = default;
  PassSession(const PassSession&) = delete;
  PassSession& operator=(const PassSession&) = delete;

  // Everything written to the error stream so far (CP932 bytes).
  std::string messages() const { return s.err.cp932; }
};

inline SyncRecord wait_at(int32_t track, int32_t position, int32_t time, int32_t pending,
                          int32_t order = 1) {
  return {position, time, track, pending, order};
}

inline SyncRecord signal_to(int32_t from, int32_t target, int32_t time, int32_t order = 1) {
  return {-(from + 1), time, target, -1, order};
}

template <class T>
RecordTable<T> table_of(std::vector<T> items) {
  RecordTable<T> t;
  t.items = std::move(items);
  t.capacity = t.items.size() * 2 + 1;
  return t;
}

}  // namespace orvo::test
