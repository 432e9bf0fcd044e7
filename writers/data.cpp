// The case data writer: one pass over the case records of intermed.q (and the weight
// value files) that hands every value of a case to a DataWriter. The same pass, with
// the measuring writer, finds the widths, decimals and ranges of the numeric variables.
// The description list fixes the grouping and the columns shared by the descriptions
// and the fixed-column data.
#include "writers/data.h"

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/main.h"
#include "engine/misc.h"
#include "engine/nstore.h"
#include "engine/options.h"
#include "model/statvars.h"
#include "model/znostats.h"
#include "runfiles/axinf.h"
#include "runfiles/binread.h"
#include "runfiles/intermed.h"
#include "runfiles/version.h"

NumericStats *numeric_stats = nullptr;
int32_t numeric_stats_count = 0;
DescEntry *description_list = nullptr;

namespace {

// The value that marks a missing inc value in intermed.q.
constexpr float missing_marker = -1048576.0f;

// A free-format line holds at most this many characters unless one item alone is longer.
constexpr size_t free_line_max = 77;

// Per numeric variable, what the measuring pass has seen: the final decimals are 0 or
// known in advance, so the widest contribution under each outcome is kept.
struct Measure {
  bool seen_value;
  bool seen_text;
  bool seen_fraction;
  int32_t width_whole;    // widest value when every value is whole
  int32_t width_fraction; // widest value when decimals are printed
  int32_t width_text;     // longest text
};

Measure *measures = nullptr;
int32_t measure_count = 0;

// Characters on the free-format line being written.
int line_length = 0;

int32_t clamp_length(size_t n) { return n > INT32_MAX ? INT32_MAX : static_cast<int32_t>(n); }

NumericStats *stats_of(int index) {
  return index >= 0 && index < numeric_stats_count ? &numeric_stats[index] : nullptr;
}

int field_width(int width_spec) {
  if (width_spec < 0) return width_spec == INT_MIN ? INT_MAX : -width_spec;
  const NumericStats *stats = stats_of(width_spec);
  return stats ? stats->width : 0;
}

int decimals_when_fractional() { return precision > 0 ? precision : 7; }

// Writes a text with every byte below 0x20 (and, when high is set, every byte from
// 0x80 up) as a blank, so that a user-given text cannot break a record.
void put_plain(FILE *stream, const char *text, bool high) {
  for (const unsigned char *p = reinterpret_cast<const unsigned char *>(text); *p; p++)
    std::fputc(*p < 0x20 || (high && *p >= 0x80) ? ' ' : *p, stream);
}

// The fixed-column writer: every field in the width the description gives it.

void fixed_value(FILE *stream, float value, int index) {
  const NumericStats *stats = stats_of(index);
  int width = stats ? stats->width : 0;
  if (stats && stats->kind == 2) {
    double whole = std::trunc(static_cast<double>(value));
    if (whole >= INT_MIN && whole <= INT_MAX)
      std::fprintf(stream, "%*d", width, static_cast<int>(whole));
    else
      std::fprintf(stream, "%*.0f", width, whole);
  } else {
    std::fprintf(stream, "%*.*f", width, stats ? stats->decimals : 0, static_cast<double>(value));
  }
}

void fixed_code(FILE *stream, int32_t code, int width_spec) {
  std::fprintf(stream, "%*d", field_width(width_spec), static_cast<int>(code));
}

void fixed_text(FILE *stream, const char *text, int width_spec) {
  size_t length = std::strlen(text);
  int width = field_width(width_spec);
  for (size_t n = length; n < static_cast<size_t>(width); n++) std::fputc(' ', stream);
  put_plain(stream, text, true);
}

void fixed_end(FILE *stream) { std::fputc('\n', stream); }

// The measuring writer: writes nothing, records what each numeric variable needs.

void measure_value(FILE *, float value, int index) {
  NumericStats *stats = stats_of(index);
  if (!stats || index >= measure_count) return;
  Measure &m = measures[index];
  double v = static_cast<double>(value);
  char six[80];
  int six_length = std::snprintf(six, sizeof six, "%f", v);
  if (six_length < 0) return;
  const char *point = std::strchr(six, '.');
  bool whole = true;
  if (point) {
    for (const char *p = point + 1; *p; p++)
      if (*p != '0') whole = false;
  }
  int32_t before_point = point ? static_cast<int32_t>(point - six) : six_length;
  int with_decimals = std::snprintf(nullptr, 0, "%.*f", decimals_when_fractional(), v);
  int32_t fraction_width = six_length + 1 > with_decimals ? six_length + 1 : with_decimals;

  m.seen_value = true;
  if (!whole) m.seen_fraction = true;
  if (before_point > m.width_whole) m.width_whole = before_point;
  if (fraction_width > m.width_fraction) m.width_fraction = fraction_width;
  if (value > stats->max) stats->max = value;
  if (value < stats->min) stats->min = value;
}

void measure_text(FILE *, const char *text, int width_spec) {
  if (!stats_of(width_spec) || width_spec >= measure_count) return;
  Measure &m = measures[width_spec];
  m.seen_text = true;
  int32_t length = clamp_length(std::strlen(text));
  if (length > m.width_text) m.width_text = length;
}

void start_measuring() {
  for (int32_t i = 0; i < numeric_stats_count && i < measure_count; i++) {
    NumericStats &s = numeric_stats[i];
    s.kind = 0;
    s.width = 0;
    s.decimals = 0;
    s.max = -FLT_MAX;
    s.min = FLT_MAX;
    measures[i] = Measure{};
  }
}

void finish_measuring() {
  for (int32_t i = 0; i < numeric_stats_count && i < measure_count; i++) {
    NumericStats &s = numeric_stats[i];
    const Measure &m = measures[i];
    s.kind = m.seen_text ? 3 : m.seen_fraction ? 1 : m.seen_value ? 2 : 0;
    s.decimals = m.seen_fraction ? decimals_when_fractional() : 0;
    int32_t width = s.decimals ? m.width_fraction : m.width_whole;
    s.width = width > m.width_text ? width : m.width_text;
  }
}

// The free-format writer: items that each start with a blank, in lines of at most 77
// characters. Items go straight to the stream; line_length counts what the current
// line holds, so a long item (the missing-value text is user-given) needs no buffer.

// Appends one item: a blank when blank is set, then body (with control bytes blanked
// when plain is set).
void free_item(FILE *stream, bool blank, const char *body, bool plain) {
  size_t length = std::strlen(body) + (blank ? 1 : 0);
  if (line_length > 0 && length + static_cast<size_t>(line_length) > free_line_max) {
    std::fputc('\n', stream);
    line_length = 0;
  }
  if (blank) std::fputc(' ', stream);
  if (plain)
    put_plain(stream, body, false);
  else
    std::fputs(body, stream);
  line_length = length > static_cast<size_t>(INT_MAX - line_length) ? INT_MAX : line_length + static_cast<int>(length);
}

// numeric_format as the options leave it: a blank, '%', digits with at most one '.'
// among them, 'f'. Anything else is not used as a format.
bool usable_numeric_format(const char *format) {
  if (!format || format[0] != ' ' || format[1] != '%') return false;
  const char *p = format + 2;
  int points = 0;
  int digits = 0;
  for (; *p && *p != 'f'; p++) {
    if (*p == '.') {
      if (++points > 1) return false;
    } else if (*p >= '0' && *p <= '9') {
      if (++digits > 6) return false; // keeps width and precision within reason
    } else {
      return false;
    }
  }
  return p[0] == 'f' && p[1] == '\0';
}

void free_value(FILE *stream, float value, int) {
  const char *format = usable_numeric_format(numeric_format) ? numeric_format : " %f";
  static char small[128];
  static std::string large; // grows once to the widest rendering the format gives
  char *item = small;
  double v = static_cast<double>(value);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
  int n = std::snprintf(small, sizeof small, format, v);
  if (n < 0) {
    format = " %f";
    n = std::snprintf(small, sizeof small, format, v);
  }
  if (n >= static_cast<int>(sizeof small)) {
    if (large.size() < static_cast<size_t>(n) + 1) large.resize(static_cast<size_t>(n) + 1);
    std::snprintf(large.data(), large.size(), format, v);
    item = large.data();
  }
#pragma GCC diagnostic pop
  if (n < 0) return;
  char *point = std::strchr(item, '.');
  if (point) {
    char *end = item + n;
    while (end > point + 1 && end[-1] == '0') --end;
    if (end == point + 1) --end;
    *end = '\0';
  }
  free_item(stream, false, item, false);
}

void free_code(FILE *stream, int32_t code, int) {
  char item[16];
  std::snprintf(item, sizeof item, " %d", static_cast<int>(code));
  free_item(stream, false, item, false);
}

void free_text(FILE *stream, const char *text, int) { free_item(stream, true, text, true); }

void free_end(FILE *stream) {
  std::fputc('\n', stream);
  line_length = 0;
}

// The tab-separated writer: fields joined by tabs, one line per case.

void next_field(FILE *stream) {
  if (current_format->field_count != 0) std::fputc('\t', stream);
  current_format->field_count++;
}

void tabbed_value(FILE *stream, float value, int index) {
  next_field(stream);
  const NumericStats *stats = stats_of(index);
  std::fprintf(stream, "%.*f", stats ? stats->decimals : 0, static_cast<double>(value));
}

void tabbed_code(FILE *stream, int32_t code, int) {
  next_field(stream);
  std::fprintf(stream, "%d", static_cast<int>(code));
}

void tabbed_text(FILE *stream, const char *text, int) {
  next_field(stream);
  put_plain(stream, text, false);
}

void tabbed_end(FILE *stream) {
  std::fputc('\n', stream);
  current_format->field_count = 0;
}

const char *missing_text_or_empty() { return missing_value ? missing_value : ""; }

bool is_missing(float value) { return value == missing_marker || !std::isfinite(value); }

// Element k of the axis whose words start at word p, with the bit block's bounds kept.
bool chosen(const uint16_t *bits, int32_t bit_words, int32_t p, int k) {
  if (p < 0 || k < 0 || p + k / 16 >= bit_words) return false;
  return element_chosen(bits, p, k);
}

int32_t element_total(const Axis *axis) {
  return axis->elements && axis->counts.element_count > 0 ? axis->counts.element_count : 0;
}

int32_t decimal_length(long long value) { return std::snprintf(nullptr, 0, "%lld", value); }

int32_t written_no_code(int32_t code) { return code == -1 ? 0 : code; }

} // namespace

