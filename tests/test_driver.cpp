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
