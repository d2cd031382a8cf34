// The one place that maps a track command byte to its handler.
#include "run/messages.h"
#include "track/commands.h"
#include "track/track_ops.h"

namespace orvo {

namespace {

// Commands the converter only reports: their operands are stepped over.
void reported(Track& t, int64_t operands, const char* text) {
  skip_operands(t, operands);
  marker(t, text);
}

void unlisted(Track& t, uint8_t cmd) { report(t.s.err, "[%x]", cmd); }

}  // namespace

void dispatch_command(Track& t, uint8_t cmd) {
  if (cmd <= 0x80) {
    cmd_note(t, cmd);
    return;
  }
  switch (cmd) {
    // Notes, waits and keys.
    case 0xD0: cmd_wait(t); break;
    case 0xE0: cmd_porta_note(t); break;
    case 0xE2: cmd_chord(t); break;
    case 0xFE: cmd_long_note(t); break;
    case 0xAD: cmd_key_on(t); break;
    case 0xCD: cmd_tracked_key_on(t); break;
    case 0xFC:
    case 0xFD: cmd_key_velocity(t, cmd); break;
    case 0xBF: cmd_release_keys(t); break;

    // Records for the passes.
    case 0x83: cmd_sync_wait(t); break;
    case 0xAF: cmd_sync_signal(t); break;
    case 0x90:
    case 0x91:
    case 0x92:
    case 0x93:
    case 0x94:
    case 0x95: cmd_tempo(t, cmd); break;

    // Structures.
    case 0xC0: cmd_structure(t); break;
    case 0xC1: cmd_repeat_start(t); break;
    case 0xC2: cmd_repeat_end(t); break;
    case 0xC3: cmd_alternative(t); break;
    case 0xC4: cmd_repeat_exit(t); break;
    case 0xF0: break;
    case 0xF1: cmd_skip_forward(t); break;

    // Channel state and controllers.
    case 0xA0: cmd_program(t); break;
    case 0xA3: cmd_channel(t); break;
    case 0xA7: cmd_damper(t); break;
    case 0xA8: cmd_bend_range(t); break;
    case 0xAA:
    case 0xAB:
    case 0xB6: cmd_volume(t, cmd); break;
    case 0xB0: cmd_volume_zero(t); break;
    case 0xB1:
    case 0xB2:
    case 0xB3:
    case 0xB4:
    case 0xC8:
    case 0xC9: cmd_pan(t, cmd); break;
    case 0xB5: cmd_controller(t); break;
    case 0xD2: cmd_nrpn(t); break;
    case 0xD3: cmd_bank(t); break;
    case 0xED: cmd_effects(t); break;
    case 0x96:
    case 0x97: cmd_detune_step(t, cmd); break;
    case 0xD1: cmd_detune(t); break;
    case 0x84:
    case 0xB9:
    case 0xCA:
    case 0xCB:
    case 0xD9:
    case 0xDA:
    case 0xDB: cmd_velocity(t, cmd); break;
    case 0xAC: cmd_at_r(t); break;
    case 0xA6:
    case 0xCC: cmd_fade(t, cmd); break;

    // Modulation settings.
    case 0x98: cmd_waveforms(t); break;
    case 0x99: cmd_mod_modes(t); break;
    case 0x9A: cmd_ctrl_setup(t); break;
    case 0x9C: cmd_keep_phase(t); break;
    case 0xA4: cmd_ctrl_select(t); break;
    case 0xAE: cmd_ctrl_depth(t); break;
    case 0xBB: cmd_pitch_switch(t); break;
    case 0xBC: cmd_ctrl_switch(t); break;
    case 0xBD: cmd_bend_switch(t); break;
    case 0xBE: cmd_pressure_switch(t); break;
    case 0xC5: cmd_slur(t); break;
    case 0xC7: cmd_mod_flags(t); break;
    case 0xD6: cmd_mod_speeds(t); break;
    case 0xE1: cmd_auto_bend(t); break;
    case 0xE3: cmd_pressure_table(t); break;
    case 0xE4: cmd_pitch_table(t); break;
    case 0xE5: cmd_ctrl_table(t); break;
    case 0xE6: cmd_pitch_depth(t); break;
    case 0xE8: cmd_mod_starts(t); break;
    case 0xEE: cmd_pitch_table_masked(t); break;
    case 0xEF: cmd_ctrl_table_masked(t); break;

    // Exclusive messages and raw MIDI.
    case 0xEA: cmd_exclusive(t); break;
    case 0xEB: cmd_exclusive_header(t); break;
    case 0xEC: cmd_raw_midi(t); break;

    // Reported only.
    case 0x82: reported(t, 0, "[@O]"); break;
    case 0x9B: reported(t, 2, "[y2.n]"); break;
    case 0xA1: reported(t, 1, "[MXDRV風音色切替]"); break;
    case 0xA2:
    case 0xA9:
    case 0xB7:
    case 0xB8: reported(t, 1, "[ADPCM]"); break;
    case 0xA5: reported(t, 1, "[y15,n]"); break;
    case 0xBA: reported(t, 8, "現在スイッチ関係(旧版)は未サポート。\n"); break;
    case 0xCE: reported(t, 1, "[J]"); break;
    case 0xCF: reported(t, 0, "リピートコマンドの2バイト目($CF)がなぜ？\n"); break;
    case 0xD5:
    case 0xD7:
    case 0xD8: reported(t, 2, "[?m,n]"); break;
    case 0xE9: reported(t, 1, "[旧@S]"); break;

    default: unlisted(t, cmd); break;
  }
}

}  // namespace orvo
