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

// The statistics of the numeric variables, in the order of their values in a record
// (incs, then weights); made by build_description_list, filled by the measuring pass.
extern NumericStats *numeric_stats;
extern int32_t numeric_stats_count;
// The first head of the description list last built.
extern DescEntry *description_list;

// Writes the values of every axis variable of one case; bit_words is the number of
// words in the bit block (elements beyond it count as not chosen).
void write_axis_codes(FILE *stream, const uint16_t *bits, int32_t bit_words, const DataWriter *writer);
// The number of columns of a head's field in the fixed-column data.
long long field_length(const DescEntry *head);
