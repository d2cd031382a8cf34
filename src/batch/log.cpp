#include "batch/log.h"

namespace orvo::batch {

std::string log_entry(const std::string& path, const SongResult& result, bool first) {
  std::string text = first ? "" : "\n";
  text += "==> " + path + " <==\n";
  if (result.outcome == SongResult::Outcome::skipped) return text + "skipped: the MIDI file is up to date\n";
  text += result.messages;
  if (!result.messages.empty() && result.messages.back() != '\n') text += '\n';
  if (result.outcome == SongResult::Outcome::failed) {
    text += "failed with status " + std::to_string(result.status) + "\n";
  }
  return text;
}

}  // namespace orvo::batch
