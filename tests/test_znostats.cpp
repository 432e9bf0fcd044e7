// The survey variables: from axes built in memory and from run directories read by the
// reader stages; incs.inf, weightin.q and the weight value files; the variable dump.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/main.h"
#include "engine/nstore.h"
#include "engine/options.h"
#include "model/statvars.h"
#include "model/znostats.h"
#include "runfiles/axinf.h"
#include "runfiles/init.h"
#include "runfiles/intermed.h"
#include "runfiles/title.h"
#include "testsupport/process.h"
#include "testsupport/runfiles_writer.h"

namespace {

struct ElementDef {
  int type;
  std::string text;
};

class ModelTest : public ::testing::Test {
protected:
  void SetUp() override {
    reset_model();
    init_store();
    reset_variable_index();
    reset_output_registry();
  }
  void TearDown() override {
    if (debug_file) std::fclose(debug_file);
    debug_file = nullptr;
    reset_model();
    chdir_.reset();
    release_store();
  }

  // Every global the model stages read or fill, back to the state of a fresh run.
  static void reset_model() {
    for (int w = 0; w < weight_count; w++)
      if (weights[w].stream) std::fclose(weights[w].stream);
    weights = nullptr;
    weight_count = 0;
    incs = nullptr;
    inc_count = 0;
    std::free(stvars);
    stvars = nullptr;
    stvar_count = 0;
    stvar_capacity = 0;
    axes = nullptr;
    join_titles = 0;
    debug_level = 0;
    use_element_positions = 0;
    suppress_same_name_axes = 0;
    use_element_text_values = 0;
    strip_variable_name = 0;
    current_format = &output_formats[default_format_row];
  }

  void write_run(const RunDirectory &run) {
    run.write(dir_.path());
    chdir_ = std::make_unique<ScopedChdir>(dir_.path());
  }

  // The reader stages, as the driver runs them before the model.
  static void read_run() {
    init();
    get_title();
    get_axinf();
    read_intermed();
  }

  // Debug output of the stages goes to a file in the run directory.
  void open_debug() {
    debug_level = 1;
    debug_file = std::fopen(dir_.file("debugfile").c_str(), "w");
    ASSERT_NE(debug_file, nullptr);
  }
  std::string close_debug() {
    std::fclose(debug_file);
    debug_file = nullptr;
    return read_file(dir_.file("debugfile"));
  }

  // An axis in memory, appended to axes, as the axis reader would leave it.
  static Axis *memory_axis(const std::string &name, const std::vector<ElementDef> &elements,
                           const std::vector<std::string> &titles = {}, int max_bits = 1) {
    auto *axis = static_cast<Axis *>(store_alloc(sizeof(Axis)));
    axis->info.name = store_strdup(name.c_str());
    axis->info.in_data = 1;
    axis->counts.element_count = axis->counts.level_count = static_cast<int16_t>(elements.size());
    axis->elements = static_cast<Element *>(store_alloc(sizeof(Element) * (elements.size() + 1)));
    std::string block;
    axis->no_output = 1;
    for (size_t i = 0; i < elements.size(); i++) {
      axis->elements[i].type = static_cast<uint8_t>(elements[i].type);
      axis->elements[i].text_offset = static_cast<int32_t>(block.size());
      block += elements[i].text;
      block.push_back('\0');
      if (elements[i].type != 0) axis->no_output = 0;
    }
    axis->texts = store_strndup(block.data(), block.size());
    axis->text_size = static_cast<int32_t>(block.size());
    axis->word_count = (static_cast<int32_t>(elements.size()) + 15) / 16;
    axis->titles.count = static_cast<int32_t>(titles.size());
    for (size_t i = 0; i < titles.size(); i++) axis->titles.lines[i] = store_strdup(titles[i].c_str());
    axis->max_bits = static_cast<int16_t>(max_bits);
    Axis **tail = &axes;
    while (*tail) tail = &(*tail)->next;
    *tail = axis;
    return axis;
  }