const DataWriter data_writers[4] = {
    {0, fixed_value, fixed_code, fixed_text, fixed_end},
    {1, measure_value, nullptr, measure_text, nullptr},
    {2, free_value, free_code, free_text, free_end},
    {3, tabbed_value, tabbed_code, tabbed_text, tabbed_end},
};

void write_axis_codes(FILE *stream, const uint16_t *bits, int32_t bit_words, const DataWriter *writer) {
  const char *missing = missing_text_or_empty();
  int32_t p = 0;
  for (Axis *axis = axes; axis; axis = axis->next) {
    if (axis->info.in_data == 0) continue;
    int32_t words = axis->word_count > 0 ? axis->word_count : 0;
    int32_t elements = element_total(axis);
    int width_spec = -(axis->code_width > 0 ? axis->code_width : 0);
    if (!axis->no_output) {
      if (axis->max_bits > 1) {
        bool answered = false;
        for (int32_t k = 0; k < elements && !answered; k++) answered = chosen(bits, bit_words, p, k);
        for (int32_t k = 0; k < elements; k++) {
          if (axis->elements[k].type == 0 || !axis->element_vars) continue;
          const StatVar *v = axis->element_vars[k];
          if (!v || !v->output) continue;
          bool have_codes = v->codes && v->category_count >= 2;
          if (!have_codes) {
            writer->write_text(stream, missing, width_spec);
          } else if (chosen(bits, bit_words, p, k)) {
            writer->write_code(stream, v->codes[1], width_spec);
          } else if (!answered) {
            writer->write_text(stream, missing, width_spec);
          } else if (v->codes[0] == -1 && writer->style != 2) {
            writer->write_code(stream, 0, width_spec);
          } else {
            writer->write_code(stream, v->codes[0], width_spec);
          }
        }
      } else if (axis->single_var && axis->single_var->output) {
        const StatVar *v = axis->single_var;
        int32_t j = 0;
        bool written = false;
        for (int32_t k = 0; k < elements; k++) {
          if (axis->elements[k].type == 0) continue;
          if (chosen(bits, bit_words, p, k)) {
            if (v->codes && j < v->category_count) {
              writer->write_code(stream, v->codes[j], width_spec);
              written = true;
            }
            break;
          }
          j++;
        }
        if (!written) writer->write_text(stream, missing, width_spec);
      }
    }
    p = words > INT32_MAX - p ? INT32_MAX : p + words;
  }
}

