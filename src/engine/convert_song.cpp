// The order of one whole conversion: header, signature, conductor, tracks,
// the passes that need every track, and the finished chunks.
#include "engine/convert_song.h"

#include "passes/mark_removal.h"
#include "passes/synchronise.h"
#include "passes/tempo_insert.h"
#include "run/cp932.h"
#include "run/pass_times.h"
#include "smf/bytes.h"
#include "zmd/header.h"

namespace orvo {

namespace {

constexpr size_t kSyncCapacity = 100;
constexpr size_t kTempoCapacity = 100;
constexpr size_t kMarkCapacity = 60;

void write_mode_lines(Session& s, const MusicOptions& o) {
  if (o.timer_a) report(s.err, "TIMER-Aモードです。\n");
  if (o.convert_fm) report(s.err, "FMトラックも変換します。\n");
  if (o.init_gap >= 0) report(s.err, "ドライバの送る初期化コードを埋め込みます。\n");
  if (o.auto_loop) report(s.err, "[do]～[loop]の展開回数を自動調整します。\n");
}

void synchronise(Session& s, Conversion& c) {
  if (c.tables.sync.items.empty()) return;
  report(s.err, "\nSetting Synchronous.");
  const double started = pass_clock();
  synchronise_tracks(s, c.tracks, c.tables.sync, c.chunk_sizes);
  add_pass_time(s.pass_times, &PassTimes::synchronise, started);
}

// The passes build each edited chunk anew, sized for what they write, so the
// buffers are not enlarged in front of them.
void run_passes(Session& s, Conversion& c) {
  synchronise(s, c);
  if (c.options.auto_loop) adjust_loops(s, c);

  if (!c.tables.tempo.items.empty()) {
    const double started = pass_clock();
    insert_tempo_events(s, c.tracks[0], c.tables.tempo, c.tables.sync, c.options.timer_a);
    c.chunk_sizes[0] = chunk_length(c.tracks[0]) + size_t{8};
    add_pass_time(s.pass_times, &PassTimes::tempo, started);
  }
  if (!c.tables.mark.items.empty()) {
    const double started = pass_clock();
    const int n = static_cast<int>(c.tracks.size()) - 1;
    remove_marked_spans(s, c.tracks, n, c.tables.mark, c.tables.sync);
    for (size_t k = 0; k < c.tracks.size(); ++k) {
      c.chunk_sizes[k] = chunk_length(c.tracks[k]) + size_t{8};
    }
    add_pass_time(s.pass_times, &PassTimes::marks, started);
  }
}

}  // namespace

void report_banner(ErrorStream& err) {
  report(err, "ZMD(V2) to MID converter version 1.50, by the orvo developers.\n");
}

void report_completed(ErrorStream& err) {
  const char* completed = "Completed.\n";
  report_final(err, completed, completed);
}

std::string first_line(const std::string& message) {
  size_t start = 0;
  while (start < message.size() && (message[start] == '\n' || message[start] == '\r')) ++start;
  const size_t end = message.find('\n', start);
  return message.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

void convert_song(Session& s, const SongInput& in, const MusicOptions& options, Conversion& c) {
  c.options = options;
  c.source = in.image;
  s.tempo_rounding = options.round_tempo;
  const MusicOptions& o = c.options;

  check_header(*c.source, in.name, s.err);
  write_mode_lines(s, o);

  reset_table(c.tables.sync, kSyncCapacity);
  reset_table(c.tables.tempo, kTempoCapacity);
  reset_table(c.tables.mark, kMarkCapacity);
  c.timing.timebase = 192;
  c.start_offset = o.excl_wait;

  loadsignature(in.signature, c.signature, s.err);

  c.tracks.resize(1);
  c.chunk_sizes.resize(1);
  allocate_track_buffer(c.tracks[0], o.track_buffer_kb);
  int64_t read_offset = 0;
  makecommon(s, c.timing, *c.source, c.tracks[0], c.chunk_sizes[0], read_offset, c.signature,
             c.start_offset, o.init_gap);

  c.table = read_track_table(*c.source, read_offset);
  const int n = static_cast<int>(c.table.size());
  c.tracks.resize(static_cast<size_t>(n) + 1);
  c.chunk_sizes.resize(static_cast<size_t>(n) + 1);
  c.do_times.assign(static_cast<size_t>(n), 0);
  c.loop_times.assign(static_cast<size_t>(n), 0);

  clear_channel_init_flags(s);
  for (int k = 1; k <= n; ++k) convert_one_track(s, c, k);

  run_passes(s, c);
}

void convert_one_track(Session& s, Conversion& c, int k) {
  const MusicOptions& o = c.options;
  const TrackEntry& entry = c.table[static_cast<size_t>(k) - 1];
  TrackInputs in;
  in.track_index = k - 1;
  in.channel_byte = entry.channel;
  in.end_offset = entry.end;
  in.init_gap = o.init_gap;
  in.loop_count = o.loop_count;
  in.keyoff_skip = o.keyoff_skip;
  in.start_offset = c.start_offset;
  in.fade_speed = o.fade_speed;
  in.fade_delay = o.fade_delay;
  in.bend_interval = o.bend_interval;
  in.running_status = o.running_status;
  in.name = &c.signature.instrument_names[static_cast<size_t>(k) - 1];
  in.convert_fm = o.convert_fm;

  TrackBuffer& tb = c.tracks[static_cast<size_t>(k)];
  allocate_track_buffer(tb, o.track_buffer_kb);
  int64_t offset = entry.start;
  convert_track(s, *c.source, tb, c.chunk_sizes[static_cast<size_t>(k)], offset, in, c.tables,
                c.do_times[static_cast<size_t>(k) - 1], c.loop_times[static_cast<size_t>(k) - 1]);
}

}  // namespace orvo
