// The element description file descrips.inf: entries keyed by tag, with label and text.
#pragma once

#include <cstdint>

struct Descrip {
  int32_t kind;
  int32_t level;
  char tag[12];
  char *label;
  char *text;
  char *parent;
  int32_t label_capacity;
  int32_t text_capacity;
  uint8_t user_created;
  uint8_t grid_or_wmid;
};

constexpr int descrip_table_count = 4;

int load_descrips(const char *path, int spare, int growable, int *count);
Descrip *find_descrip(int handle, const char *tag);
const char *descrip_label(int handle, const char *tag);
const char *descrip_text(int handle, const char *tag);
void free_descrips(int handle);
const char *descrip_error_text(int code);
