// How far synchronisation moved a track at a given clock: the tempo and mark
// passes place their records on the common time line with it.
#pragma once

#include <cstdint>
#include <vector>

#include "run/records.h"

namespace orvo {

// The wait records of each track in table order, with what each one moves
// the track by, indexed for look-up by time.
struct ResumeIndex {
  struct Wait {
    int32_t time;
    int32_t order;
    int64_t shift;  // resume time - time, or 0 when the delta field is negative
  };
  struct Track {
    std::vector<Wait> waits;
    // Running maximum of (time, order) over waits[0..i]: the first wait whose
    // key exceeds a record's is the first one whose running maximum does.
    std::vector<std::pair<int32_t, int32_t>> reach;
  };
  std::vector<Track> tracks;  // by track index
};

ResumeIndex build_resume_index(const RecordTable<SyncRecord>& sync);

// The shift of `track` for a record at (time, order): the wait records of the
// track are taken in table order up to the first one later than the record
// (a later time, or the same time with a greater order when `by_order` is
// set); the last one taken decides. 0 when none is taken.
int64_t resume_shift(const ResumeIndex& index, int32_t track, int32_t time, int32_t order,
                     bool by_order);

}  // namespace orvo
