// The common-command section becomes the conductor track: exact bytes of
// every command, the start offset, and the signature events.
#include <gtest/gtest.h>

#include <cstdio>

#include "run/exit.h"
#include "support/run.h"
#include "support/smf_check.h"
#include "support/zmd_builder.h"
#include "zmd/common.h"

namespace orvo {
namespace {

using test::Bytes;
using test::sjis;
using test::ZmdBuilder;

// One makecommon run on a built image.
struct Conductor {
  Bytes events;          // the chunk's bytes after its 8-byte header
  std::string messages;  // what was written to the error stream
  int32_t timebase = 0;
  int32_t start = 0;     // the start offset S
  int64_t terminator = 0;
  Session session;
};

std::unique_ptr<Conductor> run_common(const Bytes& zmd, int8_t wait = 0, int8_t init_gap = -1,
                                      const SignatureData& sig = {}, int kb = 16) {
  auto c = std::make_unique<Conductor>();
  TimingRecord timing;
  TrackBuffer tb;
  allocate_track_buffer(tb, kb);
  size_t size = 0;
  int32_t start = wait;
  makecommon(c->session, timing, make_image(zmd), tb, size, c->terminator, sig, start, init_gap);
  EXPECT_EQ(size, tb.pos);
  EXPECT_EQ(size, chunk_length(tb) + 8u);
  c->events.assign(tb.bytes.begin() + 8, tb.bytes.begin() + static_cast<long>(size));
  c->timebase = timing.timebase;
  c->start = start;
  c->messages = c->session.err.cp932;
  return c;
}

const Bytes kEnd{0x00, 0xFF, 0x2F, 0x00};

Bytes with_end(Bytes b) {
  b.insert(b.end(), kEnd.begin(), kEnd.end());
  return b;
}

// A whole file around one conductor chunk, for the strict checker.
Bytes single_track_file(const Bytes& events) {
  Bytes f{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 1, 0, 48, 'M', 'T', 'r', 'k'};
  const uint32_t n = static_cast<uint32_t>(events.size());
  f.insert(f.end(), {static_cast<uint8_t>(n >> 24), static_cast<uint8_t>(n >> 16),
                     static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n)});
  f.insert(f.end(), events.begin(), events.end());
  return f;
}

ProcessExit refusal(const Bytes& zmd) {
  try {
    run_common(zmd);
  } catch (const ProcessExit& e) {
    return e;
  }
  ADD_FAILURE() << "conversion went on";
  return ProcessExit{0, "", ""};
}

TEST(Conductor, TerminatorOnlyGivesEndOfTrack) {
  const auto c = run_common(ZmdBuilder().build());
  EXPECT_EQ(c->events, kEnd);
  EXPECT_EQ(c->terminator, 8);
  EXPECT_EQ(c->timebase, 192);
  EXPECT_EQ(c->start, 0);
}

TEST(Conductor, TempoTruncatedOrRounded) {
  struct Case {
    uint16_t tempo;
    uint32_t truncated, rounded;
  } cases[] = {{120, 500000, 500000}, {145, 413793, 413793}, {7, 8571428, 8571429}};
  for (const Case& k : cases) {
    for (int rounding : {0, 1}) {
      auto c = std::make_unique<Session>();
      c->tempo_rounding = rounding;
      uint8_t out[16];
      ASSERT_EQ(puttempo(*c, out, 0, k.tempo), 7u);
      const uint32_t us = rounding ? k.rounded : k.truncated;
      EXPECT_EQ(Bytes(out, out + 7), (Bytes{0x00, 0xFF, 0x51, 0x03, static_cast<uint8_t>(us >> 16),
                                            static_cast<uint8_t>(us >> 8), static_cast<uint8_t>(us)}))
          << k.tempo << " rounding " << rounding;
    }
  }
  EXPECT_EQ(run_common(ZmdBuilder().tempo(120).build())->events,
            with_end({0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20}));
}

// Tempos below 4 need more than 24 bits of microseconds; writing only the
// low 24 bits turned the slowest tempos into fast ones.
TEST(Conductor, TempoBeyond24BitsIsHeldAtTheSlowestValue) {
  Session s;
  uint8_t out[16];
  puttempo(s, out, 0, 1);
  EXPECT_EQ(Bytes(out + 4, out + 7), (Bytes{0xFF, 0xFF, 0xFF}));
}

TEST(Conductor, TimebaseSetsDivisionForShortAndLongForms) {
  EXPECT_EQ(run_common(ZmdBuilder().common({0x42, 1, 0, 0, 0x01, 0xE0}).build())->timebase, 480);
  EXPECT_EQ(run_common(ZmdBuilder().common({0x42, 0x30, 9, 9, 9, 9}).build())->timebase, 48);
}

TEST(Conductor, ZeroTempoAndTimebaseAreRefused) {
  const ProcessExit t = refusal(ZmdBuilder().tempo(0).build());
  EXPECT_EQ(t.status, 1);
  EXPECT_EQ(t.message, sjis("makecommon:8でのテンポ 0 は変換出来ません。\n"));
  const ProcessExit b = refusal(ZmdBuilder().common({0x42, 0, 0, 0, 0, 0}).build());
  EXPECT_EQ(b.status, 1);
  EXPECT_EQ(b.message, sjis("makecommon:8でのタイムベース 0 は変換出来ません。\n"));
  // A timebase below 4 would make the MIDI division 0.
  EXPECT_EQ(refusal(ZmdBuilder().common({0x42, 1, 0, 0, 0, 3}).build()).status, 1);
}

TEST(Conductor, ExclusiveBlockYieldsOneEventPerMessage) {
  const Bytes block{0xF0, 0x41, 0x10, 0xF7, 0xF0, 0x42, 0xF7};
  const auto c = run_common(ZmdBuilder().exclusive(block).build(), 5);
  EXPECT_EQ(c->events, with_end({0x05, 0xF0, 0x03, 0x41, 0x10, 0xF7, 0x05, 0xF0, 0x02, 0x42, 0xF7}));
  EXPECT_EQ(c->start, 192) << "X = 10 rounds up to a whole note";
}

TEST(Conductor, ExclusiveWithoutLeadingF0OrEmpty) {
  EXPECT_EQ(run_common(ZmdBuilder().exclusive({0x41, 0x10, 0xF7}).build())->events,
            with_end({0x00, 0xF0, 0x03, 0x41, 0x10, 0xF7}));
  EXPECT_EQ(run_common(ZmdBuilder().exclusive({}).build())->events, with_end({0x00, 0xF0, 0x00}));
  // A message without F7 runs to the end of the count.
  EXPECT_EQ(run_common(ZmdBuilder().exclusive({0xF0, 0x41, 0x10}).build())->events,
            with_end({0x00, 0xF0, 0x02, 0x41, 0x10}));
}

// Found by fuzzing the library: a byte of 0x80 or more inside a message was
// copied into the file, where only data bytes may stand.
TEST(Conductor, ExclusiveBytesAboveSevenBitsAreHeldAt7F) {
  EXPECT_EQ(run_common(ZmdBuilder().exclusive({0xF0, 0x41, 0xD7, 0xF7, 0xF0, 0x42, 0x90}).build())->events,
            with_end({0x00, 0xF0, 0x03, 0x41, 0x7F, 0xF7, 0x00, 0xF0, 0x02, 0x42, 0x7F}));
}

TEST(Conductor, StartOffsetRoundsExclusiveTimeAndInitSequenceToAWholeNote) {
  const Bytes two{0xF0, 0x41, 0xF7, 0xF0, 0x42, 0xF7};
  EXPECT_EQ(run_common(ZmdBuilder().exclusive(two).build(), 0)->start, 0);
  EXPECT_EQ(run_common(ZmdBuilder().exclusive(two).build(), 5)->start, 192);
  EXPECT_EQ(run_common(ZmdBuilder().exclusive(two).build(), 5, 2)->start, 154);
  EXPECT_EQ(run_common(ZmdBuilder().build(), 0, 0)->start, 0);
  EXPECT_EQ(run_common(ZmdBuilder().build(), 0, 10)->start, 2);  // 2 + 190 = 192
}

TEST(Conductor, TextTitleAndSkippedCommands) {
  ZmdBuilder b;
  b.text("hi").title("Song").common({0x15, 0x60, 'a', 0, 0x63, 'b', 0});
  b.common({0x40}).common(Bytes(19, 0)).common({0x00, 0x01, 'n', 0});
  b.common({0x04}).common(Bytes(56, 0xFF)).common({0x1B}).common(Bytes(56, 0xFF));
  const auto c = run_common(b.build());
  EXPECT_EQ(c->events, with_end({0x00, 0xFF, 0x01, 0x02, 'h', 'i', 0x00, 0xFF, 0x03, 0x04, 'S',
                                 'o', 'n', 'g'}));
  EXPECT_EQ(c->messages, "TITLE:Song\nskip[ADPCM_LIST]\nskip[ADPCM_BLOCK_DATA]\nskip[ADPCMconfig]\n");
}

TEST(Conductor, UndefinedOpcodeIsReportedAndTheNextByteRead) {
  const auto c = run_common(ZmdBuilder().common({0x15, 0x99, 0x05, 0x00, 0x78}).build());
  EXPECT_EQ(c->messages, sjis("makecommon:9での99はZ-MUSICでは未定義のコマンドです。\n"));
  EXPECT_EQ(c->events, with_end({0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20}));
}

TEST(Conductor, WaveformRegistrationAndItsLimits) {
  const auto c = run_common(ZmdBuilder().waveform(8, 2, 1, {-3, 0, 300}).waveform(31, 0, 0, {5}).build());
  const Waveform& w = c->session.waveforms.slots[8];
  EXPECT_EQ(w.length, 3);
  EXPECT_EQ(w.loop_mode, 2);
  EXPECT_EQ(w.loop_index, 1);
  EXPECT_EQ(w.samples, (std::vector<int16_t>{-3, 0, 300}));
  EXPECT_EQ(c->session.waveforms.slots[31].samples, (std::vector<int16_t>{5}));
  EXPECT_EQ(c->events, kEnd);

  const ProcessExit high = refusal(ZmdBuilder().waveform(32, 0, 0, {1}).build());
  EXPECT_EQ(high.message, sjis("32:波形メモリ登録番号が大きすぎます。\n"));
  const ProcessExit low = refusal(ZmdBuilder().waveform(7, 0, 0, {1}).build());
  EXPECT_EQ(low.message, sjis("7:指定の波形メモリ登録番号は予約済みです。\n"));
}

// Sections cut off by the end of the file used to read on into the padding
// (and, for strings, beyond it); each is now refused by name.
TEST(Conductor, TruncatedSectionsAreRefusedWithoutReadingOutsideTheImage) {
  const Bytes head{0x10, 'Z', 'm', 'u', 'S', 'i', 'C', 0x20};
  const std::vector<Bytes> cut = {
      {0x7F, 'a', 'b'},             // title without terminator
      {0x05, 0x00},                 // tempo with one byte
      {0x18, 0x00, 0x10, 0xF0},     // block count past the end
      {0x4A, 0x00, 0x10, 8, 0, 0, 0, 1, 2},  // samples past the end
      {0x04, 0, 0, 0},              // skipped operands past the end
      {0x62},                       // MDD name missing
  };
  for (const Bytes& tail : cut) {
    Bytes zmd = head;
    zmd.insert(zmd.end(), tail.begin(), tail.end());
    const ProcessExit e = refusal(zmd);
    EXPECT_EQ(e.status, 1);
    EXPECT_NE(e.message.find(sjis("ファイルの終わりで途切れています")), std::string::npos)
        << std::hex << int(tail[0]);
  }
}

TEST(Conductor, LargeExclusiveBlockGrowsTheBufferAsFarAsNeeded) {
  Bytes block;
  for (int m = 0; m < 3000; ++m) block.insert(block.end(), {0xF0, 0x41, 0x10, 0x42, 0x12, 0xF7});
  const auto c = run_common(ZmdBuilder().exclusive(block).build(), 1, -1, {}, 1);
  EXPECT_EQ(c->events.size(), 3000u * 8 + kEnd.size());
  EXPECT_EQ(c->start, 3000 + (192 - 3000 % 192));
}

SignatureData signatures(std::vector<SignatureEntry> list, std::string author = "") {
  SignatureData s;
  s.list = std::move(list);
  s.author = std::move(author);
  return s;
}

constexpr int16_t key(int sf, int minor) { return static_cast<int16_t>((sf + 7) * 2 + minor); }
constexpr int16_t time_sig(int n, int d) { return static_cast<int16_t>(0x2000 + n * 32 + d); }

TEST(Conductor, SignaturesSortedByBarWithTimeAheadOfKey) {
  const auto c = run_common(ZmdBuilder().build(), 0, -1,
                            signatures({{1, key(0, 0)}, {3, key(-2, 0)}, {3, time_sig(3, 2)}}));
  EXPECT_EQ(c->events, with_end({0x00, 0xFF, 0x59, 0x02, 0x00, 0x00,                  // bar 1 C
                                 0x83, 0x00, 0xFF, 0x58, 0x04, 3, 2, 48, 8,           // bar 3 3/4
                                 0x00, 0xFF, 0x59, 0x02, 0xFE, 0x00}));               // bar 3 Bb
}

TEST(Conductor, SignatureDeltasFollowTheRunningTimeSignature) {
  const auto c = run_common(ZmdBuilder().build(), 0, -1,
                            signatures({{1, time_sig(6, 3)}, {2, key(1, 1)}}));
  EXPECT_EQ(c->events, with_end({0x00, 0xFF, 0x58, 0x04, 6, 3, 24, 8,
                                 0x81, 0x10, 0xFF, 0x59, 0x02, 0x01, 0x01}));  // 144 clocks
}

TEST(Conductor, SignatureDeltasCountFromTheLastExclusiveNotFromTheStart) {
  const Bytes two{0xF0, 0x41, 0xF7, 0xF0, 0x42, 0xF7};
  const auto c = run_common(ZmdBuilder().exclusive(two).build(), 5, -1,
                            signatures({{1, key(0, 0)}, {2, key(1, 0)}}));
  EXPECT_EQ(c->start, 192);
  // Entry at bar 1 at clock 10, bar 2 at clock 202.
  const Bytes& e = c->events;
  EXPECT_EQ(Bytes(e.begin() + 10, e.end()),
            with_end({0x00, 0xFF, 0x59, 0x02, 0x00, 0x00, 0x81, 0x40, 0xFF, 0x59, 0x02, 0x01, 0x00}));
}

TEST(Conductor, AuthorTextGoesToTheVeryFront) {
  const auto c = run_common(ZmdBuilder().tempo(120).build(), 0, -1, signatures({}, "me"));
  EXPECT_EQ(c->events, with_end({0x00, 0xFF, 0x02, 0x02, 'm', 'e', 0x00, 0xFF, 0x51, 0x03, 0x07,
                                 0xA1, 0x20}));
}

// A bar below 1 used to give a negative delta, and codes that are neither a
// key nor a time signature a delta without an event.
TEST(Conductor, UnwritableSignatureEntriesLeaveNoStrayDelta) {
  const auto c = run_common(ZmdBuilder().build(), 0, -1,
                            signatures({{0, key(0, 0)}, {2, static_cast<int16_t>(-24581)},
                                        {2, key(8, 0)}, {3, key(1, 0)}}));
  EXPECT_EQ(c->events, with_end({0x00, 0xFF, 0x59, 0x02, 0x00, 0x00,
                                 0x83, 0x00, 0xFF, 0x59, 0x02, 0x01, 0x00}));  // bar 3 at 384
  test::expect_valid_smf(single_track_file(c->events));
}

}  // namespace
}  // namespace orvo
