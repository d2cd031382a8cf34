// orvo: converts Z-MUSIC version 2 performance data (ZMD) to Standard MIDI Files.
#include <cstdio>

#include "driver/run_orvo.h"

int main(int argc, char** argv) {
  std::setvbuf(stderr, nullptr, _IONBF, 0);
  return orvo::run_orvo(orvo::standard_console(), argc, argv);
}
