// The conversion driver: output-format table, program name and the run sequence.
#pragma once

#include <cstdio>

// One row of the output-format table.
struct OutputFormat {
  int family; // 0 Statra, 1 classic Triple-S, 2 Triple-S XML, 3 tab-separated
  const char *name;
  const char *canonical_name;
  const char *title;
  int name_length;
  const char *default_missing;
  const char *description_file;
  const char *data_file;
  void (*write_description)(const char *description_file, const char *data_file);
  int data_writer;
  int field_count; // fields written in the current tab-separated record
};

constexpr int output_format_count = 6;
constexpr int default_format_row = 4; // "xml"

extern OutputFormat output_formats[output_format_count];
extern OutputFormat *current_format;
extern char *program_name;
extern FILE *debug_file;
extern const char engine_version[];
extern const char build_date[];

// Converts the run directory that is the current directory. Failures end the process.
int engine_main(int argc, char **argv, int quiet);

// Takes a private copy of argv[0], stores it in argv[0] and returns the program name
// inside it (letters lowered, directory part and a trailing ".exe" removed).
char *derive_program_name(char **argv);

// The first row whose name ends the program name (the name being longer), else "xml".
OutputFormat *format_for_program(const char *name);

// The first row whose name equals the text exactly, or null.
OutputFormat *format_named(const char *name);