  static std::vector<std::string> names() {
    std::vector<std::string> list;
    for (int i = 0; i < stvar_count; i++) list.push_back(stvars[i]->name);
    return list;
  }
  static std::vector<int> codes(const StatVar *var) {
    return std::vector<int>(var->codes, var->codes + var->category_count);
  }
  static std::vector<std::string> value_labels(const StatVar *var) {
    return std::vector<std::string>(var->value_labels, var->value_labels + var->category_count);
  }
  static std::string label(const StatVar *var) { return var->label ? var->label : "(none)"; }
  static std::string output_name_of(const StatVar *var) {
    return var->output ? var->output->name_entry->name : "(not written)";
  }
  static std::vector<int> output_codes(const StatVar *var) {
    return std::vector<int>(var->output->values.codes, var->output->values.codes + var->output->values.count);
  }
  static std::vector<std::string> output_labels(const StatVar *var) {
    return std::vector<std::string>(var->output->values.labels, var->output->values.labels + var->output->values.count);
  }

  // Three axes of every kind, one inc and one weight; two axes that give no variable.
  static void memory_survey() {
    Axis *gone = nullptr;
    memory_axis("q1", {{0, "Base"}, {1, "Male"}, {2, "Female"}, {0, "Note"}, {1, "Other"}}, {"Gender", "Second title"});
    std::vector<ElementDef> brands(12, ElementDef{0, "text"});
    brands[0] = {1, "Brand A"};
    brands[1] = {1, "Brand B"};
    brands[11] = {3, "Brand L"};
    memory_axis("q5", brands, {"Brands used"}, 2);
    gone = memory_axis("gone", {{1, "Yes"}}, {"Not in the data"});
    gone->info.in_data = 0;
    memory_axis("empty", {{0, "Only a text line"}}, {"No categories"});
    memory_axis("questionnaire", {{1, "Yes"}, {0, "-"}, {0, "-"}, {0, "-"}, {1, "No"}}, {}, 3);
  }

