// The driver: program name, format selection, usage text and the command-line programs.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/main.h"
#include "engine/rundir.h"
#include "testsupport/process.h"

namespace {

TEST(ProgramName, DerivedFromTheProgramFile) {
  struct Case {
    const char *file, *name, *format;
  } cases[] = {
      {"C:\\Tools\\ZN2XML.EXE", "zn2xml", "xml"},
      {"zn2statra.exe", "zn2statra", "statra"},
      {"/zn2ts.exe", "zn2ts", "ts"},
      {"ZN2XML.EXE", "Zn2xml", "xml"},
      {"/usr/local/bin/zn2ts", "zn2ts", "ts"},
      {"./zn2csv", "zn2csv", "csv"},
      {"convert.exe", "convert", "xml"},
      {"mysss", "mysss", "sss"},
      {"xml", "xml", "xml"},
      {"ts", "ts", "xml"},
      {"run-zn2statra", "zn2statra", "statra"},
      {"", "", "xml"},
  };
  for (const Case &c : cases) {
    std::string given = c.file;
    char *argv[] = {given.data(), nullptr};
    char *name = derive_program_name(argv);
    EXPECT_STREQ(name, c.name) << c.file;
    EXPECT_NE(argv[0], given.data()) << "entry 0 is replaced by a private copy";
    EXPECT_EQ(given, c.file) << "the caller's text is not changed";
    EXPECT_STREQ(format_for_program(name)->name, c.format) << c.file;
  }
}

TEST(Formats, SelectorsAndRows) {
  EXPECT_EQ(format_named("XML"), nullptr);
  EXPECT_STREQ(format_named("ts")->description_file, "survey.sss");
  EXPECT_STREQ(format_named("sss")->description_file, "survey.xml");
  EXPECT_STREQ(format_named("statra")->default_missing, "-99.99");
  EXPECT_STREQ(format_named("csv")->data_file, "survey.csv");
  for (const OutputFormat &row : output_formats) EXPECT_EQ(row.name_length, static_cast<int>(std::strlen(row.name)));
}

const char usage_csv[] = "Usage: zn2csv [ -lx ] [-p precision] [-m missing_value_string ] [-f format] [directory]\n"
                         "\n"
                         "    Convert Tabulon output to triple-s format\n"
                         "\n"
                         "-f   - output format. Available formats are:\n"
                         "\n"
                         "       xml     - triple-s XML format\n"
                         "       classic - Classic triple-s\n"
                         "       statra    - Statra format\n"
                         "       csv     - tab separated csv file (default)\n"
                         "\n"
                         "-p   - number following indicates precision. Default is worked\n"
                         "\t      out by scanning the data\n"
                         "\n"
                         "-m   - string following specifies string for missing values\n"
                         "\n"
                         "-l   - join multiple titles together\n"
                         "\n"
                         "-r   - set max length of value labels (default is 20)\n"
                         "-q   - set max length of variable labels (default is 40)\n"
                         "\n"
                         "-x   - display this help.\n"
                         "\n";

TEST(CommandLine, UsageTextByteForByte) {
  TempDir dir;
  ProcessResult r = run_program(built_program("zn2csv"), {"-x"}, dir.path());
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_EQ(r.out, usage_csv);
  EXPECT_EQ(r.err, std::string("[ Tabulon to triple-s converter, program version 1.1 (") + build_date + ") ]\n\n");

  // The (default) mark follows the format chosen so far: zn2ts lists "classic".
  r = run_program(built_program("zn2ts"), {"-h"}, dir.path());
  EXPECT_NE(r.out.find("       classic - Classic triple-s (default)\n"), std::string::npos);
  r = run_program(built_program("zn2ts"), {"-f", "statra", "-x"}, dir.path());
  EXPECT_NE(r.out.find("       statra    - Statra format (default)\n"), std::string::npos);
}

TEST(CommandLine, UsageErrorsExitWithZeroBeforeAnyFile) {
  TempDir dir;
  ProcessResult r = run_program(built_program("zn2xml"), {"-f", "XML"}, dir.path());
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_NE(r.err.find("unrecognised output format after -f\n"), std::string::npos);
  EXPECT_EQ(r.out, "");
}

TEST(CommandLine, DirectoryArgumentIsChecked) {
  TempDir dir;
  write_file(dir.file("plain"), "");
  std::system(("mkdir " + dir.file("empty") + " " + dir.file("locked")).c_str());
  struct Case {
    std::string directory;
    const char *message;
  } cases[] = {
      {dir.file("nothing"), "Name given is not a folder\nor does not exist.\n"},
      {dir.file("plain"), "Name given is not a folder\nor does not exist.\n"},
      {dir.file("empty"), "Folder does not appear to be\na tabulon directory\n"},
  };
  for (const Case &c : cases) {
    ProcessResult r = run_program(built_program("zn2xml"), {"-p", "3", c.directory}, dir.path());
    EXPECT_EQ(r.exit_code, 1) << c.directory;
    EXPECT_EQ(r.err, c.message) << c.directory;
    EXPECT_EQ(r.out, "");
  }
}

int fake_kind_directory(const char *path) { return std::string(path).find("intermed.q") == std::string::npos ? 2 : 1; }
int fake_refuse(const char *) { return -1; }

TEST(CommandLine, DirectoryThatCannotBeEntered) {
  DirectoryServices refusing = {fake_kind_directory, fake_refuse};
  EXPECT_EQ(enter_run_directory("/run", refusing), run_directory_cannot_enter);
  EXPECT_STREQ(run_directory_messages[run_directory_cannot_enter], "Unable to change directory");
}

TEST(CommandLine, MissingRunFilesEndTheRun) {
  TempDir dir;
  ProcessResult r = run_program(built_program("zn2ts"), {}, dir.path());
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_NE(r.err.find("output format Triple S\n"), std::string::npos);
  EXPECT_NE(r.err.find("intermed.q: No such file or directory\nFATAL ERROR: Cannot open \"intermed.q\" mode \"rb\"\n"),
            std::string::npos)
      << r.err;
}

} // namespace

