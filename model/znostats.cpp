// The survey variables. (Being written.)
#include "model/znostats.h"

#include "engine/nstore.h"

StatVar **stvars = nullptr;
int stvar_count = 0;
int stvar_capacity = 0;
IncEntry *incs = nullptr;
int inc_count = 0;
WeightEntry *weights = nullptr;
int weight_count = 0;
unsigned name_hash(const char *) { return 0; }
void reset_variable_index() {}
StatVar *find_stvar(const char *) { return nullptr; }
int znostats() { return 0; }
void axis_label(Axis *, StatVar *) {}
void dump_stvars() {}
