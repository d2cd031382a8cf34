#include "support/track_harness.h"

#include <gtest/gtest.h>

#include "smf/mthd.h"
#include "smf/track_buffer.h"
#include "support/smf_check.h"
#include "zmd/image.h"

namespace orvo::test {

namespace {
constexpr size_t kMaxLineBytes = 1 << 20;
}  // namespace

TrackInputs midi_track(int midi_channel) {
  TrackInputs in;
  in.channel_byte = static_cast<uint8_t>(kMidi1 + midi_channel - 1);
  in.end_offset = 0x2000000;
  return in;
}

TrackHarness::TrackHarness() : session_(std::make_unique<Session>()) {
  // A track's own messages, whole: the bound of a conversion's stream is
  // not what these tests are about.
  session_->err.line_bound = UINT64_MAX;
  session_->err.byte_bound = UINT64_MAX;
  reset_table(tables_.sync, 100);
  reset_table(tables_.tempo, 100);
  reset_table(tables_.mark, 60);
}

TrackHarness::~TrackHarness() = default;

TrackResult TrackHarness::convert(const Bytes& commands, const TrackInputs& in) {
  Bytes data = commands;
  data.push_back(0xFF);
  const ZmdImage img = make_image(data);
  TrackBuffer tb;
  allocate_track_buffer(tb, 16);
  TrackResult r;
  int64_t offset = 0;
  convert_track(*session_, img, tb, r.chunk_size, offset, in, tables_, r.doTime, r.loopTime);
  r.offset = offset;

  uint8_t header[kMthdBytes];
  write_mthd(header, 2, 48);
  r.file.assign(header, header + kMthdBytes);
  const Bytes conductor{'M', 'T', 'r', 'k', 0, 0, 0, 4, 0x00, 0xFF, 0x2F, 0x00};
  r.file.insert(r.file.end(), conductor.begin(), conductor.end());
  r.file.insert(r.file.end(), tb.bytes.begin(), tb.bytes.begin() + static_cast<long>(r.chunk_size));
  r.events.assign(tb.bytes.begin() + 8, tb.bytes.begin() + static_cast<long>(r.chunk_size));
  // Lines of a chunk of many megabytes would only cost time.
  if (r.events.size() < kMaxLineBytes) r.lines = event_lines(r.file, 1);
  expect_valid_smf(r.file);

  r.err = std::move(session_->err.cp932);
  session_->err.cp932.clear();
  return r;
}

std::vector<std::string> lines_from(const TrackResult& r, const std::string& from) {
  std::vector<std::string> out;
  bool on = from.empty();
  for (const std::string& line : r.lines) {
    if (!on && line.find(from) != std::string::npos) on = true;
    if (on) out.push_back(line);
  }
  return out;
}

}  // namespace orvo::test
