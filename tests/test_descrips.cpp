// The element description file: parsing of entries and key lines, lookups, handles, errors.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "runfiles/compio.h"
#include "runfiles/descrips.h"
#include "testsupport/process.h"

namespace {

void write_descrips(const std::string &path, const std::string &text) {
  CompressedFile *file = compressed_open(path.c_str(), "wb", 16);
  ASSERT_NE(file, nullptr) << path;
  if (!text.empty()) {
    ASSERT_EQ(compressed_write(file, text.data(), static_cast<int>(text.size())), static_cast<int>(text.size()));
  }
  ASSERT_EQ(compressed_close(file), 0);
}

// Frees every table, so that each test starts with all four handles free.
class Descrips : public ::testing::Test {
protected:
  void SetUp() override {
    for (int handle = 0; handle < descrip_table_count; handle++) free_descrips(handle);
  }
  void TearDown() override { SetUp(); }
  TempDir dir;
};

const std::string long_text(520, 'T');

// One file with the entries below; each case names the tag it looks up.
const std::string sample = "##version=977\n"
                           "preamble text that is ignored\n"
                           "#@axis x_0001_\n"
                           "Brand awareness\n"
                           "#;level=3\n"
                           "#;tag=Q1\n"
                           "#;label=Brand\n"
                           "#;grid=2\n"
                           "#;parent=Q1PARENT9\n"
                           "#;usrcrt=1\n"
                           // Values that are not accepted leave the field as it was.
                           "#@axis x_0002_\n"
                           "\n"
                           "first text\n"
                           "second text\n"
                           "#;level=12\n"
                           "#;level=\n"
                           "#;grid=3\n"
                           "#;parent=TENCHARSXX\n"
                           "#;tag=\n"
                           "#;tag=TWELVECHARSX\n"
                           "#;tag=ELEVENCHARS\n"
                           "#;tag=LATER\n"
                           "#;label=\n"
                           "#;label=Second label\n"
                           "#;label=Third label\n"
                           "#;usrcrt=2\n"
                           "#;Level=4\n"
                           "#; level=5\n"
                           // A carriage return stays part of the line.
                           "#@axis x_0003_\n"
                           "text with return\r\n"
                           "#;level=3\r\n"
                           "#;level=7\n"
                           "#;tag=CR\n"
                           "#;label=Label\r\n"
                           "#;grid=1\r\n"
                           "#@weight w_0001_\n"
                           "#;wmid=0\n"
                           "#;wmid=5\n"
                           "#;wmid=6\n"
                           "#;tag=WT\n"
                           "#;grid=2\n"
                           "#;parent=NOPE\n"
                           "#@inc n_0001_\n"
                           "#;tag=INC\n"
                           "#;wmid=4\n"
                           "#;grid=1\n"
                           "#;parent=P\n"
                           "#;level=0\n"
                           // Skipped: a kind name that takes the line end, and unknown kinds.
                           "#@axis\n"
                           "#;tag=NOSPACE\n"
                           "#@table x\n"
                           "#;tag=UNKNOWN\n"
                           "#@Axis x\n"
                           "#;tag=CASE\n"
                           // Stored but never found: no tag line.
                           "#@alph t_0001_\n"
                           "#;label=untagged\n"
                           // The first of two entries with one tag is found.
                           "#@bit b_0001_\n"
                           "#;tag=DUP\n"
                           "#;label=first\n"
                           "#@group l_0001_\n"
                           "#;tag=DUP\n"
                           "#;label=second\n"
                           // Only the first 511 characters of a line count; the rest is dropped with the line end.
                           "#@axlist l_0002_\n" +
                           long_text + "#@inc n_0009_\n" + "#;tag=LONG\n" + "#;label=" + std::string(600, 'L') + "\n" +
                           "#@inc n_0002_ trailing words\n"
                           "#;tag=LAST";

TEST_F(Descrips, EntriesTakeTheirFieldsFromTheLinesThatCount) {
  write_descrips(dir.file("descrips.inf"), sample);
  int count = -1;
  int handle = load_descrips(dir.file("descrips.inf").c_str(), 0, 0, &count);
  ASSERT_EQ(handle, 0);
  EXPECT_EQ(count, 10); // 13 entry lines, 3 of unknown kinds

  struct Case {
    const char *tag;
    int kind;
    int level;
    std::string label;
    std::string text;
    const char *parent;
    int grid_or_wmid;
    int user_created;
  } cases[] = {
      {"Q1", 1, 3, "Brand", "Brand awareness", "Q1PARENT9", 2, 1},
      {"ELEVENCHARS", 1, 999, "Second label", "first text", nullptr, 0, 0},
      {"CR", 1, 7, "Label\r", "text with return\r", nullptr, 0, 0},
      {"WT", 6, 999, "", "", nullptr, 5, 0},
      {"INC", 2, 0, "", "", nullptr, 0, 0},
      {"DUP", 4, 999, "first", "", nullptr, 0, 0},
      {"LONG", 5, 999, std::string(511 - 8, 'L'), long_text.substr(0, 511), nullptr, 0, 0},
      {"LAST", 2, 999, "", "", nullptr, 0, 0},
  };
  for (const Case &c : cases) {
    Descrip *entry = find_descrip(handle, c.tag);
    ASSERT_NE(entry, nullptr) << c.tag;
    EXPECT_STREQ(entry->tag, c.tag);
    EXPECT_EQ(entry->kind, c.kind) << c.tag;
    EXPECT_EQ(entry->level, c.level) << c.tag;
    EXPECT_EQ(descrip_label(handle, c.tag), c.label) << c.tag;
    EXPECT_EQ(descrip_text(handle, c.tag), c.text) << c.tag;
    EXPECT_EQ(entry->label_capacity, static_cast<int>(c.label.size() + 1)) << c.tag;
    EXPECT_EQ(entry->text_capacity, static_cast<int>(c.text.size() + 1)) << c.tag;
    if (c.parent) {
      ASSERT_NE(entry->parent, nullptr) << c.tag;
      EXPECT_STREQ(entry->parent, c.parent);
    } else {
      EXPECT_EQ(entry->parent, nullptr) << c.tag;
    }
    EXPECT_EQ(entry->grid_or_wmid, c.grid_or_wmid) << c.tag;
    EXPECT_EQ(entry->user_created, c.user_created) << c.tag;
  }
  // Tags that no stored entry answers to.
  for (const char *tag : {"NOSPACE", "UNKNOWN", "CASE", "LATER", "TWELVECHARSX", "TWELVECHARS", "q1", "Q", ""}) {
    EXPECT_EQ(find_descrip(handle, tag), nullptr) << tag;
    EXPECT_EQ(descrip_label(handle, tag), nullptr) << tag;
    EXPECT_EQ(descrip_text(handle, tag), nullptr) << tag;
  }
  free_descrips(handle);
  EXPECT_EQ(find_descrip(handle, "Q1"), nullptr);
}

TEST_F(Descrips, LoadFailuresClaimNoTable) {
  write_file(dir.file("plain.inf"), "#@axis x\n#;tag=A\n");
  write_descrips(dir.file("noentry.inf"), "##version=1001\nsome text\n#;tag=A\n");
  write_descrips(dir.file("empty.inf"), "");
  write_descrips(dir.file("good.inf"), "#@axis x\n#;tag=A\n");
  // Damaged data: valid files whose code stream is broken by codes never defined, early,
  // late (after whole entries), or in a file without entry lines.
  auto damage = [this](const std::string &name, const std::string &text, size_t keep) {
    write_descrips(dir.file(name), text);
    std::string bytes = read_file(dir.file(name));
    ASSERT_LT(keep, bytes.size());
    bytes.resize(keep);
    write_file(dir.file(name), bytes + std::string(9, '\xff'));
  };
  std::string varied;
  for (int i = 0; i < 400; i++) varied += "w" + std::to_string(i * 7919 % 1000) + " ";
  damage("damaged.inf", "#@axis x\n#;tag=A\n#;label=" + std::string(2000, 'z') + "\n", 8);
  damage("damaged-late.inf", "#@axis x\n#;tag=A\n#@axis y\n#;tag=B\n#;label=" + varied + "\n", 400);
  damage("damaged-noentry.inf", "##version=1\n" + varied + "\n", 200);
  struct Case {
    std::string name;
    int code;
  } cases[] = {
      {"missing.inf", -3},  {"plain.inf", -3},         {"noentry.inf", -2},          {"empty.inf", -2},
      {"damaged.inf", -21}, {"damaged-late.inf", -21}, {"damaged-noentry.inf", -21},
  };
  for (const Case &c : cases) {
    int count = 99;
    EXPECT_EQ(load_descrips(dir.file(c.name).c_str(), 0, 0, &count), c.code) << c.name;
    EXPECT_EQ(count, 0) << c.name;
  }
  // None of them kept a table: all four handles are still there to be had.
  for (int expected = 0; expected < descrip_table_count; expected++) {
    int count = 0;
    EXPECT_EQ(load_descrips(dir.file("good.inf").c_str(), 0, 0, &count), expected);
    EXPECT_EQ(count, 1);
  }
  int count = 99;
  EXPECT_EQ(load_descrips(dir.file("good.inf").c_str(), 0, 0, &count), -5);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(load_descrips(dir.file("missing.inf").c_str(), 0, 0, nullptr), -5); // handles are claimed first
}

TEST_F(Descrips, HandlesAreTakenInOrderAndFreedForReuse) {
  write_descrips(dir.file("a.inf"), "#@axis x\n#;tag=A\n#;label=from a\n");
  write_descrips(dir.file("b.inf"), "#@axis x\n#;tag=A\n#;label=from b\n");
  EXPECT_EQ(load_descrips(dir.file("a.inf").c_str(), 0, 0, nullptr), 0);
  EXPECT_EQ(load_descrips(dir.file("a.inf").c_str(), 5, 1, nullptr), 1); // spare slots hold no entry
  EXPECT_EQ(load_descrips(dir.file("a.inf").c_str(), 0, 0, nullptr), 2);
  EXPECT_EQ(load_descrips(dir.file("a.inf").c_str(), 0, 0, nullptr), 3);
  EXPECT_EQ(load_descrips(dir.file("b.inf").c_str(), 0, 0, nullptr), -5);
  free_descrips(2);
  free_descrips(2); // a free table is left as it is
  free_descrips(-5);
  free_descrips(4);
  EXPECT_EQ(load_descrips(dir.file("b.inf").c_str(), 0, 0, nullptr), 2);
  EXPECT_STREQ(descrip_label(1, "A"), "from a");
  EXPECT_STREQ(descrip_label(2, "A"), "from b");
  for (int handle : {-1, -3, -5, -21, 4, 100}) {
    EXPECT_EQ(find_descrip(handle, "A"), nullptr) << handle;
    EXPECT_EQ(descrip_label(handle, "A"), nullptr) << handle;
    EXPECT_EQ(descrip_text(handle, "A"), nullptr) << handle;
  }
  EXPECT_EQ(find_descrip(0, nullptr), nullptr);
}

TEST_F(Descrips, FilesAsThePackageWritesThem) {
  // The preamble may be missing, an entry may be the whole file, and any version is taken.
  struct Case {
    std::string text;
    int count;
    const char *tag;
    const char *label;
  } cases[] = {
      {"#@inc n_0001_\n#;tag=N1\n#;label=Income", 1, "N1", "Income"},
      {"##version=abc\n#@axis x_0001_\n\n#;level=0\n#;tag=x_0001_\n#;label=Age\n", 1, "x_0001_", "Age"},
      {"##version=99999999999999999999\n#@weight w\n\n#;level=0\n#;tag=W\n#;label=\n#;wmid=1\n", 1, "W", ""},
      {"##version=1001\n#@axis a\n#;tag=A\n#@axis b\n#;tag=B\n#;label=b\n#@axis c\n#;tag=C\n", 3, "B", "b"},
  };
  for (const Case &c : cases) {
    write_descrips(dir.file("descrips.inf"), c.text);
    int count = -1;
    int handle = load_descrips(dir.file("descrips.inf").c_str(), 0, 0, &count);
    ASSERT_EQ(handle, 0) << c.text;
    EXPECT_EQ(count, c.count) << c.text;
    EXPECT_STREQ(descrip_label(handle, c.tag), c.label) << c.text;
    free_descrips(handle);
  }
}

TEST_F(Descrips, APathOfAnyLengthIsLoaded) {
  std::string path = dir.path();
  while (path.size() < 600) {
    path += "/" + std::string(60, 'd');
    std::filesystem::create_directory(path);
  }
  path += "/descrips.inf";
  write_descrips(path, "#@axis x\n#;tag=A\n#;label=deep\n");
  int handle = load_descrips(path.c_str(), 0, 0, nullptr);
  ASSERT_EQ(handle, 0);
  EXPECT_STREQ(descrip_label(handle, "A"), "deep");
}

TEST(DescripErrors, Messages) {
  struct Case {
    int code;
    const char *text;
  } cases[] = {
      {0, ""},
      {-1, "Unknown entry"},
      {-2, "File is empty"},
      {-3, "File not found"},
      {-4, "File already exists"},
      {-5, "No more handles available"},
      {-6, "No more memory available"},
      {-7, "No more unique valid tags available"},
      {-21, "Error in loading file"},
      {-41, "Error in creating file"},
      {-8, "Unknown error code"},
      {1, "Unknown error code"},
      {-42, "Unknown error code"},
  };
  for (const Case &c : cases) EXPECT_STREQ(descrip_error_text(c.code), c.text) << c.code;
}

} // namespace
