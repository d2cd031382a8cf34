// The end of the conductor track: author text, signatures, end of track, and
// the clock at which the performance tracks start.
#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "smf/events.h"
#include "smf/meta.h"
#include "smf/vlq.h"
#include "zmd/conductor.h"

namespace orvo {

namespace {

constexpr int kCodeQuotient = 8192;  // code / 8192: 0 key signature, 1 time signature
constexpr int kMaxKeyCode = 29;      // seven sharps, minor
constexpr size_t kSignatureEventRoom = 4 + 7;

bool is_time_signature(const SignatureEntry& e) { return e.code / kCodeQuotient == 1; }

// Ascending by bar: each later entry with a smaller bar is swapped into
// place, pairs moving together.
void sort_by_bar(std::vector<SignatureEntry>& list) {
  for (size_t i = 0; i + 1 < list.size(); ++i) {
    for (size_t k = i + 1; k < list.size(); ++k) {
      if (list[k].bar < list[i].bar) std::swap(list[i], list[k]);
    }
  }
}

// Within a bar, time signatures go ahead of key signatures.
void time_before_key(std::vector<SignatureEntry>& list) {
  size_t j = 0;
  while (j < list.size()) {
    if (!is_time_signature(list[j])) {
      const int16_t bar = list[j].bar;
      for (size_t k = j + 1; k < list.size() && list[k].bar == bar; ++k) {
        if (is_time_signature(list[k])) {
          std::swap(list[j], list[k]);
          j = k;
        }
      }
    }
    ++j;
  }
}

// An entry the conductor can write: a time signature, or a key signature of
// at most seven sharps or flats. Anything else is left out, so no delta is
// ever written without its event.
bool writable(const SignatureEntry& e) {
  if (is_time_signature(e)) return true;
  return e.code / kCodeQuotient == 0 && e.code >= 0 && e.code <= kMaxKeyCode;
}

void insert_author(TrackBuffer& tb, const std::string& author) {
  std::vector<uint8_t> event(meta_room(author.size()));
  event.resize(put_meta(event.data(), 0, 0x02, author));
  ensure_room(tb, event.size());
  std::memmove(tb.bytes.data() + 8 + event.size(), tb.bytes.data() + 8, tb.pos - 8);
  std::memcpy(tb.bytes.data() + 8, event.data(), event.size());
  tb.pos += event.size();
}

void write_signatures(TrackBuffer& tb, std::vector<SignatureEntry> list, int32_t timebase) {
  sort_by_bar(list);
  time_before_key(list);
  ensure_room(tb, list.size() * kSignatureEventRoom);

  int64_t numerator = 4;
  int64_t denominator = 4;
  int64_t previous_bar = 1;
  for (const SignatureEntry& e : list) {
    if (!writable(e)) continue;
    // Bars count from 1; an entry before bar 1 stands at bar 1.
    const int64_t bar = std::max<int64_t>(e.bar, 1);
    const int64_t delta = numerator * timebase * (bar - previous_bar) / denominator;
    previous_bar = bar;
    tb.pos += write_vlq(write_ptr(tb), static_cast<int32_t>(std::min<int64_t>(delta, kVlqMax)));
    uint8_t* out = write_ptr(tb);
    if (is_time_signature(e)) {
      const int dd = e.code & 0x1F;
      out[0] = 0xFF;
      out[1] = 0x58;
      out[2] = 0x04;
      out[3] = static_cast<uint8_t>(e.code / 32);
      out[4] = static_cast<uint8_t>(dd);
      out[5] = static_cast<uint8_t>(timebase >> dd);
      out[6] = 8;
      tb.pos += 7;
      numerator = out[3];
      denominator = int64_t{1} << dd;
    } else {
      out[0] = 0xFF;
      out[1] = 0x59;
      out[2] = 0x02;
      out[3] = static_cast<uint8_t>(e.code / 2 - 7);
      out[4] = static_cast<uint8_t>(e.code & 1);
      tb.pos += 5;
    }
  }
}

}  // namespace

int32_t tracks_start_offset(int64_t excl_total, int8_t init_gap, int32_t timebase) {
  const int64_t init_span = init_gap > 0 ? 19 * int64_t{init_gap} : 0;
  const int64_t start = excl_total + (timebase - (excl_total + init_span) % timebase) % timebase;
  return static_cast<int32_t>(std::min<int64_t>(start, kVlqMax));
}

void finish_conductor(TrackBuffer& tb, const SignatureData& sig, int32_t timebase) {
  if (!sig.author.empty()) insert_author(tb, sig.author);
  write_signatures(tb, sig.list, timebase);
  close_chunk(tb, 0);
}

}  // namespace orvo
