// The axes of a run: axes.inf lists them, each axis file holds its elements and texts,
// descrips.inf may rename an axis and describe it. Grids are expanded into one axis per
// column, so later stages never see a grid.
#include "runfiles/axinf.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/main.h"
#include "engine/misc.h"
#include "engine/nstore.h"
#include "engine/paths.h"
#include "runfiles/binread.h"
#include "runfiles/descrips.h"
#include "runfiles/version.h"

Axis *axes = nullptr;

namespace {

constexpr size_t axes_record_size = 68;
constexpr size_t axis_header_size = 320;
constexpr size_t element_record_size = 76;
constexpr int max_title_lines = 12; // title slots of the axis header

constexpr uint16_t element_stored = 0x0800;
constexpr uint16_t element_not_category = 0x0040;

// The descrips.inf table of the stage; negative when none is loaded.
int descrips_handle = -1;

[[noreturn]] void axis_file_cut_short(const char *file_name) {
  log_printf(stderr, "Error: axis file %s is cut short\n", file_name);
  std::exit(1);
}

const char *descrips_lookup_text(const char *stem) {
  if (descrips_handle < 0) return nullptr;
  const char *text = descrip_text(descrips_handle, stem);
  return text && *text ? text : nullptr;
}

const char *descrips_lookup_label(const char *stem) {
  if (descrips_handle < 0) return nullptr;
  const char *label = descrip_label(descrips_handle, stem);
  return label && *label ? label : nullptr;
}

char *grid_name(int &counter) {
  char name[24];
  std::snprintf(name, sizeof name, "x%d", counter++);
  return store_strdup(name);
}

// The name of a grid axis without its first character.
const char *name_tail(const char *name) { return *name ? name + 1 : name; }

void expand_grids() {
  int counter = 0;
  Axis *axis = axes;
  while (axis) {
    if (axis->info.grid_flag == 0) {
      axis = axis->next;
      continue;
    }
    int columns = axis->info.grid_count;
    if (columns == 0) error_exit(901);
    Axis *column = axis->next;
    if (!column) error_exit(903);
    if (std::strcmp(name_tail(axis->info.name), name_tail(column->info.name)) != 0) error_exit(902);
    if (column->counts.element_count < columns) error_exit(903);

    axis->info.name = grid_name(counter);
    axis->grid_label = store_strdup(element_text(column, 0));
    Axis *last = axis;
    for (int m = 1; m < columns; m++) {
      Axis *copy = static_cast<Axis *>(store_alloc(sizeof(Axis)));
      copy->info.in_data = axis->info.in_data;
      copy->info.number = static_cast<int16_t>(axis->info.number + 10000);
      copy->info.grid_count = 0;
      copy->info.grid_flag = 0;
      copy->info.name = grid_name(counter);
      copy->counts = axis->counts;
      copy->elements = axis->elements;
      copy->texts = axis->texts;
      copy->text_size = axis->text_size;
      copy->word_count = axis->word_count;
      copy->titles = axis->titles;
      copy->grid_label = store_strdup(element_text(column, m));
      // Every column is coded alike: the multiple coding asked by the export flags and
      // the absence of categories hold for each copy as for the side axis.
      copy->max_bits = axis->max_bits;
      copy->no_output = axis->no_output;
      last->next = copy;
      last = copy;
    }
    last->next = column->next;
    axis = column->next;
  }
}

} // namespace

const char *axis_text(const Axis *axis, int32_t offset) {
  if (!axis || !axis->texts || offset < 0 || offset >= axis->text_size) return "";
  return axis->texts + offset;
}

const char *element_text(const Axis *axis, int i) {
  if (!axis || !axis->elements || i < 0 || i >= axis->counts.element_count) return "";
  return axis_text(axis, axis->elements[i].text_offset);
}

