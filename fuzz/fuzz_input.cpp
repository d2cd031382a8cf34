#include "fuzz_input.h"

#include <cstdio>

#include "driver/run_orvo.h"

namespace orvo::fuzz {

std::vector<std::string> switches_from(const uint8_t* data, size_t size) {
  uint8_t b[kSwitchBytes] = {};
  for (size_t i = 0; i < kSwitchBytes && i < size; ++i) b[i] = data[i];
  std::vector<std::string> args;
  if (b[0] & 0x01) args.push_back("-m");
  if (b[0] & 0x02) args.push_back("-s");
  if (b[0] & 0x04) args.push_back("-J");
  if (b[0] & 0x08) args.push_back("-A");
  if (b[0] & 0x10) args.push_back("-U");
  if (b[0] & 0x20) args.push_back("-I" + std::to_string(b[1] & 0x07));
  if (b[0] & 0x40) args.push_back("-R");
  if (b[0] & 0x80) args.push_back("-R" + std::to_string((b[1] >> 3) & 0x07));
  args.push_back("-X" + std::to_string((b[1] >> 6) * 8));
  args.push_back("-L" + std::to_string(b[2] & 0x03));
  args.push_back("-F" + std::to_string(b[2] >> 2));
  args.push_back("-B" + std::to_string((b[3] & 0x07) + 1));
  args.push_back("-D" + std::to_string((b[3] >> 3) * 4));
  return args;
}

int convert_input(const uint8_t* data, size_t size) {
  const size_t skip = size < kSwitchBytes ? size : kSwitchBytes;
  const std::vector<std::string> switches = switches_from(data, size);
  std::vector<const char*> argv{"orvo"};
  for (const std::string& s : switches) argv.push_back(s.c_str());
  argv.push_back("-");
  argv.push_back("-c");

  std::FILE* in = std::tmpfile();
  if (size > skip) std::fwrite(data + skip, 1, size - skip, in);
  std::rewind(in);
  std::FILE* out = std::fopen("/dev/null", "wb");
  std::FILE* err = std::fopen("/dev/null", "wb");
  const int status = run_orvo(Console{in, out, err}, static_cast<int>(argv.size()), argv.data());
  std::fclose(in);
  std::fclose(out);
  std::fclose(err);
  return status;
}

}  // namespace orvo::fuzz
