// The strict MIDI file checker the other tests rely on: it must pass what is
// well formed, reject each class of defect by name, and dump readably.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/smf_check.h"

namespace orvo::test {
namespace {

using Bytes = std::vector<uint8_t>;

const Bytes kEnd = {0x00, 0xFF, 0x2F, 0x00};

Bytes header(int ntracks, int division = 48, int format = 1) {
  return {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, static_cast<uint8_t>(format),
          static_cast<uint8_t>(ntracks >> 8), static_cast<uint8_t>(ntracks),
          static_cast<uint8_t>(division >> 8), static_cast<uint8_t>(division)};
}

Bytes chunk(const Bytes& events, const char* id = "MTrk") {
  const size_t n = events.size();
  Bytes c{static_cast<uint8_t>(id[0]), static_cast<uint8_t>(id[1]), static_cast<uint8_t>(id[2]),
          static_cast<uint8_t>(id[3]), static_cast<uint8_t>(n >> 24), static_cast<uint8_t>(n >> 16),
          static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n)};
  c.insert(c.end(), events.begin(), events.end());
  return c;
}

Bytes cat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// A one-track file whose track holds `events` and, unless told otherwise,
// the end-of-track event after them.
Bytes one_track(const Bytes& events, bool end = true) {
  return cat(header(1), chunk(end ? cat(events, kEnd) : events));
}

struct Defect {
  const char* what;
  Bytes file;
  const char* message;  // part of the expected complaint
};

void expect_rejected(const std::vector<Defect>& defects) {
  for (const Defect& d : defects) {
    const std::string problem = check_smf(d.file);
    EXPECT_NE(problem.find(d.message), std::string::npos)
        << d.what << ": got \"" << problem << "\", expected \"" << d.message << "\"";
  }
}

TEST(SmfCheck, WellFormedFilesPassBothReaders) {
  const Bytes minimal = one_track({});
  EXPECT_EQ(check_smf(minimal), "");
  const MidoResult mido = mido_run(minimal);
  EXPECT_EQ(mido.status, 0) << mido.err;
  EXPECT_EQ(mido.out, "type 1, ticks_per_beat 48, tracks 1\ntrack 0: 1 messages, 0 ticks\n");

  // Boundary values that are legal: a 4-byte delta, key signatures at
  // -7 and 7, an exclusive without its final F7, an F7 escape, channel
  // statuses changing without running status.
  const Bytes varied = cat(
      cat(header(2, 0x7FFF), chunk(cat({0x00, 0xFF, 0x59, 0x02, 0xF9, 0x01, 0x00, 0xFF, 0x59, 0x02, 0x07,
                                        0x00, 0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20},
                                       kEnd))),
      chunk(cat({0xFF, 0xFF, 0xFF, 0x7F, 0x90, 0x3C, 0x64, 0x00, 0xF0, 0x02, 0x41, 0x10, 0x00, 0xF7,
                 0x03, 0x43, 0x10, 0x4C, 0x00, 0xC0, 0x05, 0x00, 0xE0, 0x00, 0x40},
                kEnd)));
  EXPECT_EQ(check_smf(varied), "");
  EXPECT_EQ(mido_read(varied), "");
  // An F7 escape may carry any bytes at all (mido, which reads it as an
  // exclusive, would refuse these).
  EXPECT_EQ(check_smf(one_track({0x00, 0xF7, 0x04, 0x90, 0xFF, 0x80, 0xF0})), "");
}

TEST(SmfCheck, RejectsHeaderAndChunkLayoutDefects) {
  Bytes bad_id = one_track({});
  bad_id[3] = 'x';
  Bytes long_header = one_track({});
  long_header[7] = 7;
  const Bytes body = chunk(kEnd);
  expect_rejected({
      {"header id", bad_id, "does not start with MThd"},
      {"short file", Bytes{'M', 'T', 'h', 'd', 0, 0, 0, 6}, "ends inside the 14-byte header"},
      {"header length", long_header, "header length 7, expected 6"},
      {"format 0", cat(header(1, 48, 0), body), "format 0, expected 1"},
      {"division 0", cat(header(1, 0), body), "division 0"},
      {"timecode division", cat(header(1, 0xE728), body), "bit 15 set"},
      {"too few chunks", cat(header(2), body), "announces 2 tracks but the file holds 1"},
      {"too many chunks", cat(cat(header(1), body), body), "announces 1 tracks but another MTrk"},
      {"foreign chunk", cat(cat(header(2), body), chunk({}, "XFIH")), "chunk id 'XFIH' is not MTrk"},
      {"trailing bytes", cat(one_track({}), {0x00, 0x00}), "2 trailing bytes after the last chunk"},
      {"truncated chunk header", cat(header(1), {'M', 'T', 'r', 'k', 0}), "ends inside the chunk header"},
      {"length past file end", cat(header(1), Bytes{'M', 'T', 'r', 'k', 0, 0, 0, 5, 0x00, 0xFF, 0x2F, 0x00}),
       "chunk length 5 runs past the file end"},
      {"length past end-of-track", one_track({0x00, 0xFF, 0x2F, 0x00, 0x00}, false),
       "1 bytes after the end-of-track event"},
      {"length short of end-of-track", cat(cat(header(1), chunk({0x00, 0xFF, 0x2F})), {0x00}),
       "meta length runs past the chunk end"},
      {"no end-of-track", one_track({0x00, 0x90, 0x3C, 0x64}, false), "without an end-of-track event"},
      {"two end-of-track events", one_track(kEnd), "bytes after the end-of-track event"},
      {"end-of-track with data", one_track({0x00, 0xFF, 0x2F, 0x01, 0x00}, false), "expected FF 2F 00"},
  });
  // The location names the chunk, the event and the offending byte.
  EXPECT_EQ(check_smf(one_track(kEnd)),
            "track 0, event 1, offset 26: 4 bytes after the end-of-track event: "
            "the chunk length must end there");
  EXPECT_EQ(check_smf(cat(header(2), body)),
            "chunk 1, offset 26: track count: the header announces 2 tracks but the file holds 1");
}

TEST(SmfCheck, RejectsEventDefects) {
  std::vector<Defect> defects = {
      {"note data", one_track({0x00, 0x90, 0x3C, 0x80}), "data byte 0x80 >= 0x80 in channel event 90"},
      {"program data", one_track({0x00, 0xC3, 0xC3}), "data byte 0xC3 >= 0x80 in channel event C3"},
      {"channel event cut", one_track({0x00, 0xB0, 0x07}, false), "channel event runs past the chunk end"},
      {"5-byte delta", one_track({0x81, 0x81, 0x81, 0x81, 0x00}), "delta time longer than 4 bytes"},
      {"delta cut", one_track({0x81}, false), "delta time runs past the chunk end"},
      {"5-byte meta length", one_track({0x00, 0xFF, 0x01, 0x81, 0x81, 0x81, 0x81, 0x00}),
       "meta length longer than 4 bytes"},
      {"meta past chunk", one_track({0x00, 0xFF, 0x01, 0x10, 0x41}, false),
       "meta data of 16 bytes runs past"},
      {"5-byte exclusive length", one_track({0x00, 0xF0, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}),
       "exclusive length longer than 4 bytes"},
      {"exclusive past chunk", one_track({0x00, 0xF0, 0x10, 0x41}, false),
       "exclusive data of 16 bytes runs past"},
      {"meta type", one_track({0x00, 0xFF, 0x80, 0x00}), "meta type 0x80 >= 0x80"},
      {"tempo length", one_track({0x00, 0xFF, 0x51, 0x02, 0x07, 0xA1}), "tempo meta event of length 2"},
      {"time signature length", one_track({0x00, 0xFF, 0x58, 0x03, 0x04, 0x02, 0x18}),
       "time signature meta event of length 3"},
      {"key signature length", one_track({0x00, 0xFF, 0x59, 0x03, 0x00, 0x00, 0x00}),
       "key signature meta event of length 3"},
      {"key signature sf 8", one_track({0x00, 0xFF, 0x59, 0x02, 0x08, 0x00}), "sf 8 outside -7..7"},
      {"key signature sf -8", one_track({0x00, 0xFF, 0x59, 0x02, 0xF8, 0x00}), "sf -8 outside -7..7"},
      {"key signature mi 2", one_track({0x00, 0xFF, 0x59, 0x02, 0x00, 0x02}), "mi 2, expected 0 or 1"},
      {"exclusive high byte", one_track({0x00, 0xF0, 0x03, 0x41, 0x90, 0xF7}), "exclusive data byte 0x90"},
      {"exclusive inner F7", one_track({0x00, 0xF0, 0x03, 0xF7, 0x41, 0xF7}), "exclusive data byte 0xF7"},
  };
  for (int status : {0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF8, 0xF9, 0xFA, 0xFB, 0xFC, 0xFD, 0xFE}) {
    defects.push_back(
        {"system status", one_track({0x00, static_cast<uint8_t>(status), 0x00}), "is not allowed in a file"});
  }
  expect_rejected(defects);
  EXPECT_EQ(check_smf(one_track({0x00, 0x90, 0x3C, 0x40, 0x00, 0xF0, 0x03, 0x41, 0x90, 0xF7})),
            "track 0, event 1, offset 30: exclusive data byte 0x90 >= 0x80");
}

TEST(SmfCheck, RunningStatusOnlyBetweenChannelEvents) {
  const Bytes ok =
      one_track({0x00, 0x90, 0x3C, 0x64, 0x10, 0x3C, 0x00, 0x00, 0xB1, 0x07, 0x64, 0x00, 0x0A, 0x40});
  EXPECT_EQ(check_smf(ok), "");
  EXPECT_EQ(mido_read(ok), "");
  Smf smf;
  ASSERT_EQ(parse_smf(ok, smf), "");
  ASSERT_EQ(smf.tracks[0].events.size(), 5u);
  const SmfEvent& second = smf.tracks[0].events[1];
  EXPECT_TRUE(second.running);
  EXPECT_EQ(second.status, 0x90);
  EXPECT_EQ(second.tick, 16);
  EXPECT_EQ(second.bytes, (Bytes{0x3C, 0x00}));
  EXPECT_EQ(smf.tracks[0].events[3].status, 0xB1);
  EXPECT_FALSE(smf.tracks[0].events[2].running);

  expect_rejected({
      {"at track start", one_track({0x00, 0x3C, 0x64}), "no running status at the start of the track"},
      {"after meta", one_track({0x00, 0x90, 0x3C, 0x64, 0x00, 0xFF, 0x01, 0x01, 0x41, 0x00, 0x3C, 0x00}),
       "no running status after a meta event"},
      {"after exclusive", one_track({0x00, 0x90, 0x3C, 0x64, 0x00, 0xF0, 0x01, 0xF7, 0x00, 0x3C, 0x00}),
       "no running status after an exclusive event"},
      {"after escape", one_track({0x00, 0x90, 0x3C, 0x64, 0x00, 0xF7, 0x01, 0x90, 0x00, 0x3C, 0x00}),
       "no running status after an exclusive event"},
  });
}

TEST(SmfCheck, DumpShowsEveryEventAndEndsWithTheProblem) {
  const Bytes conductor = {0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x00, 0xFF, 0x58, 0x04, 0x06, 0x03,
                           0x18, 0x08, 0x00, 0xFF, 0x59, 0x02, 0xFE, 0x00, 0x00, 0xFF, 0x03, 0x05,
                           't',  'i',  't',  'l',  'e',  0x00, 0xFF, 0x2F, 0x00};
  const Bytes track = {0x00, 0xF0, 0x03, 0x41, 0x10, 0xF7, 0x30, 0x90, 0x3C, 0x64, 0x30, 0x3C, 0x00,
                       0x00, 0xE1, 0x00, 0x40, 0x00, 0xC1, 0x05, 0x00, 0xB0, 0x07, 0x64,
                       0x00, 0xFF, 0x2F, 0x00};
  const Bytes file = cat(cat(header(2), chunk(conductor)), chunk(track));
  EXPECT_EQ(dump_smf(file),
            "MThd format 1, 2 tracks, division 48\n"
            "track 0 @0 (+0) Tempo 500000\n"
            "track 0 @0 (+0) TimeSig 6/8 cc=24 bb=8\n"
            "track 0 @0 (+0) KeySig sf=-2 mi=0\n"
            "track 0 @0 (+0) Meta 03 'title'\n"
            "track 0 @0 (+0) EndOfTrack\n"
            "track 1 @0 (+0) SysEx F0 41 10 F7\n"
            "track 1 @48 (+48) NoteOn ch1 60 100\n"
            "track 1 @96 (+48) NoteOn ch1 60 0\n"
            "track 1 @96 (+0) PitchBend ch2 8192\n"
            "track 1 @96 (+0) Program ch2 5\n"
            "track 1 @96 (+0) Control ch1 7 100\n"
            "track 1 @96 (+0) EndOfTrack\n");
  EXPECT_EQ(event_lines(file, 1)[2], "@96 (+48) NoteOn ch1 60 0");
  EXPECT_EQ(track_events_bytes(file, 1), track);
  EXPECT_EQ(track_events_bytes(file, 0), conductor);
  EXPECT_TRUE(track_events_bytes(file, 2).empty());

  const Bytes broken =
      one_track({0x00, 0x90, 0x3C, 0x64, 0x00, 0xFF, 0x01, 0x01, 0x41, 0x00, 0x3C, 0x00}, false);
  EXPECT_EQ(dump_smf(broken),
            "MThd format 1, 1 tracks, division 48\n"
            "track 0 @0 (+0) NoteOn ch1 60 100\n"
            "track 0 @0 (+0) Meta 01 'A'\n"
            "error: track 0, event 2, offset 32: data byte 0x3C where a status is needed: "
            "no running status after a meta event\n");
}

TEST(SmfCheck, ExpectValidReportsEachReaderThatRejects) {
  auto failures = [](const Bytes& file) {
    ::testing::TestPartResultArray results;
    {
      ::testing::ScopedFakeTestPartResultReporter reporter(
          ::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &results);
      expect_valid_smf(file);
    }
    std::vector<std::string> messages;
    for (int i = 0; i < results.size(); ++i) messages.push_back(results.GetTestPartResult(i).message());
    return messages;
  };
  EXPECT_TRUE(failures(one_track({})).empty());

  // Both readers refuse a data byte with bit 7 set; the report carries the dump.
  const std::vector<std::string> both = failures(one_track({0x00, 0x90, 0x3C, 0x80}));
  ASSERT_EQ(both.size(), 2u);
  EXPECT_NE(both[0].find("invalid MIDI file: track 0, event 0, offset 25"), std::string::npos) << both[0];
  EXPECT_NE(both[0].find("MThd format 1, 1 tracks"), std::string::npos) << both[0];
  EXPECT_NE(both[1].find("mido rejects the MIDI file"), std::string::npos) << both[1];

  // A channel prefix without its channel byte passes the structural check
  // but not mido, whose complaint is reported on its own.
  const std::vector<std::string> mido_only = failures(one_track({0x00, 0xFF, 0x20, 0x00}));
  ASSERT_EQ(mido_only.size(), 1u);
  EXPECT_NE(mido_only[0].find("mido rejects the MIDI file: exit status 1: IndexError"), std::string::npos)
      << mido_only[0];
}

}  // namespace
}  // namespace orvo::test
