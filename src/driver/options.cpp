#include "driver/options.h"

#include <cstdio>
#include <cstring>

#include "run/cp932.h"
#include "run/exit.h"
#include "run/file_lookup.h"
#include "run/messages.h"

namespace orvo {

namespace {

constexpr size_t kLongArgument = 64;
constexpr int kByteFieldMax = 127;

const char* const kUsage[] = {
    "使用法：orvo [-switches] [source[.ZMD] [-o destination[.MID]]] [-e errfile]",
    "switch：-Lnum(def= L2  ) [do]～[loop] 展開回数指定",
    "\t-Fnum(def= F10 )     〃       F.O.スピード指定",
    "\t-Dnum(def= D0  )     〃       F.O.ディレイ指定",
    "\t-Bnum(def= B1  ) オートベンドなどの変更間隔(clock)",
    "\t-Xnum(def= X0  ) 共通コマンド部のエクスクルーシブ送信ウエイト",
    "\t-U   (def= off ) テンポ値の計算に四捨五入を用いる(def=切り捨て)",
    "\t-A   (def= off ) TIMER-A 使用の ZMDファイルのコンバート",
    "\t-J   (def= off ) [do]～[loop]の展開回数を最長トラックで判断する",
    "\t-R   (def= off ) @Rに応じてキーオフ処理を省略する",
    "\t-I   (def= off ) ドライバが送る初期化命令も埋め込む",
    "\t-    (def= off ) 標準入力を用いる",
    "\t-c   (def= off ) 標準出力を用いる",
    "\t-e filename      エラー出力をファイルにリダイレクトする",
    "\t-g filename      signatureファイルを指定する",
    "",
    "最新版と詳しい使い方は orvo の README.md を参照して下さい。",
    "ピッチベンドが正しく変換されない場合、-i スイッチを用いて下さい.",
};

bool is_digit(char c) { return c >= '0' && c <= '9'; }

std::string lower_ascii(const char* arg) {
  std::string s(arg);
  for (char& c : s) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return s;
}

// "%s:無効な数字を指定しました。" with the argument from two characters
// before the scan position.
[[noreturn]] void invalid_number(Session& s, const std::string& arg, size_t pos) {
  report(s.err, "%s:無効な数字を指定しました。\n", arg.c_str() + (pos >= 2 ? pos - 2 : 0));
  print_usage(s, 1);
}

[[noreturn]] void too_large(Session& s, const std::string& arg) {
  report(s.err, "%s:数字が大きすぎます。\n", arg.c_str());
  print_usage(s, 1);
}

// A required number directly after the switch letter.
int32_t required_number(Session& s, const std::string& arg, size_t& pos) {
  if (pos >= arg.size() || !is_digit(arg[pos])) invalid_number(s, arg, pos);
  return parse_number(s, arg, pos);
}

// A number that must fit a byte field (0..127).
int8_t byte_number(Session& s, const std::string& arg, size_t& pos) {
  const int32_t n = required_number(s, arg, pos);
  if (n > kByteFieldMax) too_large(s, arg);
  return static_cast<int8_t>(n);
}

// An optional number: `absent` when no digit follows the letter.
int8_t optional_byte_number(Session& s, const std::string& arg, size_t& pos, int8_t absent) {
  if (pos >= arg.size() || !is_digit(arg[pos])) return absent;
  const int32_t n = parse_number(s, arg, pos);
  if (n > kByteFieldMax) too_large(s, arg);
  return static_cast<int8_t>(n);
}

// An argument that starts with "/" names a file rather than a group of
// switches when it holds a second "/" (/home/me/song.zmd) or names an
// existing file or folder, as given or as a source with ".ZMD" appended.
// "/L3", "/aj", "/?" and "/" alone stay switches.
bool is_absolute_path(Session& s, const char* arg) {
  if (arg[0] != '/' || arg[1] == '\0') return false;
  if (std::strchr(arg + 1, '/') != nullptr) return true;
  if (path_exists(arg)) return true;
  return !find_file(std::string(arg) + ".ZMD", s.listings).empty();
}

[[noreturn]] void print_version(Session& s) {
  std::fputs("orvo 1.50\n", s.console.out);
  std::fflush(s.console.out);
  throw ProcessExit{0, {}, {}};
}

}  // namespace

void set_tempo_rounding(Session& s, int value) { s.tempo_rounding = value; }

void print_usage(Session& s, int status) {
  for (const char* line : kUsage) {
    write_text(s.console.out, to_cp932(line) + "\n", s.console.out_utf8);
  }
  std::fflush(s.console.out);
  throw ProcessExit{status, {}, {}};
}

int32_t parse_number(Session& s, const std::string& arg, size_t& pos) {
  if (pos >= arg.size()) {
    report(s.err, "無効な数字を指定しました。\n");
    print_usage(s, 1);
  }
  int64_t value = 0;
  while (pos < arg.size() && is_digit(arg[pos])) {
    value = value * 10 + (arg[pos] - '0');
    ++pos;
    if (value > INT32_MAX) {
      report(s.err, "無効な数字を指定しました。\n");
      print_usage(s, 1);
    }
  }
  return static_cast<int32_t>(value);
}

ConvertOptions parse_options(Session& s, int argc, const char* const* argv) {
  ConvertOptions o;
  if (argc <= 1) print_usage(s, 0);

  for (int i = 1; i < argc; ++i) {
    const char* raw = argv[i];
    const bool switches = (raw[0] == '-' || raw[0] == '/') && !is_absolute_path(s, raw);
    if (switches && std::string_view(raw).size() > kLongArgument) {
      report(s.err, "option:オプション文字列が長すぎます。\n");
    }
    if (!switches) {
      if (o.source_name.empty()) {
        o.source_name = raw;
      } else {
        report(s.err, "入力ファイルが３つ以上存在します。\n");
      }
      continue;
    }

    if (std::strcmp(raw, "--help") == 0) print_usage(s, 0);
    if (std::strcmp(raw, "--version") == 0) print_version(s);
    const std::string arg = lower_ascii(raw);
    if (arg.size() == 1) {  // "-" or "/" alone: standard input
      if (!o.source_name.empty()) fatal_error(1, "Error: 入力ファイルが多すぎます。\n");
      o.source_name.assign(1, '-');
      continue;
    }

    size_t pos = 1;
    while (pos < arg.size()) {
      const char letter = arg[pos++];
      switch (letter) {
        case '?':
        case 'h':
          print_usage(s, 0);
        case 'a':
          o.timer_a = 1;
          break;
        case 'b': {
          const int32_t n = required_number(s, arg, pos);
          if (n == 0) invalid_number(s, arg, pos);
          if (n > kByteFieldMax) too_large(s, arg);
          o.bend_interval = static_cast<int8_t>(n);
          break;
        }
        case 'c':
          o.dest_name.assign(1, '-');
          break;
        case 'd':
          o.fade_delay = required_number(s, arg, pos);
          break;
        case 'f':
          o.fade_speed = byte_number(s, arg, pos);
          break;
        case 'i':
          o.init_gap = optional_byte_number(s, arg, pos, 0);
          break;
        case 'j':
          o.auto_loop = 1;
          break;
        case 'l':
          o.loop_count = required_number(s, arg, pos);
          break;
        case 'm':
          o.convert_fm = 1;
          break;
        case 'r':
          o.keyoff_skip = optional_byte_number(s, arg, pos, -1);
          break;
        case 's':
          o.running_status = 0;
          break;
        case 't':
          o.track_buffer_kb = required_number(s, arg, pos);
          break;
        case 'u':
          o.round_tempo = 1;
          set_tempo_rounding(s, 1);
          break;
        case 'x':
          o.excl_wait = byte_number(s, arg, pos);
          break;
        case 'e':
        case 'g':
        case 'o': {
          // The name is the rest of the group, or else the next argument as typed.
          std::string name;
          if (pos < arg.size()) {
            name = arg.substr(pos);
            pos = arg.size();
          } else if (i + 1 < argc) {
            name = argv[++i];
          } else {
            report(s.err, "-%c:ファイル名が指定されていません。\n", letter);
            print_usage(s, 1);
          }
          if (letter == 'e') {
            redirect_error_stream(s.err, name.c_str());
          } else if (letter == 'g') {
            o.signature_name = name;
          } else {
            o.dest_name = name;
          }
          break;
        }
        default:
          report(s.err, "%s:無効なスイッチを指定しました。\n", arg.c_str() + pos - 1);
          print_usage(s, 1);
      }
    }
  }
  return o;
}

}  // namespace orvo
