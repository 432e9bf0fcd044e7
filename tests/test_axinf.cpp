// The axes stage: axes.inf, the axis files, descrips.inf names and texts, titles, the
// grid expansion, the axis dump, and damaged axis files.
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
#include "testsupport/process.h"
#include "testsupport/runfiles_writer.h"

namespace {

class AxinfTest : public ::testing::Test {
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
    chdir_.reset();
    axes = nullptr;
    release_store();
  }
  // Writes the run into a fresh directory and makes it current.
  void enter(const RunDirectory &run) {
    dir_ = std::make_unique<TempDir>();
    chdir_.reset();
    run.write(dir_->path());
    chdir_ = std::make_unique<ScopedChdir>(dir_->path());
  }
  // get_axinf on the run; what it said on standard error.
  std::string load(const RunDirectory &run) {
    enter(run);
    testing::internal::CaptureStderr();
    get_axinf();
    return testing::internal::GetCapturedStderr();
  }
  std::vector<Axis *> list() {
    std::vector<Axis *> all;
    for (Axis *a = axes; a; a = a->next) all.push_back(a);
    return all;
  }
  std::string dump_all() {
    debug_file = std::tmpfile();
    for (Axis *a = axes; a; a = a->next) dump_axis(a);
    std::string text = stream_text(debug_file);
    std::fclose(debug_file);
    debug_file = nullptr;
    return text;
  }
  static std::vector<std::string> titles(const Axis *a) {
    return std::vector<std::string>(a->titles.lines, a->titles.lines + a->titles.count);
  }
  static std::vector<std::string> texts(const Axis *a) {
    std::vector<std::string> all;
    for (int i = 0; i < a->counts.element_count; i++) all.push_back(element_text(a, i));
    return all;
  }

  std::unique_ptr<TempDir> dir_;
  std::unique_ptr<ScopedChdir> chdir_;
};

TEST_F(AxinfTest, AxesFromTheRunFilesAndTheirDump) {
  RunDirectory run;
  run.axis("q1").title("Gender").element("Male").element("Female").text_line("Base: all");
  run.axis("q2")
      .number(7)
      .in_data(0)
      .axis_text("Brands")
      .title("Brands used")
      .element("A")
      .unstored("Hidden")
      .element("B", 3);
  run.axis("q3").multi().elements(2);
  EXPECT_EQ(load(run), "");
  auto all = list();
  ASSERT_EQ(all.size(), 3u);
  Axis *q1 = all[0], *q2 = all[1], *q3 = all[2];
  EXPECT_STREQ(q1->info.name, "q1");
  EXPECT_EQ(q1->info.number, 1);
  EXPECT_EQ(q1->info.in_data, 1);
  EXPECT_EQ(q1->counts.element_count, 3);
  EXPECT_EQ(q1->counts.level_count, 3);
  EXPECT_EQ(q1->word_count, 1);
  EXPECT_EQ(q1->max_bits, 0);
  EXPECT_EQ(q1->no_output, 0);
  EXPECT_EQ(q1->grid_label, nullptr);
  EXPECT_EQ(q1->code_width, 0);
  EXPECT_EQ(texts(q1), (std::vector<std::string>{"Male", "Female", "Base: all"}));
  EXPECT_EQ(titles(q1), std::vector<std::string>{"Gender"});
  EXPECT_EQ(q2->info.number, 7);
  EXPECT_EQ(q2->info.in_data, 0);
  EXPECT_EQ(texts(q2), (std::vector<std::string>{"A", "B"}));
  EXPECT_EQ(q2->elements[1].type, 3);
  EXPECT_EQ(titles(q2), (std::vector<std::string>{"Brands", "Brands used"}));
  EXPECT_EQ(q3->max_bits, 2);
  EXPECT_EQ(dump_all(), "\nAxe 1 q1\n N of elements 3\n N of levels   3"
                        "\n Type 1 text Male\n Type 1 text Female\n Type 0 text Base: all"
                        "\nAxe 7 q2\n N of elements 2\n N of levels   2\n Type 1 text A\n Type 3 text B"
                        "\nAxe 3 q3\n N of elements 2\n N of levels   2\n Type 1 text E0\n Type 1 text E1");
}

