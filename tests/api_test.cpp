// The C API: the same conversion as the orvo program, from memory to
// memory; options by key and by switches; MDD files through the caller's
// resolver; misuse; conversions on several threads at once.
#include "orvo/orvo.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "run/cp932.h"
#include "support/demo_song.h"
#include "support/run.h"
#include "support/smf_check.h"
#include "support/zmd_builder.h"

namespace orvo {
namespace {

using test::Bytes;
using test::sjis;

struct ApiResult {
  int status = 0;
  Bytes midi;
  std::string utf8;
  std::string cp932;
  std::string error;
};

// Converts `song` through the C API with `switches` (parsed by
// orvo_options_parse) and the given signature bytes and companions.
ApiResult convert(const Bytes& song, const char* switches = "", const char* name = nullptr,
                  const std::string* signature = nullptr, const orvo_companions* companions = nullptr) {
  orvo_options* options = orvo_options_new();
  EXPECT_EQ(orvo_options_parse(options, switches), 0) << switches;
  orvo_input input{};
  input.struct_size = sizeof input;
  input.data = song.data();
  input.size = song.size();
  input.name = name;
  if (signature != nullptr) {
    input.signature = signature->data();
    input.signature_size = signature->size();
  }
  orvo_result* result = nullptr;
  ApiResult r;
  r.status = orvo_convert(&input, options, companions, &result);
  orvo_options_free(options);
  EXPECT_NE(result, nullptr);
  EXPECT_EQ(orvo_result_status(result), r.status);
  size_t size = 0;
  if (const unsigned char* midi = orvo_result_midi(result, &size)) r.midi.assign(midi, midi + size);
  const char* text = orvo_result_messages(result, ORVO_TEXT_UTF8, &size);
  r.utf8.assign(text, size);
  text = orvo_result_messages(result, ORVO_TEXT_CP932, &size);
  r.cp932.assign(text, size);
  r.error = orvo_result_error(result);
  orvo_result_free(result);
  return r;
}

Bytes generated_song(int seed) {
  test::ZmdBuilder zmd;
  zmd.tempo(static_cast<uint16_t>(100 + seed)).title("song " + std::to_string(seed));
  for (int ch = 0; ch < 1 + seed % 4; ++ch) {
    Bytes t{0xC0, 9};  // [do]
    for (int n = 0; n < 20 + seed; ++n) {
      t.insert(t.end(), {static_cast<uint8_t>(48 + (n * 7 + seed) % 24), 24, 20});
    }
    t.insert(t.end(), {0xC0, 10});  // [loop]
    zmd.track(static_cast<uint8_t>(test::kMidi1 + ch), t);
  }
  return zmd.build();
}

TEST(Api, ConvertsAsOrvoDoesWithEverySwitchSet) {
  const std::vector<std::string> switch_sets{"", "-m", "-L3 -m", "-l3m", "-J -F2 -D5", "-s -R -I4", "-U -A -B2"};
  for (int seed = 0; seed < 4; ++seed) {
    const Bytes song = seed == 0 ? test::demo_song() : generated_song(seed);
    for (const std::string& switches : switch_sets) {
      std::vector<std::string> args;
      for (size_t at = 0; at < switches.size();) {
        const size_t end = std::min(switches.find(' ', at), switches.size());
        args.push_back(switches.substr(at, end - at));
        at = end + 1;
      }
      args.insert(args.end(), {"-", "-c"});
      const test::RunResult orvo = test::run_inprocess(args, std::string(song.begin(), song.end()));
      const ApiResult api = convert(song, switches.c_str());
      ASSERT_EQ(api.status, orvo.status) << switches;
      EXPECT_EQ(std::string(api.midi.begin(), api.midi.end()), orvo.out) << "seed " << seed << " " << switches;
      EXPECT_EQ(api.cp932, orvo.err);
      EXPECT_EQ(api.utf8, cp932_to_utf8(orvo.err));
      EXPECT_EQ(api.error, "");
    }
  }
  const ApiResult demo = convert(test::demo_song());
  test::expect_valid_smf(demo.midi);
}

TEST(Api, SignatureBytesNameTheTracks) {
  const std::string signature = sjis("楽:Flute\n著:someone\n");
  const ApiResult r = convert(generated_song(1), "", "tune.zmd", &signature);
  ASSERT_EQ(r.status, 0);
  EXPECT_NE(r.utf8.find("tune.sig:signatureファイルを読み込みます。\n"), std::string::npos);
  const std::string midi(r.midi.begin(), r.midi.end());
  EXPECT_NE(midi.find("Flute"), std::string::npos);
  EXPECT_NE(midi.find("someone"), std::string::npos);
}

// The caller's MDD files, counted as they are handed out and given back.
struct MddShelf {
  std::map<std::string, std::string> files;  // name -> bytes; "!" reads as unreadable
  std::vector<std::string> asked;
  int open = 0;
};

int shelf_open(void* user, const char* name, const void** data, size_t* size, void** handle) {
  auto& shelf = *static_cast<MddShelf*>(user);
  shelf.asked.emplace_back(name);
  const auto found = shelf.files.find(name);
  if (found == shelf.files.end()) return 0;
  if (found->second == "!") return -1;
  *data = found->second.data();
  *size = found->second.size();
  *handle = &found->second;
  ++shelf.open;
  return 1;
}

void shelf_close(void* user, void*) { --static_cast<MddShelf*>(user)->open; }

TEST(Api, MddFilesComeFromTheResolverAndAreGivenBack) {
  const Bytes song = test::ZmdBuilder().mdd("GS_RESET").track(test::kMidi1, {60, 24, 20}).build();
  MddShelf shelf;
  shelf.files["GS_RESET.MDD"] = "F0 41 10 42 12 40 00 7F 00 41 F7\r\n";
  const orvo_companions companions{sizeof(orvo_companions), &shelf, shelf_open, shelf_close, nullptr};
  ApiResult r = convert(song, "", "s.zmd", nullptr, &companions);
  ASSERT_EQ(r.status, 0) << r.utf8;
  EXPECT_EQ(shelf.asked, std::vector<std::string>{"GS_RESET.MDD"});
  EXPECT_EQ(shelf.open, 0);
  EXPECT_NE(r.utf8.find(" MDDファイル[GS_RESET.MDD]を読み込みます。\n"), std::string::npos);
  const Bytes sysex{0xF0, 0x0A, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7};
  EXPECT_NE(std::search(r.midi.begin(), r.midi.end(), sysex.begin(), sysex.end()), r.midi.end());

  shelf.files["GS_RESET.MDD"] = "!";
  r = convert(song, "", "s.zmd", nullptr, &companions);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.error, "GS_RESET.MDD:ファイルが読めません。");
  EXPECT_TRUE(r.midi.empty());

