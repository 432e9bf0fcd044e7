// (Being written.)
#include "writers/text.h"

void write_text_description(const char *, const char *) {}