TEST_F(AxinfTest, StoredElementsWordCountAndNoOutput) {
  struct Case {
    const char *what;
    std::function<void(AxisFixture &)> make;
    int elements, words, no_output;
  };
  const Case cases[] = {
      {"none stored", [](AxisFixture &a) { a.unstored("A").unstored("B"); }, 0, 0, 1},
      {"all type 0", [](AxisFixture &a) { a.text_line("A").text_line("B"); }, 2, 1, 1},
      {"all flags2 0x0040", [](AxisFixture &a) { a.not_category("A", 4).not_category("B"); }, 2, 1, 1},
      {"one category after text", [](AxisFixture &a) { a.text_line("A").element("B"); }, 2, 1, 0},
      {"16 stored", [](AxisFixture &a) { a.elements(16).unstored("X"); }, 16, 1, 0},
      {"17 stored", [](AxisFixture &a) { a.elements(17); }, 17, 2, 0},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    RunDirectory run;
    c.make(run.axis("q1"));
    EXPECT_EQ(load(run), "");
    ASSERT_NE(axes, nullptr);
    EXPECT_EQ(axes->counts.element_count, c.elements);
    EXPECT_EQ(axes->counts.level_count, c.elements);
    EXPECT_EQ(axes->word_count, c.words);
    EXPECT_EQ(axes->no_output, c.no_output);
    std::string dump = dump_all();
    EXPECT_EQ(dump.find("\n No output for this axis") != std::string::npos, c.no_output == 1) << dump;
    if (c.no_output && c.elements == 2) {
      EXPECT_EQ(dump, "\nAxe 1 q1\n N of elements 2\n N of levels   2\n No output for this axis"
                      "\n Type 0 text A\n Type 0 text B");
    }
  }
}

TEST_F(AxinfTest, DescripsNamesAndDescriptionTexts) {
  RunDirectory run;
  run.axis("q1").label("AGE").description("Age of respondent").title("Age");
  run.axis("q2").label("").description("").title("Gender");
  run.axis("q3").description("Income").axis_text("Income").title("Income").title("Yearly");
  run.axis("q4").no_descrip().axis_text("Own text");
  EXPECT_EQ(load(run), "");
  auto all = list();
  ASSERT_EQ(all.size(), 4u);
  EXPECT_STREQ(all[0]->info.name, "AGE"); // the file read was still q1.ax
  EXPECT_EQ(titles(all[0]), (std::vector<std::string>{"Age of respondent", "Age"}));
  EXPECT_STREQ(all[1]->info.name, "q2");
  EXPECT_EQ(titles(all[1]), std::vector<std::string>{"Gender"});
  EXPECT_EQ(titles(all[2]), (std::vector<std::string>{"Income", "Yearly"}));
  EXPECT_EQ(titles(all[3]), std::vector<std::string>{"Own text"});
}

TEST_F(AxinfTest, MissingDescripsIsAWarning) {
  RunDirectory run;
  run.axis("q1").label("AGE").description("Age").title("Title");
  run.omit("descrips.inf");
  EXPECT_EQ(load(run), "Warning: cannot read descrips.inf (errcode -3)\n");
  ASSERT_NE(axes, nullptr);
  EXPECT_STREQ(axes->info.name, "q1");
  EXPECT_EQ(titles(axes), std::vector<std::string>{"Title"});
}

TEST_F(AxinfTest, TitleJustificationAndLimit) {
  RunDirectory run;
  run.axis("q1")
      .title(TitleLine{"Right", 5, "R>", std::nullopt})
      .title("Coded", -32768)
      .title(TitleLine{"Zero", 0, "XY", std::nullopt});
  AxisFixture &many = run.axis("q2").description("Described").axis_text("Axis text");
  for (int t = 0; t < 12; t++) many.title("T" + std::to_string(t));
  run.axis("q3").description("Same").title("Same").title("Other");
  EXPECT_EQ(load(run), "");
  auto all = list();
  EXPECT_EQ(titles(all[0]), (std::vector<std::string>{"Right", "Coded", "Zero"}));
  EXPECT_EQ(titles(all[1]),
            (std::vector<std::string>{"Described", "Axis text", "T0", "T1", "T2", "T3", "T4", "T5", "T6", "T7"}));
  EXPECT_EQ(titles(all[2]), (std::vector<std::string>{"Same", "Other"}));
}

