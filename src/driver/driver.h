// The entry point of one conversion and the driver's working state.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "driver/options.h"
#include "run/session.h"
#include "signature/signature.h"
#include "smf/track_buffer.h"
#include "track/convert_track.h"
#include "zmd/common.h"
#include "zmd/image.h"
#include "zmd/track_table.h"

namespace orvo {

// Runs one whole conversion, as the command line describes it, on the given
// console streams. Returns the exit status; never ends the process. With
// `times`, the seconds spent in each post-conversion pass are added there;
// with `listings`, folders are listed through that cache, which a batch of
// conversions shares.
int run_orvo(const Console& console, int argc, const char* const* argv,
             PassTimes* times = nullptr, FolderListings* listings = nullptr);

// Everything the driver owns for the length of a run.
struct Conversion {
  ConvertOptions options;
  ZmdImage source;
  SignatureData signature;
  TimingRecord timing;
  int32_t start_offset = 0;            // clock at which performance tracks begin
  std::vector<TrackEntry> table;       // the track table, track k at index k - 1
  std::vector<TrackBuffer> tracks;     // 0: conductor; k: performance track k
  std::vector<size_t> chunk_sizes;     // per track buffer, header included
  std::vector<int32_t> do_times;       // per performance track: clock of the last [do]
  std::vector<int32_t> loop_times;     // per performance track: clock of the first [loop]
  TrackTables tables;
};

// Converts performance track k (1-based) into a fresh buffer.
void convert_one_track(Session& s, Conversion& c, int k);

// -J: re-converts every looped track with a loop count and fade delay that
// make all loops end at the same clock.
void adjust_loops(Session& s, Conversion& c);

// Writes the header chunk and every track chunk to the destination.
void write_midi_file(Session& s, const Conversion& c);

}  // namespace orvo
