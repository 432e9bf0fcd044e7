// Checks a directory named by the user and makes it the current directory.
#include "engine/rundir.h"

#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int system_path_kind(const char *path) {
  struct stat info;
  if (stat(path, &info) != 0) return 0;
  return S_ISDIR(info.st_mode) ? 2 : 1;
}

int system_change_directory(const char *path) { return chdir(path); }

} // namespace

const DirectoryServices system_directory_services = {system_path_kind, system_change_directory};

const char *const run_directory_messages[4] = {
    "",
    "Name given is not a folder\nor does not exist.",
    "Folder does not appear to be\na tabulon directory",
    "Unable to change directory",
};

RunDirectoryResult enter_run_directory(const char *directory, const DirectoryServices &services) {
  if (services.path_kind(directory) != 2) return run_directory_not_folder;
  std::string intermed = directory;
  if (intermed.empty() || intermed.back() != '/') intermed += '/';
  intermed += "intermed.q";
  if (services.path_kind(intermed.c_str()) == 0) return run_directory_not_tabulon;
  if (services.change_directory(directory) != 0) return run_directory_cannot_enter;
  return run_directory_ok;
}
