// The language warning: only the base language exists.
#pragma once

void language_warning(const char *language);
