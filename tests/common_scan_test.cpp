// The MDD names of a song's common section, read without converting it: the
// batch converter's skip rule depends on them.
#include <gtest/gtest.h>

#include "support/zmd_builder.h"
#include "zmd/common_scan.h"
#include "zmd/image.h"

namespace orvo {
namespace {

using test::Bytes;
using test::ZmdBuilder;

std::vector<std::string> names_of(const Bytes& file) { return mdd_names(make_image(file)); }

// Every operand layout lies between the names: a wrong size would read a
// name out of an operand or lose the next one.
ZmdBuilder every_command() {
  ZmdBuilder b;
  b.mdd("FIRST").common({0x04}).common(Bytes(56, 0x62)).tempo(120).common({0x15});
  b.exclusive({0xF0, 0x41, 0x62, 0xF7, 0x43, 0x62, 0xF7});  // two messages, the second without F0
  b.common({0x40}).common(Bytes(19, 0x62)).common({0x00, 0x01, 'a', 0});  // with a name
  b.common({0x40}).common(Bytes(19, 0x62)).common({0x00, 0x00});          // without
  b.timebase(480).waveform(8, 0, 0, {0x6200, 0x0062});
  b.common({0x60, 'l', 0, 0x61, 't', 0, 0x63, 'd', 0, 0x1B}).common(Bytes(56, 0x62));
  b.title("x").common({0x33});  // 0x33: unknown, no operands
  return b.mdd("SECOND").mdd("FIRST").mdd("third.mdd");
}

TEST(CommonScan, NamesInOrderOnceAcrossEveryOperandLayout) {
  const Bytes file = every_command().track(test::kMidi1, {60, 48, 40}).build();
  EXPECT_EQ(names_of(file), (std::vector<std::string>{"FIRST", "SECOND", "third.mdd"}));
  EXPECT_TRUE(names_of(ZmdBuilder().tempo(120).build()).empty());
}

// Every prefix of the file and every byte changed: the walk stays inside the
// data (the sanitizers watch) and keeps the names met before the damage.
TEST(CommonScan, DamagedSectionsStopQuietly) {
  const Bytes whole = every_command().build();
  for (size_t n = 0; n < whole.size(); ++n) {
    const std::vector<std::string> names = names_of(Bytes(whole.begin(), whole.begin() + static_cast<long>(n)));
    ASSERT_LE(names.size(), 3u);
    if (n > 14) {  // the header, 0x62 and "FIRST\0"
      EXPECT_EQ(names.front(), "FIRST") << n;
    }
  }
  for (size_t at = 8; at < whole.size(); ++at) {
    for (const uint8_t value : Bytes{0x00, 0x18, 0x4A, 0x62, 0xFF}) {
      Bytes damaged = whole;
      damaged[at] = value;
      EXPECT_LE(names_of(damaged).size(), whole.size()) << at;
    }
  }
  // A block count or a sample count that runs past the end.
  EXPECT_EQ(names_of(ZmdBuilder().mdd("A").common({0x18, 0xFF, 0xFF, 0xF0}).mdd("B").build()),
            std::vector<std::string>{"A"});
  EXPECT_EQ(names_of(ZmdBuilder().mdd("A").common({0x4A, 0x7F, 0xFF, 8, 0, 0, 0}).build()),
            std::vector<std::string>{"A"});
}

}  // namespace
}  // namespace orvo
