// The case data writer. (Being written.)
#include "writers/data.h"

const DataWriter data_writers[4] = {};
void cr_data(const char *, const DataWriter *, int) {}
DescEntry *build_description_list(int) { return nullptr; }
