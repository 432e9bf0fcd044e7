// The run-file header check and the file-type registry.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "runfiles/version.h"
#include "testsupport/process.h"
#include "testsupport/runfiles_writer.h"

namespace {

struct HeaderCase {
  const char *what;
  std::string bytes; // the file's content
  int expected_type;
  const char *message; // "" when the header is valid
  long consumed;       // bytes the check consumed
};

HeaderFields with(void (*change)(HeaderFields &)) {
  HeaderFields fields;
  change(fields);
  return fields;
}

TEST(FileHeader, Checks) {
  const std::string body = "rest";
  const HeaderCase cases[] = {
      {"valid", run_file_header(12) + body, 12, "", 64},
      {"other constants and creation time",
       [] {
         std::string h = run_file_header(12);
         for (int i = 10; i < 24; ++i) h[static_cast<size_t>(i)] = static_cast<char>(0x7f - i);
         return h;
       }(),
       12, "", 64},
      {"empty", "", 12, "Error: file intermed.q is empty\n", 0},
      {"out of date", std::string("\x55\x55", 2) + run_file_header(12), 12,
       "Error: file intermed.q has out-of-date format\n", 2},
      {"one byte", "\x02", 12, "Error: intermed.q is not a recognisable file\n", 1},
      {"63 bytes", run_file_header(12).substr(0, 63), 12, "Error: intermed.q is not a recognisable file\n", 63},
      {"bad format word", run_file_header(12, with([](HeaderFields &s) { s.header_format = 3; })), 12,
       "Error: intermed.q is not a recognisable file\n", 64},
      {"bad zero word", run_file_header(12, with([](HeaderFields &s) { s.zero_word = 1; })), 12,
       "Error: intermed.q is not a recognisable file\n", 64},
      {"bad magic", run_file_header(12, with([](HeaderFields &s) { s.magic = 0x5554; })), 12,
       "Error: intermed.q is not a recognisable file\n", 64},
      {"wrong version", run_file_header(12, with([](HeaderFields &s) { s.version = 10; })), 12,
       "Error: wrong version of file intermed.q (11 expected, 10 found)\n", 64},
      {"version 12 is right only for code 4", run_file_header(5, with([](HeaderFields &s) { s.version = 12; })), 5,
       "Error: wrong version of file intermed.q (11 expected, 12 found)\n", 64},
      {"code 4 with version 12", run_file_header(4, with([](HeaderFields &s) { s.version = 12; })), 4, "", 64},
      {"wrong type", run_file_header(9), 12,
       "Error: wrong file type for intermed.q (intermediate.q expected, seg1.qv found)\n", 64},
      {"wrong type and version", run_file_header(9, with([](HeaderFields &s) { s.version = 3; })), 12,
       "Error: wrong file type for intermed.q (intermediate.q expected, seg1.qv found)\n", 64},
      {"type 300", run_file_header(300), 12,
       "Error: wrong file type for intermed.q (intermediate.q expected, undefined found)\n", 64},
      {"type 49", run_file_header(49), 12,
       "Error: wrong file type for intermed.q (intermediate.q expected, undefined found)\n", 64},
      {"negative type", run_file_header(-2), 12,
       "Error: wrong file type for intermed.q (intermediate.q expected, undefined found)\n", 64},
      {"info block", run_file_header(12, with([](HeaderFields &s) { s.info[39] = 1; })), 12,
       "Error: invalid info in file intermed.q\n", 64},
      {"info block, first byte", run_file_header(12, with([](HeaderFields &s) { s.info[0] = 1; })), 12,
       "Error: invalid info in file intermed.q\n", 64},
  };
  TempDir dir;
  for (const HeaderCase &c : cases) {
    std::string path = dir.file("intermed.q");
    write_file(path, c.bytes);
    FILE *file = std::fopen(path.c_str(), "rb");
    ASSERT_NE(file, nullptr);
    testing::internal::CaptureStderr();
    int result = check_file_header(file, "intermed.q", c.expected_type);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err, c.message) << c.what;
    EXPECT_EQ(result, *c.message ? -1 : fileno(file)) << c.what;
    EXPECT_EQ(std::ftell(file), c.consumed) << c.what;
    std::fclose(file);
  }
}

TEST(FileHeader, Registry) {
  EXPECT_STREQ(file_types[0].name, "undefined");
  EXPECT_EQ(file_types[0].version, 0);
  EXPECT_EQ(file_types[4].version, 12);
  EXPECT_STREQ(file_types[18].name, "wmvals.q file");
  EXPECT_STREQ(file_types[48].name, "mpxref.inf file");
  for (int code = 1; code < file_type_count; ++code) {
    if (code == 4) continue;
    EXPECT_EQ(file_types[code].version, 11) << code;
  }
}

} // namespace
