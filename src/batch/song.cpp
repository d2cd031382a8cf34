#include "batch/song.h"

#include <exception>
#include <filesystem>
#include <system_error>

#include "batch/memory_stream.h"
#include "batch/up_to_date.h"
#include "driver/driver.h"
#include "run/exit.h"
#include "run/file_lookup.h"

namespace orvo::batch {

namespace {

std::string as_file_argument(const std::string& path) {
  return !path.empty() && path[0] == '-' ? "./" + path : path;
}

SongResult failed(std::string message) {
  SongResult r;
  r.outcome = SongResult::Outcome::failed;
  r.status = 1;
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

std::vector<std::string> conversion_arguments(const std::vector<std::string>& switches,
                                              const std::string& source, const std::string& dest) {
  std::vector<std::string> args{"orvo"};
  args.insert(args.end(), switches.begin(), switches.end());
  args.push_back(as_file_argument(source));
  args.push_back("-o");
  args.push_back(as_file_argument(dest));
  return args;
}

SongResult convert_song(const Source& song, const std::vector<std::string>& switches, bool force,
                        FolderListings* listings) {
  try {
    if (!song.refused.empty()) return failed(song.refused);
    if (!force && up_to_date(song.path, song.dest, listings)) {
      SongResult r;
      r.outcome = SongResult::Outcome::skipped;
      return r;
    }
    const std::string no_folder = make_folder_for(song.dest);
    if (!no_folder.empty()) return failed(no_folder);

    const std::vector<std::string> args = conversion_arguments(switches, song.path, song.dest);
    std::vector<const char*> argv;
    for (const std::string& a : args) argv.push_back(a.c_str());
    // Standard input and output are never used: the source is a file and
    // the destination is named. The messages come in UTF-8, as on a UTF-8
    // terminal: file names that are UTF-8 already stay as they are.
    MemoryStream messages;
    const Console console{messages.file(), messages.file(), messages.file(), true, true};
    SongResult r;
    r.status = run_orvo(console, static_cast<int>(argv.size()), argv.data(), nullptr, listings);
    r.outcome = r.status == 0 ? SongResult::Outcome::converted : SongResult::Outcome::failed;
    r.messages = messages.take();
    return r;
  } catch (const ProcessExit& e) {
    SongResult r = failed(e.message_utf8);
    r.status = e.status;
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
