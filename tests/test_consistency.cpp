// Description and data agree: every record of survey.asc, cut at the positions that
// survey.xml describes, holds the values that survey.csv holds for the same case.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "testsupport/process.h"
#include "testsupport/runfiles_writer.h"

namespace {

struct DescribedVariable {
  std::string type; // single, multiple, quantity
  int start = 0;    // 1-based first column
  int finish = 0;   // last column
  int values = 0;   // value lines (members of a multiple)
};

std::string attribute(const std::string &element, const std::string &name) {
  size_t at = element.find(" " + name + "=\"");
  if (at == std::string::npos) return "";
  at += name.size() + 3;
  return element.substr(at, element.find('"', at) - at);
}

// The variables of survey.xml with their positions, in document order.
std::vector<DescribedVariable> described_variables(const std::string &xml) {
  std::vector<DescribedVariable> variables;
  size_t at = 0;
  while ((at = xml.find("<variable ", at)) != std::string::npos) {
    size_t end = xml.find("</variable>", at);
    std::string block = xml.substr(at, end - at);
    DescribedVariable v;
    v.type = attribute(block.substr(0, block.find('>')), "type");
    std::string position = block.substr(block.find("<position "));
    position = position.substr(0, position.find("/>"));
    v.start = std::atoi(attribute(position, "start").c_str());
    std::string finish = attribute(position, "finish");
    v.finish = finish.empty() ? v.start : std::atoi(finish.c_str());
    for (size_t p = 0; (p = block.find("<value code=", p)) != std::string::npos; ++p) ++v.values;
    variables.push_back(v);
    at = end;
  }
  return variables;
}

std::vector<std::string> lines_of(const std::string &text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::vector<std::string> split_tabs(const std::string &line) {
  std::vector<std::string> fields;
  size_t start = 0;
  for (;;) {
    size_t tab = line.find('\t', start);
    fields.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
    if (tab == std::string::npos) break;
    start = tab + 1;
  }
  return fields;
}

std::string trimmed(const std::string &text) {
  size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// Converts the run in directory to XML and to tab-separated text with the same options
// and compares every value of every case.
void expect_consistent(const std::string &directory, const std::vector<std::string> &arguments,
                       const std::string &tokens, const std::string &what) {
  std::map<std::string, std::string> env = {{"ZNSTATRARC", tokens}};
  ProcessResult xml = run_program(built_program("zn2xml"), arguments, directory, env);
  ASSERT_EQ(xml.exit_code, 0) << what << xml.err;
  std::string asc = read_file(directory + "/survey.asc");
  std::vector<DescribedVariable> variables = described_variables(read_file(directory + "/survey.xml"));
  ProcessResult csv = run_program(built_program("zn2csv"), arguments, directory, env);
  ASSERT_EQ(csv.exit_code, 0) << what << csv.err;

  std::vector<std::string> records = lines_of(asc);
  std::vector<std::string> rows = lines_of(read_file(directory + "/survey.csv"));
  ASSERT_FALSE(variables.empty()) << what;
  ASSERT_EQ(records.size(), rows.size()) << what;
  ASSERT_FALSE(records.empty()) << what;

  int expected_start = 1;
  for (const DescribedVariable &v : variables) {
    EXPECT_EQ(v.start, expected_start) << what << ": fields follow one another without gaps";
    expected_start = v.finish + 1;
  }

  for (size_t r = 0; r < records.size(); ++r) {
    const std::string &record = records[r];
    std::vector<std::string> fields = split_tabs(rows[r]);
    ASSERT_EQ(record.size(), static_cast<size_t>(variables.back().finish)) << what << " case " << r + 1;
    size_t column = 0;
    for (const DescribedVariable &v : variables) {
      int length = v.finish - v.start + 1;
      int members = v.type == "multiple" ? v.values : 1;
      ASSERT_EQ(length % members, 0) << what;
      int width = length / members;
      for (int m = 0; m < members; ++m) {
        ASSERT_LT(column, fields.size()) << what << " case " << r + 1;
        std::string cut = record.substr(static_cast<size_t>(v.start - 1 + m * width), static_cast<size_t>(width));
        EXPECT_EQ(trimmed(cut), trimmed(fields[column]))
            << what << ": case " << r + 1 << ", field " << column + 1 << " (" << v.type << " at " << v.start << ")";
        ++column;
      }
    }
    EXPECT_EQ(column, fields.size()) << what << " case " << r + 1;
  }
}

void copy_sample(const std::string &to) {
  ASSERT_EQ(std::system(("cp -r '" + std::string(ZN_SAMPLE_RUN) + "/.' '" + to + "'").c_str()), 0);
}

TEST(Consistency, SampleRunWithOptions) {
  struct Case {
    std::vector<std::string> arguments;
    std::string tokens;
  } cases[] = {
      {{}, ""}, {{}, "C"}, {{}, "K"}, {{"-m", "NA"}, ""}, {{"-p", "3"}, ""}, {{"-m", "-1"}, "C;K"},
  };
  for (const Case &c : cases) {
    TempDir dir;
    copy_sample(dir.path());
    std::string what = "options '" + c.tokens + "'";
    for (const std::string &a : c.arguments) what += " " + a;
    expect_consistent(dir.path(), c.arguments, c.tokens, what);
  }
}

// Codes of several widths, a long missing text and a single-element multiple axis.
TEST(Consistency, WideCodesAndLongMissingText) {
  TempDir dir;
  RunDirectory run;
  run.axis("wide").title("Wide codes").elements(12);
  run.axis("tm").title("Numbered").element("100 Hundred").element("7 Seven").element("No number");
  run.axis("multi").title("Multiple").elements(11).multi();
  run.axis("one").title("One element").element("Only").multi();
  run.inc("big");
  run.inc("real");
  run.respondent().choose("wide", 11).choose("tm", 0).choose("multi", {0, 10}).value("big", 3e9f).value("real", 0.25f);
  run.respondent().choose("tm", 2).choose("one", 0).value("big", -7).value("real", missing_inc_value);
  run.respondent().choose("wide", 0).choose("multi", 5).value("big", missing_inc_value).value("real", 12.5f);
  run.write(dir.path());
  expect_consistent(dir.path(), {"-m", "MISSING"}, "K", "wide codes, K, -m MISSING");
  expect_consistent(dir.path(), {}, "C", "wide codes, C");
}

} // namespace
