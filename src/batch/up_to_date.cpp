#include "batch/up_to_date.h"

#include <filesystem>
#include <optional>
#include <system_error>

#include "driver/companion_files.h"
#include "driver/source.h"
#include "run/exit.h"
#include "driver/file_lookup.h"
#include "run/file_names.h"
#include "zmd/common_scan.h"
#include "zmd/image.h"

namespace orvo::batch {

namespace fs = std::filesystem;

namespace {

std::optional<fs::file_time_type> modified(const std::string& path) {
  std::error_code ec;
  const fs::file_time_type t = fs::last_write_time(path, ec);
  if (ec) return std::nullopt;
  return t;
}

// The source as a conversion reads it; nothing when it cannot be read.
std::optional<ZmdImage> read_image(const std::string& path) {
  try {
    return load_source(Console{nullptr, nullptr, nullptr}, path);  // never "-": no console is used
  } catch (const ProcessExit&) {
    return std::nullopt;
  }
}

}  // namespace

bool up_to_date(const std::string& source, const std::string& dest, FolderListings* listings) {
  const std::optional<fs::file_time_type> made = modified(dest);
  const std::optional<fs::file_time_type> source_time = modified(source);
  if (!made || !source_time || !(*made > *source_time)) return false;

  const std::string signature = find_file(replace_extension(source, ".sig"), listings);
  if (!signature.empty()) {
    const std::optional<fs::file_time_type> t = modified(signature);
    if (!t || !(*made > *t)) return false;
  }

  const std::optional<ZmdImage> image = read_image(source);
  if (!image) return false;  // let the conversion say what is wrong
  const std::string folder = folder_of(source);
  for (const std::string& stored : mdd_names(*image)) {
    const std::string mdd = find_mdd_file(replace_extension(stored, ".MDD"), folder, listings);
    if (mdd.empty()) continue;
    const std::optional<fs::file_time_type> t = modified(mdd);
    if (!t || !(*made > *t)) return false;
  }
  return true;
}

}  // namespace orvo::batch
