#include "engine/midi_file.h"

#include <cstring>

namespace orvo {

std::vector<FilePiece> midi_file_pieces(const Conversion& c, uint8_t (&header)[kMthdBytes]) {
  const int n = static_cast<int>(c.tracks.size()) - 1;
  write_mthd(header, n + 1, c.timing.timebase / 4);
  std::vector<FilePiece> pieces;
  pieces.reserve(c.tracks.size() + 1);
  pieces.push_back({header, kMthdBytes});
  for (const TrackBuffer& tb : c.tracks) {
    pieces.push_back({tb.bytes.data(), static_cast<size_t>(chunk_length(tb)) + 8});
  }
  return pieces;
}

size_t midi_file_size(const std::vector<FilePiece>& pieces) {
  size_t size = 0;
  for (const FilePiece& p : pieces) size += p.size;
  return size;
}

void copy_midi_file(const std::vector<FilePiece>& pieces, uint8_t* out) {
  for (const FilePiece& p : pieces) {
    std::memcpy(out, p.data, p.size);
    out += p.size;
  }
}

}  // namespace orvo
