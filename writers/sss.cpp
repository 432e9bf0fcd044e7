// (Being written.)
#include "writers/sss.h"

void write_sss_description(const char *, const char *) {}
