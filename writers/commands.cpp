// Statra command file: commands.qsp defines the variables with their labels and value
// labels and reads the free-format data file.
#include "writers/commands.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "engine/misc.h"
#include "engine/nstore.h"
#include "engine/options.h"
#include "model/statvars.h"
#include "model/znostats.h"
#include "runfiles/axinf.h"
#include "runfiles/title.h"

namespace {

// The source of the variable that last got a blank comment line.
const void *last_commented_source = nullptr;
bool have_commented_source = false;

// The first max bytes of a text (none when max is not positive), with every control
// byte as a blank and, when quoted, every double quotation mark doubled, so that the
// text fits inside a quoted string of a command.
std::string command_text(const char *text, int max, bool quoted) {
  std::string result;
  size_t length = std::strlen(text);
  if (max >= 0 && length > static_cast<size_t>(max)) length = static_cast<size_t>(max);
  for (size_t i = 0; i < length; i++) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x20)
      result += ' ';
    else if (quoted && c == '"')
      result += "\"\"";
    else
      result += static_cast<char>(c);
  }
  return result;
}

std::string plain_line(const char *text) { return command_text(text, -1, false); }

// A text the statistics package reads as a number: an optional sign, then digits with
// at most one decimal point among them, at least one digit, nothing else.
bool is_number(const char *text) {
  const char *p = text;
  if (*p == '+' || *p == '-') p++;
  int digits = 0;
  int points = 0;
  for (; *p; p++) {
    if (*p >= '0' && *p <= '9')
      digits++;
    else if (*p == '.' && points == 0)
      points++;
    else
      return false;
  }
  return digits > 0;
}

const char *output_name_of(const StatVar *var) {
  const NameEntry *entry = var->output->name_entry;
  return entry && entry->name ? entry->name : "";
}

void write_labels(FILE *out, const StatVar *var) {
  const OutputVar *output = var->output;
  const char *name = output_name_of(var);
  if (output->label && output->label[0]) {
    bool comment = false;
    if (blank_comments >= 2)
      comment = true;
    else if (blank_comments == 1 || blank_comments < 0)
      comment = !(var->kind == kind_multiple && have_commented_source && var->source == last_commented_source);
    if (comment) {
      std::fputs("*\n", out);
      last_commented_source = var->source;
      have_commented_source = true;
    }
    std::fprintf(out, "VARIABLE LABELS %s \"%s\".\n", name,
                 command_text(output->label, variable_label_max, true).c_str());
  }
  const ValueLabelSet &values = output->values;
  bool any = false;
  for (int32_t i = 0; i < values.count && values.labels; i++)
    if (values.labels[i] && values.labels[i][0]) any = true;
  if (any) {
    std::fprintf(out, "VALUE LABELS %s\n", name);
    for (int32_t i = 0; i < values.count; i++) {
      const char *label = values.labels[i];
      if (!label || !label[0]) continue;
      std::fprintf(out, "  %d \"%s\"\n", static_cast<int>(values.codes[i]),
                   command_text(label, value_label_max, true).c_str());
    }
    std::fputs(".\n", out);
  }
}

void write_axis_comments(FILE *out, const StatVar *var) {
  const Axis *axis = var->axis;
  if (!axis || axis->titles.count <= 1) return;
  for (int i = 1; i < axis->titles.count && i < max_titles; i++)
    if (axis->titles.lines[i]) std::fprintf(out, "* %s.\n", plain_line(axis->titles.lines[i]).c_str());
}

} // namespace

void write_statra_commands(const char *description_file, const char *data_file) {
  FILE *out = open_run_file(description_file, "wt");
  last_commented_source = nullptr;
  have_commented_source = false;

  for (int i = 0; i < run_titles.count && i < max_titles; i++) {
    const char *line = run_titles.lines[i] ? run_titles.lines[i] : "";
    if (i > 0) {
      std::fprintf(out, "* %s.\n", plain_line(line).c_str());
    } else if (std::strpbrk(line, "'\"")) {
      std::fprintf(out, "TITLE \"%s\".\n", command_text(line, -1, true).c_str());
    } else {
      std::fprintf(out, "TITLE %s.\n", plain_line(line).c_str());
    }
  }
  if (fixed_format_data) log_printf(stderr, "Sorry, only free format data currently available\n");

  std::fprintf(out, "DATA LIST FILE=\"%s\" FREE/\n", data_file);
  for (int i = 0; i < stvar_count; i++)
    if (stvars[i] && stvars[i]->output) std::fprintf(out, "  %s\n", output_name_of(stvars[i]));
  std::fputs("  .\n", out);

  for (int i = 0; i < stvar_count; i++) {
    const StatVar *var = stvars[i];
    if (!var || !var->output) continue;
    write_labels(out, var);
    write_axis_comments(out, var);
  }
  if (missing_value && is_number(missing_value)) std::fprintf(out, "MISSING VALUES ALL (%s).\n", missing_value);
  std::fclose(out);
}
