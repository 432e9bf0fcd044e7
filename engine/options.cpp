// Run options: ZNSTATRARC tokens, options files and command-line switches.
#include "engine/options.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/main.h"
#include "engine/misc.h"

int precision = 0;
char *missing_text = nullptr;
char *missing_value = nullptr;
int join_titles = 0;
int value_label_max = 0;
int variable_label_max = 0;
char *numeric_format = nullptr;
int debug_level = 0;
char *language = nullptr;
int use_element_positions = 0;
int suppress_same_name_axes = 0;
int use_element_text_values = 0;
int strip_variable_name = 0;
int fixed_format_data = 0;
int blank_comments = 0;

namespace {

constexpr size_t options_line_max = 127;

bool is_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

// The value of a letter that takes one: blanks, one "=", blanks, then the rest.
const char *option_value(const char *after_letter) {
  const char *p = after_letter;
  while (is_space(*p)) ++p;
  if (*p == '=') ++p;
  while (is_space(*p)) ++p;
  return p;
}

int on_off(const char *after_letter) { return *after_letter == '-' ? 0 : 1; }

// The F value: digits with at most one "." among them; the empty value is allowed.
bool valid_numeric_format(const char *value) {
  int points = 0;
  for (const char *p = value; *p; ++p) {
    if (*p == '.') {
      if (++points > 1) return false;
    } else if (!std::isdigit(static_cast<unsigned char>(*p))) {
      return false;
    }
  }
  return true;
}

void set_label_max(int *setting, const char *value, const char *token) {
  std::printf("have %s\n", value);
  int n = std::atoi(value);
  if (n >= 8)
    *setting = n;
  else
    log_printf(stderr, "%sSpecified value below minimum of 8 - ignored (%s)\n", "WARNING: ", token);
}

// Applies each ";"-separated piece of a text as an option token.
void apply_tokens(const char *text, const char *source, OptionSourceKind kind) {
  std::string pieces = text;
  size_t start = 0;
  while (start <= pieces.size()) {
    size_t end = pieces.find(';', start);
    if (end == std::string::npos) end = pieces.size();
    if (end > start) parse_option(pieces.substr(start, end - start).c_str(), source, kind);
    start = end + 1;
  }
}

[[noreturn]] void usage_error(const char *message) {
  std::fputs(message, stderr);
  std::exit(0);
}

} // namespace

void set_option_text(char **slot, const char *value) {
  std::free(*slot);
  *slot = value ? estrdup(value) : nullptr;
}

void parse_option(const char *token, const char *source, OptionSourceKind kind) {
  const char *p = token;
  while (is_space(*p)) ++p;
  if (*p == '-') ++p;
  const char *from_letter = p;
  char letter = *p;
  const char *rest = *p ? p + 1 : p;

  switch (letter) {
  case 'A':
  case 'a':
    blank_comments = std::atoi(option_value(rest));
    break;
  case 'C':
  case 'c':
    use_element_positions = on_off(rest);
    break;
  case 'D':
  case 'd':
    debug_level = std::atoi(option_value(rest));
    log_printf(stderr, " ** %s: Debug level set to %d\n", source, debug_level);
    break;
  case 'E':
  case 'e':
    suppress_same_name_axes = on_off(rest);
    break;
  case 'F':
  case 'f': {
    const char *value = option_value(rest);
    if (!valid_numeric_format(value)) {
      log_printf(stderr, "ERROR: Format specification \"%s\" invalid (%s)\n", from_letter, source);
      std::exit(1);
    }
    std::string format = std::string(" %") + value + "f";
    set_option_text(&numeric_format, format.c_str());
    break;
  }
  case 'K':
  case 'k':
    use_element_text_values = on_off(rest);
    break;
  case 'L':
  case 'l':
    log_printf(stderr, "%sLevels specification not implemented - ignored (%s)\n", "WARNING: ", from_letter);
    break;
  case 'M':
  case 'm':
    set_option_text(&missing_text, option_value(rest));
    break;
  case 'O':
  case 'o':
    if (kind == option_source_environment) read_options_file(option_value(rest));
    break;
  case 'P':
  case 'p':
    set_option_text(&language, option_value(rest));
    break;
  case 'Q':
  case 'q':
    set_label_max(&variable_label_max, option_value(rest), from_letter);
    break;
  case 'R':
  case 'r':
    set_label_max(&value_label_max, option_value(rest), from_letter);
    break;
  case 's':
    strip_variable_name = on_off(rest) ? 1 : 0;
    break;
  case 'S':
    strip_variable_name = on_off(rest) ? 2 : 0;
    break;
  case 'Z':
  case 'z':
    fixed_format_data = on_off(rest);
    break;
  default:
    log_printf(stderr, "%s: Unknown option \"%s\" ignored (%s)\n", program_name ? program_name : "", from_letter,
               source);
    break;
  }
}

void read_environment_options() {
  set_option_text(&language, "");
  const char *value = std::getenv("ZNSTATRARC");
  if (value) apply_tokens(value, "'ZNSTATRARC'", option_source_environment);
}

