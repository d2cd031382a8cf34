#include "run/file_lookup.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "run/file_names.h"

namespace orvo {

namespace fs = std::filesystem;

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

bool is_file(const std::string& path) {
  std::error_code ec;
  const fs::file_status st = fs::status(path, ec);
  return !ec && fs::exists(st) && !fs::is_directory(st);
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
  std::error_code ec;
  fs::directory_iterator it(folder.empty() ? fs::path(".") : fs::path(folder), ec);
  for (const fs::directory_iterator end; !ec && it != end; it.increment(ec)) {
    std::error_code type_ec;
    if (it->is_directory(type_ec)) continue;
    names.push_back(it->path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

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
    for (const std::string& candidate : list_folder(folder)) {  // sorted: the first match wins
      if (fold_name(candidate) == folded) {
        found = candidate;
        break;
      }
    }
  }
  return found.empty() ? std::string() : path_in(folder, found);
}

std::string find_file(const std::string& path, FolderListings* listings) {
  if (is_file(path)) return path;
  return find_ignoring_case(path, listings);
}

}  // namespace orvo