  shelf.files.clear();
  r = convert(song, "", "s.zmd", nullptr, &companions);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.error, "GS_RESET.MDD:ファイルが存在しません。");
  r = convert(song);  // no companions: no MDD file is ever found
  EXPECT_EQ(r.error, "GS_RESET.MDD:ファイルが存在しません。");

  // A message that is not exclusive ends the conversion; the file is still given back.
  shelf.files["GS_RESET.MDD"] = "90 40 F7\r";
  r = convert(song, "", "s.zmd", nullptr, &companions);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(shelf.open, 0);
}

// A client that looks for files as orvo does tells which file it opened:
// the messages name that file, and a signature file it found but could not
// read ends the conversion as orvo's does.
const char* shelf_opened(void*) { return "songs/gs_reset.mdd"; }

TEST(Api, MessagesNameTheCompanionFilesTheCallerOpened) {
  const Bytes song = test::ZmdBuilder().mdd("GS_RESET").track(test::kMidi1, {60, 24, 20}).build();
  MddShelf shelf;
  shelf.files["GS_RESET.MDD"] = "F0 41 10 42 12 40 00 7F 00 41 F7\r\n";
  orvo_companions companions{sizeof(orvo_companions), &shelf, shelf_open, shelf_close, shelf_opened};
  ApiResult r = convert(song, "", "s.zmd", nullptr, &companions);
  ASSERT_EQ(r.status, 0) << r.utf8;
  EXPECT_NE(r.utf8.find(" MDDファイル[songs/gs_reset.mdd]を読み込みます。\n"), std::string::npos);
  shelf.files["GS_RESET.MDD"] = "!";
  r = convert(song, "", "s.zmd", nullptr, &companions);
  EXPECT_EQ(r.error, "songs/gs_reset.mdd:ファイルが読めません。");
  companions.struct_size = offsetof(orvo_companions, opened_name);  // an older caller
  r = convert(song, "", "s.zmd", nullptr, &companions);
  EXPECT_EQ(r.error, "GS_RESET.MDD:ファイルが読めません。");

  const Bytes plain = generated_song(1);
  orvo_input input{sizeof(orvo_input), plain.data(), plain.size(), "tune.zmd", nullptr, 0, "Tune.SIG", 1};
  orvo_result* result = nullptr;
  EXPECT_EQ(orvo_convert(&input, nullptr, nullptr, &result), 1);
  EXPECT_STREQ(orvo_result_error(result), "Tune.SIG:読み込みに失敗しました。");
  EXPECT_NE(std::string(orvo_result_messages(result, ORVO_TEXT_UTF8, nullptr))
                .find("Tune.SIG:signatureファイルを読み込みます。\n"),
            std::string::npos);
  orvo_result_free(result);
  input.struct_size = offsetof(orvo_input, signature_unreadable);
  EXPECT_EQ(orvo_convert(&input, nullptr, nullptr, &result), 0);
  orvo_result_free(result);
}

