#include "zmd/common.h"

#include <algorithm>

#include "run/exit.h"
#include "run/messages.h"
#include "smf/events.h"
#include "smf/meta.h"
#include "smf/vlq.h"
#include "zmd/common_ops.h"
#include "zmd/conductor.h"
#include "zmd/mdd.h"

namespace orvo {

namespace {

constexpr int32_t kMaxMicroseconds = 0xFFFFFF;  // largest 24-bit tempo value
constexpr int32_t kMinTimebase = 4;              // below it the MIDI division would be 0
constexpr int32_t kDefaultMddWait = 10;

// 0x05: tempo in quarter notes per minute.
void tempo_command(Session& s, TimingRecord& timing, const ZmdImage& img, TrackBuffer& tb,
                   int64_t& p, CommandAt at) {
  require_operands(img, p, 2, at);
  const int32_t tempo = zbe16(img, p);
  p += 2;
  if (tempo == 0) {
    fatal_error(1, "makecommon:%ldでのテンポ 0 は変換出来ません。\n", static_cast<long>(at.offset));
  }
  timing.tempo = tempo;
  tb.pos += puttempo(s, write_ptr(tb), 0, tempo);
}

// 0x42: timebase b0, or b3 * 256 + b4 when b0 is 1.
void timebase_command(TimingRecord& timing, const ZmdImage& img, int64_t& p, CommandAt at) {
  require_operands(img, p, 5, at);
  int32_t timebase = zbyte(img, p);
  if (timebase == 1) timebase = zbe16(img, p + 3);
  p += 5;
  if (timebase < kMinTimebase) {
    fatal_error(1, "makecommon:%ldでのタイムベース %d は変換出来ません。\n",
                static_cast<long>(at.offset), timebase);
  }
  timing.timebase = timebase;
}

// 0x61 text (FF 01) and 0x7F title (FF 03).
void text_command(TrackBuffer& tb, const ZmdImage& img, int64_t& p, CommandAt at, uint8_t type,
                  Session* title_to) {
  const std::string text = read_string(img, p, at);
  if (title_to != nullptr) report_song_text(title_to->err, "TITLE:%s\n", text.c_str());
  ensure_room(tb, meta_room(text.size()));
  tb.pos += put_meta(write_ptr(tb), 0, type, text);
}

// Operands the converter steps over without reading.
void skip_fixed(const ZmdImage& img, int64_t& p, int64_t count, CommandAt at) {
  require_operands(img, p, count, at);
  p += count;
}

}  // namespace

size_t puttempo(const Session& s, uint8_t* out, int32_t delta, int32_t tempo) {
  int32_t micros = s.tempo_rounding ? (600000000 / tempo + 5) / 10 : 60000000 / tempo;
  micros = std::min(micros, kMaxMicroseconds);
  size_t n = write_vlq(out, delta);
  out[n++] = 0xFF;
  out[n++] = 0x51;
  out[n++] = 0x03;
  out[n++] = static_cast<uint8_t>(micros >> 16);
  out[n++] = static_cast<uint8_t>(micros >> 8);
  out[n++] = static_cast<uint8_t>(micros);
  return n;
}

void makecommon(Session& s, TimingRecord& timing, const ZmdImage& img, TrackBuffer& tb,
                size_t& chunk_size, int64_t& read_offset, const SignatureData& sig,
                int32_t& start_offset, int8_t init_gap) {
  open_chunk(tb);
  reset_running_status(s.running, kStatusAlways);

  const int32_t excl_wait = start_offset;  // W, from -X
  int32_t mdd_wait = excl_wait;
  int64_t excl_total = 0;  // X: clocks the exclusive blocks take

  int64_t p = 8;
  while (zbyte(img, p) != 0xFF) {
    make_room(tb);
    const CommandAt at{p, zbyte(img, p)};
    ++p;
    switch (at.opcode) {
      case 0x04:
      case 0x1B:
        skip_fixed(img, p, 56, at);
        break;
      case 0x05:
        tempo_command(s, timing, img, tb, p, at);
        break;
      case 0x15:
        break;
      case 0x18:
        exclusive_block(tb, img, p, excl_wait, excl_total, at);
        break;
      case 0x40: {
        skip_fixed(img, p, 19, at);
        require_operands(img, p, 2, at);
        const uint16_t has_name = zbe16(img, p);
        p += 2;
        if (has_name != 0) read_string(img, p, at);
        report(s.err, "skip[ADPCMconfig]\n");
        break;
      }
      case 0x42:
        timebase_command(timing, img, p, at);
        break;
      case 0x4A:
        register_waveform(s.waveforms, img, p, at);
        break;
      case 0x60:
        read_string(img, p, at);
        report(s.err, "skip[ADPCM_LIST]\n");
        break;
      case 0x61:
        text_command(tb, img, p, at, 0x01, nullptr);
        break;
      case 0x62: {
        if (mdd_wait == 0) mdd_wait = kDefaultMddWait;
        int64_t name_end = p;
        const std::string name = read_string(img, name_end, at);
        loadmdd(s, tb, mdd_wait, name);
        p = name_end;
        break;
      }
      case 0x63:
        read_string(img, p, at);
        report(s.err, "skip[ADPCM_BLOCK_DATA]\n");
        break;
      case 0x7F:
        text_command(tb, img, p, at, 0x03, &s);
        break;
      default:
        report(s.err, "makecommon:%ldでの%xはZ-MUSICでは未定義のコマンドです。\n",
               static_cast<long>(at.offset), at.opcode);
        break;
    }
  }
  read_offset = p;

  if (mdd_wait > excl_wait) excl_total += mdd_wait;
  start_offset = tracks_start_offset(excl_total, init_gap, timing.timebase);
  finish_conductor(tb, sig, timing.timebase);
  chunk_size = tb.pos;
}

}  // namespace orvo
