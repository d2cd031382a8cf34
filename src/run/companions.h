// The files a song names beside itself, as the conversion receives them:
// the client finds and reads them (from a folder, an archive, a browser's
// files), the conversion only sees their bytes and the names its messages
// show.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace orvo {

// A companion file as the client found it.
enum class CompanionState {
  missing,     // no such file
  found,       // `data` holds its `size` bytes
  unreadable,  // it was found (and is named) but could not be read
};

// The signature file: looked for before the conversion starts.
struct SignatureFile {
  CompanionState state = CompanionState::missing;
  std::string name;             // the file found, as the messages show it
  const uint8_t* data = nullptr;
  size_t size = 0;
};

// One MDD file, handed out by the client when the song names it.
struct MddFile {
  CompanionState state = CompanionState::missing;
  std::string name;             // the file found, as the messages show it
  const uint8_t* data = nullptr;
  size_t size = 0;
  void* handle = nullptr;       // the client's, given back to `close`
};

// How the conversion asks the client for the MDD files a song names: `open`
// gets the name the song gives (with ".MDD"), `close` takes back what a
// found file's `handle` holds once its bytes are read. Without `open`, no
// MDD file is ever found.
struct MddResolver {
  void* user = nullptr;
  MddFile (*open)(void* user, const std::string& name) = nullptr;
  void (*close)(void* user, void* handle) = nullptr;
};

}  // namespace orvo
