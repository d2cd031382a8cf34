// The wait written before each MDD message fits a delta time, while the
// total handed on to the next file keeps its full value.
#include <gtest/gtest.h>

#include "driver/companion_files.h"
#include "passes_test_chunks.h"
#include "support/run.h"
#include "zmd/mdd.h"

namespace orvo {
namespace {

TEST(MddWait, WaitBeyondFourBytesOfDeltaIsWrittenAsTheLargest) {
  test::TempDir dir;
  test::ScopedCwd cwd(dir.path());
  test::write_file("LONG.MDD", std::string("F0 01 F7\rF0 02 F7\r"));
  test::PassSession session;
  const MddFolders here;
  session.s.mdd = file_mdd_resolver(here);
  TrackBuffer tb;
  allocate_track_buffer(tb, 16);
  open_chunk(tb);
  int32_t wait = 0x10000000;  // the total of an earlier file
  loadmdd(session.s, tb, wait, "LONG");
  EXPECT_EQ(test::Bytes(tb.bytes.begin() + 8, tb.bytes.begin() + static_cast<std::ptrdiff_t>(tb.pos)),
            (test::Bytes{0xFF, 0xFF, 0xFF, 0x7F, 0xF0, 0x02, 0x01, 0xF7,
                         0xFF, 0xFF, 0xFF, 0x7F, 0xF0, 0x02, 0x02, 0xF7}));
  EXPECT_EQ(wait, 0x20000000);
}

}  // namespace
}  // namespace orvo