  TempDir dir_;
  std::unique_ptr<ScopedChdir> chdir_;
};

TEST_F(ModelTest, AxesBecomeSingleAndMultiCodedVariables) {
  RunDirectory run;
  run.inc("age").weight(3);
  write_run(run);
  memory_survey();
  testing::internal::CaptureStderr();
  EXPECT_EQ(znostats(), 1);
  testing::internal::GetCapturedStderr();

  ASSERT_EQ(names(),
            (std::vector<std::string>{"q1", "@q50", "@q51", "@q511", "@questi0", "@questi4", "age", "@weight0"}));
  const StatVar *q1 = stvars[0];
  EXPECT_EQ(q1->kind, kind_single);
  EXPECT_EQ(q1->axis, axes);
  EXPECT_EQ(q1->source, &axes->info);
  EXPECT_EQ(q1->index, 0);
  EXPECT_EQ(axes->single_var, q1);
  EXPECT_EQ(label(q1), "Gender");
  EXPECT_EQ(codes(q1), (std::vector<int>{1, 2, 4}));
  EXPECT_EQ(value_labels(q1), (std::vector<std::string>{"Male", "Female", "Other"}));
  EXPECT_EQ(q1->width, 0);
  EXPECT_EQ(q1->output, nullptr);

  Axis *q5 = axes->next;
  const int elements[] = {0, 1, 11};
  const char *texts[] = {"Brand A", "Brand B", "Brand L"};
  for (int k = 0; k < 3; k++) {
    const StatVar *var = stvars[1 + k];
    EXPECT_EQ(var->kind, kind_multiple);
    EXPECT_EQ(var->axis, q5);
    EXPECT_EQ(var->source, &q5->info);
    EXPECT_EQ(var->index, elements[k]);
    EXPECT_EQ(q5->element_vars[elements[k]], var);
    EXPECT_EQ(label(var), "Brands used");
    EXPECT_EQ(codes(var), (std::vector<int>{-1, elements[k]}));
    EXPECT_EQ(value_labels(var), (std::vector<std::string>{std::string("no ") + texts[k], texts[k]}));
  }
  EXPECT_EQ(q5->element_vars[5], nullptr);
  EXPECT_EQ(q5->single_var, nullptr);
  EXPECT_EQ(label(stvars[4]), "(none)");

  const StatVar *age = stvars[6];
  EXPECT_EQ(age->kind, kind_numeric);
  EXPECT_EQ(age->axis, nullptr);
  EXPECT_EQ(age->source, incs);
  EXPECT_EQ(age->index, 0);
  EXPECT_EQ(age->category_count, 0);
  EXPECT_EQ(label(age), "age");
  const StatVar *weight = stvars[7];
  EXPECT_EQ(weight->source, &weights[0]);
  EXPECT_EQ(weight->index, 0);
  EXPECT_EQ(label(weight), "(none)");

  EXPECT_EQ(find_stvar("@q511"), stvars[3]);
  EXPECT_EQ(find_stvar("Q1"), nullptr);
  EXPECT_EQ(find_stvar("gone"), nullptr);
}

TEST_F(ModelTest, DumpShowsEveryVariableBeforeOutputCodes) {
  RunDirectory run;
  run.inc("age").weight(3);
  write_run(run);
  memory_survey();
  open_debug();
  testing::internal::CaptureStderr();
  znostats();
  testing::internal::GetCapturedStderr();
  dump_stvars();
  EXPECT_EQ(close_debug(), "\n Inc 0 age"
                           "\n Weight 0"
                           "\n I 0\n q1 1 <Gender>\n"
                           "   0 : 1 <Male>\n"
                           "   1 : 2 <Female>\n"
                           "   2 : 4 <Other>\n"
                           "\n I 1\n @q50 2 <Brands used>\n"
                           "   0 : -1 <no Brand A>\n"
                           "   1 : 0 <Brand A>\n"
                           "\n I 2\n @q51 2 <Brands used>\n"
                           "   0 : -1 <no Brand B>\n"
                           "   1 : 1 <Brand B>\n"
                           "\n I 3\n @q511 2 <Brands used>\n"
                           "   0 : -1 <no Brand L>\n"
                           "   1 : 11 <Brand L>\n"
                           "\n I 4\n @questi0 2\n"
                           "   0 : -1 <no Yes>\n"
                           "   1 : 0 <Yes>\n"
                           "\n I 5\n @questi4 2\n"
                           "   0 : -1 <no No>\n"
                           "   1 : 4 <No>\n"
                           "\n I 6\n age 3"
                           "\n I 7\n @weight0 3");
}

TEST_F(ModelTest, ModelNamesOfDichotomiesShortenTheAxisNameByLevelCount) {
  RunDirectory run;
  write_run(run);
  struct Case {
    int levels;
    const char *first;
    const char *last;
  };
  const Case cases[] = {
      {9, "@abcdef0", "@abcdef8"}, {10, "@abcde0", "@abcde9"}, {99, "@abcde0", "@abcde98"}, {100, "@abcd0", "@abcd99"}};
  for (const Case &c : cases) {
    SetUp();
    memory_axis("abcdefghij", std::vector<ElementDef>(static_cast<size_t>(c.levels), ElementDef{1, "E"}), {}, 2);
    znostats();
    ASSERT_EQ(stvar_count, c.levels);
    EXPECT_STREQ(stvars[0]->name, c.first);
    EXPECT_STREQ(stvars[c.levels - 1]->name, c.last);
  }
}

TEST_F(ModelTest, GridLabelsComeBeforeTitles) {
  RunDirectory run;
  write_run(run);
  Axis *single = memory_axis("x0", {{1, "Yes"}}, {"Title"});
  single->grid_label = store_strdup("Brand A");
  Axis *single_empty = memory_axis("x1", {{1, "Yes"}}, {"Title"});
  single_empty->grid_label = store_strdup("");
  Axis *multi_empty = memory_axis("x2", {{1, "Yes"}}, {"Title"}, 2);
  multi_empty->grid_label = store_strdup("");
  Axis *multi = memory_axis("x3", {{1, "Yes"}}, {"Title"}, 2);
  multi->grid_label = store_strdup("Brand D");
  znostats();
  ASSERT_EQ(stvar_count, 4);
  EXPECT_EQ(label(stvars[0]), "Brand A");
  EXPECT_EQ(label(stvars[1]), "Title"); // an empty grid label does not label a single-coded variable
  EXPECT_EQ(label(stvars[2]), "");      // but does label a dichotomy
  EXPECT_EQ(label(stvars[3]), "Brand D");
}

TEST_F(ModelTest, TitlesAreJoinedByFormatFamily) {
  struct Case {
    const char *format;
    int join;
    std::vector<std::string> titles;
    const char *expected;
  };
  const std::vector<Case> cases = {
      {"classic", 1, {"A", "B"}, "A B "},
      {"csv", 1, {"A", "B"}, "A B "},
      {"xml", 1, {"A", "B"}, "A\nB\n"},
      {"sss", 2, {"A", "B"}, "A\nB\n"},
      {"ts", 1, {"A", "B"}, "A B "},
      {"statra", 1, {"A", "B"}, "A"},
      {"xml", 0, {"A", "B"}, "A"},
      {"classic", 0, {"A", "B"}, "A"},
      {"xml", 1, {"A"}, "A\n"},
      {"classic", 1, {}, ""},
      {"xml", 0, {}, ""},
      {"csv", 1, {"A", "", "C"}, "A  C "},
  };
  for (const Case &c : cases) {
    SetUp();
    current_format = format_named(c.format);
    ASSERT_NE(current_format, nullptr);
    join_titles = c.join;
    Axis *axis = memory_axis("q", {{1, "x"}}, c.titles);
    StatVar var{};
    axis_label(axis, &var);
    ASSERT_NE(var.label, nullptr);
    EXPECT_EQ(std::string(var.label), c.expected) << c.format << " " << c.join << " " << c.titles.size();
  }
}

TEST_F(ModelTest, JoinedTitlesLabelTheVariablesOfAxesOnly) {
  // -l: the axis variables get every title; the inc keeps its own label.
  RunDirectory run;
  run.inc("score");
  write_run(run);
  join_titles = 1;
  memory_axis("q1", {{1, "Yes"}, {1, "No"}}, {"First", "Second"});
  memory_axis("q2", {{1, "Yes"}, {1, "No"}}, {"Third", "Fourth"}, 2);
  testing::internal::CaptureStderr();
  znostats();
  testing::internal::GetCapturedStderr();
  ASSERT_EQ(stvar_count, 4);
  EXPECT_EQ(label(stvars[0]), "First\nSecond\n");
  EXPECT_EQ(label(stvars[1]), "Third\nFourth\n");
  EXPECT_EQ(label(stvars[2]), "Third\nFourth\n");
  EXPECT_EQ(label(stvars[3]), "score");
}

TEST_F(ModelTest, NoWeightsWhenTheFlagIsMinusOne) {
  RunDirectory run;
  write_run(run);
  EXPECT_EQ(znostats(), 0);
  EXPECT_EQ(weight_count, 0);
  EXPECT_EQ(stvar_count, 0);
  EXPECT_EQ(inc_count, 0);
  EXPECT_EQ(incs, nullptr);
}

TEST_F(ModelTest, WeightsOpenTheirValueFiles) {
  RunDirectory run;
  run.weight(3).weight(7);
  run.respondent().weight(3, 1.5f).weight(7, 2.5f);
  write_run(run);
  open_debug();
  EXPECT_EQ(znostats(), 2);
  EXPECT_EQ(close_debug(), "\n Weight 0\n Weight 1");
  ASSERT_EQ(names(), (std::vector<std::string>{"@weight0", "@weight1"}));
  const float expected[] = {1.5f, 2.5f};
  for (int w = 0; w < 2; w++) {
    EXPECT_EQ(stvars[w]->kind, kind_numeric);
    EXPECT_EQ(stvars[w]->index, w);
    EXPECT_EQ(stvars[w]->source, &weights[w]);
    ASSERT_NE(weights[w].stream, nullptr);
    EXPECT_EQ(std::ftell(weights[w].stream), 64); // positioned at the first value
    float value = 0;
    ASSERT_EQ(std::fread(&value, sizeof value, 1, weights[w].stream), 1u);
    EXPECT_EQ(value, expected[w]);
  }
  EXPECT_EQ(weights[0].matrix, 3);
  EXPECT_EQ(weights[1].matrix, 7);
}

TEST_F(ModelTest, MoreThanTenWeightsAreAllUsed) {
  RunDirectory run;
  for (int m = 20; m > 8; m--) run.weight(m);
  write_run(run);
  EXPECT_EQ(znostats(), 12);
  ASSERT_EQ(stvar_count, 12);
  for (int w = 0; w < 12; w++) {
    EXPECT_EQ(stvars[w]->name, "@weight" + std::to_string(w));
    EXPECT_EQ(weights[w].matrix, 20 - w);
    EXPECT_EQ(stvars[w]->source, &weights[w]);
  }
  build_outputs();
  // @weight10 and @weight11 are cut to @weight1, which is taken.
  EXPECT_EQ(output_name_of(stvars[1]), "@weight1");
  EXPECT_EQ(output_name_of(stvars[10]), "@Aeight1");
  EXPECT_EQ(output_name_of(stvars[11]), "@Beight1");
}

TEST_F(ModelTest, MissingWeightValueFileEndsTheRun) {
  RunDirectory run;
  run.weight(3).weight(7);
  run.omit("wmvals7.q");
  write_run(run);
  EXPECT_EXIT(znostats(), ::testing::ExitedWithCode(1), "Cannot open \"wmvals7.q\" mode \"rb\"");
}

TEST_F(ModelTest, IncCountMustMatchTheValueBlock) {
  RunDirectory run;
  run.inc("age").inc("income");
  IntermedSizes sizes;
  sizes.value_bytes = 12;
  run.intermed_sizes(sizes);
  write_run(run);
  EXPECT_EXIT(znostats(), ::testing::ExitedWithCode(1), "^ERROR: 3202\n$");
}

TEST_F(ModelTest, IncsWithoutValuesEndTheRun) {
  RunDirectory run;
  run.inc("age");
  IntermedSizes sizes;
  sizes.value_bytes = 0;
  run.intermed_sizes(sizes);
  write_run(run);
  EXPECT_EXIT(znostats(), ::testing::ExitedWithCode(1), "ERROR: 3202");
}

TEST_F(ModelTest, IncCountBeyondTheRecordsStopsAtTheLastRecord) {
  // The count says 5 but two records are there; the value block holds two numbers.
  RunDirectory run;
  run.inc("age").inc("income").inc_count(5);
  write_run(run);
  testing::internal::CaptureStderr();
  znostats();
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(inc_count, 2);
  EXPECT_EQ(names(), (std::vector<std::string>{"age", "income"}));
}

TEST_F(ModelTest, DamagedIncsFileIsReadSafely) {
  struct Case {
    const char *what;
    std::function<void(std::string &)> edit;
    std::vector<std::string> expected;
  };
  // incs.inf: header, count at 64, text size at 68, "age\0income\0" at 72, records at 83.
  const std::vector<Case> cases = {
      {"offset past the text block", [](std::string &b) { poke_i32(b, 83 + 12 + 8, 11); }, {"age", ""}},
      {"negative offset", [](std::string &b) { poke_i32(b, 83 + 8, -4); }, {"", "income"}},
      {"offset inside a name", [](std::string &b) { poke_i32(b, 83 + 12 + 8, 6); }, {"age", "come"}},
      {"last name without its NUL", [](std::string &b) { b[82] = 'x'; }, {"age", "incomex"}},
      {"last record cut short", [](std::string &b) { b.resize(b.size() - 1); }, {"age"}},
      {"text size beyond the file", [](std::string &b) { poke_i32(b, 68, 0x7fffffff); }, {}},
      {"negative text size", [](std::string &b) { poke_i32(b, 68, -11); }, {"", ""}},
      {"negative count", [](std::string &b) { poke_i32(b, 64, -1); }, {}},
      {"no sizes", [](std::string &b) { b.resize(66); }, {}},
  };
  for (const Case &c : cases) {
    SetUp();
    RunDirectory run;
    run.inc("age").inc("income");
    IntermedSizes sizes;
    sizes.value_bytes = static_cast<int32_t>(4 * c.expected.size());
    run.intermed_sizes(sizes);
    run.edit("incs.inf", c.edit);
    TempDir dir;
    run.write(dir.path());
    ScopedChdir in(dir.path());
    testing::internal::CaptureStderr();
    znostats();
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(names(), c.expected) << c.what;
    EXPECT_EQ(inc_count, static_cast<int>(c.expected.size())) << c.what;
    reset_model();
  }
}

// The rest reads run directories through the reader stages.

TEST_F(ModelTest, DataDecideBetweenSingleAndMultipleCoding) {
  RunDirectory run;
  run.title("Survey");
  run.axis("q1").title("Gender").text_line("Base").element("Male").element("Female");
  run.axis("q2").title("Brands").element("Brand A").element("Brand B").element("Brand C");
  run.axis("q3").title("Exported").element("Yes").element("No").multi();
  run.axis("q4").title("Unused").text_line("Nothing to choose");
  run.respondent().choose("q1", 1).choose("q2", 0).choose("q3", 0);
  run.respondent().choose("q1", 2).choose("q2", {0, 2});
  write_run(run);
  read_run();
  znostats();
  ASSERT_EQ(names(), (std::vector<std::string>{"q1", "@q20", "@q21", "@q22", "@q30", "@q31"}));
  EXPECT_EQ(codes(stvars[0]), (std::vector<int>{1, 2}));
  EXPECT_EQ(value_labels(stvars[0]), (std::vector<std::string>{"Male", "Female"}));
  EXPECT_EQ(label(stvars[0]), "Gender");
  EXPECT_EQ(codes(stvars[3]), (std::vector<int>{-1, 2}));
  EXPECT_EQ(value_labels(stvars[3]), (std::vector<std::string>{"no Brand C", "Brand C"}));
  EXPECT_EQ(label(stvars[4]), "Exported");

  build_outputs();
  EXPECT_EQ(output_codes(stvars[0]), (std::vector<int>{1, 2}));
  EXPECT_EQ(output_codes(stvars[1]), (std::vector<int>{-1, 1}));
  EXPECT_EQ(output_codes(stvars[2]), (std::vector<int>{0, 1}));
  EXPECT_EQ(output_codes(stvars[3]), (std::vector<int>{0, 1}));
  EXPECT_EQ(output_labels(stvars[3]), (std::vector<std::string>{"no Brand C", "Brand C"}));
}

TEST_F(ModelTest, ExpandedGridGivesOneVariablePerColumn) {
  RunDirectory run;
  run.axis("agrid").title("Rating").grid_side(2).element("Good").element("Bad");
  run.axis("bgrid").grid_column().in_data(0).element("Brand A").element("Brand B");
  run.respondent().choose_copy("agrid", 0, 1).choose_copy("agrid", 1, 0);
  write_run(run);
  read_run();
  znostats();
  ASSERT_EQ(names(), (std::vector<std::string>{"x0", "x1"}));
  EXPECT_EQ(label(stvars[0]), "Brand A");
  EXPECT_EQ(label(stvars[1]), "Brand B");
  EXPECT_EQ(value_labels(stvars[1]), (std::vector<std::string>{"Good", "Bad"}));
}

TEST_F(ModelTest, IncsTakeNamesAndLabelsFromDescriptions) {
  RunDirectory run;
  run.inc("inc1", "AGE", "Age in years").inc("inc2", "", "Household income").inc("inc3", "SCORE", "").inc("inc4");
  write_run(run);
  read_run();
  open_debug();
  znostats();
  EXPECT_EQ(close_debug(), "\n Inc 0 AGE\n Inc 1 inc2\n Inc 2 SCORE\n Inc 3 inc4");
  ASSERT_EQ(names(), (std::vector<std::string>{"AGE", "inc2", "SCORE", "inc4"}));
  EXPECT_EQ(label(stvars[0]), "Age in years");
  EXPECT_EQ(label(stvars[1]), "Household income");
  EXPECT_EQ(label(stvars[2]), "SCORE");
  EXPECT_EQ(label(stvars[3]), "inc4");
  ASSERT_EQ(inc_count, 4);
  const char *expected[] = {"AGE", "inc2", "SCORE", "inc4"};
  int k = 0;
  for (IncEntry *entry = incs; entry; entry = entry->next, k++) {
    EXPECT_STREQ(entry->name, expected[k]);
    EXPECT_EQ(stvars[k]->source, entry);
    EXPECT_EQ(stvars[k]->index, k);
  }
  EXPECT_EQ(k, 4);
}

TEST_F(ModelTest, UnreadableDescriptionsLeaveIncsTheirNames) {
  RunDirectory run;
  run.inc("inc1", "AGE", "Age in years");
  run.replace("descrips.inf", "not a compressed file");
  write_run(run);
  read_run();
  testing::internal::CaptureStderr();
  znostats();
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("Warning: cannot read descrips.inf (errcode "), std::string::npos) << err;
  ASSERT_EQ(names(), (std::vector<std::string>{"inc1"}));
  EXPECT_EQ(label(stvars[0]), "inc1");
}

