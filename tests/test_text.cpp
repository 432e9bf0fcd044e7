// Tab-separated text description: the explanation, the field numbers (one per column of
// survey.csv), values and ranges; end to end through zn2csv.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "testsupport/process.h"
#include "testsupport/runfiles_writer.h"
#include "writer_model.h"
#include "writers/data.h"
#include "writers/text.h"

using namespace writer_model;

namespace {

class TextDescriptionTest : public ::testing::Test {
protected:
  void SetUp() override { setenv("SOURCE_DATE_EPOCH", "1700000000", 1); }
  void TearDown() override { unsetenv("SOURCE_DATE_EPOCH"); }
  TempDir dir;
  ScopedChdir here{dir.path()};
};

const char explanation[] = "This is the description of the generated data file\n"
                           "\n"
                           "There are three types of variables, single, multiple and value. \"Single\"\n"
                           "variables occupy one field and are integer values. \"Multiple\" values\n"
                           "occupy a field each for each answer within the multiple. \"0\" indicates\n"
                           "a \"no\", \"1\" indicates a \"yes\" and space is \"no answer\". The final variable\n"
                           "type is a value, generally integer. The maximum and minimum range of this\n"
                           "variable is given.\n"
                           "\n"
                           "Each variable is shown with its name, associated question text (if any)\n"
                           "the type of variable, field position and possible values. In the case of\n"
                           "\"multiple\", each value is shown along with the field it occupies.\n"
                           "\n";

const char sample_variables[] = "\n"
                                "\nVariable: q1\n"
                                "Question label: Gender\nof respondent\n\n"
                                "Variable type: single\n"
                                "Field:  1\n"
                                "Value: 0 = Male\n"
                                "Value: 1 = Female\n"
                                "\n"
                                "\n"
                                "\nVariable: q2\n"
                                "Question label: Q&A\tx \"quoted\"\n"
                                "Variable type: multiple\n"
                                "Field 2: A\n"
                                "Field 3: B\n"
                                "Field 4: Caf\xe9\n"
                                "\n"
                                "\nVariable: q3\n"
                                "Question label: q3\n"
                                "Variable type: single\n"
                                "Field:  5\n"
                                "\n"
                                "\n"
                                "\nVariable: lone\n"
                                "Question label: Only one\n"
                                "Variable type: single\n"
                                "Field:  6\n"
                                "\n"
                                "\n"
                                "\nVariable: 1st score (raw)\n"
                                "Question label: 1st score (raw)\n"
                                "Variable type: value\n"
                                "Field: 7\n"
                                "Range: 1 to 5"
                                "\n"
                                "\nVariable: real\n"
                                "Question label: real\n"
                                "Variable type: value\n"
                                "Field: 8\n"
                                "Range: 2.5000000"
                                "\n"
                                "\nVariable: five\n"
                                "Question label: five\n"
                                "Variable type: value\n"
                                "Field: 9\n"
                                "Range: 5"
                                "\n"
                                "\nVariable: weight0\n"
                                "Question label: weight0\n"
                                "Variable type: value\n"
                                "Field: 10\n"
                                "Range: 1";

TEST_F(TextDescriptionTest, FieldNumbersAreTheColumns) {
  sample_survey("csv");
  write_text_description("survey.txt", "survey.csv");
  EXPECT_EQ(read_file("survey.txt"), std::string(explanation) +
                                         "\nProduced on: 14 Nov 2023 at 22:13Survey title: Brand <survey> Wave 2 \n" +
                                         sample_variables);
  EXPECT_EQ(read_file("survey.csv"), "");
  cr_data("survey.csv", &data_writers[writer_tabbed], 0);
  EXPECT_EQ(read_file("survey.csv"), "0\t1\t0\t1\t0\t1\t1\t2.5000000\t5\t1\n"
                                     "1\t \t \t \t \t \t5\t2.5000000\t5\t1\n"
                                     " \t0\t1\t0\t1\t \t3\t2.5000000\t5\t1\n");
}

TEST_F(TextDescriptionTest, UnknownTitleAndRealRange) {
  reset("csv");
  Axis *empty = add_axis("empty", {}); // a grid copy of a side axis without categories
  add_single(empty, "empty", "Empty");
  add_inc("ratio", "Ratio");
  add_inc("big", "Big");
  build_masks();
  write_intermed(0, 2, {{{}, {0.5f, 5.0e9f}}, {{}, {2.0f, 5.0e9f}}});
  write_text_description("survey.txt", "survey.csv");
  std::string text = read_file("survey.txt");
  EXPECT_NE(text.find("at 22:13Survey title: unknown\n"), std::string::npos);
  EXPECT_NE(text.find("Variable type: single\nField:  1\n\n\n\nVariable: Ratio\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Field: 2\nRange: 0.5000000 to 2.0000000\n\nVariable: Big\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Field: 3\nRange: 5000000000"), std::string::npos) << text;
}

} // namespace
