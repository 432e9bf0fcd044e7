// Path resolution: ZNTEMP for files read, ZNPERM and ZNSUFF for files written.
#pragma once

#include <cstdio>
#include <string>

void init_paths();
FILE *open_read(const char *name, const char *mode);
FILE *open_write(const char *name, const char *mode);
// The read path of a name (temporary prefix + name). Always 1.
int read_path(const char *name, std::string &path);
