// The conversion driver: chooses the output format and runs the stages in order.
#include "engine/main.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

#include "engine/misc.h"
#include "engine/nstore.h"
#include "engine/options.h"
#include "engine/ptf.h"
#include "model/statvars.h"
#include "model/znostats.h"
#include "runfiles/axinf.h"
#include "runfiles/init.h"
#include "runfiles/intermed.h"
#include "runfiles/title.h"
#include "writers/commands.h"
#include "writers/data.h"
#include "writers/sss.h"
#include "writers/text.h"
#include "writers/xml.h"

// The first row whose name matches wins, so the order of the rows matters.
OutputFormat output_formats[output_format_count] = {
    {1, "classic", "classic", "Triple S", 7, " ", "survey.sss", "survey.asc", write_sss_description, 0, 0},
    {0, "statra", "statra", "Statra", 6, "-99.99", "commands.qsp", "data.qsp", write_statra_commands, 2, 0},
    {1, "ts", "classic", "Triple S", 2, " ", "survey.sss", "survey.asc", write_sss_description, 0, 0},
    {2, "sss", "xml", "XML", 3, " ", "survey.xml", "survey.asc", write_xml_description, 0, 0},
    {2, "xml", "xml", "XML", 3, " ", "survey.xml", "survey.asc", write_xml_description, 0, 0},
    {3, "csv", "csv", "Tab seperated CSV", 3, " ", "survey.txt", "survey.csv", write_text_description, 3, 0},
};

OutputFormat *current_format = &output_formats[default_format_row];
char *program_name = nullptr;
FILE *debug_file = nullptr;
const char engine_version[] = "1.1";
const char build_date[] = __DATE__ " " __TIME__;

char *derive_program_name(char **argv) {
  const char *given = argv[0] ? argv[0] : "";
  char *copy = estrdup(given);
  argv[0] = copy;

  size_t length = std::strlen(copy);
  char *start = copy;
  if (length > 1) {
    // Walk back over letters, digits and dots, lowering letters; reaching the first
    // character makes it part of the name without it being examined.
    for (char *p = copy + length - 1; p > copy; --p) {
      unsigned char c = static_cast<unsigned char>(*p);
      if (!std::isalnum(c) && c != '.') {
        start = p + 1;
        break;
      }
      *p = static_cast<char>(std::tolower(c));
    }
  }

  // Only a real ".exe" ending is removed.
  size_t name_length = std::strlen(start);
  if (name_length >= 4 && std::strcmp(start + name_length - 4, ".exe") == 0) start[name_length - 4] = '\0';

  char *slash = std::strrchr(start, '/');
  char *backslash = std::strrchr(start, '\\');
  char *last = slash > backslash ? slash : backslash;
  if (last) start = last + 1;
  return start;
}

OutputFormat *format_for_program(const char *name) {
  size_t n = std::strlen(name);
  for (OutputFormat &row : output_formats) {
    size_t k = static_cast<size_t>(row.name_length);
    if (n > k && std::strcmp(name + n - k, row.name) == 0) return &row;
  }
  return &output_formats[default_format_row];
}

OutputFormat *format_named(const char *name) {
  for (OutputFormat &row : output_formats)
    if (std::strcmp(row.name, name) == 0) return &row;
  return nullptr;
}

int engine_main(int argc, char **argv, int quiet) {
  join_titles = 0;
  precision = 0;

  program_name = derive_program_name(argv);
  current_format = format_for_program(program_name);

  if (!quiet)
    log_printf(stderr, "[ Tabulon to triple-s converter, program version %s (%s) ]\n\n", engine_version, build_date);

  init_store();
  read_environment_options();
  set_option_text(&missing_text, nullptr);
  parse_command_line(argc, argv, program_name);
  set_option_text(&missing_value, missing_text ? missing_text : current_format->default_missing);

  if (!quiet) log_printf(stderr, "output format %s\n", current_format->title);
  if (debug_level != 0) debug_file = open_run_file("debugfile", "wt");
  language_warning(language);

  init();
  get_title();
  get_axinf();
  if (debug_level != 0)
    for (Axis *axis = axes; axis; axis = axis->next) dump_axis(axis);
  read_intermed();
  znostats();
  if (debug_level != 0) dump_stvars();
  build_outputs();

  current_format->write_description(current_format->description_file, current_format->data_file);
  cr_data(current_format->data_file, &data_writers[current_format->data_writer], 0);

  release_store();
  std::printf("Produced files %s and %s\n", current_format->description_file, current_format->data_file);
  if (!quiet) std::printf("\n Job completed.\n");
  std::fflush(stdout);
  return 0;
}
