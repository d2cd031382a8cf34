// The track commands, one function each, grouped by the file that holds
// them. `cmd` is the command byte for handlers shared by several bytes. The
// dispatch switch in dispatch.cpp is the one place that maps bytes to them.
#pragma once

#include <cstdint>

#include "track/track_state.h"

namespace orvo {

// Runs the command `cmd`, whose byte has just been read.
void dispatch_command(Track& t, uint8_t cmd);

// note_cmds.cpp: notes, rests, waits and direct keys.
void cmd_note(Track& t, uint8_t key);  // 00..7F notes, 80 rest
void cmd_wait(Track& t);               // D0
void cmd_porta_note(Track& t);         // E0
void cmd_chord(Track& t);              // E2
void cmd_long_note(Track& t);          // FE
void cmd_key_on(Track& t);             // AD
void cmd_tracked_key_on(Track& t);     // CD
void cmd_key_velocity(Track& t, uint8_t cmd);  // FC, FD
void cmd_release_keys(Track& t);       // BF

// record_cmds.cpp: records for the passes.
void cmd_sync_wait(Track& t);               // 83
void cmd_sync_signal(Track& t);             // AF
void cmd_tempo(Track& t, uint8_t cmd);      // 90..95

// structure_cmds.cpp: jumps, marks, loops and bar repeats.
void cmd_structure(Track& t);       // C0
void cmd_repeat_start(Track& t);    // C1
void cmd_repeat_end(Track& t);      // C2
void cmd_alternative(Track& t);     // C3
void cmd_repeat_exit(Track& t);     // C4
void cmd_skip_forward(Track& t);    // F1

// channel_cmds.cpp: program, channel, controllers, pan, detune.
void cmd_program(Track& t);                 // A0
void cmd_channel(Track& t);                 // A3
void cmd_damper(Track& t);                  // A7
void cmd_bend_range(Track& t);              // A8
void cmd_volume(Track& t, uint8_t cmd);     // AA, AB, B6
void cmd_volume_zero(Track& t);             // B0
void cmd_pan(Track& t, uint8_t cmd);        // B1..B4, C8, C9
void cmd_controller(Track& t);              // B5
void cmd_nrpn(Track& t);                    // D2
void cmd_bank(Track& t);                    // D3
void cmd_effects(Track& t);                 // ED
void cmd_detune_step(Track& t, uint8_t cmd);  // 96, 97
void cmd_detune(Track& t);                  // D1

// velocity_cmds.cpp: velocity, @R and fades.
void cmd_velocity(Track& t, uint8_t cmd);   // 84, B9, CA, CB, D9, DA, DB
void cmd_at_r(Track& t);                    // AC
void cmd_fade(Track& t, uint8_t cmd);       // A6, CC

// modulation_cmds.cpp: settings of the software modulation and portamento.
void cmd_waveforms(Track& t);       // 98
void cmd_mod_modes(Track& t);       // 99
void cmd_ctrl_setup(Track& t);      // 9A
void cmd_keep_phase(Track& t);      // 9C
void cmd_ctrl_select(Track& t);     // A4
void cmd_ctrl_depth(Track& t);      // AE
void cmd_pitch_switch(Track& t);    // BB
void cmd_ctrl_switch(Track& t);     // BC
void cmd_bend_switch(Track& t);     // BD
void cmd_pressure_switch(Track& t); // BE
void cmd_slur(Track& t);            // C5
void cmd_mod_flags(Track& t);       // C7
void cmd_mod_speeds(Track& t);      // D6
void cmd_auto_bend(Track& t);       // E1
void cmd_mod_starts(Track& t);      // E8
void cmd_pitch_depth(Track& t);     // E6

// step_table_cmds.cpp: the eight-step depth tables.
void cmd_pressure_table(Track& t);  // E3
void cmd_pitch_table(Track& t);     // E4
void cmd_ctrl_table(Track& t);      // E5
void cmd_pitch_table_masked(Track& t);  // EE
void cmd_ctrl_table_masked(Track& t);   // EF

// exclusive_cmds.cpp: exclusive messages and raw MIDI bytes.
void cmd_exclusive(Track& t);          // EA
void cmd_exclusive_header(Track& t);   // EB
void cmd_raw_midi(Track& t);           // EC

}  // namespace orvo
