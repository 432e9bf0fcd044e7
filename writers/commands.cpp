// (Being written.)
#include "writers/commands.h"

void write_statra_commands(const char *, const char *) {}
