// The intermed.q scan: masks, case count, largest number of answers per axis, the mask
// dump, damaged files; and the case-record reading that the data writer shares.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/main.h"
#include "engine/nstore.h"
#include "engine/options.h"
#include "runfiles/axinf.h"
#include "runfiles/intermed.h"
#include "runfiles/version.h"
#include "testsupport/process.h"
#include "testsupport/runfiles_writer.h"

namespace {

class IntermedTest : public ::testing::Test {
protected:
  void SetUp() override {
    init_store();
    debug_level = 0;
    debug_file = nullptr;
    axes = nullptr;
  }
  void TearDown() override {
    if (debug_file) std::fclose(debug_file);
    debug_file = nullptr;
    debug_level = 0;
    chdir_.reset();
    axes = nullptr;
    release_store();
  }
  // Writes the run, makes it current and reads its axes.
  void enter(const RunDirectory &run) {
    dir_ = std::make_unique<TempDir>();
    chdir_.reset();
    run.write(dir_->path());
    chdir_ = std::make_unique<ScopedChdir>(dir_->path());
    get_axinf();
  }
  Axis *axis(int n) {
    Axis *a = axes;
    while (a && n-- > 0) a = a->next;
    return a;
  }
  static std::vector<uint16_t> words(const uint16_t *mask) { return std::vector<uint16_t>(mask, mask + mask_words); }

