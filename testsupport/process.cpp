// Test support: child processes, temporary directories and whole files.
#include "testsupport/process.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

#ifndef ZN_BIN_DIR
#define ZN_BIN_DIR "."
#endif

ProcessResult run_program(const std::string &program, const std::vector<std::string> &arguments,
                          const std::string &directory, const std::map<std::string, std::string> &env,
                          const std::string &program_name) {
  int out_pipe[2], err_pipe[2];
  if (pipe(out_pipe) != 0 || pipe(err_pipe) != 0) throw std::runtime_error("pipe failed");
  pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    dup2(out_pipe[1], 1);
    dup2(err_pipe[1], 2);
    close(out_pipe[0]);
    close(out_pipe[1]);
    close(err_pipe[0]);
    close(err_pipe[1]);
    int null_in = open("/dev/null", O_RDONLY);
    if (null_in >= 0) dup2(null_in, 0);
    if (!directory.empty() && chdir(directory.c_str()) != 0) _exit(127);
    for (const auto &[name, value] : env) {
      if (value.empty())
        unsetenv(name.c_str());
      else
        setenv(name.c_str(), value.c_str(), 1);
    }
    std::vector<char *> argv;
    argv.push_back(const_cast<char *>(program_name.empty() ? program.c_str() : program_name.c_str()));
    for (const std::string &argument : arguments) argv.push_back(const_cast<char *>(argument.c_str()));
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  close(out_pipe[1]);
  close(err_pipe[1]);
  ProcessResult result;
  pollfd fds[2] = {{out_pipe[0], POLLIN, 0}, {err_pipe[0], POLLIN, 0}};
  std::string *sinks[2] = {&result.out, &result.err};
  int open_count = 2;
  char buffer[65536];
  while (open_count > 0) {
    if (poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
      if (n > 0) {
        sinks[i]->append(buffer, static_cast<size_t>(n));
      } else {
        close(fds[i].fd);
        fds[i].fd = -1;
        --open_count;
      }
    }
  }
  int status = 0;
  waitpid(pid, &status, 0);
  result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

std::string built_program(const std::string &name) { return std::string(ZN_BIN_DIR) + "/" + name; }

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "zntest-XXXXXX").string();
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (!mkdtemp(buffer.data())) throw std::runtime_error("mkdtemp failed");
  path_ = buffer.data();
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string read_file(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void write_file(const std::string &path, const std::string &bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool file_exists(const std::string &path) { return std::filesystem::exists(path); }

ScopedChdir::ScopedChdir(const std::string &directory) {
  previous_ = std::filesystem::current_path().string();
  std::filesystem::current_path(directory);
}

ScopedChdir::~ScopedChdir() {
  std::error_code ignored;
  std::filesystem::current_path(previous_, ignored);
}
