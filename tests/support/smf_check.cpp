#include "support/smf_check.h"

#include <algorithm>
#include <cstdio>

namespace orvo::test {

namespace {

using Bytes = std::vector<uint8_t>;

constexpr size_t kHeaderBytes = 14;

std::string hex(unsigned value, int digits = 2) {
  char text[16];
  std::snprintf(text, sizeof text, "%0*X", digits, value);
  return text;
}

uint32_t be32(const Bytes& f, size_t pos) {
  return static_cast<uint32_t>(f[pos]) << 24 | static_cast<uint32_t>(f[pos + 1]) << 16 |
         static_cast<uint32_t>(f[pos + 2]) << 8 | f[pos + 3];
}

int be16(const Bytes& f, size_t pos) { return f[pos] << 8 | f[pos + 1]; }

bool has_id(const Bytes& f, size_t pos, const char* id) {
  if (f.size() < 4 || pos > f.size() - 4) return false;
  for (size_t i = 0; i < 4; ++i) {
    if (f[pos + i] != static_cast<uint8_t>(id[i])) return false;
  }
  return true;
}

// Quoted bytes, control characters, quotes and backslashes as \xNN.
std::string quoted(const Bytes& bytes) {
  std::string s = "'";
  for (uint8_t b : bytes) {
    if (b < 0x20 || b == 0x7F || b == '\'' || b == '\\') {
      s += "\\x" + hex(b);
    } else {
      s += static_cast<char>(b);
    }
  }
  return s + "'";
}

std::string chunk_at(size_t index, size_t offset) {
  return "chunk " + std::to_string(index) + ", offset " + std::to_string(offset) + ": ";
}

// Reads a variable-length quantity of at most 4 bytes from [pos, end).
std::string read_quantity(const Bytes& f, size_t& pos, size_t end, uint32_t& value,
                          const std::string& what) {
  value = 0;
  for (int i = 0; i < 4; ++i) {
    if (pos >= end) return what + " runs past the chunk end";
    const uint8_t b = f[pos++];
    value = value << 7 | (b & 0x7Fu);
    if (b < 0x80) return "";
  }
  return what + " longer than 4 bytes";
}

// The fixed-size meta events and their contents.
std::string check_meta(uint8_t type, const Bytes& data) {
  const size_t n = data.size();
  const std::string len = std::to_string(n);
  switch (type) {
    case 0x2F:
      if (n != 0) return "end-of-track meta event of length " + len + ", expected FF 2F 00";
      break;
    case 0x51:
      if (n != 3) return "tempo meta event of length " + len + ", expected 3";
      break;
    case 0x58:
      if (n != 4) return "time signature meta event of length " + len + ", expected 4";
      break;
    case 0x59: {
      if (n != 2) return "key signature meta event of length " + len + ", expected 2";
      const int sf = static_cast<int8_t>(data[0]);
      if (sf < -7 || sf > 7) return "key signature sf " + std::to_string(sf) + " outside -7..7";
      if (data[1] > 1) return "key signature mi " + std::to_string(data[1]) + ", expected 0 or 1";
      break;
    }
    default:
      break;
  }
  return "";
}

// Reads the events of the chunk whose events span [pos, end) into `track`.
std::string parse_events(const Bytes& f, size_t pos, size_t end, size_t index, SmfTrack& track) {
  auto at = [&](size_t offset, const std::string& what) {
    return "track " + std::to_string(index) + ", event " + std::to_string(track.events.size()) +
           ", offset " + std::to_string(offset) + ": " + what;
  };
  uint8_t running = 0;  // status of the last channel event; 0 when there is none to run on
  std::string cancelled = "at the start of the track";  // why there is none
  bool ended = false;
  int64_t tick = 0;
  while (pos < end) {
    if (ended) {
      return at(pos, std::to_string(end - pos) +
                         " bytes after the end-of-track event: the chunk length must end there");
    }
    SmfEvent e;
    e.offset = pos;
    uint32_t value = 0;
    std::string problem = read_quantity(f, pos, end, value, "delta time");
    if (!problem.empty()) return at(e.offset, problem);
    e.delta = static_cast<int32_t>(value);
    tick += value;
    e.tick = tick;
    const size_t start = pos;
    if (pos >= end) return at(pos, "event runs past the chunk end after its delta time");
    if (f[pos] < 0x80) {
      if (running == 0) {
        return at(pos, "data byte 0x" + hex(f[pos]) + " where a status is needed: no running status " +
                           cancelled);
      }
      e.status = running;
      e.running = true;
    } else {
      e.status = f[pos++];
    }
    const uint8_t s = e.status;
    if (s < 0xF0) {
      const int count = (s & 0xF0) == 0xC0 || (s & 0xF0) == 0xD0 ? 1 : 2;
      for (int i = 0; i < count; ++i) {
        if (pos >= end) return at(pos, "channel event runs past the chunk end");
        if (f[pos] >= 0x80) {
          return at(pos, "data byte 0x" + hex(f[pos]) + " >= 0x80 in channel event " + hex(s));
        }
        e.data.push_back(f[pos++]);
      }
      running = s;
    } else if (s == 0xFF || s == 0xF0 || s == 0xF7) {
      const bool meta = s == 0xFF;
      if (meta) {
        if (pos >= end) return at(pos, "meta event runs past the chunk end");
        e.meta_type = f[pos];
        if (e.meta_type >= 0x80) return at(pos, "meta type 0x" + hex(e.meta_type) + " >= 0x80");
        ++pos;
      }
      const std::string kind = meta ? "meta" : "exclusive";
      const size_t length_at = pos;
      problem = read_quantity(f, pos, end, value, kind + " length");
      if (!problem.empty()) return at(length_at, problem);
      if (value > end - pos) {
        return at(length_at, kind + " data of " + std::to_string(value) + " bytes runs past the chunk end (" +
                                 std::to_string(end - pos) + " left)");
      }
      e.data.assign(f.begin() + static_cast<std::ptrdiff_t>(pos),
                    f.begin() + static_cast<std::ptrdiff_t>(pos + value));
      if (s == 0xF0) {
        for (size_t i = 0; i < e.data.size(); ++i) {
          if (e.data[i] >= 0x80 && !(i + 1 == e.data.size() && e.data[i] == 0xF7)) {
            return at(pos + i, "exclusive data byte 0x" + hex(e.data[i]) + " >= 0x80");
          }
        }
      }
      if (meta) {
        problem = check_meta(e.meta_type, e.data);
        if (!problem.empty()) return at(start, problem);
        ended = e.meta_type == 0x2F;
      }
      pos += value;
      running = 0;
      cancelled = meta ? "after a meta event" : "after an exclusive event";
    } else {
      return at(start, "status 0x" + hex(s) + " is not allowed in a file");
    }
    e.bytes.assign(f.begin() + static_cast<std::ptrdiff_t>(start),
                   f.begin() + static_cast<std::ptrdiff_t>(pos));
    track.events.push_back(std::move(e));
  }
  if (!ended) return at(end, "the track ends without an end-of-track event");
  return "";
}

}  // namespace

std::string parse_smf(const Bytes& f, Smf& out) {
  out = Smf{};
  if (!has_id(f, 0, "MThd")) return "header, offset 0: the file does not start with MThd";
  if (f.size() < kHeaderBytes) return "header, offset 0: the file ends inside the 14-byte header";
  if (be32(f, 4) != 6) {
    return "header, offset 4: header length " + std::to_string(be32(f, 4)) + ", expected 6";
  }
  out.format = be16(f, 8);
  out.ntracks = be16(f, 10);
  out.division = be16(f, 12);
  if (out.format != 1) return "header, offset 8: format " + std::to_string(out.format) + ", expected 1";
  if (out.division == 0) return "header, offset 12: division 0";
  if (out.division & 0x8000) {
    return "header, offset 12: division 0x" + hex(static_cast<unsigned>(out.division), 4) +
           " has bit 15 set (timecode division)";
  }
  size_t pos = kHeaderBytes;
  size_t index = 0;
  while (pos < f.size()) {
    const size_t left = f.size() - pos;
    if (index == static_cast<size_t>(out.ntracks)) {
      if (left >= 8 && has_id(f, pos, "MTrk")) {
        return chunk_at(index, pos) + "track count: the header announces " + std::to_string(out.ntracks) +
               " tracks but another MTrk chunk follows";
      }
      return chunk_at(index, pos) + std::to_string(left) + " trailing bytes after the last chunk";
    }
    if (left < 8) return chunk_at(index, pos) + "the file ends inside the chunk header";
    if (!has_id(f, pos, "MTrk")) {
      const auto id = f.begin() + static_cast<std::ptrdiff_t>(pos);
      return chunk_at(index, pos) + "chunk id " + quoted(Bytes(id, id + 4)) + " is not MTrk";
    }
    const uint32_t length = be32(f, pos + 4);
    if (length > left - 8) {
      return chunk_at(index, pos + 4) + "chunk length " + std::to_string(length) +
             " runs past the file end (" + std::to_string(left - 8) + " bytes left)";
    }
    out.tracks.push_back(SmfTrack{pos, length, {}});
    const std::string problem = parse_events(f, pos + 8, pos + 8 + length, index, out.tracks.back());
    if (!problem.empty()) return problem;
    pos += 8 + length;
    ++index;
  }
  if (index < static_cast<size_t>(out.ntracks)) {
    return chunk_at(index, pos) + "track count: the header announces " + std::to_string(out.ntracks) +
           " tracks but the file holds " + std::to_string(index);
  }
  return "";
}

std::string check_smf(const Bytes& file) {
  Smf smf;
  return parse_smf(file, smf);
}

std::string describe_event(const SmfEvent& e) {
  auto d = [&](size_t i) { return i < e.data.size() ? static_cast<int>(e.data[i]) : 0; };
  const uint8_t s = e.status;
  if (s >= 0x80 && s < 0xF0) {
    static const char* const kNames[] = {"NoteOff", "NoteOn",  "PolyPressure",    "Control",
                                         "Program", "ChannelPressure", "PitchBend"};
    std::string line = std::string(kNames[(s >> 4) - 8]) + " ch" + std::to_string((s & 0x0F) + 1);
    const int high = s >> 4;
    if (high == 0xE) return line + " " + std::to_string(d(1) << 7 | d(0));
    line += " " + std::to_string(d(0));
    if (high != 0xC && high != 0xD) line += " " + std::to_string(d(1));
    return line;
  }
  if (s == 0xF0 || s == 0xF7) {
    std::string line = "SysEx " + hex(s);
    for (uint8_t b : e.data) line += " " + hex(b);
    return line;
  }
  if (s != 0xFF) return "Status " + hex(s);
  const Bytes& p = e.data;
  if (e.meta_type == 0x2F) return "EndOfTrack";
  if (e.meta_type == 0x51 && p.size() == 3) return "Tempo " + std::to_string(p[0] << 16 | p[1] << 8 | p[2]);
  if (e.meta_type == 0x58 && p.size() == 4) {
    const std::string denominator = p[1] < 16 ? std::to_string(1 << p[1]) : "2^" + std::to_string(p[1]);
    return "TimeSig " + std::to_string(p[0]) + "/" + denominator + " cc=" + std::to_string(p[2]) +
           " bb=" + std::to_string(p[3]);
  }
  if (e.meta_type == 0x59 && p.size() == 2) {
    return "KeySig sf=" + std::to_string(static_cast<int8_t>(p[0])) + " mi=" + std::to_string(p[1]);
  }
  std::string line = "Meta " + hex(e.meta_type);
  if (e.meta_type >= 0x01 && e.meta_type <= 0x0F) return line + " " + quoted(p);
  for (uint8_t b : p) line += " " + hex(b);
  return line;
}

namespace {

std::string event_line(const SmfEvent& e) {
  return "@" + std::to_string(e.tick) + " (+" + std::to_string(e.delta) + ") " + describe_event(e);
}

}  // namespace

std::string dump_smf(const Bytes& file) {
  Smf smf;
  const std::string problem = parse_smf(file, smf);
  std::string out = "MThd format " + std::to_string(smf.format) + ", " + std::to_string(smf.ntracks) +
                    " tracks, division " + std::to_string(smf.division) + "\n";
  for (size_t t = 0; t < smf.tracks.size(); ++t) {
    for (const SmfEvent& e : smf.tracks[t].events) {
      out += "track " + std::to_string(t) + " " + event_line(e) + "\n";
    }
  }
  if (!problem.empty()) out += "error: " + problem + "\n";
  return out;
}

std::vector<std::string> event_lines(const Bytes& file, size_t index) {
  Smf smf;
  parse_smf(file, smf);
  std::vector<std::string> lines;
  if (index < smf.tracks.size()) {
    for (const SmfEvent& e : smf.tracks[index].events) lines.push_back(event_line(e));
  }
  return lines;
}

Bytes track_events_bytes(const Bytes& file, size_t index) {
  if (file.size() < 8) return {};
  uint64_t pos = 8 + uint64_t{be32(file, 4)};  // past the header chunk, whatever its length
  for (size_t i = 0;; ++i) {
    if (pos + 8 > file.size()) return {};
    const uint64_t end = std::min<uint64_t>(pos + 8 + be32(file, static_cast<size_t>(pos) + 4), file.size());
    if (i == index) {
      return Bytes(file.begin() + static_cast<std::ptrdiff_t>(pos + 8),
                   file.begin() + static_cast<std::ptrdiff_t>(end));
    }
    pos = end;
  }
}

}  // namespace orvo::test
