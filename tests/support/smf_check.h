// Strict reading of the MIDI files the converter writes: a parser into
// readable events, a checker that names the first structural problem, a
// one-line-per-event dump, and a second opinion from an independent reader
// (Python's mido) run on the same bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace orvo::test {

// One event of a track chunk.
struct SmfEvent {
  int64_t tick = 0;            // absolute time: the sum of the deltas up to here
  int32_t delta = 0;           // the delta time as read
  size_t offset = 0;           // file offset of the first byte of the delta time
  uint8_t status = 0;          // effective status: the one written, or the running one
  bool running = false;        // the status byte was omitted (running status)
  std::vector<uint8_t> bytes;  // the event bytes as written after the delta time
  std::vector<uint8_t> data;   // channel: data bytes; meta: the payload (type and
                               // length stripped); exclusive: bytes after the length
  uint8_t meta_type = 0;       // type byte of a meta event (status 0xFF)
};

struct SmfTrack {
  size_t offset = 0;  // file offset of the chunk's "MTrk"
  uint32_t length = 0;  // the chunk length field
  std::vector<SmfEvent> events;
};

struct Smf {
  int format = 0, ntracks = 0, division = 0;  // header fields as read
  std::vector<SmfTrack> tracks;               // chunks read, in file order
};

// Reads `file` into `out` and checks it strictly (see check_smf). Returns ""
// when the file passes, otherwise the first problem; `out` then holds what
// was read before it, the offending event excluded.
std::string parse_smf(const std::vector<uint8_t>& file, Smf& out);

// "" when the file passes, otherwise "track T, event E, offset O: what" for
// the first problem (event E counted from 0 within track T, O the file offset
// of the offending byte; chunk- and header-level problems omit what does not
// apply). Rejected: a header other than MThd/6/format 1, a track count that
// differs from the MTrk chunks present, a division of 0 or with bit 15 set,
// other chunks or trailing bytes, chunk lengths past the file end or not
// ending at the end-of-track event, a missing, malformed or early
// end-of-track, channel data bytes >= 0x80, running status at a track start
// or after a meta or exclusive event, quantities over 4 bytes, lengths past
// the chunk, statuses 0xF1..0xF6 and 0xF8..0xFE, meta types >= 0x80, malformed
// tempo, time and key signatures, and F0 exclusive data >= 0x80 other than a
// final F7.
std::string check_smf(const std::vector<uint8_t>& file);

// The event alone: "NoteOn ch1 60 100" (channels counted from 1), "Control ch2
// 7 100", "Program ch1 5", "PitchBend ch1 8192" (the 14-bit value),
// "Tempo 500000", "TimeSig 6/8 cc=24 bb=8", "KeySig sf=-2 mi=0",
// "EndOfTrack", "Meta 03 'title'" (text types 01..0F; other types in hex),
// "SysEx F0 41 10 F7" (the status, then the bytes after the length).
std::string describe_event(const SmfEvent& e);

// A header line, then one line per event, "track 1 @96 (+48) NoteOn ch1 60
// 100"; when the file fails the check, a last line "error: <check message>".
std::string dump_smf(const std::vector<uint8_t>& file);

// The events of track `index` as "@96 (+48) NoteOn ch1 60 100"; parsing stops
// at the first problem.
std::vector<std::string> event_lines(const std::vector<uint8_t>& file, size_t index);

// The bytes of chunk `index` after its 8-byte header (as far as the file
// holds them); empty when there is no such chunk.
std::vector<uint8_t> track_events_bytes(const std::vector<uint8_t>& file, size_t index);

// What the independent reader said: its exit status and output.
struct MidoResult {
  int status = -1;
  std::string out;  // summary: format, division, per track messages and ticks
  std::string err;  // the exception text when it rejects the file
};
MidoResult mido_run(const std::vector<uint8_t>& file);

// "" when the independent reader accepts the file, otherwise its complaint.
std::string mido_read(const std::vector<uint8_t>& file);

// Fails the current test (without stopping it) when check_smf or the
// independent reader rejects `file`, showing the problem and the dump.
void expect_valid_smf(const std::vector<uint8_t>& file);

}  // namespace orvo::test
