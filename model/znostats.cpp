// The survey variables: one single-coded variable per axis on which no case gives
// more than one category, one dichotomy per category of the other axes, then one
// numeric variable per inc of incs.inf and per weight of weightin.q.
#include "model/znostats.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "engine/main.h"
#include "engine/misc.h"
#include "engine/nstore.h"
#include "engine/options.h"
#include "engine/paths.h"
#include "runfiles/axinf.h"
#include "runfiles/binread.h"
#include "runfiles/descrips.h"
#include "runfiles/version.h"

StatVar **stvars = nullptr;
int stvar_count = 0;
int stvar_capacity = 0;
IncEntry *incs = nullptr;
int inc_count = 0;
WeightEntry *weights = nullptr;
int weight_count = 0;

namespace {

constexpr size_t inc_record_size = 12;
constexpr size_t weight_record_size = 156;
constexpr size_t weight_skip_size = 40;

// One entry of the index by name; the entries live in the block store.
struct VariableIndexEntry {
  StatVar *var;
  VariableIndexEntry *next;
};

VariableIndexEntry *variable_index[name_buckets];

void index_variable(StatVar *var) {
  unsigned bucket = name_hash(var->name);
  auto *entry = static_cast<VariableIndexEntry *>(store_alloc(sizeof(VariableIndexEntry)));
  entry->var = var;
  entry->next = variable_index[bucket];
  variable_index[bucket] = entry;
}

// A new variable, appended to stvars and entered in the index.
StatVar *new_stvar(int16_t kind, const char *name, Axis *axis, void *source, int32_t index) {
  if (stvar_count == stvar_capacity) grow_stvars();
  auto *var = static_cast<StatVar *>(store_alloc(sizeof(StatVar)));
  var->kind = kind;
  var->name = store_strdup(name ? name : "");
  var->axis = axis;
  var->source = source;
  var->index = index;
  stvars[stvar_count++] = var;
  index_variable(var);
  return var;
}

void set_categories(StatVar *var, int32_t count) {
  var->category_count = count;
  var->codes = static_cast<int32_t *>(store_alloc(sizeof(int32_t) * static_cast<size_t>(count)));
  var->value_labels = static_cast<char **>(store_alloc(sizeof(char *) * static_cast<size_t>(count)));
}

int32_t element_total(const Axis *axis) {
  return axis->counts.element_count > 0 && axis->elements ? axis->counts.element_count : 0;
}

void build_single_coded(Axis *axis) {
  StatVar *var = new_stvar(kind_single, axis->info.name, axis, &axis->info, 0);
  axis->single_var = var;
  if (axis->grid_label && axis->grid_label[0])
    var->label = store_strdup(axis->grid_label);
  else if (axis->titles.count > 0)
    axis_label(axis, var);
  int32_t elements = element_total(axis);
  int32_t categories = 0;
  for (int32_t i = 0; i < elements; i++)
    if (axis->elements[i].type != 0) categories++;
  set_categories(var, categories);
  int32_t c = 0;
  for (int32_t i = 0; i < elements; i++) {
    if (axis->elements[i].type == 0) continue;
    var->codes[c] = i;
    var->value_labels[c] = store_strdup(element_text(axis, i));
    c++;
  }
}

void build_multi_coded(Axis *axis) {
  int32_t elements = element_total(axis);
  axis->element_vars = static_cast<StatVar **>(store_alloc(sizeof(StatVar *) * static_cast<size_t>(elements)));
  const char *format = axis->counts.level_count < 10    ? "@%-.6s%d"
                       : axis->counts.level_count < 100 ? "@%-.5s%d"
                                                        : "@%-.4s%d";
  const char *axis_name = axis->info.name ? axis->info.name : "";
  for (int32_t i = 0; i < elements; i++) {
    if (axis->elements[i].type == 0) continue;
    char name[32];
    std::snprintf(name, sizeof name, format, axis_name, static_cast<int>(i));
    StatVar *var = new_stvar(kind_multiple, name, axis, &axis->info, i);
    axis->element_vars[i] = var;
    if (axis->grid_label)
      var->label = store_strdup(axis->grid_label);
    else if (axis->titles.count > 0)
      axis_label(axis, var);
    set_categories(var, 2);
    const char *text = element_text(axis, i);
    std::string no_text = std::string("no ") + text;
    var->value_labels[0] = store_strdup(no_text.c_str());
    var->value_labels[1] = store_strdup(text);
    var->codes[0] = -1;
    var->codes[1] = i;
  }
}

// value_bytes of intermed.q: the size of the value block that holds one number per inc.
int32_t intermed_value_bytes() {
  FILE *file = open_run_file("intermed.q", "rb");
  check_file_header(file, "intermed.q", file_type_intermediate);
  unsigned char sizes[16];
  size_t got = read_bytes(file, sizes, sizeof sizes);
  std::fclose(file);
  return got == sizeof sizes ? get_i32(sizes + 12) : 0;
}

// The names of the incs of incs.inf, in file order. A count larger than the records
// present is a damaged file: reading stops at the last complete record, and the
// comparison with the value block of intermed.q decides whether the run can go on.
std::vector<std::string> read_inc_names() {
  FILE *file = open_run_file("incs.inf", "rb");
  check_file_header(file, "incs.inf", file_type_incs_inf);
  std::vector<std::string> names;
  unsigned char sizes[8];
  if (read_bytes(file, sizes, sizeof sizes) == sizeof sizes) {
    int32_t count = get_i32(sizes);
    int32_t text_size = get_i32(sizes + 4);
    std::string text;
    if (read_block(file, static_cast<size_t>(text_size > 0 ? text_size : 0), text)) {
      for (int32_t k = 0; k < count; k++) {
        unsigned char record[inc_record_size];
        if (read_bytes(file, record, sizeof record) != sizeof record) break;
        int32_t offset = get_i32(record + 8);
        // An offset outside the text block gives an empty name; a name runs to its
        // NUL or to the end of the block.
        if (offset < 0 || static_cast<size_t>(offset) >= text.size())
          names.emplace_back();
        else
          names.emplace_back(text.c_str() + offset);
      }
    }
  }
  std::fclose(file);
  return names;
}

void build_incs() {
  std::vector<std::string> names = read_inc_names();
  int32_t value_bytes = intermed_value_bytes();
  if (static_cast<int64_t>(names.size()) != value_bytes / 4) error_exit(3202);
  inc_count = static_cast<int>(names.size());

  std::string path;
  read_path("descrips.inf", path);
  int handle = load_descrips(path.c_str(), 0, 0, nullptr);
  if (handle < 0) log_printf(stderr, "Warning: cannot read %s (errcode %d)\n", path.c_str(), handle);

  incs = nullptr;
  IncEntry **tail = &incs;
  for (int k = 0; k < inc_count; k++) {
    const char *file_name = names[static_cast<size_t>(k)].c_str();
    const char *label = handle >= 0 ? descrip_label(handle, file_name) : nullptr;
    const char *name = label && label[0] ? label : file_name;
    auto *entry = static_cast<IncEntry *>(store_alloc(sizeof(IncEntry)));
    entry->name = store_strdup(name);
    *tail = entry;
    tail = &entry->next;

    StatVar *found = find_stvar(name);
    StatVar *var = new_stvar(kind_numeric, name, nullptr, entry, k);
    const char *text = handle >= 0 ? descrip_text(handle, file_name) : nullptr;
    if (suppress_same_name_axes && found && found->axis) {
      found->axis->no_output = 1;
      axis_label(found->axis, var);
    } else if (text && text[0]) {
      var->label = store_strdup(text);
    } else {
      var->label = store_strdup(name);
    }
  }
  if (handle >= 0) free_descrips(handle);

  if (debug_level != 0 && debug_file) {
    int k = 0;
    for (IncEntry *entry = incs; entry; entry = entry->next) {
      log_printf(debug_file, "\n Inc %d", k++);
      log_printf(debug_file, " %s", entry->name);
    }
    std::fflush(debug_file);
  }
}

void build_weights() {
  FILE *file = open_run_file("weightin.q", "rb");
  check_file_header(file, "weightin.q", file_type_weightinf);
  std::vector<int32_t> matrices;
  unsigned char flag[4];
  if (read_bytes(file, flag, sizeof flag) == sizeof flag && get_i32(flag) != -1) {
    skip_bytes(file, weight_skip_size);
    unsigned char record[weight_record_size];
    while (read_bytes(file, record, sizeof record) == sizeof record) matrices.push_back(get_i16(record + 4));
  }
  std::fclose(file);

  // The table is sized once, so that the entries the variables point to never move.
  weight_count = static_cast<int>(matrices.size());
  weights = weight_count ? static_cast<WeightEntry *>(store_alloc(sizeof(WeightEntry) * matrices.size())) : nullptr;
  for (int w = 0; w < weight_count; w++) {
    WeightEntry *entry = &weights[w];
    entry->matrix = matrices[static_cast<size_t>(w)];
    char file_name[32];
    std::snprintf(file_name, sizeof file_name, "wmvals%d.q", static_cast<int>(entry->matrix));
    entry->stream = open_run_file(file_name, "rb");
    check_file_header(entry->stream, file_name, file_type_wmvals);
    entry->position = std::ftell(entry->stream);
    char name[32];
    std::snprintf(name, sizeof name, "@weight%d", w);
    new_stvar(kind_numeric, name, nullptr, entry, w);
  }
  if (debug_level != 0 && debug_file) {
    for (int w = 0; w < weight_count; w++) log_printf(debug_file, "\n Weight %d", w);
    std::fflush(debug_file);
  }
}

} // namespace

