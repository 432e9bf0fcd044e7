// Output names, labels and value codes, on variables built in memory.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "engine/nstore.h"
#include "engine/options.h"
#include "model/statvars.h"
#include "model/znostats.h"
#include "runfiles/axinf.h"

namespace {

class OutputTest : public ::testing::Test {
protected:
  void SetUp() override {
    init_store();
    reset_output_registry();
    use_element_positions = 0;
    use_element_text_values = 0;
    strip_variable_name = 0;
  }
  void TearDown() override {
    use_element_positions = 0;
    use_element_text_values = 0;
    strip_variable_name = 0;
    release_store();
  }

  static StatVar *make_var(int kind, const char *name, const char *label, std::vector<int> codes = {},
                           std::vector<std::string> labels = {}) {
    auto *var = static_cast<StatVar *>(store_alloc(sizeof(StatVar)));
    var->kind = static_cast<int16_t>(kind);
    var->name = store_strdup(name);
    var->label = label ? store_strdup(label) : nullptr;
    var->category_count = static_cast<int32_t>(codes.size());
    var->codes = static_cast<int32_t *>(store_alloc(sizeof(int32_t) * codes.size()));
    var->value_labels = static_cast<char **>(store_alloc(sizeof(char *) * codes.size()));
    for (size_t i = 0; i < codes.size(); i++) {
      var->codes[i] = codes[i];
      var->value_labels[i] = store_strdup(labels[i].c_str());
    }
    if (kind == kind_multiple) var->index = codes[1];
    return var;
  }

  // A dichotomy as the survey-variable stage leaves it: codes -1 and the element index.
  static StatVar *make_dichotomy(int element, const std::string &text) {
    return make_var(kind_multiple, "@q5", "Brands", {-1, element}, {"no " + text, text});
  }

  static std::vector<std::string> names_of(const std::vector<std::string> &model_names) {
    std::vector<std::string> names;
    for (const auto &model : model_names) names.push_back(output_name(model.c_str())->name);
    return names;
  }

