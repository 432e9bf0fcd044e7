// Output names and value labels. (Being written.)
#include "model/statvars.h"

void reset_output_registry() {}
NameEntry *output_name(const char *) { return nullptr; }
void build_output(StatVar *) {}
void build_outputs() {}