RunDirectory same_name_run() {
  RunDirectory run;
  run.axis("age").title("Age group").element("Young").element("Old");
  run.axis("sex").title("Gender").element("Male").element("Female");
  run.inc("age").inc("score").inc("score");
  run.respondent().choose("age", 0).choose("sex", 1).value("age", 30).value("score", 7);
  return run;
}

TEST_F(ModelTest, IncSuppressesTheAxisOfTheSameNameWhenAsked) {
  write_run(same_name_run());
  read_run();
  suppress_same_name_axes = 1;
  znostats();
  build_outputs();
  ASSERT_EQ(names(), (std::vector<std::string>{"age", "sex", "age", "score", "score"}));
  EXPECT_EQ(axes->no_output, 1);
  EXPECT_EQ(axes->next->no_output, 0);
  EXPECT_EQ(label(stvars[2]), "Age group");
  EXPECT_EQ(output_name_of(stvars[0]), "(not written)");
  EXPECT_EQ(output_name_of(stvars[1]), "sex");
  EXPECT_EQ(output_name_of(stvars[2]), "age");
  // An inc of an earlier inc's name suppresses nothing: both are written.
  EXPECT_EQ(label(stvars[4]), "score");
  EXPECT_EQ(output_name_of(stvars[3]), "score");
  EXPECT_EQ(output_name_of(stvars[4]), "Acore");
}

