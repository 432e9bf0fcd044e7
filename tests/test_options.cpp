// Run options: ZNSTATRARC tokens, options files and command-line switches.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "engine/main.h"
#include "engine/options.h"
#include "testsupport/process.h"

namespace {

void reset_options() {
  precision = 0;
  set_option_text(&missing_text, nullptr);
  join_titles = 0;
  value_label_max = variable_label_max = 0;
  set_option_text(&numeric_format, nullptr);
  debug_level = 0;
  set_option_text(&language, "");
  use_element_positions = suppress_same_name_axes = use_element_text_values = 0;
  strip_variable_name = fixed_format_data = blank_comments = 0;
  current_format = &output_formats[default_format_row];
  static char name[] = "zn2xml";
  program_name = name;
}

struct Captured {
  std::string out, err;
};

// Applies ZNSTATRARC with the given value and captures both streams.
Captured apply_environment(const char *value) {
  setenv("ZNSTATRARC", value, 1);
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  read_environment_options();
  Captured captured;
  captured.out = testing::internal::GetCapturedStdout();
  captured.err = testing::internal::GetCapturedStderr();
  unsetenv("ZNSTATRARC");
  return captured;
}

class Options : public testing::Test {
protected:
  void SetUp() override { reset_options(); }
};

TEST_F(Options, EnvironmentTokensSetTheirSettings) {
  Captured c = apply_environment("d=2;r=30;q 50");
  EXPECT_EQ(c.err, " ** 'ZNSTATRARC': Debug level set to 2\n");
  EXPECT_EQ(c.out, "have 30\nhave 50\n");
  EXPECT_EQ(debug_level, 2);
  EXPECT_EQ(value_label_max, 30);
  EXPECT_EQ(variable_label_max, 50);
}

TEST_F(Options, OnOffLettersAndLeadingBlankAndDash) {
  fixed_format_data = 1;
  apply_environment(" -S ;Z-;c;E;k;A=2");
  EXPECT_EQ(strip_variable_name, 2);
  EXPECT_EQ(fixed_format_data, 0);
  EXPECT_EQ(use_element_positions, 1);
  EXPECT_EQ(suppress_same_name_axes, 1);
  EXPECT_EQ(use_element_text_values, 1);
  EXPECT_EQ(blank_comments, 2);
  apply_environment("s;c-");
  EXPECT_EQ(strip_variable_name, 1);
  EXPECT_EQ(use_element_positions, 0);
  apply_environment("s-");
  EXPECT_EQ(strip_variable_name, 0);
}

TEST_F(Options, NumericFormatValues) {
  apply_environment("F=8.2");
  EXPECT_STREQ(numeric_format, " %8.2f");
  apply_environment("F=");
  EXPECT_STREQ(numeric_format, " %f");
  apply_environment("f 12");
  EXPECT_STREQ(numeric_format, " %12f");
}

TEST_F(Options, InvalidNumericFormatEndsTheRun) {
  for (const char *value : {"F=8.2.1", "F=-3", "F=8 2"}) {
    EXPECT_EXIT(
        {
          setenv("ZNSTATRARC", value, 1);
          read_environment_options();
        },
        testing::ExitedWithCode(1),
        "ERROR: Format specification \"" + std::string(value).substr(0, 1) + ".*\" invalid \\('ZNSTATRARC'\\)");
  }
}

TEST_F(Options, LabelLengthBelowMinimumIsIgnored) {
  Captured c = apply_environment("r=5");
  EXPECT_EQ(c.out, "have 5\n");
  EXPECT_EQ(c.err, "WARNING: Specified value below minimum of 8 - ignored (r=5)\n");
  EXPECT_EQ(value_label_max, 0);
}

TEST_F(Options, UnknownLettersLevelsAndLanguage) {
  Captured c = apply_environment("X=1;L=2;P=FR");
  EXPECT_EQ(c.err, "zn2xml: Unknown option \"X=1\" ignored ('ZNSTATRARC')\n"
                   "WARNING: Levels specification not implemented - ignored (L=2)\n");
  EXPECT_STREQ(language, "FR");
}

TEST_F(Options, MissingValueTokenIsStoredForTheDriverToClear) {
  apply_environment("m=NA");
  ASSERT_NE(missing_text, nullptr);
  EXPECT_STREQ(missing_text, "NA");
}

TEST_F(Options, OptionsFileIsReadAtItsPlace) {
  TempDir dir;
  ScopedChdir here(dir.path());
  write_file("opts.txt", "r=25;z\n\n;;k\n");
  Captured c = apply_environment("o=opts.txt;d=1");
  EXPECT_EQ(value_label_max, 25);
  EXPECT_EQ(fixed_format_data, 1);
  EXPECT_EQ(use_element_text_values, 1);
  EXPECT_EQ(debug_level, 1);
  EXPECT_EQ(c.err, " ** 'ZNSTATRARC': Debug level set to 1\n");
}

TEST_F(Options, OptionsFileMissingOrNestedIsSilent) {
  TempDir dir;
  ScopedChdir here(dir.path());
  write_file("outer.txt", "o=inner.txt\n");
  write_file("inner.txt", "d=3\n");
  Captured c = apply_environment("o=nofile.txt;o=outer.txt");
  EXPECT_EQ(c.out, "");
  EXPECT_EQ(c.err, "");
  EXPECT_EQ(debug_level, 0);
}

TEST_F(Options, OptionsFileLinesAreCutAt127Characters) {
  TempDir dir;
  ScopedChdir here(dir.path());
  // Line 1: 127 characters used whole. Line 2: 130 characters, the last three dropped.
  std::string exact = "A=7;" + std::string(122, ';') + "c";
  std::string longer = "k;" + std::string(121, ';') + "r=9" + ";" + "Z;d";
  ASSERT_EQ(exact.size(), 127u);
  ASSERT_EQ(longer.size(), 130u);
  write_file("opts.txt", exact + "\n" + longer + "\nE\n");
  Captured c = apply_environment("o=opts.txt");
  EXPECT_EQ(c.err, "WARNING: opts.txt(2): Line truncated to 127 characters\n");
  EXPECT_EQ(blank_comments, 7);
  EXPECT_EQ(use_element_positions, 1);
  EXPECT_EQ(use_element_text_values, 1);
  EXPECT_EQ(value_label_max, 9);   // "r=9" lies within the first 127 characters
  EXPECT_EQ(fixed_format_data, 0); // "Z;d" lies beyond them
  EXPECT_EQ(suppress_same_name_axes, 1);
}

TEST_F(Options, UnreadableOptionsFileIsReported) {
  TempDir dir;
  ScopedChdir here(dir.path());
  write_file("plain", "");
  Captured c = apply_environment("o=plain/opts.txt;d=1");
  EXPECT_EQ(c.err, "WARNING: plain/opts.txt: Not a directory\n ** 'ZNSTATRARC': Debug level set to 1\n");
}

// Applies a command line and returns the option globals touched.
void apply_command_line(std::vector<std::string> arguments) {
  arguments.insert(arguments.begin(), "zn2xml");
  std::vector<char *> argv;
  for (std::string &a : arguments) argv.push_back(a.data());
  argv.push_back(nullptr);
  parse_command_line(static_cast<int>(arguments.size()), argv.data(), "zn2xml");
}

TEST_F(Options, CommandLineValues) {
  struct Case {
    std::vector<std::string> arguments;
    int precision;
    const char *format;
  } cases[] = {
      {{"-p", "11"}, 0, "xml"},
      {{"-p", "10"}, 10, "xml"},
      {{"-p", ""}, 0, "xml"},
      {{"-pf", "3", "csv"}, 3, "csv"},
      {{"-f", "ts", "dir", "-p", "4"}, 0, "ts"},
      {{"-p", "99999999999999999999"}, 0, "xml"},
  };
  for (const Case &c : cases) {
    reset_options();
    apply_command_line(c.arguments);
    EXPECT_EQ(precision, c.precision) << c.arguments[0];
    EXPECT_STREQ(current_format->name, c.format) << c.arguments[0];
  }
  reset_options();
  apply_command_line({"-l", "-l", "-m", "NA", "-r", "30", "-q", "60"});
  EXPECT_EQ(join_titles, 2);
  EXPECT_STREQ(missing_text, "NA");
  EXPECT_EQ(value_label_max, 30);
  EXPECT_EQ(variable_label_max, 60);
}

TEST_F(Options, CommandLineLabelLengthBelowMinimum) {
  testing::internal::CaptureStderr();
  apply_command_line({"-q", "7"});
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Specified value for q of 7 is below minimum of 8 (ignored)\n");
  EXPECT_EQ(variable_label_max, 0);
}

TEST_F(Options, CommandLineUsageErrorsExitWithZero) {
  struct Case {
    std::vector<std::string> arguments;
    const char *message;
  } cases[] = {
      {{"-f", "XML"}, "unrecognised output format after -f\n"},
      {{"-f"}, "missing format argument after -f\n"},
      {{"-p"}, "missing precision argument after -p\n"},
      {{"-p", "7x"}, "precision argument after -p is not numeric\n"},
      {{"-m"}, "missing parameter after -m\n"},
      {{"-r"}, "missing max length argument after -r\n"},
      {{"-lq"}, "missing max length argument after -q\n"},
  };
  for (const Case &c : cases)
    EXPECT_EXIT(apply_command_line(c.arguments), testing::ExitedWithCode(0), c.message) << c.arguments[0];
}

TEST(FirstPlainArgument, SkipsSwitchesAndTheirValues) {
  struct Case {
    std::vector<std::string> arguments;
    int index;
  } cases[] = {
      {{}, 0},
      {{"dir"}, 1},
      {{"-p", "3", "dir"}, 3},
      {{"-pf", "3", "xml", "dir"}, 4},
      {{"-l", "-m", "NA"}, 0},
      {{"-l", "dir", "-p", "2"}, 2},
  };
  for (const Case &c : cases) {
    std::vector<std::string> arguments = c.arguments;
    arguments.insert(arguments.begin(), "zn2xml");
    std::vector<char *> argv;
    for (std::string &a : arguments) argv.push_back(a.data());
    argv.push_back(nullptr);
    EXPECT_EQ(first_plain_argument(static_cast<int>(arguments.size()), argv.data()), c.index);
  }
}

} // namespace