void read_options_file(const char *name) {
  FILE *file = std::fopen(name, "r");
  if (!file) {
    if (errno == ENOENT) return;
    int saved = errno;
    std::fputs("WARNING: ", stderr);
    errno = saved;
    std::perror(name);
    return;
  }
  std::string line;
  int line_number = 0;
  int c;
  bool at_end = false;
  while (!at_end) {
    line.clear();
    bool truncated = false;
    while ((c = std::fgetc(file)) != EOF && c != '\n') {
      if (line.size() < options_line_max)
        line += static_cast<char>(c);
      else
        truncated = true;
    }
    if (c == EOF) {
      at_end = true;
      if (line.empty() && !truncated) break;
    }
    ++line_number;
    if (truncated)
      log_printf(stderr, "%s%s(%d): Line truncated to %d characters\n", "WARNING: ", name, line_number,
                 static_cast<int>(options_line_max));
    apply_tokens(line.c_str(), name, option_source_file);
  }
  std::fclose(file);
}

namespace {

bool takes_value(char letter) {
  return letter == 'p' || letter == 'f' || letter == 'q' || letter == 'r' || letter == 'm';
}

} // namespace

int first_plain_argument(int argc, char **argv) {
  int next_value = 1;
  for (int i = 1; i < argc; ++i) {
    if (i < next_value) continue;
    if (!argv[i] || argv[i][0] != '-') return argv[i] ? i : 0;
    next_value = i + 1;
    for (const char *p = argv[i] + 1; *p; ++p)
      if (takes_value(*p)) ++next_value;
  }
  return 0;
}

void parse_command_line(int argc, char **argv, const char *program) {
  (void)program;
  int next_value = 1; // the next argument that a value letter may take
  for (int i = 1; i < argc; ++i) {
    if (i < next_value) continue; // already taken as a value
    const char *argument = argv[i];
    if (!argument || argument[0] != '-') break;
    next_value = i + 1;
    for (const char *p = argument + 1; *p; ++p) {
      char letter = *p;
      auto take_value = [&](const char *missing) -> const char * {
        if (next_value >= argc || !argv[next_value]) usage_error(missing);
        return argv[next_value++];
      };
      switch (letter) {
      case 'l':
        ++join_titles;
        break;
      case 'p': {
        const char *value = take_value("missing precision argument after -p\n");
        for (const char *q = value; *q; ++q)
          if (!std::isdigit(static_cast<unsigned char>(*q)))
            usage_error("precision argument after -p is not numeric\n");
        // Digits only: a long run of digits is simply above 10.
        size_t digits = std::strlen(value);
        int n = digits > 3 ? 11 : std::atoi(value);
        precision = n > 10 ? 0 : n;
        break;
      }
      case 'f': {
        const char *value = take_value("missing format argument after -f\n");
        OutputFormat *row = format_named(value);
        if (!row) usage_error("unrecognised output format after -f\n");
        current_format = row;
        break;
      }
      case 'q':
      case 'r': {
        char message[48];
        std::snprintf(message, sizeof message, "missing max length argument after -%c\n", letter);
        const char *value = take_value(message);
        int n = std::atoi(value);
        if (n >= 8)
          *(letter == 'q' ? &variable_label_max : &value_label_max) = n;
        else
          log_printf(stderr, "Specified value for %c of %d is below minimum of 8 (ignored)\n", letter, n);
        break;
      }
      case 'm':
        set_option_text(&missing_text, take_value("missing parameter after -m\n"));
        break;
      case 'h':
      case 'x':
        print_usage();
        std::exit(0);
      default:
        break;
      }
    }
  }
}

void print_usage() {
  static const char *const lines[] = {
      "!Usage: %s [ -lx ] [-p precision] [-m missing_value_string ] [-f format] [directory]",
      "",
      "    Convert Tabulon output to triple-s format",
      "",
      "-f   - output format. Available formats are:",
      "",
      "*xml       xml     - triple-s XML format",
      "*classic       classic - Classic triple-s",
      "*statra       statra    - Statra format",
      "*csv       csv     - tab separated csv file",
      "",
      "-p   - number following indicates precision. Default is worked",
      "\t      out by scanning the data",
      "",
      "-m   - string following specifies string for missing values",
      "",
      "-l   - join multiple titles together",
      "",
      "-r   - set max length of value labels (default is 20)",
      "-q   - set max length of variable labels (default is 40)",
      "",
      "-x   - display this help.",
      "",
  };
  for (const char *line : lines) {
    if (line[0] == '!') {
      std::printf(line + 1, program_name ? program_name : "");
    } else if (line[0] == '*') {
      const char *blank = std::strchr(line, ' ');
      std::string keyword(line + 1, blank ? static_cast<size_t>(blank - line - 1) : std::strlen(line + 1));
      std::fputs(blank ? blank : "", stdout);
      if (current_format && keyword == current_format->canonical_name) std::fputs(" (default)", stdout);
    } else {
      std::fputs(line, stdout);
    }
    std::fputc('\n', stdout);
  }
  std::fflush(stdout);
}
