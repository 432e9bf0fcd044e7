// Each program converts one survey end to end; the whole output files are compared
// with the expected texts under tests/data/expected.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "testsupport/process.h"
#include "testsupport/runfiles_writer.h"

namespace {

void write_brand_survey(const std::string &directory) {
  RunDirectory run;
  run.title("Brand survey").title("Wave \"2\" & more");
  run.axis("gender").title("Gender").element("Male").element("Female");
  run.axis("brands")
      .title("Brands used")
      .title("Base: all")
      .element("Brand A")
      .element("Brand B")
      .text_line("Base: all")
      .multi();
  run.axis("region").title("Region").element("North").element("South").element("Caf\xe9 <east>");
  run.inc("age", "", "Age of respondent");
  run.inc("spend", "", "Weekly spend");
  run.weight(3);
  run.respondent()
      .choose("gender", 0)
      .choose("brands", {0, 1})
      .choose("region", 2)
      .value("age", 34)
      .value("spend", 12.5f)
      .weight(3, 1.25f);
  run.respondent().choose("gender", 1).value("age", 61).value("spend", missing_inc_value).weight(3, 0.5f);
  run.respondent().choose("brands", 1).choose("region", 0).value("age", 19).value("spend", 100.0f).weight(3, 2.0f);
  run.write(directory);
}

std::string expected(const std::string &name) { return read_file(std::string(ZN_TEST_DATA_DIR) + "/expected/" + name); }

TEST(EndToEnd, EachProgramWritesItsFiles) {
  struct Case {
    const char *program, *description, *data;
  } cases[] = {
      {"zn2xml", "survey.xml", "survey.asc"},
      {"zn2ts", "survey.sss", "survey.asc"},
      {"zn2csv", "survey.txt", "survey.csv"},
      {"zn2statra", "commands.qsp", "data.qsp"},
  };
  for (const Case &c : cases) {
    TempDir dir;
    write_brand_survey(dir.path());
    // The description files carry the date and time of the run; this fixes them.
    ProcessResult r = run_program(built_program(c.program), {}, dir.path(), {{"SOURCE_DATE_EPOCH", "1700000000"}});
    ASSERT_EQ(r.exit_code, 0) << c.program << r.err;
    EXPECT_EQ(r.out, std::string("Produced files ") + c.description + " and " + c.data + "\n\n Job completed.\n");
    EXPECT_EQ(read_file(dir.file(c.description)), expected(c.description)) << c.program;
    EXPECT_EQ(read_file(dir.file(c.data)), expected(c.data)) << c.program;
  }
}

TEST(EndToEnd, XmlDescriptionIsWellFormed) {
  if (std::system("xmllint --version >/dev/null 2>&1") != 0) GTEST_SKIP() << "xmllint is not installed";
  TempDir brands, sample;
  write_brand_survey(brands.path());
  ASSERT_EQ(std::system(("cp -r '" + std::string(ZN_SAMPLE_RUN) + "/.' '" + sample.path() + "'").c_str()), 0);
  for (const TempDir *dir : {&brands, &sample}) {
    ASSERT_EQ(run_program(built_program("zn2xml"), {}, dir->path()).exit_code, 0);
    EXPECT_EQ(std::system(("xmllint --noout '" + dir->file("survey.xml") + "'").c_str()), 0) << dir->path();
  }
}

} // namespace
