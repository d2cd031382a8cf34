// Builds ZMD images for tests and for the demo song, so that test data reads
// like what it describes: a header, the common-command section, the track
// table with its padding and relative offsets, and the track command streams.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace orvo::test {

using Bytes = std::vector<uint8_t>;

// Channel bytes of the track table.
constexpr uint8_t kFm1 = 0;
constexpr uint8_t kAdpcm1 = 8;
constexpr uint8_t kMidi1 = 9;  // MIDI channel n is kMidi1 + n - 1

class ZmdBuilder {
 public:
  ZmdBuilder& magic(uint8_t first);  // 0x10 (default) or 0x1A
  ZmdBuilder& version(uint8_t v);    // default 0x20

  // Common commands, in the order given.
  ZmdBuilder& common(std::initializer_list<uint8_t> raw);
  ZmdBuilder& common(const Bytes& raw);
  ZmdBuilder& tempo(uint16_t quarter_notes_per_minute);          // 05
  ZmdBuilder& timebase(uint16_t clocks_per_whole_note);           // 42 (extended form above 255)
  ZmdBuilder& exclusive(const Bytes& data);                       // 18 count data
  ZmdBuilder& text(const std::string& s);                         // 61
  ZmdBuilder& mdd(const std::string& name);                       // 62
  ZmdBuilder& title(const std::string& s);                        // 7F
  ZmdBuilder& waveform(uint8_t number, uint8_t loop_mode, uint16_t loop_index,
                       const std::vector<int16_t>& samples);     // 4A

  // A performance track on `channel`; the command stream is taken as given
  // and ended with 0xFF unless `terminate` is false.
  ZmdBuilder& track(uint8_t channel, const Bytes& commands, bool terminate = true);

  // The track count written instead of the real one (for hostile tables).
  ZmdBuilder& track_count_override(int16_t count);

  Bytes build() const;

 private:
  uint8_t magic_ = 0x10;
  uint8_t version_ = 0x20;
  Bytes common_;
  struct Track {
    uint8_t channel;
    Bytes commands;
  };
  std::vector<Track> tracks_;
  bool count_override_ = false;
  int16_t count_ = 0;
};

// Bytes of a string without its terminator.
Bytes bytes_of(const std::string& s);

}  // namespace orvo::test