TEST_F(ModelTest, WithoutTheOptionBothAreWritten) {
  write_run(same_name_run());
  read_run();
  znostats();
  build_outputs();
  EXPECT_EQ(axes->no_output, 0);
  EXPECT_EQ(label(stvars[2]), "age");
  EXPECT_EQ(output_name_of(stvars[0]), "age");
  EXPECT_EQ(output_name_of(stvars[2]), "Bge"); // Age would equal age
  EXPECT_EQ(output_name_of(stvars[4]), "Ccore");
}

TEST_F(ModelTest, InDataOptionsChangeNamesLabelsAndCodes) {
  // K, C and s on one run: each touches only the variables it is meant for.
  RunDirectory run;
  run.axis("q1").title("q1 Frequency").element("1 Daily").element("2 Weekly").element("Never");
  run.axis("q2").title("Q2 Media").element("Radio").element("5 TV").multi();
  run.inc("q1x", "", "q1x Spend");
  write_run(run);
  read_run();
  use_element_text_values = 1;
  use_element_positions = 1;
  strip_variable_name = 1;
  znostats();
  build_outputs();
  ASSERT_EQ(names(), (std::vector<std::string>{"q1", "@q20", "@q21", "q1x"}));
  EXPECT_STREQ(stvars[0]->output->label, "Frequency");
  EXPECT_EQ(output_codes(stvars[0]), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(output_labels(stvars[0]), (std::vector<std::string>{"Daily", "Weekly", "Never"}));
  EXPECT_STREQ(stvars[1]->output->label, "Q2 Media");            // the output name is @q20
  EXPECT_EQ(output_codes(stvars[1]), (std::vector<int>{-1, 0})); // element 0, positions kept
  EXPECT_EQ(output_codes(stvars[2]), (std::vector<int>{0, 5}));
  EXPECT_EQ(output_labels(stvars[2]), (std::vector<std::string>{"no 5 TV", "TV"}));
  EXPECT_STREQ(stvars[3]->output->label, "Spend");
}

} // namespace