TEST_F(AxinfTest, TextOffsetsOutsideTheBlockReadEmpty) {
  ElementRecord outside;
  outside.text = "Lost";
  outside.text_offset = 5000;
  ElementRecord far;
  far.text = "Far away";
  far.padding_before = 40000;
  RunDirectory run;
  run.axis("q1")
      .axis_text("Axis")
      .axis_text_offset(-4)
      .title(TitleLine{"Title", -1, "", int16_t{3000}})
      .title(TitleLine{"Last", 0, "C ", int16_t{32767}})
      .element(outside)
      .element("Near");
  run.axis("q2").element(far); // offset with a high part
  EXPECT_EQ(load(run), "");
  auto all = list();
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(texts(all[0]), (std::vector<std::string>{"", "Near"}));
  EXPECT_EQ(titles(all[0]), (std::vector<std::string>{"", "", ""}));
  EXPECT_STREQ(axis_text(all[0], all[0]->text_size), "");
  EXPECT_STREQ(axis_text(all[0], -1), "");
  EXPECT_STREQ(element_text(all[0], 2), "");
  EXPECT_STREQ(element_text(all[0], -1), "");
  EXPECT_EQ(all[1]->elements[0].text_offset, 40000);
  EXPECT_EQ(texts(all[1]), std::vector<std::string>{"Far away"});
}

TEST_F(AxinfTest, GridsExpandIntoOneAxisPerColumn) {
  RunDirectory run;
  run.axis("agrid").number(5).grid_side(2).multi().title("Rating").element("Good").element("Bad");
  run.axis("bgrid").grid_column().in_data(0).element("Brand A").element("Brand B").element("Brand C");
  run.axis("q9").element("Yes");
  run.axis("cgrid").grid_side(1).element("Hot");
  run.axis("dgrid").grid_column().element("Tea");
  EXPECT_EQ(load(run), "");
  auto all = list();
  ASSERT_EQ(all.size(), 4u);
  Axis *x0 = all[0], *x1 = all[1], *x2 = all[3];
  EXPECT_STREQ(x0->info.name, "x0");
  EXPECT_EQ(x0->info.number, 5);
  EXPECT_STREQ(x0->grid_label, "Brand A");
  EXPECT_STREQ(x1->info.name, "x1");
  EXPECT_EQ(x1->info.number, 10005);
  EXPECT_EQ(x1->info.grid_flag, 0);
  EXPECT_EQ(x1->info.grid_count, 0);
  EXPECT_EQ(x1->info.in_data, 1);
  EXPECT_STREQ(x1->grid_label, "Brand B");
  EXPECT_EQ(x1->elements, x0->elements);
  EXPECT_EQ(x1->texts, x0->texts);
  EXPECT_EQ(x1->word_count, 1);
  EXPECT_EQ(titles(x1), std::vector<std::string>{"Rating"});
  EXPECT_EQ(x1->max_bits, 2); // every column is coded as multiple, as the export asks
  EXPECT_STREQ(all[2]->info.name, "q9");
  EXPECT_EQ(all[2]->grid_label, nullptr);
  EXPECT_STREQ(x2->info.name, "x2");
  EXPECT_STREQ(x2->grid_label, "Tea");
  EXPECT_EQ(dump_all(), "\nAxe 5 x0\n N of elements 2\n N of levels   2\n Type 1 text Good\n Type 1 text Bad"
                        "\nAxe 10005 x1\n N of elements 2\n N of levels   2\n Type 1 text Good\n Type 1 text Bad"
                        "\nAxe 3 q9\n N of elements 1\n N of levels   1\n Type 1 text Yes"
                        "\nAxe 4 x2\n N of elements 1\n N of levels   1\n Type 1 text Hot");
}

TEST_F(AxinfTest, GridCopiesOfAnAxisWithoutCategoriesProduceNothing) {
  RunDirectory run;
  run.axis("agrid").grid_side(2).text_line("Only text");
  run.axis("bgrid").grid_column().element("A").element("B");
  EXPECT_EQ(load(run), "");
  auto all = list();
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(all[0]->no_output, 1);
  EXPECT_EQ(all[1]->no_output, 1);
}

