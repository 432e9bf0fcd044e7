// The case data writer: the four writer styles, the measuring pass, the description
// list with its widths and columns, and the ways a pass over the case records ends.
#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "testsupport/process.h"
#include "testsupport/runfiles_writer.h"
#include "writer_model.h"
#include "writers/data.h"

using namespace writer_model;

namespace {

// What a writer puts on a stream.
std::string rendered(const std::function<void(FILE *)> &write) {
  FILE *stream = std::tmpfile();
  write(stream);
  std::fflush(stream);
  std::rewind(stream);
  std::string text;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, stream)) > 0) text.append(buffer, n);
  std::fclose(stream);
  return text;
}

const DataWriter &fixed = data_writers[writer_fixed];
const DataWriter &measuring = data_writers[writer_measuring];
const DataWriter &free_format = data_writers[writer_free];
const DataWriter &tabbed = data_writers[writer_tabbed];

// One numeric variable's statistics, for the writers that read them.
void use_stats(const std::vector<NumericStats> &table) {
  stvar_count = 0;
  build_description_list(0); // drops the tables of earlier tests
  std::free(numeric_stats);
  numeric_stats = static_cast<NumericStats *>(std::malloc(sizeof(NumericStats) * table.size()));
  std::copy(table.begin(), table.end(), numeric_stats);
  numeric_stats_count = static_cast<int32_t>(table.size());
}

class DataWriterTest : public ::testing::Test {
protected:
  void SetUp() override { reset("xml"); }
  TempDir dir;
  ScopedChdir here{dir.path()};
};

TEST_F(DataWriterTest, RowsAreInTheirFixedOrder) {
  for (int row = 0; row < 4; row++) EXPECT_EQ(data_writers[row].style, row);
  EXPECT_EQ(measuring.write_code, nullptr);
  EXPECT_EQ(measuring.end_record, nullptr);
  EXPECT_NE(fixed.end_record, nullptr);
}

TEST_F(DataWriterTest, FixedColumnFields) {
  std::vector<NumericStats> stats = {
      {0, 2, 4, 0, 0, 0},  // integer, width 4
      {1, 1, 11, 7, 0, 0}, // real, seven decimals
      {2, 3, 3, 0, 0, 0},  // text seen, no decimals
      {3, 2, 1, 0, 0, 0},  // integer narrower than its values
  };
  use_stats(stats);
  struct Case {
    std::function<void(FILE *)> write;
    std::string expected;
  } cases[] = {
      {[](FILE *f) { fixed.write_code(f, 7, -3); }, "  7"},
      {[](FILE *f) { fixed.write_code(f, -12, -1); }, "-12"}, // never cut
      {[](FILE *f) { fixed.write_code(f, 5, 0); }, "   5"},   // width of numeric variable 0
      {[](FILE *f) { fixed.write_text(f, " ", -3); }, "   "},
      {[](FILE *f) { fixed.write_text(f, "N\tA\x80\xe9", -6); }, " N A  "},
      {[](FILE *f) { fixed.write_text(f, "missing", -2); }, "missing"},
      {[](FILE *f) { fixed.write_text(f, "-", 1); }, "          -"},
      {[](FILE *f) { fixed.write_value(f, 12.9f, 0); }, "  12"},
      {[](FILE *f) { fixed.write_value(f, -12.9f, 0); }, " -12"},
      {[](FILE *f) { fixed.write_value(f, -0.0f, 0); }, "   0"},
      {[](FILE *f) { fixed.write_value(f, 3.0e9f, 0); }, "3000000000"},
      {[](FILE *f) { fixed.write_value(f, -5.0e9f, 0); }, "-5000000000"},
      {[](FILE *f) { fixed.write_value(f, 2147483647.0f, 0); }, "2147483648"}, // the float nearest
      {[](FILE *f) { fixed.write_value(f, 1.5f, 1); }, "  1.5000000"},
      {[](FILE *f) { fixed.write_value(f, 42.0f, 2); }, " 42"},
      {[](FILE *f) { fixed.write_value(f, 1.0e20f, 3); }, "100000002004087734272"},
      {[](FILE *f) { fixed.end_record(f); }, "\n"},
  };
  for (const Case &c : cases) EXPECT_EQ(rendered(c.write), c.expected);
}

