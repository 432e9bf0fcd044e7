// The common 64-byte header of binary run files and the file-type registry.
#pragma once

#include <cstdio>

constexpr int run_file_header_size = 64;
constexpr int file_type_count = 50;

enum FileTypeCode {
  file_type_axes_info = 2,
  file_type_ax_file = 3,
  file_type_weightinf = 5,
  file_type_incs_inf = 8,
  file_type_seg1_qv = 9,
  file_type_intermediate = 12,
  file_type_wmvals = 18,
};

struct FileTypeEntry {
  const char *name;
  int version;
};

extern const FileTypeEntry file_types[file_type_count];
extern const unsigned char header_info_block[40];

// Checks the header of a file just opened; reports a wrong header on stderr and
// returns -1, else the file's descriptor. The next read starts after what it consumed.
int check_file_header(FILE *file, const char *name, int expected_type);
