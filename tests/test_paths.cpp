// Opening run files through ZNPERM, ZNTEMP and ZNSUFF. Each case runs in a child
// process of its own, since the paths are fixed at the first open of a process.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "engine/misc.h"
#include "engine/paths.h"
#include "testsupport/process.h"

namespace {

struct PathCase {
  const char *perm, *temp, *suffix;
  const char *name, *mode;
  const char *expected; // path, relative to the test directory, that is opened
};

void set_or_unset(const char *variable, const char *value) {
  if (value)
    setenv(variable, value, 1);
  else
    unsetenv(variable);
}

TEST(Paths, NamesAreResolvedUnderThePrefixes) {
  const PathCase cases[] = {
      {nullptr, nullptr, nullptr, "survey.xml", "wt", "survey.xml"},
      {nullptr, nullptr, nullptr, "intermed.q", "rb", "intermed.q"},
      {"out", nullptr, nullptr, "survey.xml", "wt", "out/survey.xml"},
      {"out", nullptr, nullptr, "intermed.q", "rb", "intermed.q"},
      {nullptr, "runs/job1", nullptr, "intermed.q", "rb", "runs/job1/intermed.q"},
      {"same", "same", nullptr, "intermed.q", "rb", "same/intermed.q"},
      {"same", "same", nullptr, "survey.xml", "wt", "same/survey.xml"},
      {nullptr, nullptr, "bak", "debugfile", "wt", "debugfile.bak"},
      {nullptr, nullptr, "bak", "survey.xml", "wt", "survey.xml"},
      {nullptr, nullptr, "bak", "intermed", "rb", "intermed"},
      {"out", nullptr, "bak", "debugfile", "wt", "out/debugfile.bak"},
  };
  for (const PathCase &c : cases) {
    TempDir dir;
    ScopedChdir here(dir.path());
    std::system("mkdir -p out runs/job1 same");
    if (std::string(c.mode) == "rb") write_file(c.expected, "x");
    EXPECT_EXIT(
        {
          set_or_unset("ZNPERM", c.perm);
          set_or_unset("ZNTEMP", c.temp);
          set_or_unset("ZNSUFF", c.suffix);
          FILE *f = open_run_file(c.name, c.mode);
          std::fputs("written", f);
          std::fclose(f);
          std::exit(std::string(c.mode) == "wt" ? (read_file(c.expected) == "written" ? 3 : 4) : 3);
        },
        testing::ExitedWithCode(3), "")
        << c.name << " " << c.mode << " -> " << c.expected;
  }
}

TEST(Paths, AbsoluteOutputNamesTakeNoPrefix) {
  TempDir dir;
  std::string absolute = dir.file("survey");
  EXPECT_EXIT(
      {
        setenv("ZNPERM", "out", 1);
        setenv("ZNSUFF", "bak", 1);
        std::fclose(open_run_file(absolute.c_str(), "wt"));
        std::exit(file_exists(absolute + ".bak") ? 3 : 4);
      },
      testing::ExitedWithCode(3), "");
}

TEST(Paths, ReadPathOfDescriptions) {
  EXPECT_EXIT(
      {
        setenv("ZNTEMP", "C:/runs/job1", 1);
        init_paths();
        std::string path;
        read_path("descrips.inf", path);
        std::exit(path == "C:/runs/job1/descrips.inf" ? 3 : 4);
      },
      testing::ExitedWithCode(3), "");
}

TEST(Paths, VeryLongNamesDoNotOverrun) {
  std::string name(5000, 'n');
  EXPECT_EXIT(
      {
        setenv("ZNPERM", std::string(3000, 'p').c_str(), 1);
        open_run_file(name.c_str(), "wt");
      },
      testing::ExitedWithCode(1), "FATAL ERROR: Cannot open \"n+\" mode \"wt\"");
}

TEST(Paths, AFileThatCannotBeOpenedEndsTheRun) {
  TempDir dir;
  ScopedChdir here(dir.path());
  EXPECT_EXIT(
      {
        unsetenv("ZNTEMP");
        open_run_file("intermed.q", "rb");
      },
      testing::ExitedWithCode(1),
      "^intermed.q: No such file or directory\nFATAL ERROR: Cannot open \"intermed.q\" mode \"rb\"\n$");
}

} // namespace
