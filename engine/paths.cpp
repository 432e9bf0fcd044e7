// Path resolution: files read are looked for under ZNTEMP, files written go under
// ZNPERM, and written names without an extension get the ZNSUFF suffix.
#include "engine/paths.h"

#include <cstdlib>
#include <cstring>

namespace {

std::string permanent_prefix;
std::string temporary_prefix;
std::string suffix;

std::string environment_text(const char *variable) {
  const char *value = std::getenv(variable);
  return value ? value : "";
}

} // namespace

void init_paths() {
  std::string perm = environment_text("ZNPERM");
  std::string temp = environment_text("ZNTEMP");
  suffix = environment_text("ZNSUFF");
  permanent_prefix = perm.empty() ? perm : perm + "/";
  temporary_prefix = temp.empty() ? temp : temp + "/";
}

FILE *open_read(const char *name, const char *mode) {
  std::string path = temporary_prefix + name;
  return std::fopen(path.c_str(), mode);
}

FILE *open_write(const char *name, const char *mode) {
  bool absolute = name[0] == '/' || name[0] == '\\' || (name[0] && name[1] == ':');
  std::string full = name;
  if (!suffix.empty() && !std::strchr(name, '.')) full += "." + suffix;
  if (!absolute) full = permanent_prefix + full;
  return std::fopen(full.c_str(), mode);
}

int read_path(const char *name, std::string &path) {
  path = temporary_prefix + name;
  return 1;
}