TEST(Api, FailuresGiveTheStatusTheErrorLineAndNoMidi) {
  ApiResult r = convert(Bytes{'n', 'o', 't'});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.error, "Error: -は ZMD形式のフォーマットではありません。");
  EXPECT_TRUE(r.midi.empty());
  EXPECT_EQ(r.utf8.substr(r.utf8.size() - r.error.size() - 1), r.error + "\n");

  Bytes v3 = generated_song(1);
  v3[7] = 0x30;
  r = convert(v3, "", "v3.zmd");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.error, "Error: Z-MUSIC V3 のデータは変換出来ません。");
  EXPECT_NE(r.utf8.find("ちなみに、前者がお勧めです:-)\n"), std::string::npos);
}

TEST(Api, OptionsTakeTheCommandLinesKeysAndRanges) {
  orvo_options* o = orvo_options_new();
  ASSERT_NE(o, nullptr);
  EXPECT_EQ(orvo_options_set(o, "loop_count", 3), 0);
  EXPECT_EQ(orvo_options_set(o, "bend_interval", 0), ORVO_ERROR_ARGUMENT);
  EXPECT_EQ(orvo_options_set(o, "fade_speed", 128), ORVO_ERROR_ARGUMENT);
  EXPECT_EQ(orvo_options_set(o, "keyoff_skip", -1), 0);
  EXPECT_EQ(orvo_options_set(o, "init_gap", -2), ORVO_ERROR_ARGUMENT);
  EXPECT_EQ(orvo_options_set(o, "loop_count", 2147483648L), ORVO_ERROR_ARGUMENT);
  EXPECT_EQ(orvo_options_set(o, "no_such_key", 1), ORVO_ERROR_ARGUMENT);
  EXPECT_EQ(orvo_options_set(nullptr, "loop_count", 1), ORVO_ERROR_ARGUMENT);
  for (const char* refused : {"-o out.mid", "-c", "-", "-e err", "-g x.sig", "-h", "song.zmd", "-b0", "-q", "--help"}) {
    EXPECT_EQ(orvo_options_parse(o, refused), ORVO_ERROR_ARGUMENT) << refused;
  }
  EXPECT_EQ(orvo_options_parse(o, "-m -L3 -b9"), 0);  // keys and switches set the same record
  orvo_options* p = orvo_options_new();
  for (const auto& [key, value] : std::vector<std::pair<const char*, long>>{
           {"convert_fm", 1}, {"loop_count", 3}, {"bend_interval", 9}, {"keyoff_skip", -1}}) {
    EXPECT_EQ(orvo_options_set(p, key, value), 0);
  }
  const Bytes song = generated_song(3);
  orvo_input input{sizeof(orvo_input), song.data(), song.size(), nullptr, nullptr, 0, nullptr, 0};
  orvo_result* a = nullptr;
  orvo_result* b = nullptr;
  ASSERT_EQ(orvo_convert(&input, o, nullptr, &a), 0);
  ASSERT_EQ(orvo_convert(&input, p, nullptr, &b), 0);
  size_t sa = 0;
  size_t sb = 0;
  const unsigned char* ma = orvo_result_midi(a, &sa);
  const unsigned char* mb = orvo_result_midi(b, &sb);
  EXPECT_EQ(Bytes(ma, ma + sa), Bytes(mb, mb + sb));
  orvo_result_free(a);
  orvo_result_free(b);
  orvo_options_free(o);
  orvo_options_free(p);
}

