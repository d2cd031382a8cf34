// Inputs the fuzzer met, each converted as a whole run exactly as the fuzz
// target does: none may crash, hang or trip a sanitizer. The seeds in
// fuzz/corpus run as well, and those of the library's target in
// fuzz/corpus_api through orvo_convert, keeping every promise of the API.
#include <gtest/gtest.h>

#include <filesystem>

#include "api_input.h"
#include "fuzz_input.h"
#include "support/run.h"

namespace orvo {
namespace {

using Bytes = std::vector<uint8_t>;

int convert(const Bytes& input) { return fuzz::convert_input(input.data(), input.size()); }

TEST(FuzzSeeds, EverySeedConverts) {
  const std::filesystem::path corpus = std::filesystem::path(ORVO_SOURCE_DIR) / "fuzz" / "corpus";
  int seen = 0;
  for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
    const Bytes input = test::read_bytes(entry.path().string());
    const int status = convert(input);
    EXPECT_TRUE(status == 0 || status == 1) << entry.path() << " ended with " << status;
    ++seen;
  }
  EXPECT_GT(seen, 0);
}

TEST(FuzzSeeds, EveryLibrarySeedKeepsTheApisPromises) {
  const std::filesystem::path corpus = std::filesystem::path(ORVO_SOURCE_DIR) / "fuzz" / "corpus_api";
  int seen = 0;
  for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
    const Bytes input = test::read_bytes(entry.path().string());
    EXPECT_EQ(fuzz::convert_api_input(input.data(), input.size()), "") << entry.path();
    ++seen;
  }
  EXPECT_GT(seen, 0);
}

TEST(FuzzSwitches, FirstBytesSelectTheCommandLine) {
  const uint8_t bytes[] = {0xFF, 0xFF, 0xFF, 0xFF};
  EXPECT_EQ(fuzz::switches_from(bytes, 4),
            (std::vector<std::string>{"-m", "-s", "-J", "-A", "-U", "-I7", "-R", "-R7", "-X24",
                                      "-L3", "-F63", "-B8", "-D124"}));
}

}  // namespace
}  // namespace orvo
