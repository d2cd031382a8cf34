// The songs of the benchmark, written with the test ZMD builder.
#pragma once

#include <string>
#include <vector>

#include "support/zmd_builder.h"

namespace orvo::bench {

struct Song {
  std::string name;
  test::Bytes zmd;
  std::vector<std::string> args;  // switches the song is converted with
};

// The start of a track under pitch modulation: a sawtooth of depth 0x400
// and speed 8, switched on.
test::Bytes pitch_modulation_start();

// Sixteen MIDI tracks of long notes under pitch modulation: a pitch bend on
// every clock at -B1.
Song modulation_song(int notes_per_track);

// One track changing the tempo on every clock; a second one plays along.
Song tempo_changes(int changes);

// Track 1 signals track 2 before each of its notes; track 2 waits for it.
Song sync_points(int points);

// A [@] before every note of one track, beside three plain tracks.
Song at_marks(int marks);

// Eight tracks under vibrato and a controller wave that both write a value
// on every clock, their [do]..[loop] unrolled 300 times (-L300): about 59 MB
// of MIDI from a source of a few KB.
Song huge_song();

// Eight tracks of ordinary notes, two of them FM (-m), with vibrato on the
// long notes: a source of about 16 KB and about 170 KB of MIDI.
Song typical_song();

// Twelve MIDI tracks shaped like a real song: four-key chords, nested bar
// repeats with exits, vibratos whose depth changes every few bars on four
// tracks, portamento notes, one [do]..[loop] per track with [$] and [d.s.];
// converted with -m, as an archive is: about 16 KB of ZMD and 170 KB of MIDI.
Song real_shaped_song();

}  // namespace orvo::bench
