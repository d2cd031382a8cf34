#include "signature/signature.h"

#include <cstring>

#include "run/exit.h"
#include "run/file_names.h"
#include "run/messages.h"
#include "signature/signature_lines.h"

namespace orvo {

namespace {

// The setting tags as they stand in the file: a two-byte Shift_JIS character
// followed by an ASCII ':'.
constexpr char kInstrumentTag[] = "\x8A\x79:";  // 楽:
constexpr char kAuthorTag[] = "\x92\x98:";      // 著:
constexpr char kTimeTag[] = "\x94\x8F:";        // 拍:
constexpr char kKeyTag[] = "\x92\xB2:";         // 調:
constexpr size_t kTagBytes = 3;

constexpr size_t kLineBuffer = 512;  // lines of at most 511 bytes; longer ones are split

// The reader's progress through one file.
struct SignatureReader {
  const std::string& name;    // the signature file name, for messages
  SignatureData& data;        // filled line by line
  ErrorStream& err;
  int names_read = 0;         // 楽: lines stored so far
};

bool has_tag(const char* line, const char* tag) { return std::strncmp(line, tag, kTagBytes) == 0; }

// A line read from a file written with CR LF line ends reads as one ending in
// '\n' alone.
void drop_carriage_return(char* line) {
  const size_t length = std::strlen(line);
  if (length >= 2 && line[length - 2] == '\r' && line[length - 1] == '\n') {
    line[length - 2] = '\n';
    line[length - 1] = '\0';
  }
}

// The value of a 楽: or 著: line: everything after the tag up to the newline,
// cut to at most `limit` bytes without splitting a two-byte character. False
// when the line has no newline.
bool text_value(const char* line, size_t limit, std::string& value, ErrorStream& err) {
  const char* text = line + kTagBytes;
  const int newline = findchar(text, '\n');
  if (newline < 0) {
    report_song_text(err, "%s:data format error.\n", line);
    return false;
  }
  size_t length = static_cast<size_t>(newline);
  if (length > limit) {
    size_t kept = 0;
    while (kept < limit) {
      const size_t step = is_sjis_lead(static_cast<unsigned char>(text[kept])) ? 2 : 1;
      if (kept + step > limit) break;
      kept += step;
    }
    length = kept;
  }
  value.assign(text, length);
  return true;
}

void instrument_line(SignatureReader& r, const char* line) {
  std::string value;
  if (!text_value(line, kInstrumentNameMax, value, r.err)) return;
  if (r.names_read >= kInstrumentNames) {
    report(r.err, "%s:楽器名が多すぎます。\n", r.name.c_str());
    return;
  }
  r.data.instrument_names[static_cast<size_t>(r.names_read)] = std::move(value);
  ++r.names_read;
  if (r.names_read == kInstrumentNames) report(r.err, "%s:楽器名が多すぎます。\n", r.name.c_str());
}

void read_line(SignatureReader& r, const char* line) {
  while (*line == ' ' || *line == '\t') ++line;
  if (*line == '*' || *line == '#' || *line == '/') return;
  if (has_tag(line, kInstrumentTag)) {
    instrument_line(r, line);
  } else if (has_tag(line, kAuthorTag)) {
    std::string value;
    if (text_value(line, kAuthorMax, value, r.err)) r.data.author = std::move(value);
  } else if (has_tag(line, kTimeTag)) {
    parse_time_signatures(line + kTagBytes, r.data.list, r.err);
  } else if (has_tag(line, kKeyTag)) {
    parse_key_signatures(line + kTagBytes, r.data.list, r.err);
  }
}

}  // namespace

void loadsignature(const SignatureFile& file, SignatureData& data, ErrorStream& err) {
  if (file.state == CompanionState::missing) return;
  const std::string& name = file.name;
  report(err, "%s:signatureファイルを読み込みます。\n", name.c_str());
  if (file.state == CompanionState::unreadable) fatal_error(1, "%s:読み込みに失敗しました。\n", name.c_str());

  SignatureReader reader{name, data, err};
  // Lines as a line reader of kLineBuffer bytes takes them: at most
  // kLineBuffer - 1 bytes, up to and including a line break.
  char line[kLineBuffer];
  const size_t size = file.data == nullptr ? 0 : file.size;
  size_t at = 0;
  while (at < size) {
    size_t length = 0;
    while (at < size && length < kLineBuffer - 1) {
      const char c = static_cast<char>(file.data[at++]);
      line[length++] = c;
      if (c == '\n') break;
    }
    line[length] = '\0';
    drop_carriage_return(line);
    read_line(reader, line);
  }
}

}  // namespace orvo
