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

int key_count(const uint8_t* keys) {
  int count = 0;
  while (count < 8 && keys[count] != kNoKey) ++count;
  return count;
}

namespace {

// Sorts the keys of a list ascending in place; returns their count.
int sort_keys(uint8_t* keys) {
  const int count = key_count(keys);
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

bool has_key(const uint8_t* keys, uint8_t key) {
  const int count = key_count(keys);
  for (int i = 0; i < count; ++i) {
    if (keys[i] == key) return true;
  }
  return false;
}

void remove_keys(uint8_t* strike, const uint8_t* held) {
  if (held[0] == kNoKey) return;  // nothing held: every key is struck
  int i = 0;
  while (i < 8 && strike[i] != kNoKey) {
    if (!has_key(held, strike[i])) {
      ++i;
      continue;
    }
    for (int j = i; j < 8; ++j) strike[j] = strike[j + 1];
    strike[8] = kNoKey;
  }
}

void add_keys(uint8_t* list, const uint8_t* from) {
  const int n = key_count(from);
  for (int i = 0; i < n; ++i) {
    const int count = key_count(list);
    if (count >= 8) return;
    if (has_key(list, from[i])) continue;
    list[count] = from[i];
    list[count + 1] = kNoKey;
  }
}

void clear_keys(uint8_t* list) {
  for (int i = 0; i < 9; ++i) list[i] = kNoKey;
}

}  // namespace orvo
