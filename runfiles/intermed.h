// intermed.q: the case records, the masks and the scan that counts the cases.
#pragma once

#include <cstdint>
#include <cstdio>

extern uint16_t *ELMASK;
extern uint16_t *ANDMASK;
extern uint16_t *ORMASK;
extern uint16_t *MASK;
extern int32_t mask_words; // bit_bytes / 2
extern long case_count;

// The size header and the three block buffers of one pass over the case records.
struct CaseRecords {
  int32_t levels;
  int32_t tag_bytes;
  int32_t bit_bytes;
  int32_t value_bytes;
  unsigned char *tag_block;
  uint16_t *bits;        // bit_bytes / 2 words, host order
  unsigned char *values; // value_bytes raw bytes; use case_value()
};

enum CaseReadResult {
  case_read_ok = 0,
  case_read_end = 1,
  case_read_short_tag = 2,
  case_read_short_bits = 3,
  case_read_short_values = 4,
};

// Reads the size header (the file is positioned after the run-file header) and
// allocates the block buffers from the store.
void open_case_records(FILE *file, CaseRecords *records);
// Reads the next case record.
CaseReadResult read_case_record(FILE *file, CaseRecords *records);
// Inc value k of the record just read.
float case_value(const CaseRecords *records, int k);
// Element i of the axis whose words start at word p is chosen in this bit block.
inline bool element_chosen(const uint16_t *bits, int32_t p, int i) {
  int32_t w = p + i / 16;
  uint16_t bit = static_cast<uint16_t>(1u << (i % 16));
  return (bits[w] & bit) && (ELMASK[w] & bit);
}

int read_intermed();
