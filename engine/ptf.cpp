// The language warning: this project offers only its base language.
#include "engine/ptf.h"

#include <cstdio>

#include "engine/misc.h"

void language_warning(const char *language) {
  if (!language || !*language) return;
  log_printf(stderr, "WARNING: %s\n         %s ('%s' ignored).\n", "No language options available on this project.",
             "Base language will be output", language);
}
