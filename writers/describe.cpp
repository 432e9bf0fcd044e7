// What the description writers share: the texts of a described variable, the date of
// the heading and the printing of truncated numbers.
#include "writers/describe.h"

#include "writers/data.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "model/statvars.h"
#include "model/znostats.h"
#include "runfiles/axinf.h"

const char *description_label_text(const StatVar *var) {
  const OutputVar *out = var->output;
  if (!out) return var->name ? var->name : "";
  if (out->label && out->label[0]) return out->label;
  const char *name = out->name_entry && out->name_entry->name ? out->name_entry->name : "";
  return name[0] == '@' ? name + 1 : name;
}

const char *description_name_text(const StatVar *var) {
  if (var->axis) return var->axis->info.name ? var->axis->info.name : "";
  return description_label_text(var);
}

const char *description_member_label(const StatVar *var) {
  const OutputVar *out = var->output;
  if (!out || !out->values.labels) return "";
  for (int32_t i = out->values.count - 1; i >= 0; i--)
    if (out->values.labels[i] && out->values.labels[i][0]) return out->values.labels[i];
  return "";
}

void description_time(struct tm *when) {
  const char *epoch = std::getenv("SOURCE_DATE_EPOCH");
  if (epoch && *epoch) {
    char *end = nullptr;
    errno = 0;
    long long seconds = std::strtoll(epoch, &end, 10);
    if (errno == 0 && *end == '\0' && seconds >= 0) {
      time_t moment = static_cast<time_t>(seconds);
      if (gmtime_r(&moment, when)) return;
    }
  }
  time_t now = std::time(nullptr);
  if (!localtime_r(&now, when)) std::memset(when, 0, sizeof *when);
}

const char *month_letters(int month) {
  static const char months[] = "JanFebMarAprMayJunJulAugSepOctNovDec";
  if (month < 0 || month > 11) month = 0;
  return months + 3 * month;
}

double truncated(double value) {
  double t = std::trunc(value);
  return t == 0.0 ? 0.0 : t;
}

void format_truncated(char *out, size_t size, double value) {
  double t = truncated(value);
  // Whole numbers that a long long holds exactly are printed as integers; larger ones
  // (every float that large is already whole) with no decimals.
  if (t > -9.0e18 && t < 9.0e18)
    std::snprintf(out, size, "%lld", static_cast<long long>(t));
  else
    std::snprintf(out, size, "%.0f", t);
}

void write_range(FILE *out, const NumericStats *stats, const RangeFormats &formats) {
  if (stats->kind == 2) {
    char low[64];
    char high[64];
    format_truncated(low, sizeof low, stats->min);
    format_truncated(high, sizeof high, stats->max);
    if (formats.one_whole && truncated(stats->min) == truncated(stats->max))
      std::fprintf(out, formats.one_whole, high);
    else
      std::fprintf(out, formats.whole_range, low, high);
  } else if (stats->min == stats->max) {
    std::fprintf(out, formats.one_real, stats->decimals, static_cast<double>(stats->max));
  } else {
    std::fprintf(out, formats.real_range, stats->decimals, static_cast<double>(stats->min), stats->decimals,
                 static_cast<double>(stats->max));
  }
}

void write_values(FILE *out, const DescEntry *entry, int member, const ValueTexts &texts) {
  const StatVar *var = entry->var;
  if (member != 0) {
    if (member == 1) std::fputs(texts.open, out);
    std::fprintf(out, texts.value, member, texts.quote(description_member_label(var)).c_str());
    return;
  }
  if (var->kind == kind_numeric) {
    std::fputs(texts.range_open, out);
    if (entry->stats) write_range(out, entry->stats, texts.range);
    std::fputs(texts.range_close, out);
    return;
  }
  const ValueLabelSet &values = var->output->values;
  if (var->kind == kind_multiple || values.count <= 0) return;
  std::fputs(texts.open, out);
  for (int32_t i = 0; i < values.count; i++) {
    const char *label = values.labels ? values.labels[i] : nullptr;
    if (!label || !label[0]) continue;
    std::fprintf(out, texts.value, static_cast<int>(values.codes[i]), texts.quote(label).c_str());
  }
  std::fputs(texts.close, out);
}

void write_variables(FILE *out, const DescEntry *list, const VariableLayout &layout) {
  long long position = 1;
  for (const DescEntry *head = list; head; head = head->next) {
    long long length = field_length(head);
    long long start = position;
    long long finish = position + length - 1;
    position += length;
    std::fputc('\n', out);
    if (head->member_count > 1) {
      int member = 1;
      for (const DescEntry *m = head; m; m = m->next_member) layout.variable(out, m, member++, start, finish);
      std::fputs(layout.group_end, out);
    } else {
      layout.variable(out, head, 0, start, finish);
      std::fputs(layout.single_end, out);
    }
  }
}