TEST(Api, MisuseAndOlderStructs) {
  const Bytes song = generated_song(2);
  orvo_result* result = reinterpret_cast<orvo_result*>(&result);
  EXPECT_EQ(orvo_convert(nullptr, nullptr, nullptr, &result), ORVO_ERROR_ARGUMENT);
  EXPECT_EQ(result, nullptr);
  orvo_input input{sizeof(orvo_input), nullptr, 10, nullptr, nullptr, 0, nullptr, 0};
  EXPECT_EQ(orvo_convert(&input, nullptr, nullptr, &result), ORVO_ERROR_ARGUMENT);
  EXPECT_EQ(orvo_convert(&input, nullptr, nullptr, nullptr), ORVO_ERROR_ARGUMENT);

  // A caller built when the input ended after its name: the signature
  // fields behind it are never read.
  input = orvo_input{offsetof(orvo_input, signature), song.data(), song.size(), "old.zmd",
                     reinterpret_cast<const void*>(1), 1, nullptr, 0};
  ASSERT_EQ(orvo_convert(&input, nullptr, nullptr, &result), 0);
  EXPECT_EQ(std::string(orvo_result_messages(result, ORVO_TEXT_UTF8, nullptr)).find("signature"),
            std::string::npos);
  EXPECT_EQ(orvo_result_messages(result, 2, nullptr), nullptr);
  orvo_result_free(result);

  EXPECT_EQ(orvo_version(), (1u << 16) | (50u << 8));
  EXPECT_STREQ(orvo_version_string(), "1.50.0");
  EXPECT_STREQ(orvo_status_string(ORVO_ERROR_ARGUMENT), "invalid argument");
  EXPECT_STREQ(orvo_status_string(12345), "unknown status");
}

// Conversions on different threads never meet: eight threads converting
// different songs at once give what one conversion after another gives.
TEST(Api, EightThreadsGiveTheBytesOfOneAfterAnother) {
  std::vector<Bytes> songs;
  std::vector<ApiResult> alone;
  for (int i = 0; i < 8; ++i) {
    songs.push_back(i == 0 ? test::demo_song() : generated_song(i));
    alone.push_back(convert(songs.back(), i % 2 == 0 ? "-m -U" : "-L3 -J"));
  }
  std::vector<std::vector<ApiResult>> together(8);
  std::vector<std::thread> threads;
  for (int i = 0; i < 8; ++i) {
    threads.emplace_back([&, i] {
      for (int round = 0; round < 5; ++round) {
        together[static_cast<size_t>(i)].push_back(convert(songs[static_cast<size_t>(i)], i % 2 == 0 ? "-m -U" : "-L3 -J"));
      }
    });
  }
  for (std::thread& t : threads) t.join();
  for (size_t i = 0; i < 8; ++i) {
    for (const ApiResult& r : together[i]) {
      EXPECT_EQ(r.midi, alone[i].midi) << "song " << i;
      EXPECT_EQ(r.cp932, alone[i].cp932) << "song " << i;
    }
  }
}

}  // namespace
}  // namespace orvo
