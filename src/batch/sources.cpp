#include "batch/sources.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <system_error>

#include "driver/file_lookup.h"
#include "run/file_names.h"

namespace orvo::batch {

namespace fs = std::filesystem;

namespace {

std::string file_name_of(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string read_all(std::FILE* in) {
  std::string text;
  if (in == nullptr) return text;
  char buffer[4096];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, in)) > 0) text.append(buffer, got);
  return text;
}

// The path of a list entry below the current folder, or "" when it is not
// below it (absolute, or climbing out with "..").
std::string below_current_folder(const std::string& entry) {
  const fs::path p = fs::path(entry).lexically_normal();
  if (p.is_absolute() || p.empty()) return std::string();
  const std::string s = p.string();
  if (s == "." || s == ".." || s.rfind("../", 0) == 0) return std::string();
  return s;
}

std::string key_of(const std::string& path) { return fs::path(path).lexically_normal().string(); }

// The file a PATH that names nothing stands for, found as orvo finds a
// source: the name with ".ZMD", that extension in any case; "" when there
// is none.
std::string find_source(const std::string& path) { return find_file(path + ".ZMD"); }

class Collector {
 public:
  Collector(const std::string& out_dir, SourceList& list) : out_dir_(out_dir), list_(list) {}

  // `rel` is the song's path below what it was found under.
  void add(const std::string& path, const std::string& rel) {
    if (!seen_.insert(key_of(path)).second) return;
    Source song{path, out_dir_.empty() ? midi_name(path) : path_in(out_dir_, midi_name(rel)), ""};
    const auto [at, fresh] = destinations_.emplace(key_of(song.dest), path);
    if (!fresh) {
      song.refused = "orvo-batch: " + song.dest + " is already the MIDI file of " + at->second;
    }
    list_.songs.push_back(std::move(song));
  }

  // A PATH of the command line (`prefix` ""), or an entry of a list
  // (`prefix` its path below the current folder, if it is below it).
  void add_path(const std::string& path, const std::string& prefix) {
    std::error_code ec;
    const fs::file_status st = fs::status(path, ec);
    if (fs::is_directory(st)) {
      for (const std::string& rel : walk_folder(path, list_.problems)) {
        add(path_in(path, rel), prefix.empty() ? rel : path_in(prefix, rel));
      }
      return;
    }
    if (fs::is_regular_file(st)) {
      add(path, prefix.empty() ? file_name_of(path) : prefix);
      return;
    }
    if (fs::exists(st)) {
      list_.problems.push_back("not a file or folder: " + path);
      return;
    }
    const std::string found = find_source(path);
    if (found.empty()) {
      list_.problems.push_back("cannot find " + path);
      return;
    }
    // song finds song.ZMD: the name below comes from the file found.
    add(found, prefix.empty() ? file_name_of(found) : below_current_folder(found));
  }

 private:
  const std::string& out_dir_;
  SourceList& list_;
  std::set<std::string> seen_;
  std::map<std::string, std::string> destinations_;
};

}  // namespace

bool is_zmd_name(const std::string& name) {
  if (name.size() < 4) return false;
  return same_name_ignoring_case(std::string_view(name).substr(name.size() - 4), ".zmd");
}

std::string midi_name(const std::string& path) {
  const std::string folder = folder_of(path);
  return path_in(folder, replace_extension(file_name_of(path), ".MID"));
}

std::vector<std::string> walk_folder(const std::string& folder, std::vector<std::string>& problems) {
  std::vector<std::string> found;
  std::vector<std::string> pending{std::string()};  // folders below `folder` still to read
  while (!pending.empty()) {
    const std::string rel_dir = std::move(pending.back());
    pending.pop_back();
    const std::string dir = rel_dir.empty() ? folder : path_in(folder, rel_dir);
    std::error_code ec;
    fs::directory_iterator it(dir, ec);
    for (const fs::directory_iterator end; !ec && it != end; it.increment(ec)) {
      const std::string name = it->path().filename().string();
      const std::string rel = rel_dir.empty() ? name : rel_dir + "/" + name;
      std::error_code type_ec;
      const fs::file_status own = it->symlink_status(type_ec);
      if (fs::is_directory(own)) {
        pending.push_back(rel);
      } else if (is_zmd_name(name) && it->is_regular_file(type_ec)) {
        found.push_back(rel);  // a link to a file is the file
      }
    }
    if (ec) problems.push_back("cannot read folder " + dir + ": " + ec.message());
  }
  std::sort(found.begin(), found.end());
  return found;
}

std::vector<std::string> split_path_list(const std::string& text) {
  const char separator = text.find('\0') != std::string::npos ? '\0' : '\n';
  std::vector<std::string> paths;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(separator, start);
    if (end == std::string::npos) end = text.size();
    std::string entry = text.substr(start, end - start);
    if (separator == '\n' && !entry.empty() && entry.back() == '\r') entry.pop_back();
    if (!entry.empty()) paths.push_back(std::move(entry));
    start = end + 1;
  }
  return paths;
}

SourceList collect_sources(const std::vector<std::string>& paths, const std::string& out_dir,
                           std::FILE* in) {
  SourceList list;
  Collector collector(out_dir, list);
  for (const std::string& path : paths) {
    if (path == "-") {
      for (const std::string& entry : split_path_list(read_all(in))) {
        collector.add_path(entry, below_current_folder(entry));
      }
    } else {
      collector.add_path(path, std::string());
    }
  }
  return list;
}

}  // namespace orvo::batch
