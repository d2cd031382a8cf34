// Key lists: up to 8 keys ended by 0xFF (a first key of 0x80 is a rest).
#pragma once

#include <cstddef>
#include <cstdint>

#include "run/session.h"

namespace orvo {

// 9n kk 00 for each key of `keys` up to the first byte of 0x80 or more; the
// first at `delta`, the rest at 0. Returns the bytes written.
size_t write_note_offs(Session& s, uint8_t* out, const uint8_t* keys, int32_t delta, int channel);

// Sorts both lists in place (up to 8 keys each) and returns 1 when their
// counts or keys differ.
int keys_differ(uint8_t* a, uint8_t* b);

// Keys of a list up to the first 0xFF, at most 8.
int key_count(const uint8_t* keys);

// True when `key` stands in the list.
bool has_key(const uint8_t* keys, uint8_t key);

// Removes from `strike` (9 bytes) every key that stands in `held`; the keys
// behind a removed one move down one place.
void remove_keys(uint8_t* strike, const uint8_t* held);

// Appends to `list` (9 bytes) every key of `from` it does not hold yet, as
// long as it holds fewer than 8.
void add_keys(uint8_t* list, const uint8_t* from);

// All 9 bytes 0xFF: no key.
void clear_keys(uint8_t* list);

}  // namespace orvo