TEST_F(DataWriterTest, FreeFormatItemsAndNumbers) {
  struct Case {
    const char *format;
    float value;
    const char *expected;
  } cases[] = {
      {nullptr, 12.5f, " 12.5"},    {nullptr, 3.0f, " 3"},          {nullptr, -0.25f, " -0.25"},
      {nullptr, 100.0f, " 100"},    {nullptr, 1.0e7f, " 10000000"}, {" %8.2f", 3.0f, "     3"},
      {" %8.2f", 3.1f, "     3.1"}, {" %.0f", 2.5f, " 2"},          {" %f", 0.5f, " 0.5"},
      {"%n", 1.0f, " 1"}, // anything but a numeric format is not used as one
  };
  for (const Case &c : cases) {
    numeric_format = const_cast<char *>(c.format);
    EXPECT_EQ(rendered([&](FILE *f) {
                free_format.write_value(f, c.value, 0);
                free_format.end_record(f);
              }),
              std::string(c.expected) + "\n")
        << (c.format ? c.format : "default") << " " << c.value;
  }
  numeric_format = nullptr;
  EXPECT_EQ(rendered([](FILE *f) {
              free_format.write_code(f, -1, -1);
              free_format.write_code(f, 12, -3);
              free_format.write_text(f, "-99.99", 0);
              free_format.write_text(f, "a\nb", -1);
              free_format.end_record(f);
              free_format.end_record(f);
            }),
            " -1 12 -99.99 a b\n\n")
      << "a record without values still ends its line";
}

TEST_F(DataWriterTest, FreeFormatLinesHoldAtMost77Characters) {
  // 15 items of 5 characters fill 75; the 16th starts a new line.
  std::string out = rendered([](FILE *f) {
    for (int i = 0; i < 16; i++) free_format.write_code(f, 1000 + i, -4);
    free_format.end_record(f);
  });
  std::string first;
  for (int i = 0; i < 15; i++) first += " " + std::to_string(1000 + i);
  EXPECT_EQ(out, first + "\n 1015\n");

  // Items that make exactly 77 stay on one line.
  out = rendered([](FILE *f) {
    for (int i = 0; i < 11; i++) free_format.write_text(f, "abcdef", 0); // 7 characters each
    free_format.end_record(f);
  });
  EXPECT_EQ(out.size(), 78u);
  EXPECT_EQ(out.back(), '\n');

  // A long item takes a line of its own, without an empty line before it.
  std::string long_text(100, 'x');
  out = rendered([&](FILE *f) {
    free_format.write_text(f, long_text.c_str(), 0);
    free_format.write_code(f, 1, -1);
    free_format.write_text(f, long_text.c_str(), 0);
    free_format.end_record(f);
  });
  EXPECT_EQ(out, " " + long_text + "\n 1\n " + long_text + "\n");
}

TEST_F(DataWriterTest, TabSeparatedFields) {
  std::vector<NumericStats> stats = {{0, 2, 3, 0, 0, 0}, {1, 1, 11, 7, 0, 0}};
  use_stats(stats);
  std::string out = rendered([](FILE *f) {
    tabbed.write_code(f, 1, -1);
    tabbed.write_text(f, " ", -1);
    tabbed.write_code(f, 0, -1);
    tabbed.write_value(f, 35.0f, 0);
    tabbed.write_value(f, 2.5f, 1);
    tabbed.write_text(f, "a\tb", 1);
    tabbed.end_record(f);
    tabbed.write_value(f, 4.0e9f, 0);
    tabbed.end_record(f);
  });
  EXPECT_EQ(out, "1\t \t0\t35\t2.5000000\ta b\n4000000000\n");
  EXPECT_EQ(current_format->field_count, 0);
}

