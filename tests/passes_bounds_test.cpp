// Damaged chunks and records that point anywhere: every pass reads only
// inside the chunks and leaves each one with a length field that matches it.
#include <gtest/gtest.h>

#include <random>

#include "passes/mark_removal.h"
#include "passes/synchronise.h"
#include "passes/tempo_insert.h"
#include "passes_test_chunks.h"
#include "run/exit.h"

namespace orvo {
namespace {

using test::Bytes;

TEST(PassBounds, RandomChunksAndRecordsStayInsideTheChunks) {
  std::mt19937 rng(7);
  auto any = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  for (int round = 0; round < 300; ++round) {
    test::PassSession session;
    std::vector<TrackBuffer> tracks;
    std::vector<size_t> sizes;
    const int n = any(1, 4);
    for (int k = 0; k <= n; ++k) {
      Bytes events(static_cast<size_t>(any(0, 40)));
      for (uint8_t& b : events) b = static_cast<uint8_t>(any(0, 255));
      if (any(0, 1)) events.insert(events.end(), {0x00, 0xFF, 0x2F, 0x00});
      tracks.push_back(test::chunk(events));
      sizes.push_back(tracks.back().pos);
    }
    std::vector<SyncRecord> sync;
    for (int i = any(0, 8); i > 0; --i) {
      sync.push_back({any(-6, 60), any(-5, 500), any(-2, n + 1), any(-1, 300), any(0, 3)});
    }
    std::vector<TempoRecord> tempo;
    for (int i = any(0, 5); i > 0; --i) {
      tempo.push_back({any(-300, 300), any(-10, 600), any(0, 4), any(-1, n), 0, any(0, 3)});
    }
    std::vector<MarkRecord> marks;
    for (int i = any(0, 5); i > 0; --i) {
      marks.push_back({any(-10, 600), any(-1, n), 0, static_cast<uint8_t>(any(0, 2))});
    }
    auto sync_table = test::table_of(sync);
    auto tempo_table = test::table_of(tempo);
    auto mark_table = test::table_of(marks);
    try {
      synchronise_tracks(session.s, tracks, sync_table, sizes);
    } catch (const ProcessExit& e) {
      EXPECT_EQ(e.status, 1);  // unpairable records may end the conversion
      continue;
    }
    insert_tempo_events(session.s, tracks[0], tempo_table, sync_table, static_cast<uint8_t>(any(0, 1)));
    remove_marked_spans(session.s, tracks, n, mark_table, sync_table);
    for (const TrackBuffer& tb : tracks) {
      ASSERT_GE(tb.bytes.size(), 8u + chunk_length(tb)) << "round " << round;
    }
  }
}

}  // namespace
}  // namespace orvo
