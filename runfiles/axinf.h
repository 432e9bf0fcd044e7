// The axes of a run: axes.inf, the .ax/.ay axis files and descrips.inf, grids expanded.
#pragma once

#include <cstdint>

#include "runfiles/title.h"

struct StatVar;

struct AxisInfo {
  uint8_t grid_count;
  uint8_t grid_flag;
  int16_t in_data;
  int16_t number;
  char *name;
};

struct Element {
  uint8_t type;
  int32_t text_offset;
};

struct AxisCounts {
  int16_t element_count;
  int16_t level_count;
};

struct Axis {
  int32_t code_width;
  AxisInfo info;
  AxisCounts counts;
  Element *elements;
  char *texts;       // the text block, with a NUL after its last byte
  int32_t text_size; // bytes in the text block as read
  int32_t word_count;
  TitleList titles;
  char *grid_label;
  int16_t max_bits;
  StatVar *single_var;
  StatVar **element_vars; // one slot per element, for multi-coded axes
  int32_t no_output;
  Axis *next;
};

extern Axis *axes;

// The NUL-terminated text at an offset of the axis's text block; "" when the
// offset lies outside the block.
const char *axis_text(const Axis *axis, int32_t offset);
// The text of stored element i.
const char *element_text(const Axis *axis, int i);

void get_axinf();
void read_axis_file(Axis *axis, const char *stem);
void dump_axis(const Axis *axis);
