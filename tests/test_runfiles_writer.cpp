// The test-support run-directory writer: headers that the header check accepts, and
// the byte layout of the files that the stage tests rely on.
#include <gtest/gtest.h>

#include <cstdio>

#include "runfiles/binread.h"
#include "runfiles/version.h"
#include "testsupport/process.h"
#include "testsupport/runfiles_writer.h"

namespace {

const unsigned char *at(const std::string &bytes, size_t offset) {
  return reinterpret_cast<const unsigned char *>(bytes.data()) + offset;
}

RunDirectory sample_run() {
  RunDirectory run;
  run.title("Brand survey").title("Wave 2");
  run.axis("q1").title("Gender").element("Male").element("Female");
  run.axis("q2").title("Brands used").elements(17).text_line("Base: all").multi();
  run.axis("agrid").grid_side(2).element("Yes").element("No");
  run.axis("bgrid").grid_column().in_data(0).element("Brand A").element("Brand B");
  run.inc("age").inc("income", "", "Household income");
  run.weight(3);
  run.respondent().choose("q1", 1).choose("q2", {0, 17}).choose_copy("agrid", 1, 0).value("age", 34).weight(3, 1.5f);
  return run;
}

TEST(RunfilesWriter, EveryBinaryFileHasAValidHeaderOfItsType) {
  TempDir dir;
  RunDirectory run = sample_run();
  auto files = run.files();
  const std::map<std::string, int> expected = {{"seg1.qv", 9},    {"axes.inf", 2},  {"q1.ax", 3},       {"q2.ax", 3},
                                               {"agrid.ax", 3},   {"bgrid.ay", 3},  {"intermed.q", 12}, {"incs.inf", 8},
                                               {"weightin.q", 5}, {"wmvals3.q", 18}};
  ASSERT_EQ(files.size(), expected.size());
  for (const auto &[name, type] : expected) {
    ASSERT_TRUE(files.count(name)) << name;
    write_file(dir.file(name), files[name]);
    FILE *file = std::fopen(dir.file(name).c_str(), "rb");
    ASSERT_NE(file, nullptr);
    testing::internal::CaptureStderr();
    EXPECT_GE(check_file_header(file, name.c_str(), type), 0) << name;
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(std::ftell(file), 64);
    std::fclose(file);
  }
}

TEST(RunfilesWriter, CaseRecordLaysOutBitsPerAxisAndGridCopy) {
  RunDirectory run = sample_run();
  std::string q = run.files()["intermed.q"];
  // q1: 1 word; q2: 18 stored elements, 2 words; agrid: 2 copies of 1 word; bgrid: none.
  EXPECT_EQ(run.bit_bytes(), 2 * (1 + 2 + 2));
  EXPECT_EQ(get_i32(at(q, 64)), 0);
  EXPECT_EQ(get_i32(at(q, 68)), 4);
  EXPECT_EQ(get_i32(at(q, 72)), 10);
  EXPECT_EQ(get_i32(at(q, 76)), 8);
  ASSERT_EQ(q.size(), 80u + 4 + 10 + 8);
  EXPECT_EQ(get_i32(at(q, 80)), 1); // tag: case serial
  const unsigned char *bits = at(q, 84);
  EXPECT_EQ(get_u16(bits + 0), 0x0002); // q1 element 1
  EXPECT_EQ(get_u16(bits + 2), 0x0001); // q2 element 0
  EXPECT_EQ(get_u16(bits + 4), 0x0002); // q2 element 17
  EXPECT_EQ(get_u16(bits + 6), 0x0000); // x0
  EXPECT_EQ(get_u16(bits + 8), 0x0001); // x1 element 0
  EXPECT_EQ(get_f32(at(q, 94)), 34.0f);
  EXPECT_EQ(std::string(q.data() + 98, 4), std::string("\x00\x00\x80\xc9", 4)); // income missing
  std::string w = run.files()["wmvals3.q"];
  ASSERT_EQ(w.size(), 68u);
  EXPECT_EQ(get_f32(at(w, 64)), 1.5f);
}

TEST(RunfilesWriter, AxisFileHeaderRecordsAndTexts) {
  RunDirectory run;
  ElementRecord far;
  far.text = "Far";
  far.padding_before = 40000;
  run.axis("q1")
      .axis_text("Axis")
      .title("Left", 3)
      .title("Coded", -32768)
      .unstored("Gone")
      .not_category("Net")
      .element(far);
  std::string ax = run.files()["q1.ax"];
  const unsigned char *h = at(ax, 64);
  int32_t size = get_i32(h + 4);
  EXPECT_EQ(get_i16(h + 8), 3);
  EXPECT_EQ(get_i16(h + 14), 2);
  EXPECT_EQ(get_i16(h + 20), 0); // too large for the short size field
  EXPECT_EQ(get_i16(h + 22), 1);
  ASSERT_EQ(ax.size(), 64u + 320 + 3 * 76 + static_cast<size_t>(size));
  const char *texts = ax.data() + 64 + 320 + 3 * 76;
  EXPECT_STREQ(texts + get_i16(h + 24), "Axis");
  EXPECT_STREQ(texts + get_i16(h + 26), "C Left");
  EXPECT_EQ(get_i16(h + 50), 3);
  EXPECT_STREQ(texts + get_i16(h + 28), "Coded");
  EXPECT_EQ(get_i16(h + 52), -32768);
  const unsigned char *records = h + 320;
  EXPECT_EQ(get_u16(records + 28) & 0x0800, 0);
  EXPECT_EQ(get_u16(records + 76 + 28) & 0x0800, 0x0800);
  EXPECT_EQ(get_u16(records + 76 + 34), 0x0040);
  const unsigned char *last = records + 2 * 76;
  int32_t offset = records[2 * 76 + 53] * 32768 + get_i16(last + 36);
  EXPECT_GT(offset, 32767);
  EXPECT_STREQ(texts + offset, "Far");
}

TEST(RunfilesWriter, DescripsInPackageLayout) {
  RunDirectory run;
  run.axis("q1").label("AGE").description("Age of respondent");
  run.axis("agrid").grid_side(2);
  run.axis("bgrid").grid_column().no_descrip();
  run.weight(3);
  run.inc("income", "", "Household income");
  EXPECT_EQ(run.descrips(), "##version=1001\n"
                            "#@axis q1\nAge of respondent\n#;level=0\n#;tag=q1\n#;label=AGE\n"
                            "#@axis agrid\n\n#;level=0\n#;tag=agrid\n#;label=\n#;grid=1\n"
                            "#@inc income\nHousehold income\n#;level=0\n#;tag=income\n#;label=\n"
                            "#@weight w_0003_\n\n#;level=0\n#;tag=w_0003_\n#;label=\n#;wmid=3\n");
}

TEST(RunfilesWriter, DamagedHeadersAndFiles) {
  RunDirectory run;
  run.header("seg1.qv").out_of_date = true;
  run.header("axes.inf").version = 10;
  run.header("incs.inf").length = 30;
  run.truncate("intermed.q", 70).omit("weightin.q");
  auto files = run.files();
  EXPECT_EQ(files["seg1.qv"].substr(0, 2), "\x55\x55");
  EXPECT_EQ(get_i16(at(files["axes.inf"], 8)), 10);
  EXPECT_EQ(files["incs.inf"].size(), 30u + 8);
  EXPECT_EQ(files["intermed.q"].size(), 70u);
  EXPECT_EQ(files.count("weightin.q"), 0u);
}

} // namespace