  std::unique_ptr<TempDir> dir_;
  std::unique_ptr<ScopedChdir> chdir_;
};

// q0 has no words; q1's third element is text only; q2 is coded as multiple.
RunDirectory small_run() {
  RunDirectory run;
  run.axis("q0").in_data(0).element("Z");
  run.axis("q1").element("Male").element("Female").text_line("Base");
  run.axis("q2").multi().element("A").element("B").element("C");
  run.axis("q3").element("Y");
  run.respondent().choose("q1", {0, 2}).choose("q2", 0);
  run.respondent().choose("q1", {1, 2}).choose("q2", {0, 1});
  return run;
}

TEST_F(IntermedTest, ScanLeavesMasksCountsAndTheDump) {
  enter(small_run());
  debug_level = 1;
  debug_file = std::tmpfile();
  EXPECT_EQ(read_intermed(), 3);
  EXPECT_EQ(case_count, 2);
  EXPECT_EQ(mask_words, 3);
  EXPECT_EQ(words(ELMASK), (std::vector<uint16_t>{0x3, 0x7, 0x1}));
  EXPECT_EQ(words(ANDMASK), (std::vector<uint16_t>{0x4, 0x1, 0x0}));
  EXPECT_EQ(words(ORMASK), (std::vector<uint16_t>{0x7, 0x3, 0x0}));
  EXPECT_EQ(words(MASK), (std::vector<uint16_t>{0x2, 0x3, 0x0}));
  EXPECT_EQ(axis(1)->max_bits, 1); // the text-only element is no answer
  EXPECT_EQ(axis(2)->max_bits, 2);
  EXPECT_EQ(axis(3)->max_bits, 0);
  EXPECT_EQ(stream_text(debug_file), "\n\n levels 0 nt 4 na 6 ni 0"
                                     "\n  ANDMASK"
                                     "\n     0 :  0000000000000100  0000000000000001"
                                     "\n     2 :  0000000000000000"
                                     "\n    Axe q0         :"
                                     "\n    Axe q1         :001"
                                     "\n     ->  0(Base)"
                                     "\n       Maximum number of bits set 1"
                                     "\n    Axe q2         :100"
                                     "\n     ->  1(A)"
                                     "\n       Maximum number of bits set 2"
                                     "\n    Axe q3         :0"
                                     "\n       Maximum number of bits set 0"
                                     "\n  ORMASK"
                                     "\n     0 :  0000000000000111  0000000000000011"
                                     "\n     2 :  0000000000000000"
                                     "\n    Axe q0         :"
                                     "\n    Axe q1         :111"
                                     "\n     ->  1(Male)"
                                     "\n     ->  1(Female)"
                                     "\n     ->  0(Base)"
                                     "\n       Maximum number of bits set 1"
                                     "\n    Axe q2         :110"
                                     "\n     ->  1(A)"
                                     "\n     ->  1(B)"
                                     "\n       Maximum number of bits set 2"
                                     "\n    Axe q3         :0"
                                     "\n       Maximum number of bits set 0"
                                     "\n  ELMASK"
                                     "\n     0 :  0000000000000011  0000000000000111"
                                     "\n     2 :  0000000000000001"
                                     "\n    Axe q0         :"
                                     "\n    Axe q1         :110"
                                     "\n     ->  1(Male)"
                                     "\n     ->  1(Female)"
                                     "\n       Maximum number of bits set 1"
                                     "\n    Axe q2         :111"
                                     "\n     ->  1(A)"
                                     "\n     ->  1(B)"
                                     "\n     ->  1(C)"
                                     "\n       Maximum number of bits set 2"
                                     "\n    Axe q3         :1"
                                     "\n     ->  1(Y)"
                                     "\n       Maximum number of bits set 0"
                                     "\n  MASK"
                                     "\n     0 :  0000000000000010  0000000000000011"
                                     "\n     2 :  0000000000000000"
                                     "\n    Axe q0         :"
                                     "\n    Axe q1         :010"
                                     "\n     ->  1(Female)"
                                     "\n       Maximum number of bits set 1"
                                     "\n    Axe q2         :110"
                                     "\n     ->  1(A)"
                                     "\n     ->  1(B)"
                                     "\n       Maximum number of bits set 2"
                                     "\n    Axe q3         :0"
                                     "\n       Maximum number of bits set 0"
                                     "\n N of cases 2");
}

TEST_F(IntermedTest, ElementMaskAcrossWordsAndGridCopies) {
  RunDirectory run;
  AxisFixture &wide = run.axis("q1");
  for (int i = 0; i < 20; i++) wide.element("E" + std::to_string(i), i == 3 || i == 17 ? 1 : 0);
  run.axis("agrid").grid_side(2).text_line("T").element("Yes");
  run.axis("bgrid").grid_column().in_data(0).element("Col 1").element("Col 2");
  run.respondent().choose("q1", {3, 4, 17}).choose_copy("agrid", 1, 1);
  enter(run);
  read_intermed();
  EXPECT_EQ(words(ELMASK), (std::vector<uint16_t>{1u << 3, 1u << 1, 0x2, 0x2}));
  EXPECT_EQ(words(MASK), (std::vector<uint16_t>{1u << 3, 1u << 1, 0x0, 0x2}));
  EXPECT_EQ(axis(0)->max_bits, 2);
  EXPECT_EQ(axis(1)->max_bits, 0); // x0
  EXPECT_EQ(axis(2)->max_bits, 1); // x1
}

TEST_F(IntermedTest, MaxBitsOnlyRises) {
  struct Case {
    const char *what;
    bool multi;
    std::vector<std::vector<int>> answers;
    int want;
  };
  const Case cases[] = {
      {"no cases, multiple export", true, {}, 2},
      {"no cases", false, {}, 0},
      {"one answer each, multiple export", true, {{0}, {1}}, 2},
      {"three answers in one case", true, {{0}, {0, 1, 2}}, 3},
      {"one answer each", false, {{0}, {2}, {}}, 1},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    RunDirectory run;
    AxisFixture &q = run.axis("q1").elements(3);
    if (c.multi) q.multi();
    for (const auto &answer : c.answers) {
      Respondent &r = run.respondent();
      for (int e : answer) r.choose("q1", e);
    }
    enter(run);
    read_intermed();
    EXPECT_EQ(case_count, static_cast<long>(c.answers.size()));
    EXPECT_EQ(axis(0)->max_bits, c.want);
  }
}

RunDirectory one_inc_run(int cases) {
  RunDirectory run;
  run.axis("q1").element("Yes").element("No");
  run.inc("age");
  for (int i = 0; i < cases; i++) run.respondent().choose("q1", i % 2).value("age", 20.0f + i);
  return run;
}

TEST_F(IntermedTest, EndsAtARecordBoundaryOnly) {
  // Records of 4 tag, 2 bit and 4 value bytes from offset 80.
  struct Case {
    const char *what;
    size_t size;
    int code; // 0: no error
    long cases;
  };
  const Case cases[] = {
      {"header only", 80, 0, 0},
      {"one record", 90, 0, 1},
      {"two records", 100, 0, 2},
      {"inside the tag block", 82, 1201, 0},
      {"tag block of the second record", 93, 1201, 0},
      {"after the tag block", 84, 2201, 0},
      {"inside the bit block", 85, 2201, 0},
      {"after the bit block", 86, 3201, 0},
      {"inside the value block", 88, 3201, 0},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    RunDirectory run = one_inc_run(2);
    run.truncate("intermed.q", c.size);
    enter(run);
    if (c.code) {
      EXPECT_EXIT(read_intermed(), ::testing::ExitedWithCode(1), "^ERROR: " + std::to_string(c.code) + "\n$");
    } else {
      read_intermed();
      EXPECT_EQ(case_count, c.cases);
    }
  }
}

TEST_F(IntermedTest, RecordsWithoutATagBlock) {
  struct Case {
    const char *what;
    IntermedSizes sizes;
    size_t cut; // bytes taken off the end
    int code;
    long cases;
  };
  const Case cases[] = {
      {"bits and values", {.tag_bytes = 0}, 0, 0, 3},
      {"bits and values, last value cut", {.tag_bytes = 0}, 1, 3201, 0},
      {"bits and values, last bits cut", {.tag_bytes = 0}, 5, 2201, 0},
      {"bits only", {.tag_bytes = 0, .value_bytes = 0}, 0, 0, 3},
      {"bits only, last cut", {.tag_bytes = 0, .value_bytes = 0}, 1, 2201, 0},
      {"values only", {.tag_bytes = 0, .bit_bytes = 0, .value_bytes = 4}, 0, 0, 3},
      {"no blocks at all", {.tag_bytes = 0, .bit_bytes = 0, .value_bytes = 0}, 0, 0, 0},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    RunDirectory run;
    bool bits = c.sizes.bit_bytes != 0;
    if (bits) run.axis("q1").element("Yes").element("No");
    run.inc("age");
    for (int i = 0; i < 3; i++) {
      Respondent &r = run.respondent().value("age", 1.0f);
      if (bits) r.choose("q1", 1);
    }
    run.intermed_sizes(c.sizes);
    run.edit("intermed.q", [&](std::string &bytes) { bytes.resize(bytes.size() - c.cut); });
    enter(run);
    if (c.code) {
      EXPECT_EXIT(read_intermed(), ::testing::ExitedWithCode(1), "^ERROR: " + std::to_string(c.code) + "\n$");
    } else {
      read_intermed();
      EXPECT_EQ(case_count, c.cases);
      if (c.cases && mask_words) {
        EXPECT_EQ(words(ANDMASK), std::vector<uint16_t>{0x2});
      }
    }
  }
}

TEST_F(IntermedTest, SizeHeaderThatCannotBeRealEndsTheRun) {
  struct Case {
    const char *what;
    IntermedSizes sizes;
    int code;
  };
  const Case cases[] = {
      {"bit block smaller than the axes", {.bit_bytes = 2}, 1202},
      {"no bit block for axes", {.bit_bytes = 0}, 1202},
      {"negative bit size", {.bit_bytes = -4}, 1202},
      {"odd bit size", {.bit_bytes = 5}, 1202},
      {"huge bit size", {.bit_bytes = 0x7ffffffe}, 1202},
      {"negative tag size", {.tag_bytes = -2}, 1201},
      {"odd tag size", {.tag_bytes = 3}, 1201},
      {"huge tag size", {.tag_bytes = 0x40000000}, 1201},
      {"negative value size", {.value_bytes = -4}, 3201},
      {"value size not a multiple of 4", {.value_bytes = 6}, 3201},
      {"huge value size", {.value_bytes = 0x7ffffffc}, 3201},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    RunDirectory run;
    run.axis("q1").elements(20); // two words
    run.axis("q2").element("Yes");
    run.respondent().choose("q1", 1);
    run.intermed_sizes(c.sizes);
    run.truncate("intermed.q", 85); // the record is cut short too: the size check comes first
    enter(run);
    EXPECT_EXIT(read_intermed(), ::testing::ExitedWithCode(1), "^ERROR: " + std::to_string(c.code) + "\n$");
  }
}

TEST_F(IntermedTest, SizeHeaderCutShortEndsTheRun) {
  RunDirectory run = one_inc_run(1);
  run.truncate("intermed.q", 75);
  enter(run);
  EXPECT_EXIT(read_intermed(), ::testing::ExitedWithCode(1), "^ERROR: 1201\n$");
}

TEST_F(IntermedTest, WrongHeaderIsReportedAndTheCasesRead) {
  RunDirectory run = one_inc_run(3);
  run.header("intermed.q").type = 9;
  enter(run);
  testing::internal::CaptureStderr();
  read_intermed();
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "Error: wrong file type for intermed.q (intermediate.q expected, seg1.qv found)\n");
  EXPECT_EQ(case_count, 3);
}

