#include "driver/naming.h"

#include "driver/source.h"
#include "run/exit.h"
#include "driver/file_lookup.h"

namespace orvo {

ZmdImage resolve_names(CommandRun& run, ConvertOptions& o, const char* source_ext, const char* dest_ext) {
  if (o.source_name[0] == '-' && o.dest_name.empty()) {
    fatal_error(11, "Error: destination file is not specified.\n");
  }
  std::string opened = o.source_name;
  std::optional<ZmdImage> image = load_source(run.console, opened);
  if (!image) {
    opened = o.source_name + source_ext;
    image = load_source(run.console, opened);
  }
  if (!image) {
    // song finds song.zmd as well as song.ZMD.
    opened = find_ignoring_case(o.source_name + source_ext, run.listings);
    if (!opened.empty()) image = load_source(run.console, opened);
    if (!image) fatal_error(1, "%s\tError: file not found.\n", o.source_name.c_str());
  }
  o.source_name = opened;
  if (opened != "-") run.source_folder = folder_of(opened);

  const bool derived = o.dest_name.empty();
  std::string dest = replace_extension(derived ? opened : o.dest_name, dest_ext);
  if (derived) dest = strip_directory(dest);
  o.dest_name = dest;
  return std::move(*image);
}

}  // namespace orvo
