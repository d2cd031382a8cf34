#include "render/keys.h"

#include "render/params.h"
#include "smf/events.h"

namespace orvo {

size_t write_note_offs(Session& s, uint8_t* out, const uint8_t* keys, int32_t delta, int channel) {
  size_t n = 0;
  for (int i = 0; i < 8 && keys[i] < 0x80; ++i) {
    n += put_event2(s.running, out + n, delta, 0x90 + channel, keys[i], 0);
    delta = 0;
  }
  return n;
}

namespace {

// Keys up to the first 0xFF, at most 8, sorted ascending in place.
int sort_keys(uint8_t* keys) {
  int count = 0;
  while (count < 8 && keys[count] != kNoKey) ++count;
  for (int i = 1; i < count; ++i) {
    const uint8_t k = keys[i];
    int j = i;
    for (; j > 0 && keys[j - 1] > k; --j) keys[j] = keys[j - 1];
    keys[j] = k;
  }
  return count;
}

}  // namespace

int keys_differ(uint8_t* a, uint8_t* b) {
  const int na = sort_keys(a);
  const int nb = sort_keys(b);
  if (na != nb) return 1;
  for (int i = 0; i < na; ++i) {
    if (a[i] != b[i]) return 1;
  }
  return 0;
}

}  // namespace orvo