TEST_F(AxinfTest, BadGridPairsEndTheRun) {
  struct Case {
    const char *what;
    std::function<void(RunDirectory &)> make;
    const char *message;
  };
  const Case cases[] = {
      {"no columns",
       [](RunDirectory &r) {
         r.axis("agrid").grid(1, 0).element("A");
         r.axis("bgrid").grid_column().element("B");
       },
       "^ERROR: 901\n$"},
      {"no columns, last axis", [](RunDirectory &r) { r.axis("agrid").grid(1, 0).element("A"); }, "^ERROR: 901\n$"},
      {"side axis last", [](RunDirectory &r) { r.axis("agrid").grid_side(2).element("A"); }, "^ERROR: 903\n$"},
      {"names differ",
       [](RunDirectory &r) {
         r.axis("agrid").grid_side(2).element("A");
         r.axis("bgrix").grid_column().elements(2);
       },
       "^ERROR: 902\n$"},
      {"names differ, column short",
       [](RunDirectory &r) {
         r.axis("agrid").grid_side(3).element("A");
         r.axis("bgrix").grid_column().elements(2);
       },
       "^ERROR: 902\n$"},
      {"column short",
       [](RunDirectory &r) {
         r.axis("agrid").grid_side(3).element("A");
         r.axis("bgrid").grid_column().elements(2);
       },
       "^ERROR: 903\n$"},
      {"column short of stored elements",
       [](RunDirectory &r) {
         r.axis("agrid").grid_side(2).element("A");
         r.axis("bgrid").grid_column().element("B").unstored("C");
       },
       "^ERROR: 903\n$"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    RunDirectory run;
    c.make(run);
    enter(run);
    EXPECT_EXIT(get_axinf(), ::testing::ExitedWithCode(1), c.message);
  }
}

TEST_F(AxinfTest, AxisFilesCutShortOrMissingEndTheRun) {
  struct Case {
    const char *what;
    std::function<void(RunDirectory &)> damage;
    const char *message;
  };
  const size_t records = 64 + 320;
  const Case cases[] = {
      {"inside the axis header", [](RunDirectory &r) { r.truncate("q1.ax", 100); },
       "^Error: axis file q1.ax is cut short\n$"},
      {"inside the element records", [&](RunDirectory &r) { r.truncate("q1.ax", records + 76 + 10); },
       "^Error: axis file q1.ax is cut short\n$"},
      {"inside the text block", [&](RunDirectory &r) { r.truncate("q1.ax", records + 2 * 76 + 3); },
       "^Error: axis file q1.ax is cut short\n$"},
      {"text size larger than the file", [](RunDirectory &r) { r.axis("q1").text_sizes(0, 0x7fffffff); },
       "^Error: axis file q1.ax is cut short\n$"},
      {"negative text size", [](RunDirectory &r) { r.axis("q1").text_sizes(-3, -3); },
       "^Error: axis file q1.ax has a damaged header\n$"},
      {"more records than written", [](RunDirectory &r) { r.axis("q1").record_count(30); },
       "^Error: axis file q1.ax is cut short\n$"},
      {"axis file missing", [](RunDirectory &r) { r.omit("q1.ax"); }, "^failed to open q1.ax\n$"},
      {"column axis file missing",
       [](RunDirectory &r) {
         r.axis("agrid").grid_side(1).element("A");
         r.axis("bgrid").grid_column().element("B");
         r.omit("bgrid.ay");
       },
       "^failed to open bgrid.ay\n$"},
      {"axes.inf missing", [](RunDirectory &r) { r.omit("axes.inf"); }, "Cannot open \"axes.inf\" mode \"rb\""},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    RunDirectory run;
    run.axis("q1").element("Yes").element("No");
    c.damage(run);
    enter(run);
    EXPECT_EXIT(get_axinf(), ::testing::ExitedWithCode(1), c.message);
  }
}

TEST_F(AxinfTest, AxisCountReadsOnlyCompleteRecords) {
  struct Case {
    const char *what;
    int32_t count;
    size_t cut; // bytes taken off axes.inf
    size_t want;
  };
  const Case cases[] = {
      {"count 0", 0, 0, 0},         {"count as written", 3, 0, 3}, {"count larger than the file", 9, 0, 3},
      {"negative count", -1, 0, 0}, {"last record cut", 3, 10, 2}, {"count word cut", 3, 4 + 3 * 68 - 2, 0},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    RunDirectory run;
    run.axis("q1").element("A");
    run.axis("q2").element("B");
    run.axis("q3").element("C");
    run.axis_count(c.count);
    run.edit("axes.inf", [&](std::string &bytes) { bytes.resize(bytes.size() - c.cut); });
    EXPECT_EQ(load(run), "");
    EXPECT_EQ(list().size(), c.want);
  }
}

TEST_F(AxinfTest, HeaderAndExportWarningsLeaveTheAxisRead) {
  RunDirectory run;
  run.axis("q1").export_single().element("Yes");
  run.header("q1.ax").type = 9;
  run.header("axes.inf").info[30] = 1;
  EXPECT_EQ(load(run), "Error: invalid info in file axes.inf\n"
                       "Error: wrong file type for q1.ax (.ax file expected, seg1.qv found)\n"
                       "q1: 'exportsp' keyword not implemented.\n");
  ASSERT_NE(axes, nullptr);
  EXPECT_EQ(axes->max_bits, 0);
  EXPECT_EQ(texts(axes), std::vector<std::string>{"Yes"});
}

} // namespace
