// Finding the songs of an archive and where each one's MIDI file goes.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace orvo::batch {

struct Source {
  std::string path;  // the ZMD file, as found
  std::string dest;  // its MIDI file
  std::string refused;  // when not empty, why the song is not converted (UTF-8 but for paths)
};

// The songs, in order, and what went wrong while looking for them.
struct SourceList {
  std::vector<Source> songs;
  std::vector<std::string> problems;  // "cannot read folder X: reason", in UTF-8 but for the path
};

// True when the file name ends in ".zmd", in any case.
bool is_zmd_name(const std::string& name);

// The MIDI file of a source: its extension, in its file name only, replaced
// by ".MID" (a name without one gets ".MID" appended).
std::string midi_name(const std::string& path);

// The files below `folder` whose names end in ".zmd", as paths relative to
// it, sorted. Symbolic links to folders are not followed; a folder that
// cannot be read adds a problem and is passed over.
std::vector<std::string> walk_folder(const std::string& folder, std::vector<std::string>& problems);

// The paths of a list read from standard input: NUL-separated when the list
// holds a NUL, else one per line (a carriage return before the line break is
// dropped); empty entries are passed over.
std::vector<std::string> split_path_list(const std::string& text);

// Every song of `paths` ("-" reads a list from `in`), each reached once:
// a PATH that is a file is a song; a folder gives the songs below it. A
// path that names nothing is looked for as orvo looks for a source (with
// ".ZMD" appended, ignoring case), else it adds a problem. With `out_dir`,
// a song's MIDI file goes there at its path below the PATH it was found
// under (a file PATH: its name; a relative path from a list: that path).
// A song whose MIDI file is already that of an earlier song is refused
// rather than written over it.
SourceList collect_sources(const std::vector<std::string>& paths, const std::string& out_dir,
                           std::FILE* in);

}  // namespace orvo::batch
