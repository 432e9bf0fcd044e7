// Test support: run a built program as a child process and capture what it did.
#pragma once

#include <map>
#include <string>
#include <vector>

struct ProcessResult {
  int exit_code = -1; // -1 when the process did not exit normally
  std::string out;    // standard output
  std::string err;    // standard error
};

// Runs program (a path) with the arguments in directory, with the environment of this
// process changed by env (an empty value unsets the variable). argv[0] is program_name
// when given, else the program path.
ProcessResult run_program(const std::string &program, const std::vector<std::string> &arguments,
                          const std::string &directory, const std::map<std::string, std::string> &env = {},
                          const std::string &program_name = "");

// The path of one of the built command-line programs (zn2xml, zn2ts, zn2csv, zn2statra).
std::string built_program(const std::string &name);

// A fresh empty directory under the system's temporary directory, removed with its
// contents when the object goes.
class TempDir {
public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir &) = delete;
  TempDir &operator=(const TempDir &) = delete;
  const std::string &path() const { return path_; }
  std::string file(const std::string &name) const { return path_ + "/" + name; }

private:
  std::string path_;
};

// Whole-file helpers.
std::string read_file(const std::string &path);
void write_file(const std::string &path, const std::string &bytes);
bool file_exists(const std::string &path);

// Makes directory the current directory for the life of the object.
class ScopedChdir {
public:
  explicit ScopedChdir(const std::string &directory);
  ~ScopedChdir();
  ScopedChdir(const ScopedChdir &) = delete;
  ScopedChdir &operator=(const ScopedChdir &) = delete;

private:
  std::string previous_;
};
