// libFuzzer entry point of the library: every input is one call of
// orvo_convert, and a broken promise of the API is a crash.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "api_input.h"
#include "run/bounds.h"

static_assert(orvo::kBounds == orvo::scaled_bounds(orvo::kFuzzBoundScale),
              "the fuzz build converts with the scaled bounds");

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string broken = orvo::fuzz::convert_api_input(data, size);
  if (!broken.empty()) {
    std::fprintf(stderr, "orvo_convert broke its promise: %s\n", broken.c_str());
    std::abort();
  }
  return 0;
}