void read_axis_file(Axis *axis, const char *stem) {
  bool column_axis = axis->info.grid_flag != 0 && axis->info.grid_count == 0;
  std::string file_name = std::string(stem) + (column_axis ? ".ay" : ".ax");
  FILE *file = std::fopen(file_name.c_str(), "rb");
  if (!file) {
    log_printf(stderr, "failed to open %s\n", file_name.c_str());
    std::exit(1);
  }
  check_file_header(file, file_name.c_str(), file_type_ax_file);

  unsigned char header[axis_header_size];
  if (read_bytes(file, header, sizeof header) < sizeof header) axis_file_cut_short(file_name.c_str());
  int32_t text_size_long = get_i32(header + 4);
  int record_count = get_i16(header + 8);
  int title_count = get_i16(header + 14);
  int16_t text_size_short = get_i16(header + 20);
  int16_t has_axis_text = get_i16(header + 22);
  int16_t axis_text_offset = get_i16(header + 24);
  int32_t text_size = text_size_short > 0 ? text_size_short : text_size_long;
  if (text_size < 0) {
    log_printf(stderr, "Error: axis file %s has a damaged header\n", file_name.c_str());
    std::exit(1);
  }

  // Element records; only the stored ones become elements.
  std::vector<Element> stored;
  axis->no_output = 1;
  for (int r = 0; r < record_count; r++) {
    unsigned char record[element_record_size];
    if (read_bytes(file, record, sizeof record) < sizeof record) axis_file_cut_short(file_name.c_str());
    if (!(get_u16(record + 28) & element_stored)) continue;
    Element element;
    element.type = (get_u16(record + 34) & element_not_category) ? 0 : record[61];
    element.text_offset = record[53] * 32768 + get_u16(record + 36);
    if (element.type != 0) axis->no_output = 0;
    stored.push_back(element);
  }
  axis->elements = static_cast<Element *>(store_alloc(stored.size() * sizeof(Element)));
  if (!stored.empty()) std::memcpy(axis->elements, stored.data(), stored.size() * sizeof(Element));
  axis->counts.element_count = static_cast<int16_t>(stored.size());
  axis->counts.level_count = static_cast<int16_t>(stored.size());

  // The text block, kept with a NUL after it so that every text in it ends inside.
  std::string block;
  if (!read_block(file, static_cast<size_t>(text_size), block)) axis_file_cut_short(file_name.c_str());
  axis->texts = store_strndup(block.data(), block.size());
  axis->text_size = text_size;
  std::fclose(file);

  // Titles: the description text, the axis text, then the title lines; texts equal to
  // the description text are kept once.
  const char *description = descrips_lookup_text(stem);
  if (title_count < 0) title_count = 0;
  if (title_count > max_title_lines) title_count = max_title_lines;
  int limit = (description ? 1 : 0) + (has_axis_text != 0 ? 1 : 0) + title_count;
  if (limit > max_titles) limit = max_titles;
  TitleList &titles = axis->titles;
  titles.count = 0;
  if (description) titles.lines[titles.count++] = store_strdup(description);
  if (has_axis_text != 0) {
    const char *text = axis_text(axis, axis_text_offset);
    if (!description || std::strcmp(text, description) != 0) titles.lines[titles.count++] = store_strdup(text);
  }
  for (int t = 0; t < title_count && titles.count < limit; t++) {
    int32_t offset = get_i16(header + 26 + 2 * t);
    if (get_i16(header + 50 + 2 * t) >= 0) offset += 2; // skip the justification prefix
    const char *text = axis_text(axis, offset);
    if (description && std::strcmp(text, description) == 0) continue;
    titles.lines[titles.count++] = store_strdup(text);
  }
}

void get_axinf() {
  axes = nullptr;
  Axis *tail = nullptr;
  FILE *file = open_run_file("axes.inf", "rb");
  check_file_header(file, "axes.inf", file_type_axes_info);

  std::string path;
  read_path("descrips.inf", path);
  descrips_handle = load_descrips(path.c_str(), 0, 0, nullptr);
  if (descrips_handle < 0) log_printf(stderr, "Warning: cannot read %s (errcode %d)\n", path.c_str(), descrips_handle);

  // The count only bounds the loop: reading ends at the last complete record.
  unsigned char count_bytes[4];
  int32_t count = read_bytes(file, count_bytes, sizeof count_bytes) == sizeof count_bytes ? get_i32(count_bytes) : 0;
  for (int32_t a = 0; a < count; a++) {
    unsigned char record[axes_record_size];
    if (read_bytes(file, record, sizeof record) < sizeof record) break;
    Axis *axis = static_cast<Axis *>(store_alloc(sizeof(Axis)));
    axis->info.number = get_i16(record + 8);
    axis->info.in_data = get_i16(record + 30);
    axis->info.grid_flag = record[62];
    axis->info.grid_count = record[63];
    char stem[12];
    std::memcpy(stem, record + 50, 11);
    stem[11] = '\0';
    const char *label = descrips_lookup_label(stem);
    axis->info.name = store_strdup(label ? label : stem);

    read_axis_file(axis, stem);

    axis->word_count = (axis->counts.level_count + 15) / 16;
    int export_flags = record[66];
    if ((export_flags & 0x04) && (export_flags & 0x08))
      axis->max_bits = 2;
    else if (export_flags & 0x04)
      log_printf(stderr, "%s: 'exportsp' keyword not implemented.\n", stem);
    axis->grid_label = nullptr;
    if (tail)
      tail->next = axis;
    else
      axes = axis;
    tail = axis;
  }

  expand_grids();

  free_descrips(descrips_handle);
  descrips_handle = -1;
  std::fclose(file);
}

void dump_axis(const Axis *axis) {
  if (!debug_file) return;
  log_printf(debug_file, "\nAxe %d %s", axis->info.number, axis->info.name);
  log_printf(debug_file, "\n N of elements %d", axis->counts.element_count);
  log_printf(debug_file, "\n N of levels   %d", axis->counts.level_count);
  if (axis->no_output) log_printf(debug_file, "\n No output for this axis");
  for (int i = 0; i < axis->counts.element_count; i++) {
    log_printf(debug_file, "\n Type %d", axis->elements[i].type);
    log_printf(debug_file, " text %s", element_text(axis, i));
  }
  std::fflush(debug_file);
}