void cr_data(const char *data_file, const DataWriter *writer, int measuring) {
  FILE *out = open_run_file(data_file, "wt");
  FILE *in = open_run_file("intermed.q", "rb");
  for (int w = 0; w < weight_count; w++)
    if (weights[w].stream) weights[w].position = std::ftell(weights[w].stream);
  check_file_header(in, "intermed.q", file_type_intermediate);

  CaseRecords records{};
  open_case_records(in, &records);
  int32_t bit_words = records.bit_bytes > 0 ? records.bit_bytes / 2 : 0;
  if (bit_words > mask_words) bit_words = mask_words;
  if (!records.bits || !ELMASK) bit_words = 0;
  int32_t value_count = records.value_bytes > 0 && records.values ? records.value_bytes / 4 : 0;

  if (measuring) start_measuring();
  line_length = 0;
  current_format->field_count = 0;
  const char *missing = missing_text_or_empty();

  long cases_read = 0;
  for (;;) {
    CaseReadResult result = read_case_record(in, &records);
    if (result == case_read_end) break;
    if (result != case_read_ok) error_exit(202);
    cases_read++;
    if (!measuring) write_axis_codes(out, records.bits, bit_words, writer);

    // One value per inc: a value block shorter than the incs leaves the rest missing
    // and values beyond the incs are not written, so that the record always has the
    // fields the description lists.
    int n = 0;
    for (int k = 0; k < inc_count; k++, n++) {
      float value = k < value_count ? case_value(&records, k) : missing_marker;
      if (is_missing(value))
        writer->write_text(out, missing, n);
      else
        writer->write_value(out, value, n);
    }
    for (int w = 0; w < weight_count; w++, n++) {
      unsigned char bytes[4];
      if (!weights[w].stream || read_bytes(weights[w].stream, bytes, sizeof bytes) != sizeof bytes) error_exit(204);
      float value = get_f32(bytes);
      if (is_missing(value))
        writer->write_text(out, missing, n);
      else
        writer->write_value(out, value, n);
    }
    if (writer->end_record) writer->end_record(out);
  }
  if (cases_read != case_count) error_exit(203);

  std::fclose(in);
  for (int w = 0; w < weight_count; w++)
    if (weights[w].stream) std::fseek(weights[w].stream, weights[w].position, SEEK_SET);
  std::fclose(out);
  if (measuring) finish_measuring();
}

