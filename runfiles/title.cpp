// The run title: the title line records of seg1.qv.
#include "runfiles/title.h"

#include <string>

#include "engine/main.h"
#include "engine/misc.h"
#include "engine/nstore.h"
#include "engine/options.h"
#include "runfiles/binread.h"
#include "runfiles/version.h"

TitleList run_titles;

namespace {

constexpr size_t seg1_block_size = 196;

} // namespace

void get_title() {
  FILE *file = open_run_file("seg1.qv", "rb");
  check_file_header(file, "seg1.qv", file_type_seg1_qv);
  skip_bytes(file, seg1_block_size);

  // Records follow to the end of the file. A record cut short by the end of the file,
  // or with a negative length, ends the titles.
  run_titles.count = 0;
  std::string text;
  for (;;) {
    unsigned char prefix[8];
    unsigned char length_bytes[4];
    if (read_bytes(file, prefix, sizeof prefix) < sizeof prefix) break;
    if (read_bytes(file, length_bytes, sizeof length_bytes) < sizeof length_bytes) break;
    int32_t length = get_i32(length_bytes);
    text.clear();
    if (length < 0 || !read_block(file, static_cast<size_t>(length), text)) break;
    if (run_titles.count == max_titles) {
      log_printf(stderr, "Warning: seg1.qv holds more than %d title lines; the rest are ignored\n", max_titles);
      break;
    }
    run_titles.lines[run_titles.count++] = store_strndup(text.data(), text.size());
  }
  std::fclose(file);

  if (debug_level != 0 && debug_file) {
    log_printf(debug_file, "\n TITLE\n");
    for (int i = 0; i < run_titles.count; i++) log_printf(debug_file, " <%s>\n", run_titles.lines[i]);
    std::fflush(debug_file);
  }
}