// The measuring pass over intermed.q, for one inc with the given values.
NumericStats measure(const std::vector<float> &values) {
  reset("xml");
  add_inc("v", "Value");
  build_description_list(1);
  std::vector<Case> cases;
  for (float v : values) cases.push_back({{}, {v}});
  write_intermed(0, 1, cases);
  cr_data("survey.asc", &measuring, 1);
  EXPECT_EQ(read_file("survey.asc"), "") << "the measuring pass leaves its file empty";
  return numeric_stats[0];
}

TEST_F(DataWriterTest, MeasuringFindsKindDecimalsWidthAndRange) {
  std::vector<float> values = {100.0f, 250.0f, 1.5f};
  std::sort(values.begin(), values.end());
  do {
    NumericStats s = measure(values);
    EXPECT_EQ(s.kind, 1);
    EXPECT_EQ(s.decimals, 7);
    EXPECT_EQ(s.width, 11) << values[0] << " " << values[1] << " " << values[2];
    EXPECT_EQ(s.min, 1.5f);
    EXPECT_EQ(s.max, 250.0f);
  } while (std::next_permutation(values.begin(), values.end()));

  struct Case {
    std::vector<float> values;
    int kind, decimals, width;
  } cases[] = {
      {{1.0f, missing_inc_value}, 3, 0, 1},
      {{missing_inc_value, 1.0f}, 3, 0, 1},
      {{-5.0f, 12.0f}, 2, 0, 2},
      {{-123.0f}, 2, 0, 4},
      {{3.0e9f}, 2, 0, 10},
      {{0.5f, 2.0f}, 1, 7, 9},              // "0.500000" + 1
      {{-0.5f}, 1, 7, 10},                  // "-0.500000" + 1
      {{2.0000002f}, 2, 0, 1},              // integral at six decimals
      {{std::nanf(""), 4.0f}, 3, 0, 1},     // not a number counts as missing
      {{INFINITY, -INFINITY}, 3, 0, 1},     // so does infinity
      {{1.5f, missing_inc_value}, 3, 7, 9}, // text and a fraction
  };
  for (const Case &c : cases) {
    NumericStats s = measure(c.values);
    EXPECT_EQ(s.kind, c.kind) << c.values[0];
    EXPECT_EQ(s.decimals, c.decimals) << c.values[0];
    EXPECT_EQ(s.width, c.width) << c.values[0];
  }

  NumericStats none = measure({});
  EXPECT_EQ(none.kind, 0);
  EXPECT_EQ(none.width, 0);
  EXPECT_EQ(none.max, -FLT_MAX);
  EXPECT_EQ(none.min, FLT_MAX);
}

TEST_F(DataWriterTest, MeasuringUsesThePrecisionSetting) {
  precision = 2;
  add_inc("v", "Value");
  build_description_list(1);
  write_intermed(0, 1, {{{}, {1.5f}}, {{}, {1234567.0f}}});
  cr_data("survey.asc", &measuring, 1);
  EXPECT_EQ(numeric_stats[0].decimals, 2);
  EXPECT_EQ(numeric_stats[0].width, 15); // "1234567.000000" + 1 is wider than "1234567.00"

  reset("xml");
  precision = 10;
  add_inc("v", "Value");
  build_description_list(1);
  write_intermed(0, 1, {{{}, {0.25f}}});
  cr_data("survey.asc", &measuring, 1);
  EXPECT_EQ(numeric_stats[0].decimals, 10);
  EXPECT_EQ(numeric_stats[0].width, 12); // "0.2500000000"
}

