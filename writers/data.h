// The case data writer: cr_data, the four writer styles, the measuring pass and the
// description layout shared by the descriptions and the data.
#pragma once

#include <cstdint>
#include <cstdio>

struct StatVar;

struct DataWriter {
  int32_t style;
  void (*write_value)(FILE *stream, float value, int index);
  void (*write_code)(FILE *stream, int32_t code, int width_spec);
  void (*write_text)(FILE *stream, const char *text, int width_spec);
  void (*end_record)(FILE *stream);
};

enum DataWriterRow { writer_fixed = 0, writer_measuring = 1, writer_free = 2, writer_tabbed = 3 };
extern const DataWriter data_writers[4];

struct NumericStats {
  int32_t index;
  int32_t kind; // 0 none, 1 real, 2 integer, 3 text seen
  int32_t width;
  int32_t decimals;
  float max;
  float min;
};

struct DescEntry {
  StatVar *var;
  int32_t member_count;
  int32_t width;
  NumericStats *stats;
  DescEntry *next_member;
  DescEntry *next;
};

void cr_data(const char *data_file, const DataWriter *writer, int measuring);
DescEntry *build_description_list(int with_widths);
