#include "batch/command_line.h"

#include <cstring>
#include <exception>
#include <memory>
#include <new>
#include <string_view>

#include "batch/memory_stream.h"
#include "driver/options.h"
#include "run/exit.h"
#include "run/messages.h"
#include "run/session.h"

namespace orvo::batch {

namespace {

const char* const kUsage =
    "usage: orvo-batch [-j N] [--out DIR] [--force] [--log FILE] [orvo switches] PATH...\n"
    "\n"
    "Converts every ZMD file named, and every file ending in .zmd (any case) in\n"
    "the folders named and below them, to a MIDI file as orvo does. A PATH of -\n"
    "reads paths from standard input, one per line or NUL-separated.\n"
    "\n"
    "  -j N, --jobs N  convert N songs at a time (default: one per processor)\n"
    "  --out DIR       write the MIDI files under DIR, at the path below PATH\n"
    "                  (default: beside each source)\n"
    "  --force         convert also songs whose MIDI file is up to date\n"
    "  --log FILE      write every song's messages, in UTF-8, to FILE\n"
    "  -h, --help      show this text\n"
    "  --version       show the version\n"
    "\n"
    "orvo switches, applied to every song: -L -F -D -B -X -U -A -J -R -I -m -s -t\n"
    "(-J, or j among other letters as in -aj, fits loop counts; -j is the number\n"
    "of jobs). -o, -c, -e and -g are for single files: use orvo.\n"
    "\n"
    "Exit status: 0 when no song failed, 1 when any failed or a path could not be\n"
    "read, 2 for a usage error.\n";

CommandLine usage_error(std::string message) {
  CommandLine c;
  c.action = CommandLine::Action::usage_error;
  c.error = "orvo-batch: " + std::move(message) + "\n";
  return c;
}

bool all_digits(std::string_view s) {
  if (s.empty()) return false;
  for (char ch : s) {
    if (ch < '0' || ch > '9') return false;
  }
  return true;
}

// A positive number of jobs, or 0 when `text` is none.
int jobs_number(std::string_view text) {
  if (!all_digits(text) || text.size() > 5) return 0;
  int n = 0;
  for (char ch : text) n = n * 10 + (ch - '0');
  return n <= kMaxJobs ? n : 0;
}

// The letter of an orvo switch group that only single conversions take:
// an output, an error file, a signature file. '\0' when there is none.
char single_file_letter(std::string_view group) {
  for (size_t i = 1; i < group.size(); ++i) {
    const char ch = group[i] >= 'A' && group[i] <= 'Z' ? static_cast<char>(group[i] - 'A' + 'a')
                                                       : group[i];
    if (ch == 'c' || ch == 'e' || ch == 'g' || ch == 'o') return ch;
  }
  return '\0';
}

// Runs orvo's parser over the switch groups on a scratch run whose streams
// are memory; its messages come in UTF-8, as on a UTF-8 terminal. The
// refused letters never reach it, so it opens no file. Returns the exit the
// parser ends with, if any, holding every message it wrote; otherwise fills
// the options' music switches and what the parser said of them.
std::unique_ptr<ProcessExit> check_switches(BatchOptions& o) {
  if (o.switches.empty()) return nullptr;  // orvo's parser shows the usage for no arguments
  MemoryStream out;
  auto s = std::make_unique<Session>();
  s->err.encodings = kMessagesUtf8;
  CommandRun run;
  run.console = Console{nullptr, out.file(), nullptr, true, true};
  run.session = s.get();
  std::vector<const char*> argv{"orvo"};
  for (const std::string& group : o.switches) argv.push_back(group.c_str());
  try {
    o.music = parse_options(run, static_cast<int>(argv.size()), argv.data());
  } catch (const ProcessExit& e) {
    return std::make_unique<ProcessExit>(ProcessExit{e.status, std::string(), s->err.utf8 + e.message_utf8});
  }
  o.switch_messages = std::move(s->err.utf8);
  return nullptr;
}

// Long options take their value as "--out DIR" or "--out=DIR".
bool long_option(std::string_view arg, std::string_view name, int argc, const char* const* argv,
                 int& i, std::string& value, bool& missing) {
  if (arg.substr(0, name.size()) != name) return false;
  const std::string_view rest = arg.substr(name.size());
  if (rest.empty()) {
    if (i + 1 >= argc) {
      missing = true;
    } else {
      value = argv[++i];
    }
    return true;
  }
  if (rest[0] != '=') return false;
  value = std::string(rest.substr(1));
  return true;
}

}  // namespace

std::string usage_text() { return kUsage; }

CommandLine parse_command_line(int argc, const char* const* argv) {
  CommandLine c;
  BatchOptions& o = c.options;
  bool only_paths = false;  // after "--"
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (only_paths || arg.empty() || arg[0] != '-' || arg == kStandardInputList) {
      o.paths.emplace_back(arg);
      continue;
    }
    if (arg == "--") {
      only_paths = true;
      continue;
    }
    if (arg == "-h" || arg == "-H" || arg == "-?" || arg == "--help") {
      c.action = CommandLine::Action::help;
      return c;
    }
    if (arg == "--version") {
      c.action = CommandLine::Action::version;
      return c;
    }
    if (arg == "--force") {
      o.force = true;
      continue;
    }
    std::string value;
    bool missing = false;
    if (arg == "-j" || long_option(arg, "--jobs", argc, argv, i, value, missing)) {
      if (arg == "-j") {
        if (i + 1 >= argc) return usage_error("-j needs a number of jobs");
        value = argv[++i];
      }
      if (missing) return usage_error("--jobs needs a number of jobs");
      o.jobs = jobs_number(value);
      if (o.jobs == 0) {
        return usage_error("the number of jobs must be 1 to " + std::to_string(kMaxJobs) + ": " +
                           value);
      }
      continue;
    }
    if (arg.size() > 2 && arg[1] == 'j' && all_digits(arg.substr(2))) {
      o.jobs = jobs_number(arg.substr(2));
      if (o.jobs == 0) {
        return usage_error("the number of jobs must be 1 to " + std::to_string(kMaxJobs) + ": " +
                           std::string(arg.substr(2)));
      }
      continue;
    }
    if (long_option(arg, "--out", argc, argv, i, value, missing)) {
      if (missing || value.empty()) return usage_error("--out needs a folder");
      o.out_dir = value;
      continue;
    }
    if (long_option(arg, "--log", argc, argv, i, value, missing)) {
      if (missing || value.empty()) return usage_error("--log needs a file name");
      o.log_file = value;
      continue;
    }
    if (arg.substr(0, 2) == "--") return usage_error("unknown option " + std::string(arg));
    if (const char letter = single_file_letter(arg)) {
      return usage_error(std::string("-") + letter + " is for single files: use orvo");
    }
    o.switches.emplace_back(arg);
  }

  if (const std::unique_ptr<ProcessExit> exit = check_switches(o)) {
    if (exit->status == 0) {  // a group holding h or ?
      c.action = CommandLine::Action::help;
      return c;
    }
    c.action = CommandLine::Action::usage_error;
    c.error = "orvo-batch: " + exit->message_utf8;
    return c;
  }
  if (o.paths.empty()) return usage_error("no PATH given");
  return c;
}

}  // namespace orvo::batch