// A small run: one question, one numeric variable, two respondents.
#include "testsupport/runfiles_writer.h"

namespace {

void write_small_run(const std::string &directory) {
  RunDirectory run;
  run.title("Small run");
  run.axis("q1").title("Gender").element("Male").element("Female");
  run.inc("age");
  run.respondent().choose("q1", 0).value("age", 30);
  run.respondent().choose("q1", 1).value("age", missing_inc_value);
  run.write(directory);
}

struct FormatCase {
  const char *program; // argv[0] as given
  std::vector<std::string> arguments;
  const char *title;              // in "output format %s"
  const char *description, *data; // files produced
  const char *missing_in_data;    // text of the missing age in the data file
};

TEST(Conversion, ProgramNameAndSwitchesChooseTheFormat) {
  const FormatCase cases[] = {
      {"zn2ts.exe", {}, "Triple S", "survey.sss", "survey.asc", nullptr},
      {"zn2statra.exe", {}, "Statra", "commands.qsp", "data.qsp", " -99.99"},
      {"convert.exe", {}, "XML", "survey.xml", "survey.asc", nullptr},
      {"zn2ts.exe", {"-f", "csv"}, "Tab seperated CSV", "survey.txt", "survey.csv", "\t \n"},
      {"zn2statra.exe", {"-m", "NA"}, "Statra", "commands.qsp", "data.qsp", " NA"},
      {"ZN2XML.EXE", {}, "XML", "survey.xml", "survey.asc", nullptr},
  };
  for (const FormatCase &c : cases) {
    TempDir dir;
    write_small_run(dir.path());
    ProcessResult r = run_program(built_program("zn2xml"), c.arguments, dir.path(), {}, c.program);
    EXPECT_EQ(r.exit_code, 0) << c.program << r.err;
    EXPECT_NE(r.err.find(std::string("\noutput format ") + c.title + "\n"), std::string::npos) << c.program;
    EXPECT_EQ(r.out, std::string("Produced files ") + c.description + " and " + c.data + "\n\n Job completed.\n");
    EXPECT_TRUE(file_exists(dir.file(c.description))) << c.program;
    EXPECT_TRUE(file_exists(dir.file(c.data))) << c.program;
    if (c.missing_in_data) {
      EXPECT_NE(read_file(dir.file(c.data)).find(c.missing_in_data), std::string::npos) << c.program;
    }
  }
}

// Converts the directory in this process with quiet set, standard output to a file.
[[noreturn]] void convert_quietly(const std::string &directory, const std::string &out_file) {
  if (!std::freopen(out_file.c_str(), "w", stdout)) std::exit(9);
  ScopedChdir here(directory);
  char name[] = "zn2xml.exe";
  char *argv[] = {name, nullptr};
  engine_main(1, argv, 1);
  std::fflush(stdout);
  std::exit(0);
}

TEST(Conversion, QuietSuppressesBannerFormatLineAndCompletion) {
  TempDir dir;
  write_small_run(dir.path());
  std::string out_file = dir.file("stdout.txt");
  EXPECT_EXIT(convert_quietly(dir.path(), out_file), testing::ExitedWithCode(0), "^$");
  EXPECT_EQ(read_file(out_file), "Produced files survey.xml and survey.asc\n");
}

TEST(Conversion, DebugLevelOpensTheDebugFileFirst) {
  TempDir dir;
  write_small_run(dir.path());
  ProcessResult r = run_program(built_program("zn2xml"), {}, dir.path(), {{"ZNSTATRARC", "d=1"}, {"ZNSUFF", "bak"}});
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_NE(r.err.find(" ** 'ZNSTATRARC': Debug level set to 1\n"), std::string::npos);
  EXPECT_TRUE(file_exists(dir.file("debugfile.bak")));
  EXPECT_FALSE(file_exists(dir.file("debugfile")));
  EXPECT_NE(read_file(dir.file("debugfile.bak")).find("\n TITLE\n <Small run>\n"), std::string::npos);
}

TEST(Conversion, OutputGoesUnderZnperm) {
  TempDir dir;
  write_small_run(dir.path());
  std::system(("mkdir " + dir.file("out")).c_str());
  ProcessResult r = run_program(built_program("zn2csv"), {}, dir.path(), {{"ZNPERM", "out"}});
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_TRUE(file_exists(dir.file("out/survey.csv")));
  EXPECT_TRUE(file_exists(dir.file("out/survey.txt")));
  EXPECT_EQ(r.out, "Produced files survey.txt and survey.csv\n\n Job completed.\n");
}

} // namespace
