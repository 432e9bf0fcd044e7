// Run options: ZNSTATRARC tokens, options files and command-line switches.
#pragma once

extern int precision;               // 0 = worked out from the data, else 1..10
extern char *missing_text;          // -m text, or null
extern char *missing_value;         // settled missing-value text
extern int join_titles;             // -l count
extern int value_label_max;         // -r / R
extern int variable_label_max;      // -q / Q
extern char *numeric_format;        // F: " %<value>f", or null
extern int debug_level;             // D
extern char *language;              // P
extern int use_element_positions;   // C
extern int suppress_same_name_axes; // E
extern int use_element_text_values; // K
extern int strip_variable_name;     // s = 1, S = 2
extern int fixed_format_data;       // Z
extern int blank_comments;          // A

enum OptionSourceKind { option_source_environment, option_source_file };

// Applies one option token; source names the token's origin in messages.
void parse_option(const char *token, const char *source, OptionSourceKind kind);
// Sets language to "" and applies every token of ZNSTATRARC.
void read_environment_options();
// Applies every token of an options file (missing file: nothing happens).
void read_options_file(const char *name);
// Applies the command-line switches from argv[1] on.
void parse_command_line(int argc, char **argv, const char *program_name);
void print_usage();
// Index of the first argument that is neither a switch nor a switch's value, or 0.
int first_plain_argument(int argc, char **argv);
// Replaces a stored option text by a copy of value (null clears it).
void set_option_text(char **slot, const char *value);
