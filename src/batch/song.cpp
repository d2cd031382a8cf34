#include "batch/song.h"

#include <exception>
#include <filesystem>
#include <memory>
#include <system_error>

#include "batch/up_to_date.h"
#include "driver/file_lookup.h"
#include "driver/run_orvo.h"
#include "engine/convert_song.h"

namespace orvo::batch {

std::string as_file_name(const std::string& path) {
  return !path.empty() && path[0] == '-' ? "./" + path : path;
}

namespace {

SongResult failed(std::string message) {
  SongResult r;
  r.outcome = SongResult::Outcome::failed;
  r.status = 1;
  r.error = message;
  r.messages = std::move(message) + "\n";
  return r;
}

// "" when the destination's folder exists or was made, else why not.
std::string make_folder_for(const std::string& dest) {
  const std::string folder = folder_of(dest);
  if (folder.empty()) return std::string();
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (!ec) return std::string();
  return "orvo-batch: cannot create folder " + folder + ": " + ec.message();
}

}  // namespace

SongResult convert_song(const Source& song, const BatchOptions& options, FolderListings* listings) {
  try {
    if (!song.refused.empty()) return failed(song.refused);
    if (!options.force && up_to_date(song.path, song.dest, listings)) {
      SongResult r;
      r.outcome = SongResult::Outcome::skipped;
      return r;
    }
    const std::string no_folder = make_folder_for(song.dest);
    if (!no_folder.empty()) return failed(no_folder);

    // Standard input and output are never used: the source is a file and
    // the destination is named. The messages are kept in UTF-8, as a UTF-8
    // terminal gets them: file names that are UTF-8 already stay as they are.
    auto session = std::make_unique<Session>();
    session->err.encodings = kMessagesUtf8;
    CommandRun run;
    run.console = Console{nullptr, nullptr, nullptr, true, true};
    run.session = session.get();
    run.listings = listings;
    ConvertOptions o;
    static_cast<MusicOptions&>(o) = options.music;
    o.source_name = as_file_name(song.path);
    o.dest_name = as_file_name(song.dest);
    const ConversionEnd end = run_conversion(*session, [&] {
      report_banner(session->err);
      // What orvo's parser says of the switches themselves, as in orvo's stream.
      append_message(session->err, "", options.switch_messages);
      convert_files(run, o);
    });
    SongResult r;
    r.status = end.status;
    r.outcome = end.status == 0 ? SongResult::Outcome::converted : SongResult::Outcome::failed;
    r.messages = std::move(session->err.utf8);
    r.error = end.error;
    return r;
  } catch (const std::bad_alloc&) {
    return failed("orvo-batch: out of memory");
  } catch (const std::exception& e) {
    return failed(std::string("orvo-batch: ") + e.what());
  } catch (...) {
    return failed("orvo-batch: the conversion ended unexpectedly");
  }
}

}  // namespace orvo::batch
