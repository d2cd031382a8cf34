// libFuzzer entry point: every input is converted as a whole run.
#include <cstddef>
#include <cstdint>

#include "fuzz_input.h"
#include "run/bounds.h"

static_assert(orvo::kBounds == orvo::scaled_bounds(orvo::kFuzzBoundScale),
              "the fuzz build converts with the scaled bounds");

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  orvo::fuzz::convert_input(data, size);
  return 0;
}