unsigned name_hash(const char *name) {
  unsigned sum = 0;
  for (const unsigned char *p = reinterpret_cast<const unsigned char *>(name); *p; p++) sum += *p % 128u;
  return sum % name_buckets;
}

void reset_variable_index() {
  for (auto &bucket : variable_index) bucket = nullptr;
}

StatVar *find_stvar(const char *name) {
  for (VariableIndexEntry *entry = variable_index[name_hash(name)]; entry; entry = entry->next)
    if (std::strcmp(entry->var->name, name) == 0) return entry->var;
  return nullptr;
}

void axis_label(Axis *axis, StatVar *var) {
  const TitleList &titles = axis->titles;
  int count = titles.count < 0 ? 0 : titles.count > max_titles ? max_titles : titles.count;
  int family = current_format ? current_format->family : 0;
  if (join_titles != 0 && family != 0) {
    const char *separator = family == 2 ? "\n" : " ";
    std::string joined;
    for (int i = 0; i < count; i++) {
      if (titles.lines[i]) joined += titles.lines[i];
      joined += separator;
    }
    var->label = store_strdup(joined.c_str());
  } else {
    var->label = store_strdup(count > 0 && titles.lines[0] ? titles.lines[0] : "");
  }
}

int znostats() {
  for (Axis *axis = axes; axis; axis = axis->next) {
    if (axis->info.in_data == 0 || axis->no_output) continue;
    if (axis->max_bits > 1)
      build_multi_coded(axis);
    else
      build_single_coded(axis);
  }
  build_incs();
  build_weights();
  return weight_count;
}

void dump_stvars() {
  if (!debug_file) return;
  for (int i = 0; i < stvar_count; i++) {
    const StatVar *var = stvars[i];
    log_printf(debug_file, "\n I %d", i);
    log_printf(debug_file, "\n %s %d", var->name, var->kind);
    if (var->kind != kind_single && var->kind != kind_multiple) continue;
    if (var->label)
      log_printf(debug_file, " <%s>\n", var->label);
    else
      log_printf(debug_file, "\n");
    for (int32_t c = 0; c < var->category_count; c++)
      log_printf(debug_file, " %3d : %d <%s>\n", c, var->codes[c], var->value_labels[c]);
  }
  std::fflush(debug_file);
}
