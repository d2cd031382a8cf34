// The finished MIDI file of a conversion: its 14-byte header chunk and the
// track chunks in order, as pieces to write or to copy.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/conversion.h"
#include "smf/mthd.h"

namespace orvo {

struct FilePiece {
  const uint8_t* data;
  size_t size;
};

// The header (built in `header`) and every chunk, in the order of the file.
std::vector<FilePiece> midi_file_pieces(const Conversion& c, uint8_t (&header)[kMthdBytes]);

// The number of bytes of the whole file.
size_t midi_file_size(const std::vector<FilePiece>& pieces);

// Copies the pieces one after another to `out`, which holds their size.
void copy_midi_file(const std::vector<FilePiece>& pieces, uint8_t* out);

}  // namespace orvo