TEST_F(DataWriterTest, AxisCodesOfSingleCodedAxes) {
  // Element 1 is a text line: its bit is never an answer, and codes count only categories.
  Axis *q1 = add_axis("q1", {"A", "text", "B", "C"}, {1, 0, 1, 1});
  add_single(q1, "q1", "Q1");
  Axis *skipped = add_axis("nodata", {"X"}, {}, 0);
  add_single(skipped, "nodata", "No data");
  Axis *q2 = add_axis("q2", {"Yes", "No"});
  add_single(q2, "q2", "Q2");
  Axis *hidden = add_axis("hidden", {"H"});
  add_single(hidden, "hidden", "Hidden");
  hidden->no_output = 1;
  hidden->single_var->output = nullptr;
  Axis *q3 = add_axis("q3", {"One"});
  add_single(q3, "q3", "Q3");
  build_masks();
  q1->code_width = 2;
  q2->code_width = 1;
  q3->code_width = 1;

  struct Case {
    std::vector<uint16_t> bits;
    std::string expected;
  } cases[] = {
      {{0x0005, 0x0002, 0x0000, 0x0001}, " 010"}, // elements 0 and 2: the first; no words for nodata
      {{0x0008, 0x0001, 0x0001, 0x0000}, " 30 "}, // element 3 is category number 2, code 3
      {{0x0002, 0x0000, 0x0001, 0x0001}, "   0"}, // a text-line bit alone leaves q1 unanswered
  };
  for (const Case &c : cases) {
    std::string out = rendered([&](FILE *f) { write_axis_codes(f, c.bits.data(), 4, &fixed); });
    EXPECT_EQ(out, c.expected);
  }
  // Words beyond the bit block count as not chosen.
  std::vector<uint16_t> short_block = {0x0001};
  EXPECT_EQ(rendered([&](FILE *f) { write_axis_codes(f, short_block.data(), 1, &fixed); }), " 0  ");
}

TEST_F(DataWriterTest, AxisCodesOfMultipleCodedAxes) {
  Axis *q = add_axis("brands", {"A", "B", "C"});
  add_multiple(q, "Brands");
  build_masks();
  q->code_width = 1;
  std::vector<uint16_t> none = {0x0000}, one = {0x0002}, two = {0x0005};
  EXPECT_EQ(rendered([&](FILE *f) { write_axis_codes(f, none.data(), 1, &fixed); }), "   ");
  EXPECT_EQ(rendered([&](FILE *f) { write_axis_codes(f, one.data(), 1, &fixed); }), "010");
  EXPECT_EQ(rendered([&](FILE *f) { write_axis_codes(f, two.data(), 1, &fixed); }), "101");
  // Statra data keeps the stored "no" code -1 of element 0.
  EXPECT_EQ(rendered([&](FILE *f) {
              write_axis_codes(f, one.data(), 1, &free_format);
              free_format.end_record(f);
            }),
            " -1 1 0\n");
  set_missing("-9");
  EXPECT_EQ(rendered([&](FILE *f) {
              write_axis_codes(f, none.data(), 1, &free_format);
              free_format.end_record(f);
            }),
            " -9 -9 -9\n");
  // In a wider common field the 0 that stands for -1 takes the common width.
  q->code_width = 2;
  EXPECT_EQ(rendered([&](FILE *f) { write_axis_codes(f, one.data(), 1, &fixed); }), " 0 1 0");
}