namespace {

// The list and tables of an earlier build are replaced by the new ones.
void release_description_list() {
  while (description_list) {
    DescEntry *head = description_list;
    description_list = head->next;
    for (DescEntry *m = head; m;) {
      DescEntry *next = m->next_member;
      std::free(m);
      m = next;
    }
  }
  std::free(numeric_stats);
  std::free(measures);
  numeric_stats = nullptr;
  measures = nullptr;
  numeric_stats_count = 0;
  measure_count = 0;
}

} // namespace

DescEntry *build_description_list(int with_widths) {
  release_description_list();
  DescEntry *first = nullptr;
  DescEntry *head = nullptr;
  DescEntry *last_member = nullptr;
  int32_t numeric_count = 0;

  for (int i = 0; i < stvar_count; i++) {
    StatVar *var = stvars[i];
    if (!var || !var->output) continue;
    auto *entry = static_cast<DescEntry *>(emalloc(sizeof(DescEntry)));
    *entry = DescEntry{};
    entry->var = var;
    if (with_widths) {
      var->width = 0;
      if (var->axis) var->axis->code_width = 1;
    }
    if (var->kind == kind_numeric) numeric_count++;
    if (head && var->axis && head->var->axis == var->axis) {
      last_member->next_member = entry;
      last_member = entry;
      head->member_count++;
    } else {
      entry->member_count = 1;
      if (head)
        head->next = entry;
      else
        first = entry;
      head = last_member = entry;
    }
  }

  numeric_stats_count = numeric_count;
  numeric_stats = static_cast<NumericStats *>(emalloc(sizeof(NumericStats) * static_cast<size_t>(numeric_count)));
  measures = static_cast<Measure *>(emalloc(sizeof(Measure) * static_cast<size_t>(numeric_count)));
  measure_count = numeric_count;
  for (int32_t i = 0; i < numeric_count; i++) {
    numeric_stats[i] = NumericStats{i, 0, 0, 0, -FLT_MAX, FLT_MAX};
    measures[i] = Measure{};
  }
  int32_t next_stats = 0;
  for (DescEntry *e = first; e; e = e->next)
    if (e->var->kind == kind_numeric) e->stats = &numeric_stats[next_stats++];

  if (with_widths) {
    int32_t missing_length = clamp_length(std::strlen(missing_text_or_empty()));
    for (DescEntry *e = first; e; e = e->next) {
      if (e->var->kind == kind_numeric) continue;
      int32_t width = missing_length > 1 ? missing_length : 1;
      if (e->member_count == 1) {
        // Every code the variable can be written with, labelled or not.
        const StatVar *v = e->var;
        for (int32_t c = 0; v->codes && c < v->category_count; c++) {
          int32_t n = decimal_length(v->codes[c]);
          if (n > width) width = n;
        }
        e->width = width;
        e->var->width = width;
        if (e->var->axis) e->var->axis->code_width = width;
      } else {
        // One width for every member column: what the data can hold there.
        for (DescEntry *m = e; m; m = m->next_member) {
          const StatVar *v = m->var;
          if (!v->codes || v->category_count < 2) continue;
          int32_t yes = decimal_length(v->codes[1]);
          int32_t no = decimal_length(written_no_code(v->codes[0]));
          if (yes > width) width = yes;
          if (no > width) width = no;
        }
        for (DescEntry *m = e; m; m = m->next_member) m->var->width = width;
        if (e->var->axis) e->var->axis->code_width = width;
      }
    }
  }
  description_list = first;
  return first;
}

long long field_length(const DescEntry *head) {
  if (head->stats) return head->stats->width;
  if (head->member_count > 1) {
    long long width = head->var->axis ? head->var->axis->code_width : 1;
    return static_cast<long long>(head->member_count) * width;
  }
  return head->width;
}
