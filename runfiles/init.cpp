// The first stage. (Being written.)
#include "runfiles/init.h"

void init() {}
