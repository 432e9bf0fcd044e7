// Output names, labels and value codes of the written variables.
#pragma once

#include <cstdint>

struct StatVar;

struct NameEntry {
  char *name;
  NameEntry *next;
};

struct ValueLabelSet {
  int32_t count;
  int32_t *codes;
  char **labels;
};

struct OutputVar {
  NameEntry *name_entry;
  char *label;
  ValueLabelSet values;
  StatVar *var;
};

void reset_output_registry();
NameEntry *output_name(const char *model_name);
void build_output(StatVar *var);
void build_outputs();
