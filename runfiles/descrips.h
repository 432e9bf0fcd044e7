// The element description file descrips.inf: entries keyed by tag, with label and text.
#pragma once

#include <cstdint>

struct Descrip {
  int32_t kind;  // 1 axis, 2 inc, 3 alph, 4 bit, 5 axlist, 6 weight, 7 group
  int32_t level; // 0 to 9; 999 when not given
  char tag[12];  // at most 11 characters; empty: the entry is never found
  char *label;   // never null in a loaded entry; empty when not given
  char *text;    // never null in a loaded entry; empty when none
  char *parent;  // axes only, room for 9 characters; null when not given
  int32_t label_capacity;
  int32_t text_capacity;
  uint8_t user_created;
  uint8_t grid_or_wmid; // axes: grid number 0, 1 or 2; weights: weight number 0 to 9
};

constexpr int descrip_table_count = 4;

// Loads a descrips.inf into the first free of the 4 tables. Returns the handle (0 to 3),
// with the number of entries in *count when count is given, or a negative error code:
// -5 no table free, -3 missing or not compressed, -2 no entry lines, -21 unreadable or
// damaged data, -6 no memory. A failed load leaves no table claimed.
int load_descrips(const char *path, int spare, int growable, int *count);
// The first entry in file order with exactly this tag; null for a handle that is not a
// loaded table (every negative error code included) or a tag no entry has.
Descrip *find_descrip(int handle, const char *tag);
// The label and the text exactly as stored: null only when no entry has the tag. A stored
// label or text may be empty; callers treat an empty label as "no replacement name" and an
// empty text as "no text". The strings stay valid until the table is released.
const char *descrip_label(int handle, const char *tag);
const char *descrip_text(int handle, const char *tag);
// Releases the table and every string it owns; the handle becomes free. Handles outside
// 0 to 3 and free tables are ignored.
void free_descrips(int handle);
// The message of an error code of these operations.
const char *descrip_error_text(int code);
