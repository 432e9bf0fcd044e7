// The first two stages: init (flat data only, defaults) and the run title of seg1.qv.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/main.h"
#include "engine/nstore.h"
#include "engine/options.h"
#include "runfiles/init.h"
#include "runfiles/title.h"
#include "testsupport/process.h"
#include "testsupport/runfiles_writer.h"

namespace {

// Writes the run into a fresh directory and makes it current for the test.
class StageTest : public ::testing::Test {
protected:
  void SetUp() override {
    init_store();
    debug_level = 0;
    debug_file = nullptr;
    value_label_max = 0;
    variable_label_max = 0;
  }
  void TearDown() override {
    if (debug_file) std::fclose(debug_file);
    debug_file = nullptr;
    debug_level = 0;
    chdir_.reset();
    release_store();
  }
  void enter(const RunDirectory &run) {
    run.write(dir_.path());
    chdir_ = std::make_unique<ScopedChdir>(dir_.path());
  }
  void trace() {
    debug_level = 1;
    debug_file = std::tmpfile();
  }
  std::string trace_text() { return stream_text(debug_file); }
  std::vector<std::string> titles() {
    return std::vector<std::string>(run_titles.lines, run_titles.lines + run_titles.count);
  }

  TempDir dir_;
  std::unique_ptr<ScopedChdir> chdir_;
};

using InitTest = StageTest;

TEST_F(InitTest, HierarchicalDataEndsTheRun) {
  RunDirectory run;
  run.intermed_sizes({.levels = 1});
  enter(run);
  EXPECT_EXIT(init(), ::testing::ExitedWithCode(1), "^\n Conversion for hierarchical databases not implemented\n$");
}

TEST_F(InitTest, FlatDataSetsLabelDefaultsAndEmptiesTheModel) {
  struct Case {
    int value_max, variable_max, want_value, want_variable;
  };
  const Case cases[] = {{0, 0, 20, 40}, {7, 9, 7, 9}, {0, 55, 20, 55}};
  RunDirectory run;
  run.axis("q1").element("Yes");
  run.respondent().choose("q1", 0);
  enter(run);
  for (const Case &c : cases) {
    value_label_max = c.value_max;
    variable_label_max = c.variable_max;
    stvar_capacity = 12;
    stvar_count = 3;
    testing::internal::CaptureStderr();
    init();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(value_label_max, c.want_value);
    EXPECT_EQ(variable_label_max, c.want_variable);
    EXPECT_EQ(stvar_capacity, 0);
    EXPECT_EQ(stvar_count, 0);
  }
}

TEST_F(InitTest, MissingIntermedEndsTheRun) {
  RunDirectory run;
  run.omit("intermed.q");
  enter(run);
  EXPECT_EXIT(init(), ::testing::ExitedWithCode(1), "Cannot open \"intermed.q\" mode \"rb\"");
}

using TitleTest = StageTest;

TEST_F(TitleTest, TitleLinesAndDump) {
  struct Case {
    const char *what;
    std::function<void(RunDirectory &)> make;
    std::vector<std::string> want;
    std::string warning;
  };
  std::vector<std::string> ten;
  for (int i = 0; i < 10; i++) ten.push_back("Line " + std::to_string(i));
  const std::string more_than_ten = "Warning: seg1.qv holds more than 10 title lines; the rest are ignored\n";
  const Case cases[] = {
      {"no records", [](RunDirectory &) {}, {}, ""},
      {"lengths 5 and 0", [](RunDirectory &r) { r.title("Brand").title(""); }, {"Brand", ""}, ""},
      {"exactly ten",
       [](RunDirectory &r) {
         for (int i = 0; i < 10; i++) r.title("Line " + std::to_string(i));
       },
       ten, ""},
      {"twelve records",
       [](RunDirectory &r) {
         for (int i = 0; i < 12; i++) r.title("Line " + std::to_string(i));
       },
       ten, more_than_ten},
      {"text cut short", [](RunDirectory &r) { r.title("A").title_record(10, "abc"); }, {"A"}, ""},
      {"length cut short", [](RunDirectory &r) { r.title("A").seg1_tail(std::string(10, '\0')); }, {"A"}, ""},
      {"prefix cut short", [](RunDirectory &r) { r.title("A").seg1_tail("abcde"); }, {"A"}, ""},
      {"negative length", [](RunDirectory &r) { r.title("A").title_record(-5, "xxxxx").title("B"); }, {"A"}, ""},
      {"absurd length", [](RunDirectory &r) { r.title("A").title_record(0x7fffffff, "short"); }, {"A"}, ""},
      {"eleventh cut short",
       [](RunDirectory &r) {
         for (int i = 0; i < 10; i++) r.title("Line " + std::to_string(i));
         r.title_record(4, "ab");
       },
       ten, ""},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    RunDirectory run;
    c.make(run);
    run.write(dir.path());
    ScopedChdir here(dir.path());
    trace();
    testing::internal::CaptureStderr();
    get_title();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), c.warning);
    EXPECT_EQ(titles(), c.want);
    std::string dump = "\n TITLE\n";
    for (const std::string &line : c.want) dump += " <" + line + ">\n";
    EXPECT_EQ(trace_text(), dump);
    std::fclose(debug_file);
    debug_file = nullptr;
  }
}

TEST_F(TitleTest, WrongHeaderIsReportedAndTheTitlesAreStillRead) {
  RunDirectory run;
  run.title("Brand survey");
  run.header("seg1.qv").version = 10;
  enter(run);
  testing::internal::CaptureStderr();
  get_title();
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error: wrong version of file seg1.qv (11 expected, 10 found)\n");
  EXPECT_EQ(titles(), std::vector<std::string>{"Brand survey"});
}

TEST_F(TitleTest, NoDumpWithoutDebugLevel) {
  RunDirectory run;
  run.title("Brand survey");
  enter(run);
  debug_file = std::tmpfile();
  get_title();
  EXPECT_EQ(trace_text(), "");
}

TEST_F(TitleTest, MissingSeg1EndsTheRun) {
  RunDirectory run;
  run.omit("seg1.qv");
  enter(run);
  EXPECT_EXIT(get_title(), ::testing::ExitedWithCode(1), "Cannot open \"seg1.qv\" mode \"rb\"");
}

} // namespace
