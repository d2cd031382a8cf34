// Finding the input files a song names. The names in the songs come from a
// system that ignored the case of letters: the data may say M1_ZM_STD where
// the file on disk is m1_zm_std.mdd. A file that is missing under its exact
// name is looked for once more among the names of its folder, the case of
// ASCII letters ignored.
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace orvo {

// The name with its ASCII capitals made small. The second byte of a two-byte
// Shift_JIS character is kept as it is, so that two different characters
// never fold to the same name.
std::string fold_name(std::string_view name);

// True when the two file names are equal but for the case of ASCII letters.
bool same_name_ignoring_case(std::string_view a, std::string_view b);

// True when `path` names something that exists (a file or a folder).
bool path_exists(const std::string& path);

// True when `path` names a folder.
bool is_folder(const std::string& path);

// True when `path` names something that is not a folder and exists.
bool is_file(const std::string& path);

// The folder part of a path, "" when it has none ("music/a/song.zmd" gives
// "music/a", "/song.zmd" gives "/").
std::string folder_of(const std::string& path);

// `name` inside `folder` ("" is the current folder).
std::string path_in(const std::string& folder, const std::string& name);

// The file names of each folder listed so far, by folded name. The batch
// converter shares one between its conversions, so that a folder of
// thousands of songs is listed once rather than once per song; the lock
// makes that safe on several threads.
class FolderListings {
 public:
  // The file of `folder` ("" is the current folder) whose folded name is
  // `folded`, the first in sorted order of several; "" when there is none.
  std::string find(const std::string& folder, const std::string& folded);

 private:
  std::mutex lock_;
  std::map<std::string, std::map<std::string, std::string>> listed_;
};

// The sorted names of the files (not folders) of `folder`; empty when it
// cannot be read.
std::vector<std::string> list_folder(const std::string& folder);

// The file of the folder of `path` whose name equals the file name of
// `path`, ASCII case ignored; of several, the first in sorted order. ""
// when there is none. With `listings`, folders are listed through it.
std::string find_ignoring_case(const std::string& path, FolderListings* listings = nullptr);

// `path` when that file exists, else find_ignoring_case(path).
std::string find_file(const std::string& path, FolderListings* listings = nullptr);

}  // namespace orvo
