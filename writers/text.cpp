// Tab-separated text description: survey.txt explains survey.csv to people, listing
// every variable with the numbers of its tab-separated fields and its values or range.
#include "writers/text.h"

#include <cstdio>

#include "engine/main.h"
#include "engine/misc.h"
#include "model/statvars.h"
#include "model/znostats.h"
#include "runfiles/title.h"
#include "writers/data.h"
#include "writers/describe.h"

namespace {

const char *const explanation[] = {
    "This is the description of the generated data file",
    "",
    "There are three types of variables, single, multiple and value. \"Single\"",
    "variables occupy one field and are integer values. \"Multiple\" values",
    "occupy a field each for each answer within the multiple. \"0\" indicates",
    "a \"no\", \"1\" indicates a \"yes\" and space is \"no answer\". The final variable",
    "type is a value, generally integer. The maximum and minimum range of this",
    "variable is given.",
    "",
    "Each variable is shown with its name, associated question text (if any)",
    "the type of variable, field position and possible values. In the case of",
    "\"multiple\", each value is shown along with the field it occupies.",
    "",
};

// The number of the last field given out; every column of survey.csv gets the next.
int field_number = 0;

const RangeFormats range_formats = {
    "Range: %s",
    "Range: %s to %s",
    "Range: %.*f",
    "Range: %.*f to %.*f",
};

// The text of an entry; member is 0 for a head that is not a group, else the member's
// number in its group (1 for the head).
void write_variable(FILE *out, const DescEntry *entry, int member, long long, long long) {
  const StatVar *var = entry->var;
  if (member <= 1) {
    std::fprintf(out, "\nVariable: %s\n", description_name_text(var));
    std::fprintf(out, "Question label: %s\n", description_label_text(var));
    std::fprintf(out, "Variable type: %s\n", member == 1 ? "multiple" : var->kind == kind_numeric ? "value" : "single");
  }
  if (member != 0) {
    std::fprintf(out, "Field %d: %s\n", ++field_number, description_member_label(var));
    return;
  }
  if (var->kind == kind_numeric) {
    std::fprintf(out, "Field: %d\n", ++field_number);
    if (entry->stats) write_range(out, entry->stats, range_formats);
    return;
  }
  // Every other variable has one column: a single variable (with or without codes) and
  // a multiple-coded axis with a single output element.
  std::fprintf(out, "Field:  %d\n", ++field_number);
  const ValueLabelSet &values = var->output->values;
  if (var->kind != kind_multiple) {
    for (int32_t i = 0; i < values.count; i++) {
      const char *label = values.labels ? values.labels[i] : nullptr;
      if (!label || !label[0]) continue;
      std::fprintf(out, "Value: %d = %s\n", static_cast<int>(values.codes[i]), label);
    }
  }
  std::fputc('\n', out);
}

// survey.txt names fields by their column numbers, not by character positions.
const VariableLayout variable_layout = {write_variable, "", ""};

} // namespace

void write_text_description(const char *description_file, const char *data_file) {
  FILE *out = open_run_file(description_file, "wt");
  std::fclose(open_run_file(data_file, "wt"));

  struct tm now;
  description_time(&now);
  for (const char *line : explanation) std::fprintf(out, "%s\n", line);
  std::fprintf(out, "\nProduced on: %02d %3.3s %4d at %02d:%02d", now.tm_mday, month_letters(now.tm_mon),
               now.tm_year + 1900, now.tm_hour, now.tm_min);
  std::fputs("Survey title: ", out);
  if (run_titles.count <= 0) {
    std::fputs("unknown", out);
  } else {
    for (int i = 0; i < run_titles.count && i < max_titles; i++)
      if (run_titles.lines[i]) std::fprintf(out, "%s ", run_titles.lines[i]);
  }
  std::fputc('\n', out);
  std::fflush(out);

  DescEntry *list = build_description_list(0);
  current_format->field_count = 0;
  cr_data(data_file, &data_writers[writer_measuring], 1);

  field_number = 0;
  write_variables(out, list, variable_layout);
  std::fclose(out);
}
