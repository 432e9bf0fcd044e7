// Test helpers for the writers: a survey model built in memory (axes, survey variables
// with their output records, masks) and intermed.q files written from plain case lists.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "engine/main.h"
#include "engine/nstore.h"
#include "engine/options.h"
#include "model/statvars.h"
#include "model/znostats.h"
#include "runfiles/axinf.h"
#include "runfiles/intermed.h"
#include "runfiles/title.h"
#include "testsupport/runfiles_writer.h"
#include "writers/data.h"

namespace writer_model {

// Starts an empty run: a fresh store, no axes, variables, incs, weights or titles, and
// the default settings of the given format row.
inline void reset(const char *format = "xml") {
  init_store();
  axes = nullptr;
  stvar_count = 0;
  inc_count = 0;
  incs = nullptr;
  weight_count = 0;
  weights = nullptr;
  run_titles = TitleList{};
  ELMASK = ANDMASK = ORMASK = MASK = nullptr;
  mask_words = 0;
  case_count = 0;
  precision = 0;
  numeric_format = nullptr;
  variable_label_max = 40;
  value_label_max = 20;
  blank_comments = 0;
  fixed_format_data = 0;
  current_format = format_named(format);
  current_format->field_count = 0;
  static std::string missing;
  missing = current_format->default_missing;
  missing_value = missing.data();
  static std::string program = std::string("zn2") + format;
  program = std::string("zn2") + format;
  program_name = program.data();
}

inline void set_missing(const std::string &text) {
  static std::string missing;
  missing = text;
  missing_value = missing.data();
}

inline void add_title(const char *text) { run_titles.lines[run_titles.count++] = store_strdup(text); }

inline void append(StatVar *var) {
  if (stvar_count == stvar_capacity) grow_stvars();
  stvars[stvar_count++] = var;
}

inline OutputVar *make_output(StatVar *var, const char *name, const char *label) {
  auto *out = static_cast<OutputVar *>(store_alloc(sizeof(OutputVar)));
  out->name_entry = static_cast<NameEntry *>(store_alloc(sizeof(NameEntry)));
  out->name_entry->name = store_strdup(name);
  out->label = label ? store_strdup(label) : nullptr;
  out->values.count = var->kind == kind_numeric ? 0 : var->category_count;
  out->values.codes = var->codes;
  out->values.labels = var->value_labels;
  out->var = var;
  var->output = out;
  return out;
}

inline void set_categories(StatVar *var, const std::vector<int32_t> &codes, const std::vector<std::string> &labels) {
  var->category_count = static_cast<int32_t>(codes.size());
  var->codes = static_cast<int32_t *>(store_alloc(sizeof(int32_t) * codes.size() + 1));
  var->value_labels = static_cast<char **>(store_alloc(sizeof(char *) * codes.size() + 1));
  for (size_t i = 0; i < codes.size(); i++) {
    var->codes[i] = codes[i];
    var->value_labels[i] = store_strdup(labels[i].c_str());
  }
}

// An axis with the given element texts; types[i] 0 makes element i a text line. The
// axis's words follow those of the axes before it.
inline Axis *add_axis(const char *name, const std::vector<std::string> &texts, std::vector<int> types = {},
                      int in_data = 1) {
  if (types.empty()) types.assign(texts.size(), 1);
  auto *axis = static_cast<Axis *>(store_alloc(sizeof(Axis)));
  axis->info.name = store_strdup(name);
  axis->info.in_data = static_cast<int16_t>(in_data);
  axis->counts.element_count = axis->counts.level_count = static_cast<int16_t>(texts.size());
  axis->elements = static_cast<Element *>(store_alloc(sizeof(Element) * texts.size() + 1));
  std::string block;
  for (size_t i = 0; i < texts.size(); i++) {
    axis->elements[i].type = static_cast<uint8_t>(types[i]);
    axis->elements[i].text_offset = static_cast<int32_t>(block.size());
    block += texts[i];
    block += '\0';
  }
  axis->texts = static_cast<char *>(store_alloc(block.size() + 1));
  std::memcpy(axis->texts, block.data(), block.size());
  axis->text_size = static_cast<int32_t>(block.size());
  axis->word_count = static_cast<int32_t>((texts.size() + 15) / 16);
  axis->no_output = 1;
  for (int t : types)
    if (t) axis->no_output = 0;
  Axis **tail = &axes;
  while (*tail) tail = &(*tail)->next;
  *tail = axis;
  return axis;
}

inline void add_axis_title(Axis *axis, const char *text) {
  axis->titles.lines[axis->titles.count++] = store_strdup(text);
}

// The single-coded variable of an axis: its category elements coded by element index.
inline StatVar *add_single(Axis *axis, const char *output_name, const char *label) {
  auto *var = static_cast<StatVar *>(store_alloc(sizeof(StatVar)));
  var->kind = kind_single;
  var->name = axis->info.name;
  var->axis = axis;
  var->source = &axis->info;
  std::vector<int32_t> codes;
  std::vector<std::string> labels;
  for (int i = 0; i < axis->counts.element_count; i++) {
    if (!axis->elements[i].type) continue;
    codes.push_back(i);
    labels.push_back(axis->texts + axis->elements[i].text_offset);
  }
  set_categories(var, codes, labels);
  make_output(var, output_name, label);
  axis->single_var = var;
  axis->max_bits = 1;
  append(var);
  return var;
}

// The dichotomies of a multiple-coded axis, coded 0/1 (element 0: -1/1).
inline std::vector<StatVar *> add_multiple(Axis *axis, const char *label) {
  std::vector<StatVar *> vars;
  axis->max_bits = 2;
  axis->element_vars = static_cast<StatVar **>(store_alloc(sizeof(StatVar *) * axis->counts.element_count + 1));
  for (int i = 0; i < axis->counts.element_count; i++) {
    if (!axis->elements[i].type) continue;
    auto *var = static_cast<StatVar *>(store_alloc(sizeof(StatVar)));
    var->kind = kind_multiple;
    std::string name = "@" + std::string(axis->info.name).substr(0, 6) + std::to_string(i);
    var->name = store_strdup(name.c_str());
    var->axis = axis;
    var->source = &axis->info;
    var->index = i;
    const char *text = axis->texts + axis->elements[i].text_offset;
    set_categories(var, {i == 0 ? -1 : 0, 1}, {std::string("no ") + text, text});
    make_output(var, name.c_str(), label);
    axis->element_vars[i] = var;
    vars.push_back(var);
    append(var);
  }
  return vars;
}

inline StatVar *add_inc(const char *name, const char *label) {
  auto *var = static_cast<StatVar *>(store_alloc(sizeof(StatVar)));
  var->kind = kind_numeric;
  var->name = store_strdup(name);
  var->index = inc_count++;
  make_output(var, name, label);
  append(var);
  return var;
}

// A weight whose values come from the stream (positioned at its first value).
inline StatVar *add_weight(FILE *stream) {
  if (!weights) weights = static_cast<WeightEntry *>(store_alloc(sizeof(WeightEntry) * 10));
  WeightEntry &entry = weights[weight_count];
  entry.matrix = weight_count;
  entry.stream = stream;
  auto *var = static_cast<StatVar *>(store_alloc(sizeof(StatVar)));
  var->kind = kind_numeric;
  std::string name = "@weight" + std::to_string(weight_count);
  var->name = store_strdup(name.c_str());
  var->source = &entry;
  var->index = weight_count++;
  make_output(var, name.c_str(), nullptr);
  append(var);
  return var;
}

// The element mask of the axes, as read_intermed builds it, for a bit block of the
// given number of words (default: the words the axes take).
inline void build_masks(int32_t words = -1) {
  int32_t needed = 0;
  for (Axis *a = axes; a; a = a->next)
    if (a->info.in_data) needed += a->word_count;
  if (words < 0) words = needed;
  mask_words = words;
  ELMASK = static_cast<uint16_t *>(store_alloc(sizeof(uint16_t) * static_cast<size_t>(words) + 2));
  int32_t p = 0;
  for (Axis *a = axes; a; a = a->next) {
    if (!a->info.in_data) continue;
    for (int i = 0; i < a->counts.element_count; i++)
      if (a->elements[i].type && p + i / 16 < words) ELMASK[p + i / 16] |= static_cast<uint16_t>(1u << (i % 16));
    p += a->word_count;
  }
}

// One case of intermed.q: its bit block words and its inc values.
struct Case {
  std::vector<uint16_t> bits;
  std::vector<float> values;
};

// intermed.q with the given block sizes and cases (each block padded or cut to size).
inline std::string intermed_bytes(int32_t bit_words, int32_t value_count, const std::vector<Case> &cases,
                                  int32_t tag_words = 1) {
  std::string bytes = run_file_header(12);
  put_i32(bytes, 0);
  put_i32(bytes, tag_words * 2);
  put_i32(bytes, bit_words * 2);
  put_i32(bytes, value_count * 4);
  int serial = 1;
  for (const Case &c : cases) {
    for (int32_t t = 0; t < tag_words; t++) put_i16(bytes, serial);
    serial++;
    for (int32_t w = 0; w < bit_words; w++) put_i16(bytes, w < static_cast<int32_t>(c.bits.size()) ? c.bits[w] : 0);
    for (int32_t v = 0; v < value_count; v++)
      put_f32(bytes, v < static_cast<int32_t>(c.values.size()) ? c.values[v] : missing_inc_value);
  }
  return bytes;
}

// Writes intermed.q into the current directory and sets case_count as read_intermed
// would.
inline void write_intermed(int32_t bit_words, int32_t value_count, const std::vector<Case> &cases) {
  std::FILE *file = std::fopen("intermed.q", "wb");
  std::string bytes = intermed_bytes(bit_words, value_count, cases);
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
  case_count = static_cast<long>(cases.size());
}

// A weight values file with the given values, opened and positioned after its header.
inline FILE *weight_file(const char *name, const std::vector<float> &values) {
  std::string bytes = run_file_header(18);
  for (float v : values) put_f32(bytes, v);
  std::FILE *file = std::fopen(name, "wb");
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
  file = std::fopen(name, "rb");
  std::fseek(file, 64, SEEK_SET);
  return file;
}

// A small survey used by the description tests, with its intermed.q and weight file
// written into the current directory: a single variable (q1), a multiple group of three
// (q2), a single variable without labels (q3), a multiple-coded axis with one output
// element (lone), three incs and a weight, and three cases.
inline void sample_survey(const char *format) {
  reset(format);
  add_title("Brand <survey>");
  add_title("Wave 2");
  Axis *q1 = add_axis("q1", {"Male", "Female"});
  add_single(q1, "q1", "Gender\nof respondent\n");
  Axis *q2 = add_axis("q2", {"A", "B", "Caf\xe9"});
  add_multiple(q2, "Q&A\tx \"quoted\"");
  Axis *q3 = add_axis("q3", {"", ""});
  add_single(q3, "q3", nullptr);
  Axis *lone = add_axis("lone", {"Only one"});
  add_multiple(lone, "Only one");
  add_inc("score", "1st score (raw)");
  add_inc("real", "real");
  add_inc("five", "");
  add_weight(weight_file("wmvals0.q", {1.0f, 1.0f, 1.0f}));
  build_masks();
  write_intermed(4, 3,
                 {{{0x0001, 0x0005, 0x0001, 0x0001}, {1.0f, 2.5f, 5.0f}},
                  {{0x0002, 0x0000, 0x0000, 0x0000}, {5.0f, 2.5f, 5.0f}},
                  {{0x0000, 0x0002, 0x0002, 0x0000}, {3.0f, 2.5f, 5.0f}}});
}

} // namespace writer_model
