// Statra command file: titles, the variable list, labels cut and quoted, blank comments,
// axis comments and the missing-value command; end to end through zn2statra.
#include <gtest/gtest.h>

#include <string>

#include "testsupport/process.h"
#include "testsupport/runfiles_writer.h"
#include "writer_model.h"
#include "writers/commands.h"
#include "writers/data.h"

using namespace writer_model;

namespace {

class CommandFileTest : public ::testing::Test {
protected:
  void SetUp() override { reset("statra"); }
  TempDir dir;
  ScopedChdir here{dir.path()};

  std::string commands() {
    write_statra_commands("commands.qsp", "data.qsp");
    return read_file("commands.qsp");
  }
};

// A survey with a single variable, a multiple group of four whose axis has three
// titles, a variable without a label, long labels and an inc.
void build_survey() {
  add_title("Brand survey");
  add_title("Wave 2");
  Axis *q1 = add_axis("q1", {"Male", "Female"});
  add_single(q1, "q1", "Gender");
  Axis *q2 = add_axis("q2", {"A", "B", "C", "D"});
  add_axis_title(q2, "Brands used");
  add_axis_title(q2, "Base: all");
  add_axis_title(q2, "Multiple answers");
  add_multiple(q2, "Brands used");
  Axis *q3 = add_axis("q3", {"Yes", "No"});
  add_single(q3, "q3", nullptr);
  Axis *q4 = add_axis("q4", {"A value label of thirty chars", ""});
  add_single(q4, "q4", "A variable label that is sixty characters long, cut at forty");
  Axis *q5 = add_axis("q5", {"", ""});
  add_single(q5, "q5", "Quote \"this\"\tand\nthat");
  add_inc("age", "Age");
}

const char survey_commands[] = "TITLE Brand survey.\n"
                               "* Wave 2.\n"
                               "DATA LIST FILE=\"data.qsp\" FREE/\n"
                               "  q1\n"
                               "  @q20\n"
                               "  @q21\n"
                               "  @q22\n"
                               "  @q23\n"
                               "  q3\n"
                               "  q4\n"
                               "  q5\n"
                               "  age\n"
                               "  .\n"
                               "*\n"
                               "VARIABLE LABELS q1 \"Gender\".\n"
                               "VALUE LABELS q1\n"
                               "  0 \"Male\"\n"
                               "  1 \"Female\"\n"
                               ".\n"
                               "*\n"
                               "VARIABLE LABELS @q20 \"Brands used\".\n"
                               "VALUE LABELS @q20\n"
                               "  -1 \"no A\"\n"
                               "  1 \"A\"\n"
                               ".\n"
                               "* Base: all.\n"
                               "* Multiple answers.\n"
                               "VARIABLE LABELS @q21 \"Brands used\".\n"
                               "VALUE LABELS @q21\n"
                               "  0 \"no B\"\n"
                               "  1 \"B\"\n"
                               ".\n"
                               "* Base: all.\n"
                               "* Multiple answers.\n"
                               "VARIABLE LABELS @q22 \"Brands used\".\n"
                               "VALUE LABELS @q22\n"
                               "  0 \"no C\"\n"
                               "  1 \"C\"\n"
                               ".\n"
                               "* Base: all.\n"
                               "* Multiple answers.\n"
                               "VARIABLE LABELS @q23 \"Brands used\".\n"
                               "VALUE LABELS @q23\n"
                               "  0 \"no D\"\n"
                               "  1 \"D\"\n"
                               ".\n"
                               "* Base: all.\n"
                               "* Multiple answers.\n"
                               "VALUE LABELS q3\n"
                               "  0 \"Yes\"\n"
                               "  1 \"No\"\n"
                               ".\n"
                               "*\n"
                               "VARIABLE LABELS q4 \"A variable label that is sixty character\".\n"
                               "VALUE LABELS q4\n"
                               "  0 \"A value label of thi\"\n"
                               ".\n"
                               "*\n"
                               "VARIABLE LABELS q5 \"Quote \"\"this\"\" and that\".\n"
                               "*\n"
                               "VARIABLE LABELS age \"Age\".\n"
                               "MISSING VALUES ALL (-99.99).\n";

TEST_F(CommandFileTest, WholeFileWithGroupComments) {
  build_survey();
  blank_comments = 1;
  EXPECT_EQ(commands(), survey_commands);
}

TEST_F(CommandFileTest, BlankCommentSettings) {
  build_survey();
  struct Case {
    int setting;
    size_t comments;
  } cases[] = {{0, 0}, {1, 5}, {-1, 5}, {2, 8}, {7, 8}};
  for (const Case &c : cases) {
    blank_comments = c.setting;
    std::string text = commands();
    size_t count = 0;
    for (size_t at = text.find("*\n"); at != std::string::npos; at = text.find("*\n", at + 1))
      if (at == 0 || text[at - 1] == '\n') count++;
    EXPECT_EQ(count, c.comments) << "blank_comments " << c.setting;
  }
}

TEST_F(CommandFileTest, LabelLengthSettings) {
  build_survey();
  variable_label_max = 5;
  value_label_max = 3;
  std::string text = commands();
  EXPECT_NE(text.find("VARIABLE LABELS q1 \"Gende\".\n"), std::string::npos);
  EXPECT_NE(text.find("  0 \"Mal\"\n"), std::string::npos);
  // The quotation mark is doubled after cutting, so the cut keeps whole characters.
  EXPECT_NE(text.find("VARIABLE LABELS q5 \"Quote\".\n"), std::string::npos);
  variable_label_max = 7;
  EXPECT_NE(commands().find("VARIABLE LABELS q5 \"Quote \"\"\".\n"), std::string::npos);
}

TEST_F(CommandFileTest, TitleLines) {
  struct Case {
    const char *title, *line;
  } cases[] = {
      {"Plain title", "TITLE Plain title.\n"},
      {"Men's survey", "TITLE \"Men's survey\".\n"},
      {"The \"best\" one", "TITLE \"The \"\"best\"\" one\".\n"},
      {"Tab\there\nand\rthere", "TITLE Tab here and there.\n"},
  };
  for (const Case &c : cases) {
    reset("statra");
    add_title(c.title);
    add_title("Second\tline with 'quotes'");
    EXPECT_EQ(commands(), std::string(c.line) + "* Second line with 'quotes'.\nDATA LIST FILE=\"data.qsp\" FREE/\n  .\n"
                                                "MISSING VALUES ALL (-99.99).\n");
  }
  reset("statra");
  EXPECT_EQ(commands().rfind("DATA LIST", 0), 0u) << "no title lines, no TITLE command";
}

TEST_F(CommandFileTest, MissingValuesCommandOnlyForNumbers) {
  struct Case {
    const char *missing;
    bool written;
  } cases[] = {
      {"-99.99", true}, {"99", true},   {"+1.5", true}, {".5", true},  {"5.", true},     {"-0", true},
      {" ", false},     {"", false},    {"-", false},   {".", false},  {"1.2.3", false}, {"1e5", false},
      {"NA", false},    {"- 1", false}, {" 9", false},  {"9 ", false}, {"--1", false},   {"1-", false},
  };
  for (const Case &c : cases) {
    reset("statra");
    set_missing(c.missing);
    std::string text = commands();
    std::string line = std::string("MISSING VALUES ALL (") + c.missing + ").\n";
    if (c.written)
      EXPECT_EQ(text.substr(text.size() - line.size()), line) << c.missing;
    else
      EXPECT_EQ(text.find("MISSING VALUES"), std::string::npos) << c.missing;
  }
}

TEST_F(CommandFileTest, FixedFormatRequestIsOnlyReported) {
  fixed_format_data = 1;
  ::testing::internal::CaptureStderr();
  std::string text = commands();
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Sorry, only free format data currently available\n");
  EXPECT_NE(text.find("DATA LIST FILE=\"data.qsp\" FREE/\n"), std::string::npos);
}

} // namespace
