// The run title lines of seg1.qv.
#pragma once

#include <cstdint>

constexpr int max_titles = 10;

struct TitleList {
  int32_t count;
  char *lines[max_titles];
};

extern TitleList run_titles;

void get_title();
