// Classic Triple-S description: quoting, the whole file and its agreement with the
// fixed-column data; end to end through zn2ts.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "testsupport/process.h"
#include "testsupport/runfiles_writer.h"
#include "writer_model.h"
#include "writers/data.h"
#include "writers/sss.h"

using namespace writer_model;

namespace {

TEST(SssQuote, DoubleQuotationMarksOnly) {
  struct Case {
    const char *text, *quoted;
  } cases[] = {
      {"plain", "plain"}, {"say \"hi\"", "say {\"}hi{\"}"},           {"\"", "{\"}"},
      {"", ""},           {"a'b<c>&\n\xe9\t{}", "a'b<c>&\n\xe9\t{}"},
  };
  for (const Case &c : cases) EXPECT_EQ(sss_quote(c.text), c.quoted) << c.text;
}

class SssDescriptionTest : public ::testing::Test {
protected:
  void SetUp() override { setenv("SOURCE_DATE_EPOCH", "1700000000", 1); }
  void TearDown() override { unsetenv("SOURCE_DATE_EPOCH"); }
  TempDir dir;
  ScopedChdir here{dir.path()};
};

const char sample_sss[] = "SSS\n"
                          "\tVersion 1.1\n"
                          "\tDate \"14 Nov 2023\"\n"
                          "\tTime \"22:13\"\n"
                          "\tOrigin \"WINDOWS, created by zn2ts\"\n"
                          "\tSURVEY\n"
                          "\t\tTITLE \"Brand <survey> Wave 2 \"\n"
                          "\t\tRecord A\n"
                          "\n"
                          "\t\t\tVariable 1\n"
                          "\t\t\tName \"q1\"\n"
                          "\t\t\tLabel \"Gender\nof respondent\n\"\n"
                          "\t\t\tType single\n"
                          "\t\t\tPosition 1\n"
                          "\t\t\t\tValues\n"
                          "\t\t\t\t\t0 \"Male\"\n"
                          "\t\t\t\t\t1 \"Female\"\n"
                          "\t\t\t\tEnd Values\n"
                          "\t\t\tEnd Variable\n"
                          "\n"
                          "\t\t\tVariable 2\n"
                          "\t\t\tName \"q2\"\n"
                          "\t\t\tLabel \"Q&A\tx {\"}quoted{\"}\"\n"
                          "\t\t\tType multiple\n"
                          "\t\t\tPosition 2 to 4\n"
                          "\t\t\t\tValues\n"
                          "\t\t\t\t\t1 \"A\"\n"
                          "\t\t\t\t\t2 \"B\"\n"
                          "\t\t\t\t\t3 \"Caf\xe9\"\n"
                          "\t\t\t\tEnd Values\n"
                          "\t\t\tEnd Variable\n"
                          "\n"
                          "\t\t\tVariable 3\n"
                          "\t\t\tName \"q3\"\n"
                          "\t\t\tLabel \"q3\"\n"
                          "\t\t\tType single\n"
                          "\t\t\tPosition 5\n"
                          "\t\t\t\tValues\n"
                          "\t\t\t\tEnd Values\n"
                          "\t\t\tEnd Variable\n"
                          "\n"
                          "\t\t\tVariable 4\n"
                          "\t\t\tName \"lone\"\n"
                          "\t\t\tLabel \"Only one\"\n"
                          "\t\t\tType single\n"
                          "\t\t\tPosition 6 to 7\n"
                          "\t\t\tEnd Variable\n"
                          "\n"
                          "\t\t\tVariable 5\n"
                          "\t\t\tName \"1st score (raw)\"\n"
                          "\t\t\tLabel \"1st score (raw)\"\n"
                          "\t\t\tType quantity\n"
                          "\t\t\tPosition 8\n"
                          "\t\t\t\tValues\n"
                          "\t\t\t\t\t1 to 5\n"
                          "\t\t\t\tEnd Values\n"
                          "\t\t\tEnd Variable\n"
                          "\n"
                          "\t\t\tVariable 6\n"
                          "\t\t\tName \"real\"\n"
                          "\t\t\tLabel \"real\"\n"
                          "\t\t\tType quantity\n"
                          "\t\t\tPosition 9 to 17\n"
                          "\t\t\t\tValues\n"
                          "\t\t\t\t\t2.5000000 \"the only valid value\"\n"
                          "\t\t\t\tEnd Values\n"
                          "\t\t\tEnd Variable\n"
                          "\n"
                          "\t\t\tVariable 7\n"
                          "\t\t\tName \"five\"\n"
                          "\t\t\tLabel \"five\"\n"
                          "\t\t\tType quantity\n"
                          "\t\t\tPosition 18\n"
                          "\t\t\t\tValues\n"
                          "\t\t\t\t\t5\n"
                          "\t\t\t\tEnd Values\n"
                          "\t\t\tEnd Variable\n"
                          "\n"
                          "\t\t\tVariable 8\n"
                          "\t\t\tName \"weight0\"\n"
                          "\t\t\tLabel \"weight0\"\n"
                          "\t\t\tType quantity\n"
                          "\t\t\tPosition 19\n"
                          "\t\t\t\tValues\n"
                          "\t\t\t\t\t1\n"
                          "\t\t\t\tEnd Values\n"
                          "\t\t\tEnd Variable\n"
                          "\t\tEnd Record\n"
                          "\tEnd Survey\n"
                          "End SSS\n";

TEST_F(SssDescriptionTest, FileAndDataAgree) {
  sample_survey("ts");
  write_sss_description("survey.sss", "survey.asc");
  EXPECT_EQ(read_file("survey.sss"), sample_sss);
  cr_data("survey.asc", &data_writers[writer_fixed], 0);
  EXPECT_EQ(read_file("survey.asc"), "01010 112.500000051\n"
                                     "1      52.500000051\n"
                                     " 0101  32.500000051\n");
}

TEST_F(SssDescriptionTest, TitleAndRanges) {
  reset("classic");
  add_inc("q", "Say \"hi\"");
  add_inc("big", "Big");
  add_inc("near", "Near");
  add_inc("none", "None");
  write_intermed(0, 4,
                 {{{}, {1.0f, 3.0e9f, 0.9f, missing_inc_value}}, {{}, {5.0f, -3.0e9f, -0.4f, missing_inc_value}}});
  write_sss_description("survey.sss", "survey.asc");
  std::string sss = read_file("survey.sss");
  EXPECT_NE(sss.find("\t\tTITLE \"unknown\"\n"), std::string::npos);
  EXPECT_NE(sss.find("\t\t\tName \"Say \"hi\"\"\n\t\t\tLabel \"Say {\"}hi{\"}\"\n"), std::string::npos)
      << "names are written unchanged";
  EXPECT_NE(sss.find("\t\t\t\t\t1 to 5\n"), std::string::npos);
  EXPECT_NE(sss.find("\t\t\t\t\t-3000000000 to 3000000000\n"), std::string::npos);
  EXPECT_NE(sss.find("\t\t\t\t\t-0.4000000 to 0.9000000\n"), std::string::npos);
  // A variable whose every value is missing is as wide as the missing-value text.
  EXPECT_NE(sss.find("\t\t\tName \"None\"\n\t\t\tLabel \"None\"\n\t\t\tType quantity\n\t\t\tPosition 23\n"),
            std::string::npos);
}

} // namespace