  static std::vector<int> codes_of(const StatVar *var) {
    return std::vector<int>(var->output->values.codes, var->output->values.codes + var->output->values.count);
  }
  static std::vector<std::string> labels_of(const StatVar *var) {
    return std::vector<std::string>(var->output->values.labels, var->output->values.labels + var->output->values.count);
  }
};

TEST_F(OutputTest, NamesAreCleanedCutToEightAndRenamedOnCollision) {
  EXPECT_EQ(names_of({"Q1_A", "Q1.A", "questionnaire", "@q50", "@q50", "Q 1", "Q1A"}),
            (std::vector<std::string>{"Q1@A", "A1@A", "question", "@q50", "@B50", "Q@1", "Q1A"}));
}

TEST_F(OutputTest, TwentyEightEqualNamesRunThroughTheCounter) {
  // A leading digit puts "@" in front; the prefix then goes after it.
  std::vector<std::string> expected = {"@1234567"};
  for (char c = 'A'; c <= 'Z'; c++) expected.push_back(std::string("@") + c + "234567");
  expected.push_back("@AB34567");
  EXPECT_EQ(names_of(std::vector<std::string>(28, "12345678901")), expected);
  // The counter goes on through the two-letter prefixes and then to three letters.
  std::vector<std::string> more = names_of(std::vector<std::string>(26 * 25 + 1, "12345678901"));
  EXPECT_EQ(more[0], "@BB34567");
  EXPECT_EQ(more[1], "@CB34567");
  EXPECT_EQ(more[24], "@ZB34567");
  EXPECT_EQ(more[25], "@AC34567");
  EXPECT_EQ(more[26 * 25 - 2], "@ZZ34567");
  EXPECT_EQ(more[26 * 25 - 1], "@AAB4567");
  EXPECT_EQ(more[26 * 25], "@BAB4567");
}

TEST_F(OutputTest, NamesDifferingOnlyInCaseCollide) {
  // The rename that would give Question equals question without regard to case and goes
  // on to the next prefix; every rename moves the counter on.
  std::vector<std::string> expected = {"question"};
  for (char c = 'A'; c <= 'Z'; c++)
    if (c != 'Q') expected.push_back(std::string(1, c) + "uestion");
  expected.push_back("ABestion");
  expected.push_back("BBestion");
  EXPECT_EQ(names_of(std::vector<std::string>(28, "questionnaire")), expected);
}

TEST_F(OutputTest, CaseCollisionsKeepTheirOwnCase) {
  // AGE collides with Age; its first rename, A, gives AGE again, so it becomes BGE.
  EXPECT_EQ(names_of({"Age", "AGE", "age", "Weight", "weight"}),
            (std::vector<std::string>{"Age", "BGE", "Cge", "Weight", "Deight"}));
}

TEST_F(OutputTest, ReservedWordsAndLeadingDigitsGetAnAtSign) {
  struct Case {
    const char *model;
    const char *output;
  };
  const Case cases[] = {
      {"and", "@and"},
      {"With", "@With"},
      {"TO", "@TO"},
      {"all", "@all"},
      {"by", "@by"},
      {"eq", "@eq"},
      {"ge", "@ge"},
      {"gt", "@gt"},
      {"le", "@le"},
      {"lt", "@lt"},
      {"ne", "@ne"},
      {"not", "@not"},
      {"or", "@or"},
      {"1abc", "@1abc"},
      {"9a.b", "@9a@b"},
      {"withdrawal", "withdraw"},
      {"android", "android"},
      {"notes", "notes"},
      {"x1", "x1"},
      {"@weight0", "@weight0"},
      {"123456789", "@1234567"},
      {"0_ab", "@0@ab"},
      {"orange", "orange"},
  };
  for (const Case &c : cases) EXPECT_STREQ(output_name(c.model)->name, c.output) << c.model;
}

TEST_F(OutputTest, ReservedNamesCollideLikeOthers) {
  // The second and gives @and, which is taken; after the "@" the prefix A gives @And,
  // equal without regard to case, and B gives @Bnd.
  EXPECT_EQ(names_of({"and", "and", "1x", "1x", "OR", "Or"}),
            (std::vector<std::string>{"@and", "@Bnd", "@1x", "@Cx", "@OR", "@Dr"}));
}

TEST_F(OutputTest, RenamesNeverSpellAReservedWord) {
  // The third xy would be By.
  EXPECT_EQ(names_of({"xy", "xy", "xy", "no", "no"}), (std::vector<std::string>{"xy", "Ay", "Cy", "no", "Do"}));
}

TEST_F(OutputTest, EmptyNameBecomesAnAtSign) {
  EXPECT_EQ(names_of({"", "", "@"}), (std::vector<std::string>{"@", "@A", "@B"}));
}

TEST_F(OutputTest, ShortNameGrowsWithTheTwoLetterPrefix) {
  std::vector<std::string> names = names_of(std::vector<std::string>(28, "Q"));
  EXPECT_EQ(names[0], "Q");
  EXPECT_EQ(names[1], "A");
  // Q itself is taken by the first (the rename Q is skipped), so Z is the 26th.
  EXPECT_EQ(names[25], "Z");
  EXPECT_EQ(names[26], "AB");
  EXPECT_EQ(names[27], "BB");
}

TEST_F(OutputTest, VariableOfASuppressedAxisGetsNoOutput) {
  Axis axis{};
  axis.no_output = 1;
  StatVar *var = make_var(kind_single, "q1", "Gender", {0, 1}, {"Male", "Female"});
  var->axis = &axis;
  build_output(var);
  EXPECT_EQ(var->output, nullptr);
  // The name is not used up either.
  EXPECT_STREQ(output_name("q1")->name, "q1");
}

TEST_F(OutputTest, LabelsLoseLeadingBlanksAndOptionallyTheName) {
  struct Case {
    int strip;
    const char *name;
    const char *label;
    const char *expected;
  };
  const Case cases[] = {
      {0, "Age", "   Age", "Age"},
      {0, "Q1", "Q1 Age", "Q1 Age"},
      {1, "Q1", "Q1   Age", "Age"},
      {1, "Q1", "   Q1 Age", "Age"},
      {1, "Q1", "Q10 Age", "0 Age"},
      {1, "AGE", "age of respondent", "age of respondent"},
      {2, "AGE", "age of respondent", "of respondent"},
      {2, "Q1", "q2 Age", "q2 Age"},
      {1, "Q1", "Q1", ""},
      {1, "Q1", "Q", "Q"},
  };
  for (const Case &c : cases) {
    SetUp();
    strip_variable_name = c.strip;
    StatVar *var = make_var(kind_numeric, c.name, c.label);
    build_output(var);
    ASSERT_NE(var->output, nullptr);
    EXPECT_STREQ(var->output->label, c.expected) << c.strip << " " << c.label;
    EXPECT_EQ(var->output->values.count, 0);
    EXPECT_EQ(var->output->var, var);
  }
}

TEST_F(OutputTest, NameIsStrippedInItsOutputForm) {
  // The label starts with the output name (after the rename), not with the model name.
  strip_variable_name = 1;
  StatVar *first = make_var(kind_numeric, "q1.a", "q1.a first");
  StatVar *second = make_var(kind_numeric, "q1_a", "A1@A second");
  build_output(first);
  build_output(second);
  EXPECT_STREQ(first->output->name_entry->name, "q1@a");
  EXPECT_STREQ(first->output->label, "q1.a first");
  EXPECT_STREQ(second->output->name_entry->name, "A1@a");
  EXPECT_STREQ(second->output->label, "A1@A second");
  strip_variable_name = 2;
  StatVar *third = make_var(kind_numeric, "q1-a", "b1@A third");
  build_output(third);
  EXPECT_STREQ(third->output->name_entry->name, "B1@a");
  EXPECT_STREQ(third->output->label, "third");
}

TEST_F(OutputTest, VariableWithoutLabelHasNoOutputLabel) {
  StatVar *var = make_var(kind_numeric, "@weight0", nullptr);
  build_output(var);
  EXPECT_EQ(var->output->label, nullptr);
}

TEST_F(OutputTest, DichotomyCodes) {
  struct Case {
    int element;
    int positions;
    int no_code;
    int yes_code;
  };
  const Case cases[] = {{3, 0, 0, 1}, {3, 1, 0, 3}, {0, 0, -1, 1}, {0, 1, -1, 0}, {11, 0, 0, 1}, {11, 1, 0, 11}};
  for (const Case &c : cases) {
    SetUp();
    use_element_positions = c.positions;
    StatVar *var = make_dichotomy(c.element, "Brand");
    build_output(var);
    EXPECT_EQ(codes_of(var), (std::vector<int>{c.no_code, c.yes_code})) << c.element << " " << c.positions;
    // The variable's own codes are changed in place, for the data writer.
    EXPECT_EQ(var->codes[0], c.no_code);
    EXPECT_EQ(var->codes[1], c.yes_code);
    EXPECT_EQ(labels_of(var), (std::vector<std::string>{"no Brand", "Brand"}));
  }
}

TEST_F(OutputTest, DichotomyCodedFromItsElementText) {
  use_element_text_values = 1;
  StatVar *daily = make_dichotomy(4, "5 Daily");
  StatVar *plain = make_dichotomy(2, "Weekly");
  build_output(daily);
  build_output(plain);
  EXPECT_EQ(codes_of(daily), (std::vector<int>{0, 5}));
  EXPECT_EQ(labels_of(daily), (std::vector<std::string>{"no 5 Daily", "5 Daily"}));
  EXPECT_EQ(codes_of(plain), (std::vector<int>{0, 1}));

  strip_variable_name = 1;
  StatVar *stripped = make_dichotomy(4, "  5   Daily");
  build_output(stripped);
  EXPECT_EQ(codes_of(stripped), (std::vector<int>{0, 5}));
  EXPECT_EQ(labels_of(stripped), (std::vector<std::string>{"no   5   Daily", "Daily"}));
}

TEST_F(OutputTest, DichotomyNumberedZeroKeepsTwoCodes) {
  // "Not chosen" and "chosen" must stay apart when the element text is numbered 0.
  use_element_text_values = 1;
  StatVar *var = make_dichotomy(6, "0 None of these");
  build_output(var);
  EXPECT_EQ(codes_of(var), (std::vector<int>{-1, 0}));
}

TEST_F(OutputTest, SingleCodedCodesFromElementTexts) {
  struct Case {
    std::vector<std::string> labels;
    std::vector<int> expected;
  };
  const std::vector<Case> cases = {
      {{"10 Yes", "No", "3 Maybe"}, {10, 11, 3}},
      {{"1 Male", "2 Female", "Refused"}, {1, 2, 3}},
      {{"Don't know", "  7 Often", "Never", "2 Rarely"}, {8, 7, 9, 2}},
      {{"Yes", "No", "Maybe"}, {1, 2, 4}}, // no numbers: the element positions stay
      {{"-3 Minus", "+4 Plus", "5.5 Half"}, {6, 7, 5}},
      {{"99999999999 Big", "2 Small"}, {3, 2}}, // too large to be a code
  };
  for (const Case &c : cases) {
    SetUp();
    use_element_text_values = 1;
    StatVar *var = make_var(kind_single, "q1", "Q", {1, 2, 4, 5}, {"", "", "", ""});
    var->category_count = static_cast<int32_t>(c.labels.size());
    for (size_t i = 0; i < c.labels.size(); i++) var->value_labels[i] = store_strdup(c.labels[i].c_str());
    build_output(var);
    EXPECT_EQ(codes_of(var), c.expected) << c.labels[0];
    // Without stripping, the labels keep their numbers (leading blanks go).
    EXPECT_EQ(var->output->values.labels[0], c.labels[0].substr(c.labels[0].find_first_not_of(' ')));
  }
}

TEST_F(OutputTest, SingleCodedLabelsLoseTheirNumberOnlyWithBothOptions) {
  struct Case {
    int text_values;
    int strip;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {1, 1, {"Male", "Female", "Refused"}},
      {1, 2, {"Male", "Female", "Refused"}},
      {1, 0, {"1 Male", "02   Female", "Refused"}},
      {0, 1, {"1 Male", "02   Female", "Refused"}},
  };
  for (const Case &c : cases) {
    SetUp();
    use_element_text_values = c.text_values;
    strip_variable_name = c.strip;
    StatVar *var = make_var(kind_single, "q1", "Q", {0, 1, 2}, {" 1 Male", "02   Female", "Refused"});
    build_output(var);
    EXPECT_EQ(labels_of(var), c.expected) << c.text_values << c.strip;
  }
}

TEST_F(OutputTest, SingleCodedKeepsItsCodesByDefault) {
  use_element_positions = 1; // only dichotomies read it
  StatVar *var = make_var(kind_single, "q1", "Gender", {1, 2, 4}, {"Male", "  Female", "7 Other"});
  build_output(var);
  EXPECT_EQ(codes_of(var), (std::vector<int>{1, 2, 4}));
  EXPECT_EQ(labels_of(var), (std::vector<std::string>{"Male", "Female", "7 Other"}));
}

TEST_F(OutputTest, BuildOutputsWalksEveryVariableInOrder) {
  StatVar **saved = stvars;
  int saved_count = stvar_count;
  int saved_capacity = stvar_capacity;
  stvars = nullptr;
  stvar_count = stvar_capacity = 0;
  grow_stvars();
  Axis suppressed{};
  suppressed.no_output = 1;
  stvars[0] = make_var(kind_single, "age", "Age group", {0}, {"Young"});
  stvars[0]->axis = &suppressed;
  stvars[1] = make_var(kind_numeric, "age", "Age");
  stvars[2] = make_var(kind_numeric, "age", "Age again");
  stvar_count = 3;
  build_outputs();
  EXPECT_EQ(stvars[0]->output, nullptr);
  EXPECT_STREQ(stvars[1]->output->name_entry->name, "age");
  EXPECT_STREQ(stvars[2]->output->name_entry->name, "Bge"); // Age would equal age
  std::free(stvars);
  stvars = saved;
  stvar_count = saved_count;
  stvar_capacity = saved_capacity;
}

} // namespace