TEST_F(DataWriterTest, DescriptionListGroupsByAxisRecord) {
  Axis *a = add_axis("q", {"A", "B", "C"});
  add_multiple(a, "First");
  Axis *b = add_axis("q", {"D", "E"}); // same name, another axis
  add_multiple(b, "Second");
  Axis *s = add_axis("s", {"X", "Y"});
  add_single(s, "s", "Single");
  Axis *lone = add_axis("lone", {"Only"});
  add_multiple(lone, "Lone");
  add_inc("age", "Age");
  FILE *w = weight_file("wmvals0.q", {});
  add_weight(w);

  DescEntry *list = build_description_list(1);
  std::vector<int> members;
  for (DescEntry *e = list; e; e = e->next) members.push_back(e->member_count);
  EXPECT_EQ(members, (std::vector<int>{3, 2, 1, 1, 1, 1}));
  EXPECT_EQ(list->next_member->var, stvars[1]);
  EXPECT_EQ(list->next_member->next_member->var, stvars[2]);
  EXPECT_EQ(list->next->var->axis, b);

  ASSERT_EQ(numeric_stats_count, 2);
  DescEntry *age = list->next->next->next->next;
  EXPECT_EQ(age->stats, &numeric_stats[0]);
  EXPECT_EQ(age->next->stats, &numeric_stats[1]);
  EXPECT_EQ(numeric_stats[1].index, 1);
  EXPECT_EQ(numeric_stats[0].min, FLT_MAX);
  EXPECT_EQ(numeric_stats[0].max, -FLT_MAX);
  EXPECT_EQ(list->stats, nullptr);

  // Default codes and the missing text " ": every code field is one column wide,
  // except the lone dichotomy of element 0, whose codes are -1 and 1.
  EXPECT_EQ(a->code_width, 1);
  EXPECT_EQ(s->code_width, 1);
  EXPECT_EQ(lone->code_width, 2);
  std::vector<long long> lengths;
  for (DescEntry *e = list; e; e = e->next) lengths.push_back(field_length(e));
  EXPECT_EQ(lengths, (std::vector<long long>{3, 2, 1, 2, 0, 0}));
  std::fclose(w);
}

TEST_F(DataWriterTest, CodeWidthsCoverEveryValueTheDataCanHold) {
  Axis *s = add_axis("s", {"A", "B"});
  StatVar *single = add_single(s, "s", "S");
  single->codes[1] = 1000; // an unlabelled code still needs its room
  single->value_labels[1][0] = '\0';
  Axis *g = add_axis("g", {"A", "B", "C"});
  std::vector<StatVar *> group = add_multiple(g, "G");
  group[2]->codes[1] = 11; // a yes code of two digits widens every member column
  Axis *h = add_axis("h", {"A", "B"});
  std::vector<StatVar *> h_group = add_multiple(h, "H");
  h_group[1]->codes[0] = -7; // a stored "no" code other than -1 is written as it is

  DescEntry *list = build_description_list(1);
  EXPECT_EQ(list->width, 4);
  EXPECT_EQ(s->code_width, 4);
  EXPECT_EQ(single->width, 4);
  EXPECT_EQ(g->code_width, 2);
  EXPECT_EQ(list->next->width, 0);
  EXPECT_EQ(field_length(list->next), 6);
  EXPECT_EQ(group[0]->width, 2);
  EXPECT_EQ(h->code_width, 2);

  set_missing("N/A");
  list = build_description_list(1);
  EXPECT_EQ(s->code_width, 4);
  EXPECT_EQ(g->code_width, 3);
  EXPECT_EQ(field_length(list->next), 9);

  // Without widths nothing is laid out.
  s->code_width = 0;
  build_description_list(0);
  EXPECT_EQ(s->code_width, 0);
}