TEST_F(ModelTest, ManyVariablesGrowTheArray) {
  RunDirectory run;
  for (int k = 0; k < 9600; k++) run.inc("v" + std::to_string(k));
  write_run(run);
  znostats();
  ASSERT_EQ(stvar_count, 9600);
  EXPECT_GE(stvar_capacity, 9600);
  EXPECT_STREQ(stvars[9599]->name, "v9599");
  EXPECT_EQ(stvars[9599]->index, 9599);
  EXPECT_EQ(find_stvar("v9599"), stvars[9599]);
  EXPECT_EQ(find_stvar("v0"), stvars[0]);
}

TEST(ModelProgram, ConversionStopsOnIncValueMismatch) {
  TempDir dir;
  RunDirectory run;
  run.axis("q1").title("Gender").element("Male").element("Female");
  run.inc("age").inc("income");
  IntermedSizes sizes;
  sizes.value_bytes = 4;
  run.intermed_sizes(sizes);
  run.respondent().choose("q1", 0);
  run.write(dir.path());
  ProcessResult result = run_program(built_program("zn2xml"), {}, dir.path());
  EXPECT_EQ(result.exit_code, 1);
  EXPECT_NE(result.err.find("ERROR: 3202\n"), std::string::npos) << result.err;
  EXPECT_FALSE(file_exists(dir.file("survey.asc")));
}

TEST(ModelProgram, StatraNamesAvoidReservedWordsAndCaseClashes) {
  TempDir dir;
  RunDirectory run;
  run.axis("and").title("Conjunction").element("Yes").element("No");
  run.axis("Age").title("Age group").element("Young").element("Old");
  run.inc("AGE");
  run.respondent().choose("and", 0).choose("Age", 1).value("AGE", 30);
  run.write(dir.path());
  ProcessResult result = run_program(built_program("zn2statra"), {}, dir.path());
  ASSERT_EQ(result.exit_code, 0) << result.err;
  std::string commands = read_file(dir.file("commands.qsp"));
  // The inc AGE clashes with the axis Age in the statistics package: it is renamed.
  EXPECT_NE(commands.find("\n  @and\n  Age\n  BGE\n"), std::string::npos) << commands;
}
