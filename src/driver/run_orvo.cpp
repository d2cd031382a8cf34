#include "driver/run_orvo.h"

#include <cstring>
#include <memory>

#include "driver/command_run.h"
#include "driver/companion_files.h"
#include "driver/naming.h"
#include "driver/options.h"
#include "driver/output.h"
#include "engine/convert_song.h"
#include "run/file_names.h"

namespace orvo {

namespace {

void convert(CommandRun& run, int argc, const char* const* argv) {
  report_banner(run.session->err);
  ConvertOptions o = parse_options(run, argc, argv);
  convert_files(run, o);
}

}  // namespace

void convert_files(CommandRun& run, ConvertOptions& o) {
  Session& s = *run.session;
  if (o.source_name.empty()) fatal_error(1, "Error: 入力ファイルが指定されていません。\n");

  const ZmdImage image = resolve_names(run, o, ".ZMD", ".MID");
  SongInput in;
  in.image = &image;
  in.name = o.source_name;
  const SignatureStorage signature = find_signature_file(
      replace_extension(o.signature_name.empty() ? o.source_name : o.signature_name, ".sig"),
      run.listings);
  in.signature = signature.file;
  const MddFolders folders{run.source_folder, run.listings};
  s.mdd = file_mdd_resolver(folders);

  auto conversion = std::make_unique<Conversion>();
  convert_song(s, in, o, *conversion);
  write_midi_file(run.console, *conversion, o.dest_name);
}

int run_orvo(const Console& console, int argc, const char* const* argv, PassTimes* times,
             FolderListings* listings) {
  CommandRun run;
  run.console = console;
  run.listings = listings;
  // --version alone says only that.
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    print_version(run);
    return 0;
  }
  auto session = std::make_unique<Session>();
  run.session = session.get();
  run.err_sink.file = console.err;
  run.err_sink.utf8 = console.err_utf8;
  attach_sink(session->err, run.err_sink);
  session->pass_times = times;
  const ConversionEnd end = run_conversion(*session, [&] { convert(run, argc, argv); });
  close_sink(session->err, run.err_sink);
  return end.status;
}

}  // namespace orvo
