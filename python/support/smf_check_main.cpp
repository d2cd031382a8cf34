// The strict MIDI checker of the C++ tests, for the Python tests' results:
// prints "FILE: problem" for each file that fails and exits 1 when any does.
//   orvo_smf_check FILE...
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/smf_check.h"

int main(int argc, char** argv) {
  int status = 0;
  for (int i = 1; i < argc; ++i) {
    std::ifstream in(argv[i], std::ios::binary);
    const std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string problem = in.is_open() ? orvo::test::check_smf(file) : std::string("cannot be read");
    if (!problem.empty()) {
      std::printf("%s: %s\n", argv[i], problem.c_str());
      status = 1;
    }
  }
  return status;
}
