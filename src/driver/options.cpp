#include "driver/options.h"

#include <cstdio>
#include <cstring>

#include "driver/file_lookup.h"
#include "engine/switches.h"
#include "run/cp932.h"
#include "run/exit.h"
#include "run/messages.h"

namespace orvo {

namespace {

constexpr size_t kLongArgument = 64;

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

std::string lower_ascii(const char* arg) {
  std::string s(arg);
  for (char& c : s) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return s;
}

// The message a wrong music switch draws, then the usage text.
[[noreturn]] void switch_failed(CommandRun& run, SwitchError error, const std::string& arg,
                                size_t pos) {
  ErrorStream& err = run.session->err;
  switch (error) {
    case SwitchError::missing_number:
    case SwitchError::zero:
      // The argument from two characters before the scan position.
      report(err, "%s:無効な数字を指定しました。\n", arg.c_str() + (pos >= 2 ? pos - 2 : 0));
      break;
    case SwitchError::overflow:
      report(err, "無効な数字を指定しました。\n");
      break;
    case SwitchError::too_large:
      report(err, "%s:数字が大きすぎます。\n", arg.c_str());
      break;
    default:
      report(err, "%s:無効なスイッチを指定しました。\n", arg.c_str() + pos - 1);
      break;
  }
  print_usage(run, 1);
}

// An argument that starts with "/" names a file rather than a group of
// switches when it holds a second "/" (/home/me/song.zmd) or names an
// existing file or folder, as given or as a source with ".ZMD" appended.
// "/L3", "/aj", "/?" and "/" alone stay switches.
bool is_absolute_path(CommandRun& run, const char* arg) {
  if (arg[0] != '/' || arg[1] == '\0') return false;
  if (std::strchr(arg + 1, '/') != nullptr) return true;
  if (path_exists(arg)) return true;
  return !find_file(std::string(arg) + ".ZMD", run.listings).empty();
}

}  // namespace

void set_tempo_rounding(Session& s, int value) { s.tempo_rounding = value; }

void print_usage(CommandRun& run, int status) {
  for (const char* line : kUsage) {
    write_text(run.console.out, to_cp932(line) + "\n", run.console.out_utf8);
  }
  std::fflush(run.console.out);
  throw ProcessExit{status, {}, {}};
}

void print_version(CommandRun& run) {
  std::fputs("orvo 1.50\n", run.console.out);
  std::fflush(run.console.out);
}

ConvertOptions parse_options(CommandRun& run, int argc, const char* const* argv) {
  ErrorStream& err = run.session->err;
  ConvertOptions o;
  if (argc <= 1) print_usage(run, 0);

  for (int i = 1; i < argc; ++i) {
    const char* raw = argv[i];
    const bool switches = (raw[0] == '-' || raw[0] == '/') && !is_absolute_path(run, raw);
    if (switches && std::string_view(raw).size() > kLongArgument) {
      report(err, "option:オプション文字列が長すぎます。\n");
    }
    if (!switches) {
      if (o.source_name.empty()) {
        o.source_name = raw;
      } else {
        report(err, "入力ファイルが３つ以上存在します。\n");
      }
      continue;
    }

    if (std::strcmp(raw, "--help") == 0) print_usage(run, 0);
    if (std::strcmp(raw, "--version") == 0) {
      print_version(run);
      throw ProcessExit{0, {}, {}};
    }
    const std::string arg = lower_ascii(raw);
    if (arg.size() == 1) {  // "-" or "/" alone: standard input
      if (!o.source_name.empty()) fatal_error(1, "Error: 入力ファイルが多すぎます。\n");
      o.source_name.assign(1, '-');
      continue;
    }

    size_t pos = 1;
    while (pos < arg.size()) {
      const char letter = arg[pos];
      switch (letter) {
        case '?':
        case 'h':
          print_usage(run, 0);
        case 'c':
          ++pos;
          o.dest_name.assign(1, '-');
          break;
        case 'e':
        case 'g':
        case 'o': {
          ++pos;
          // The name is the rest of the group, or else the next argument as typed.
          std::string name;
          if (pos < arg.size()) {
            name = arg.substr(pos);
            pos = arg.size();
          } else if (i + 1 < argc) {
            name = argv[++i];
          } else {
            report(err, "-%c:ファイル名が指定されていません。\n", letter);
            print_usage(run, 1);
          }
          if (letter == 'e') {
            redirect_error_stream(err, run.err_sink, name.c_str());
          } else if (letter == 'g') {
            o.signature_name = name;
          } else {
            o.dest_name = name;
          }
          break;
        }
        default: {
          const SwitchError e = apply_music_switch(o, arg, pos);
          if (e != SwitchError::none) switch_failed(run, e, arg, pos);
          if (letter == 'u') set_tempo_rounding(*run.session, 1);
          break;
        }
      }
    }
  }
  return o;
}

}  // namespace orvo
