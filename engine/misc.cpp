// Messages, the ways a run ends on an error, and the opening of run files.
#include "engine/misc.h"

#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine/paths.h"

int log_printf(FILE *stream, const char *format, ...) {
  char buffer[8192];
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  int length = std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  if (!stream) stream = stderr;
  int result;
  if (length < 0) {
    result = length;
  } else if (static_cast<size_t>(length) < sizeof buffer) {
    result = std::fprintf(stream, "%s", buffer);
  } else {
    // A long message is formatted whole in a buffer of its own size.
    std::vector<char> large(static_cast<size_t>(length) + 1);
    std::vsnprintf(large.data(), large.size(), format, again);
    result = std::fprintf(stream, "%s", large.data());
  }
  va_end(again);
  return result;
}

void fatal_error(int code, const char *text) {
  log_printf(stderr, "\n Fatal error %d <%s>\n", code, text);
  std::exit(1);
}

void error_exit(int code) {
  log_printf(stderr, "ERROR: %d\n", code);
  std::exit(1);
}

FILE *open_run_file(const char *name, const char *mode) {
  static bool paths_ready = false;
  if (!paths_ready) {
    init_paths();
    paths_ready = true;
  }
  FILE *file = std::strcmp(mode, "wt") == 0 ? open_write(name, mode) : open_read(name, mode);
  if (file) return file;
  std::perror(name);
  log_printf(stderr, "FATAL ERROR: Cannot open \"%s\" mode \"%s\"\n", name, mode);
  std::exit(1);
}

void *emalloc(size_t n) {
  void *memory = std::malloc(n ? n : 1);
  if (!memory) fatal_error(0, "out of memory in emalloc();");
  return memory;
}

char *estrdup(const char *text) {
  size_t n = std::strlen(text) + 1;
  char *copy = static_cast<char *>(emalloc(n));
  std::memcpy(copy, text, n);
  return copy;
}
