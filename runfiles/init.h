// The first stage: flat data only; name indexes emptied; label-length defaults.
#pragma once

void init();