TEST_F(DataWriterTest, FixedColumnRecordsMatchTheFieldPositions) {
  set_missing("NA");
  Axis *q1 = add_axis("q1", {"A", "B"});
  add_single(q1, "q1", "Q1");
  Axis *q2 = add_axis("q2", {"X", "Y", "Z"});
  add_multiple(q2, "Q2");
  add_inc("age", "Age");
  add_inc("score", "Score");
  FILE *w = weight_file("wmvals0.q", {1.5f, 0.75f, NAN});
  add_weight(w);
  build_masks();
  write_intermed(2, 2,
                 {{{0x0002, 0x0005}, {34.0f, 2.5f}},
                  {{0x0000, 0x0000}, {missing_inc_value, 10.0f}},
                  {{0x0001, 0x0002}, {7.0f, missing_inc_value}}});
  long before = std::ftell(w);

  DescEntry *list = build_description_list(1);
  cr_data("survey.asc", &measuring, 1);
  EXPECT_EQ(std::ftell(w), before) << "the weights are read again by the next pass";
  std::vector<long long> lengths;
  for (DescEntry *e = list; e; e = e->next) lengths.push_back(field_length(e));
  EXPECT_EQ(lengths, (std::vector<long long>{2, 6, 2, 10, 9}));
  EXPECT_EQ(numeric_stats[0].kind, 3);
  EXPECT_EQ(numeric_stats[1].kind, 3);
  EXPECT_EQ(numeric_stats[2].kind, 3) << "a weight that is not a number is missing";

  cr_data("survey.asc", &fixed, 0);
  EXPECT_EQ(std::ftell(w), before);
  EXPECT_EQ(read_file("survey.asc"), " 1 1 0 134 2.50000001.5000000\n"
                                     "NANANANANA10.00000000.7500000\n"
                                     " 0 0 1 0 7        NA       NA\n");
  std::fclose(w);
}

TEST_F(DataWriterTest, IncValuesFollowTheIncsNotTheValueBlock) {
  add_inc("a", "A");
  add_inc("b", "B");
  build_description_list(1);
  write_intermed(0, 3, {{{}, {1.0f, 2.0f, 3.0f}}}); // one value more than there are incs
  cr_data("survey.csv", &measuring, 1);
  cr_data("survey.csv", &tabbed, 0);
  EXPECT_EQ(read_file("survey.csv"), "1\t2\n");

  write_intermed(0, 1, {{{}, {5.0f}}}); // one value fewer
  cr_data("survey.csv", &tabbed, 0);
  EXPECT_EQ(read_file("survey.csv"), "5\t \n");
}

TEST_F(DataWriterTest, StatraDataNeedsNoDescriptionList) {
  reset("statra");
  build_description_list(0); // of no variables: no statistics are left from earlier tests
  ASSERT_EQ(numeric_stats_count, 0);
  Axis *q = add_axis("q", {"A", "B"});
  add_single(q, "q", "Q");
  add_inc("x", "X");
  build_masks();
  write_intermed(1, 1, {{{0x0002}, {12.5f}}, {{0x0000}, {missing_inc_value}}, {{0x0001}, {3.0f}}});
  cr_data("data.qsp", &free_format, 0);
  EXPECT_EQ(read_file("data.qsp"), " 1 12.5\n -99.99 -99.99\n 0 3\n");
}

TEST_F(DataWriterTest, NoCaseRecordsGiveAnEmptyDataFile) {
  Axis *q = add_axis("q", {"A"});
  add_single(q, "q", "Q");
  build_masks();
  build_description_list(1);
  write_intermed(1, 0, {});
  cr_data("survey.asc", &fixed, 0);
  EXPECT_EQ(read_file("survey.asc"), "");
}

using DataWriterDeathTest = DataWriterTest;

TEST_F(DataWriterDeathTest, ShortRecordsCountsAndWeightsEndTheRun) {
  add_inc("a", "A");
  build_description_list(1);
  std::string bytes = intermed_bytes(1, 1, {{{1}, {1.0f}}, {{1}, {2.0f}}});
  // Cut inside the second record's value block: error 202.
  write_file("intermed.q", bytes.substr(0, bytes.size() - 2));
  case_count = 2;
  EXPECT_EXIT(cr_data("survey.csv", &tabbed, 0), ::testing::ExitedWithCode(1), "^ERROR: 202\n$");
  // Cut inside the bit block and inside the tag block: the same error.
  write_file("intermed.q", bytes.substr(0, bytes.size() - 5));
  EXPECT_EXIT(cr_data("survey.csv", &tabbed, 0), ::testing::ExitedWithCode(1), "^ERROR: 202\n$");
  write_file("intermed.q", bytes.substr(0, bytes.size() - 7));
  EXPECT_EXIT(cr_data("survey.csv", &tabbed, 0), ::testing::ExitedWithCode(1), "^ERROR: 202\n$");

  // Whole records, but not as many as read_intermed counted: error 203.
  write_file("intermed.q", bytes);
  case_count = 3;
  EXPECT_EXIT(cr_data("survey.csv", &tabbed, 0), ::testing::ExitedWithCode(1), "^ERROR: 203\n$");
  case_count = 2;

  // A weight values file that ends before the case records do: error 204.
  FILE *w = weight_file("wmvals0.q", {1.0f});
  add_weight(w);
  build_description_list(1);
  EXPECT_EXIT(cr_data("survey.csv", &tabbed, 0), ::testing::ExitedWithCode(1), "^ERROR: 204\n$");
  std::fclose(w);
}

