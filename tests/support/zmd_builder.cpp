#include "support/zmd_builder.h"

namespace orvo::test {

namespace {
void be16(Bytes& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v >> 8));
  out.push_back(static_cast<uint8_t>(v));
}
void be32(Bytes& out, uint32_t v) {
  be16(out, v >> 16);
  be16(out, v);
}
void string0(Bytes& out, const std::string& s) {
  out.insert(out.end(), s.begin(), s.end());
  out.push_back(0);
}
}  // namespace

Bytes bytes_of(const std::string& s) { return Bytes(s.begin(), s.end()); }

ZmdBuilder& ZmdBuilder::magic(uint8_t first) {
  magic_ = first;
  return *this;
}
ZmdBuilder& ZmdBuilder::version(uint8_t v) {
  version_ = v;
  return *this;
}
ZmdBuilder& ZmdBuilder::common(std::initializer_list<uint8_t> raw) {
  common_.insert(common_.end(), raw.begin(), raw.end());
  return *this;
}
ZmdBuilder& ZmdBuilder::common(const Bytes& raw) {
  common_.insert(common_.end(), raw.begin(), raw.end());
  return *this;
}
ZmdBuilder& ZmdBuilder::tempo(uint16_t bpm) {
  common_.push_back(0x05);
  be16(common_, bpm);
  return *this;
}
ZmdBuilder& ZmdBuilder::timebase(uint16_t clocks) {
  common_.push_back(0x42);
  if (clocks > 255 || clocks == 1) {
    common({1, 0, 0});
    be16(common_, clocks);
  } else {
    common({static_cast<uint8_t>(clocks), 0, 0, 0, 0});
  }
  return *this;
}
ZmdBuilder& ZmdBuilder::exclusive(const Bytes& data) {
  common_.push_back(0x18);
  be16(common_, static_cast<uint32_t>(data.size()));
  common(data);
  return *this;
}
ZmdBuilder& ZmdBuilder::text(const std::string& s) {
  common_.push_back(0x61);
  string0(common_, s);
  return *this;
}
ZmdBuilder& ZmdBuilder::mdd(const std::string& name) {
  common_.push_back(0x62);
  string0(common_, name);
  return *this;
}
ZmdBuilder& ZmdBuilder::title(const std::string& s) {
  common_.push_back(0x7F);
  string0(common_, s);
  return *this;
}
ZmdBuilder& ZmdBuilder::waveform(uint8_t number, uint8_t loop_mode, uint16_t loop_index,
                                 const std::vector<int16_t>& samples) {
  common_.push_back(0x4A);
  be16(common_, static_cast<uint32_t>(samples.size()));
  common_.push_back(number);
  common_.push_back(loop_mode);
  be16(common_, loop_index);
  for (int16_t v : samples) be16(common_, static_cast<uint16_t>(v));
  return *this;
}
ZmdBuilder& ZmdBuilder::track(uint8_t channel, const Bytes& commands, bool terminate) {
  Track t{channel, commands};
  if (terminate) t.commands.push_back(0xFF);
  tracks_.push_back(std::move(t));
  return *this;
}
ZmdBuilder& ZmdBuilder::track_count_override(int16_t count) {
  count_override_ = true;
  count_ = count;
  return *this;
}

Bytes ZmdBuilder::build() const {
  Bytes out{magic_, 'Z', 'm', 'u', 'S', 'i', 'C', version_};
  out.insert(out.end(), common_.begin(), common_.end());
  out.push_back(0xFF);  // end of the common section, at offset t
  // The count stands at the first even offset after the terminator.
  const size_t t = out.size() - 1;
  if (t % 2 == 0) out.push_back(0x00);
  be16(out, static_cast<uint16_t>(count_override_ ? count_ : static_cast<int16_t>(tracks_.size())));

  const size_t table = out.size();
  out.resize(table + 6 * tracks_.size());
  size_t data = out.size();
  for (size_t k = 0; k < tracks_.size(); ++k) {
    const size_t entry = table + 6 * k;
    // Relative to the byte after the 4-byte field.
    const uint32_t relative = static_cast<uint32_t>(data - (entry + 4));
    Bytes field;
    be32(field, relative);
    std::copy(field.begin(), field.end(), out.begin() + static_cast<long>(entry));
    out[entry + 4] = 0;
    out[entry + 5] = tracks_[k].channel;
    data += tracks_[k].commands.size();
  }
  for (const Track& tr : tracks_) out.insert(out.end(), tr.commands.begin(), tr.commands.end());
  return out;
}

}  // namespace orvo::test
