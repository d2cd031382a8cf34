// One conversion of a song held in memory: its bytes, the companion files
// the client found and the music switches in; the finished chunks of the
// MIDI file and every message out. Nothing here opens a file, writes to a
// stream or ends the process.
#pragma once

#include <exception>
#include <new>
#include <string>

#include "engine/conversion.h"
#include "run/companions.h"
#include "run/exit.h"
#include "run/messages.h"
#include "run/session.h"
#include "zmd/image.h"

namespace orvo {

// What a conversion is given besides its switches. The session holds the
// MDD resolver.
struct SongInput {
  const ZmdImage* image = nullptr;  // the song's bytes and their padding
  std::string name;                 // the song's name as the messages show it
  SignatureFile signature;          // the signature file the client found
};

// The first line of every message stream.
void report_banner(ErrorStream& err);

// The last line of a completed conversion: "Completed.".
void report_completed(ErrorStream& err);

// Converts the song into the finished chunks of `c`, with the switches of
// `options`. Fatal errors are thrown as ProcessExit; running out of memory
// as std::bad_alloc or as ProcessExit with status 10.
void convert_song(Session& s, const SongInput& in, const MusicOptions& options, Conversion& c);

// How a conversion ended: its exit status and the first line of its fatal
// message (empty when it completed), in UTF-8.
struct ConversionEnd {
  int status = 0;
  std::string error;
};

// The first line of a fatal message that says something ("\nError: x\n"
// gives "Error: x").
std::string first_line(const std::string& message);

// Runs `steps` (the client's, around convert_song) and reports
// "Completed." after them; an exit they throw is reported as the stream's
// last message instead. Never throws.
template <class Steps>
ConversionEnd run_conversion(Session& s, Steps&& steps) noexcept {
  ConversionEnd end;
  try {
    try {
      steps();
      report_completed(s.err);
      return end;
    } catch (const ProcessExit& e) {
      end.status = e.status;
      end.error = first_line(e.message_utf8);
      report_exit(s.err, e);
    } catch (const std::bad_alloc&) {
      end.status = 10;
      end.error = "malloc failed.";
      report_final(s.err, "malloc failed.\n", "malloc failed.\n");
    } catch (const std::exception& e) {
      // Nothing should get here; if something does, say so instead of aborting.
      end.status = 1;
      end.error = std::string("Error: ") + e.what();
      report_final(s.err, end.error + "\n", end.error + "\n");
    } catch (...) {
      end.status = 1;
      end.error = "Error: the conversion ended unexpectedly.";
      report_final(s.err, end.error + "\n", end.error + "\n");
    }
  } catch (...) {
    // Reporting itself ran out of memory: the status still tells.
    if (end.status == 0) end.status = 10;
  }
  return end;
}

}  // namespace orvo
