// The survey variables: one per single-coded axis, one per category of a multi-coded
// axis, one per inc and one per weight.
#pragma once

#include <cstdint>
#include <cstdio>

struct Axis;
struct OutputVar;

enum StatVarKind { kind_single = 1, kind_multiple = 2, kind_numeric = 3 };

struct StatVar {
  int16_t kind;
  char *name;
  Axis *axis;
  void *source; // AxisInfo of the axis, IncEntry or WeightEntry
  int32_t index;
  char *label;
  OutputVar *output;
  int32_t category_count;
  int32_t *codes;
  char **value_labels;
  int32_t width;
};

struct IncEntry {
  char *name;
  IncEntry *next;
};

struct WeightEntry {
  int32_t matrix;
  FILE *stream;
  long position;
};

extern IncEntry *incs;
extern int inc_count;
extern WeightEntry *weights;
extern int weight_count;

// Hash of the name indexes: sum of the character codes modulo 128, modulo 499.
constexpr int name_buckets = 499;
unsigned name_hash(const char *name);

void reset_variable_index();
StatVar *find_stvar(const char *name);

int znostats();
void axis_label(Axis *axis, StatVar *var);
void dump_stvars();