TEST_F(IntermedTest, MissingIntermedEndsTheRun) {
  RunDirectory run = one_inc_run(1);
  run.omit("intermed.q");
  enter(run);
  EXPECT_EXIT(read_intermed(), ::testing::ExitedWithCode(1), "Cannot open \"intermed.q\" mode \"rb\"");
}

TEST_F(IntermedTest, CaseRecordsReadOneByOne) {
  RunDirectory run;
  run.axis("q1").elements(17).text_line("Base");
  run.inc("age").inc("income");
  run.respondent().choose("q1", {0, 17}).value("age", 34.5f).value("income", missing_inc_value);
  run.respondent().choose("q1", 15).value("age", -2.0f).value("income", 1e6f);
  enter(run);
  read_intermed(); // the element mask
  std::string bytes = read_file("intermed.q");
  write_file("intermed.q", bytes + bytes.substr(80, 9)); // a third record, cut in its value block
  FILE *file = std::fopen("intermed.q", "rb");
  ASSERT_NE(file, nullptr);
  check_file_header(file, "intermed.q", file_type_intermediate);
  CaseRecords records{};
  open_case_records(file, &records);
  EXPECT_EQ(records.tag_bytes, 4);
  EXPECT_EQ(records.bit_bytes, 4);
  EXPECT_EQ(records.value_bytes, 8);

  ASSERT_EQ(read_case_record(file, &records), case_read_ok);
  EXPECT_EQ(records.bits[0], 0x0001);
  EXPECT_EQ(records.bits[1], 0x0002);
  EXPECT_TRUE(element_chosen(records.bits, 0, 0));
  EXPECT_FALSE(element_chosen(records.bits, 0, 16));
  EXPECT_FALSE(element_chosen(records.bits, 0, 17)); // set, but text only
  EXPECT_EQ(case_value(&records, 0), 34.5f);
  EXPECT_EQ(case_value(&records, 1), missing_inc_value);
  EXPECT_EQ(case_value(&records, 2), missing_inc_value); // beyond the value block
  EXPECT_EQ(case_value(&records, -1), missing_inc_value);

  ASSERT_EQ(read_case_record(file, &records), case_read_ok);
  EXPECT_EQ(records.bits[0], 0x8000);
  EXPECT_TRUE(element_chosen(records.bits, 0, 15));
  EXPECT_EQ(case_value(&records, 0), -2.0f);
  EXPECT_EQ(case_value(&records, 1), 1e6f);

  EXPECT_EQ(read_case_record(file, &records), case_read_short_values);
  std::fclose(file);
}

} // namespace
