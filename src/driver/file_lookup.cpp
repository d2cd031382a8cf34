#include "driver/file_lookup.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>

#include "run/file_names.h"

namespace orvo {

namespace {

char fold(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

std::string fold_name(std::string_view name) {
  std::string folded(name);
  for (size_t i = 0; i < folded.size(); ++i) {
    if (is_sjis_lead(static_cast<unsigned char>(folded[i]))) {
      ++i;  // the second byte of the character stays as it is
    } else {
      folded[i] = fold(folded[i]);
    }
  }
  return folded;
}

bool same_name_ignoring_case(std::string_view a, std::string_view b) {
  return a.size() == b.size() && fold_name(a) == fold_name(b);
}

// The lookups use the system's own calls rather than the C++ file system
// library: that library brings the whole locale machinery into the program,
// whose start-up then costs more than converting a short song.
bool path_exists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

bool is_folder(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool is_file(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

std::string folder_of(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return std::string();
  return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string path_in(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  if (folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

std::vector<std::string> list_folder(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
  if (dir == nullptr) return names;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    // A link to a folder counts as a folder; where the listing does not
    // tell the kind, the entry itself is asked.
    if (entry->d_type == DT_DIR) continue;
    if ((entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) && is_folder(path_in(folder, name))) {
      continue;
    }
    names.push_back(name);
  }
  ::closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}

namespace {

// The file of `folder` whose folded name is `folded`, the first in sorted
// order of several, found in one pass over the folder: a single lookup in a
// folder of thousands of songs neither sorts nor keeps its names.
std::string first_match(const std::string& folder, const std::string& folded) {
  std::string best;
  DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
  if (dir == nullptr) return best;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (name.size() != folded.size() || fold_name(name) != folded) continue;
    if (!best.empty() && name >= best) continue;
    if (entry->d_type == DT_DIR) continue;
    if ((entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) &&
        is_folder(path_in(folder, std::string(name)))) {
      continue;
    }
    best = name;
  }
  ::closedir(dir);
  return best;
}

}  // namespace

std::string FolderListings::find(const std::string& folder, const std::string& folded) {
  std::lock_guard<std::mutex> hold(lock_);
  auto it = listed_.find(folder);
  if (it == listed_.end()) {
    std::map<std::string, std::string> by_folded;
    for (std::string& name : list_folder(folder)) {  // sorted: the first keeps its place
      std::string key = fold_name(name);
      by_folded.emplace(std::move(key), std::move(name));
    }
    it = listed_.emplace(folder, std::move(by_folded)).first;
  }
  const auto found = it->second.find(folded);
  return found == it->second.end() ? std::string() : found->second;
}

std::string find_ignoring_case(const std::string& path, FolderListings* listings) {
  const std::string folder = folder_of(path);
  const std::string name = folder.empty() ? path : path.substr(path.rfind('/') + 1);
  if (name.empty()) return std::string();
  const std::string folded = fold_name(name);
  std::string found;
  if (listings != nullptr) {
    found = listings->find(folder, folded);
  } else {
    found = first_match(folder, folded);
  }
  return found.empty() ? std::string() : path_in(folder, found);
}

std::string find_file(const std::string& path, FolderListings* listings) {
  if (is_file(path)) return path;
  return find_ignoring_case(path, listings);
}

}  // namespace orvo