// A run of three cases with a weight, for the failure tests of whole conversions.
RunDirectory three_cases() {
  RunDirectory run;
  run.title("Failures");
  run.axis("gender").title("Gender").element("Male").element("Female");
  run.axis("brands").title("Brands").element("A").element("B").multi();
  run.inc("age", "", "Age");
  run.weight(3);
  run.respondent().choose("gender", 0).choose("brands", {0, 1}).value("age", 34).weight(3, 1.0f);
  run.respondent().choose("gender", 1).value("age", 61).weight(3, 2.0f);
  run.respondent().choose("brands", 1).value("age", 19).weight(3, 3.0f);
  return run;
}

TEST(DataEndToEnd, TruncatedCaseRecordsStopTheRunBeforeAnyOutput) {
  TempDir dir;
  RunDirectory run = three_cases();
  size_t size = run.files().at("intermed.q").size();
  run.truncate("intermed.q", size - 2); // inside the last value block
  run.write(dir.path());
  ProcessResult r = run_program(built_program("zn2xml"), {}, dir.path());
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_NE(r.err.find("ERROR: 3201\n"), std::string::npos) << r.err;
  EXPECT_FALSE(file_exists(dir.file("survey.xml")));
  EXPECT_FALSE(file_exists(dir.file("survey.asc")));
}

TEST(DataEndToEnd, ShortWeightFileKeepsWhatWasWritten) {
  TempDir dir;
  RunDirectory run = three_cases();
  size_t size = run.files().at("wmvals3.q").size();
  run.truncate("wmvals3.q", size - 4); // the third case has no weight
  run.write(dir.path());

  // Statra: the command file is complete, the data file holds the first two records.
  ProcessResult r = run_program(built_program("zn2statra"), {}, dir.path());
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_NE(r.err.find("ERROR: 204\n"), std::string::npos) << r.err;
  EXPECT_EQ(r.out, "");
  std::string commands = read_file(dir.file("commands.qsp"));
  EXPECT_EQ(commands.substr(commands.size() - 29), "MISSING VALUES ALL (-99.99).\n");
  EXPECT_EQ(read_file(dir.file("data.qsp")).rfind(" 0 1 1 34 1\n 1 -99.99 -99.99 61 2\n", 0), 0u)
      << read_file(dir.file("data.qsp"));

  // XML: the measuring pass stops after the heading; the data file stays empty.
  r = run_program(built_program("zn2xml"), {}, dir.path(), {{"SOURCE_DATE_EPOCH", "0"}});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_NE(r.err.find("ERROR: 204\n"), std::string::npos) << r.err;
  EXPECT_EQ(read_file(dir.file("survey.xml")),
            "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<sss version=\"1.1\">\n\t<date>01 Jan "
            "1970</date>\n\t<time>00:00</time>\n\t<origin>WINDOWS, created by zn2xml</origin>\n\t<survey>\n"
            "\t\t<title>Failures</title>\n\t\t<record ident=\"A\">\n");
  EXPECT_EQ(read_file(dir.file("survey.asc")), "");
}

} // namespace
