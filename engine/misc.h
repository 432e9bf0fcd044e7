// Messages, the ways a run ends on an error, and the opening of run files.
#pragma once

#include <cstddef>
#include <cstdio>

// Formats the whole message, then writes it with one write; null stream means stderr.
int log_printf(FILE *stream, const char *format, ...) __attribute__((format(printf, 2, 3)));
[[noreturn]] void fatal_error(int code, const char *text);
[[noreturn]] void error_exit(int code);
// Opens a run file ("rb") or an output file ("wt") through path resolution;
// never returns null: a failure ends the run with exit code 1.
FILE *open_run_file(const char *name, const char *mode);
// System allocation that ends the run when memory is exhausted.
void *emalloc(size_t n);
// emalloc'd copy of a text.
char *estrdup(const char *text);
