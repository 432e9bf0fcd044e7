// Classic Triple-S description: survey.sss, in the keyword form, with the same
// variables, grouping and columns as the XML description.
#include "writers/sss.h"

#include <cstdio>

#include "engine/main.h"
#include "engine/misc.h"
#include "model/statvars.h"
#include "model/znostats.h"
#include "runfiles/title.h"
#include "writers/data.h"
#include "writers/describe.h"

namespace {

int variable_counter = 0;

const ValueTexts value_texts = {
    "\t\t\t\tValues\n",
    "\t\t\t\t\t%d \"%s\"\n",
    "\t\t\t\tEnd Values\n",
    "\t\t\t\tValues\n\t\t\t\t\t",
    "\n\t\t\t\tEnd Values\n",
    sss_quote,
    {
        "%s",
        "%s to %s",
        "%.*f \"the only valid value\"",
        "%.*f to %.*f",
    },
};

// The variable section of an entry; member is 0 for a head that is not a group, else
// the member's number in its group (1 for the head).
void write_variable(FILE *out, const DescEntry *entry, int member, long long start, long long finish) {
  const StatVar *var = entry->var;
  if (member <= 1) {
    variable_counter++;
    std::fprintf(out, "\t\t\tVariable %d\n\t\t\tName \"%s\"\n", variable_counter, description_name_text(var));
    std::fprintf(out, "\t\t\tLabel \"%s\"\n", sss_quote(description_label_text(var)).c_str());
    std::fprintf(out, "\t\t\tType %s\n", member == 1 ? "multiple" : var->kind == kind_numeric ? "quantity" : "single");
    std::fprintf(out, "\t\t\tPosition %lld", start);
    if (finish != start) std::fprintf(out, " to %lld", finish);
    std::fputc('\n', out);
  }
  write_values(out, entry, member, value_texts);
}

const VariableLayout variable_layout = {write_variable, "\t\t\t\tEnd Values\n\t\t\tEnd Variable\n",
                                        "\t\t\tEnd Variable\n"};

} // namespace

std::string sss_quote(const char *text) {
  std::string result;
  for (const char *p = text; *p; p++) {
    if (*p == '"')
      result += "{\"}";
    else
      result += *p;
  }
  return result;
}

void write_sss_description(const char *description_file, const char *data_file) {
  FILE *out = open_run_file(description_file, "wt");
  std::fclose(open_run_file(data_file, "wt"));

  struct tm now;
  description_time(&now);
  std::fprintf(out,
               "SSS\n\tVersion 1.1\n\tDate \"%02d %3.3s %4d\"\n\tTime \"%02d:%02d\"\n\tOrigin \"%s, created by "
               "%s\"\n\tSURVEY\n\t\tTITLE \"",
               now.tm_mday, month_letters(now.tm_mon), now.tm_year + 1900, now.tm_hour, now.tm_min, "WINDOWS",
               program_name ? program_name : "");
  if (run_titles.count <= 0) {
    std::fputs("unknown", out);
  } else {
    for (int i = 0; i < run_titles.count && i < max_titles; i++)
      if (run_titles.lines[i]) std::fprintf(out, "%s ", sss_quote(run_titles.lines[i]).c_str());
  }
  std::fputs("\"\n\t\tRecord A\n", out);
  std::fflush(out);

  DescEntry *list = build_description_list(1);
  cr_data(data_file, &data_writers[writer_measuring], 1);

  variable_counter = 0;
  write_variables(out, list, variable_layout);
  std::fputs("\t\tEnd Record\n\tEnd Survey\nEnd SSS\n", out);
  std::fclose(out);
}
