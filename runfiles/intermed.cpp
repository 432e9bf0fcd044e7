// intermed.q: the size header, the case records, and the scan that counts the cases
// and leaves the masks and each axis's largest number of answers.
#include "runfiles/intermed.h"

#include <cstring>
#include <string>

#include "engine/main.h"
#include "engine/misc.h"
#include "engine/nstore.h"
#include "engine/options.h"
#include "runfiles/axinf.h"
#include "runfiles/binread.h"
#include "runfiles/version.h"

uint16_t *ELMASK = nullptr;
uint16_t *ANDMASK = nullptr;
uint16_t *ORMASK = nullptr;
uint16_t *MASK = nullptr;
int32_t mask_words = 0;
long case_count = 0;

namespace {

// No block of a real case record comes near this size; a larger one is a damaged header.
constexpr int32_t largest_block = 1 << 24;

constexpr float missing_value_code = -1048576.0f;

// Reads the size header; a header cut short is a damaged file.
void read_size_header(FILE *file, CaseRecords *records) {
  unsigned char header[16];
  if (read_bytes(file, header, sizeof header) < sizeof header) error_exit(1201);
  records->levels = get_i32(header);
  records->tag_bytes = get_i32(header + 4);
  records->bit_bytes = get_i32(header + 8);
  records->value_bytes = get_i32(header + 12);
}

// Sizes that no record can have end the run with the code of their block.
void check_sizes(const CaseRecords *records) {
  if (records->tag_bytes < 0 || records->tag_bytes % 2 != 0 || records->tag_bytes > largest_block) error_exit(1201);
  if (records->bit_bytes < 0 || records->bit_bytes % 2 != 0 || records->bit_bytes > largest_block) error_exit(1202);
  if (records->value_bytes < 0 || records->value_bytes % 4 != 0 || records->value_bytes > largest_block)
    error_exit(3201);
}

void allocate_blocks(CaseRecords *records) {
  records->tag_block = static_cast<unsigned char *>(store_alloc(static_cast<size_t>(records->tag_bytes)));
  records->bits = static_cast<uint16_t *>(store_alloc(static_cast<size_t>(records->bit_bytes)));
  records->values = static_cast<unsigned char *>(store_alloc(static_cast<size_t>(records->value_bytes)));
}

// Words the axes with in_data take in a bit block.
long axis_words() {
  long words = 0;
  for (const Axis *axis = axes; axis; axis = axis->next)
    if (axis->info.in_data != 0) words += axis->word_count;
  return words;
}

void build_element_mask() {
  int32_t p = 0;
  for (const Axis *axis = axes; axis; axis = axis->next) {
    if (axis->info.in_data == 0) continue;
    for (int i = 0; i < axis->counts.level_count; i++)
      if (axis->elements[i].type != 0) ELMASK[p + i / 16] |= static_cast<uint16_t>(1u << (i % 16));
    p += axis->word_count;
  }
}

bool mask_bit(const uint16_t *mask, int32_t p, int i) { return (mask[p + i / 16] >> (i % 16)) & 1u; }

void dump_mask(const char *label, const uint16_t *mask) {
  log_printf(debug_file, "%s", label);
  for (int32_t w = 0; w < mask_words; w++) {
    if (w % 2 == 0) log_printf(debug_file, "\n %5d :", w);
    char bits[17];
    for (int b = 0; b < 16; b++) bits[b] = (mask[w] >> (15 - b)) & 1u ? '1' : '0';
    bits[16] = '\0';
    log_printf(debug_file, "  %s", bits);
  }
  int32_t p = 0;
  for (const Axis *axis = axes; axis; axis = axis->next) {
    log_printf(debug_file, "\n    Axe %-10s :", axis->info.name);
    if (axis->info.in_data == 0) continue;
    std::string bits;
    for (int i = 0; i < axis->counts.level_count; i++) bits.push_back(mask_bit(mask, p, i) ? '1' : '0');
    log_printf(debug_file, "%s", bits.c_str());
    for (int i = 0; i < axis->counts.level_count; i++)
      if (mask_bit(mask, p, i))
        log_printf(debug_file, "\n     ->  %d(%s)", axis->elements[i].type, element_text(axis, i));
    log_printf(debug_file, "\n       Maximum number of bits set %d", axis->max_bits);
    p += axis->word_count;
  }
}

} // namespace

void open_case_records(FILE *file, CaseRecords *records) {
  read_size_header(file, records);
  check_sizes(records);
  allocate_blocks(records);
}

CaseReadResult read_case_record(FILE *file, CaseRecords *records) {
  struct Block {
    unsigned char *buffer;
    int32_t size;
    CaseReadResult short_result;
  };
  const Block blocks[3] = {
      {records->tag_block, records->tag_bytes, case_read_short_tag},
      {reinterpret_cast<unsigned char *>(records->bits), records->bit_bytes, case_read_short_bits},
      {records->values, records->value_bytes, case_read_short_values},
  };
  // The end of the data is a record boundary: the first block that has a size reads
  // nothing there. Records without any block cannot be told apart and hold nothing.
  bool first = true;
  for (const Block &block : blocks) {
    if (block.size <= 0) continue;
    size_t size = static_cast<size_t>(block.size);
    size_t got = read_bytes(file, block.buffer, size);
    if (got == 0 && first) return case_read_end;
    if (got < size) return block.short_result;
    first = false;
  }
  if (first) return case_read_end;
  // The bit words as numbers of this machine.
  unsigned char *raw = reinterpret_cast<unsigned char *>(records->bits);
  for (int32_t w = 0; w < records->bit_bytes / 2; w++) {
    uint16_t word = get_u16(raw + 2 * w);
    std::memcpy(raw + 2 * w, &word, sizeof word);
  }
  return case_read_ok;
}

float case_value(const CaseRecords *records, int k) {
  if (k < 0 || static_cast<long>(k) * 4 + 4 > records->value_bytes) return missing_value_code;
  return get_f32(records->values + 4 * k);
}

int read_intermed() {
  FILE *file = open_run_file("intermed.q", "rb");
  check_file_header(file, "intermed.q", file_type_intermediate);
  CaseRecords records{};
  read_size_header(file, &records);
  if (debug_level != 0 && debug_file)
    log_printf(debug_file, "\n\n levels %d nt %d na %d ni %d", records.levels, records.tag_bytes, records.bit_bytes,
               records.value_bytes);
  check_sizes(&records);
  mask_words = records.bit_bytes / 2;
  // The axes' words must lie inside the bit block before any record is looked at.
  if (axis_words() > mask_words) error_exit(1202);
  allocate_blocks(&records);

  size_t mask_bytes = static_cast<size_t>(mask_words) * sizeof(uint16_t);
  ELMASK = static_cast<uint16_t *>(store_alloc(mask_bytes));
  ANDMASK = static_cast<uint16_t *>(store_alloc(mask_bytes));
  ORMASK = static_cast<uint16_t *>(store_alloc(mask_bytes));
  MASK = static_cast<uint16_t *>(store_alloc(mask_bytes));
  for (int32_t w = 0; w < mask_words; w++) ANDMASK[w] = 0xFFFF;
  build_element_mask();

  case_count = 0;
  for (;;) {
    CaseReadResult result = read_case_record(file, &records);
    if (result == case_read_end) break;
    if (result == case_read_short_tag) error_exit(1201);
    if (result == case_read_short_bits) error_exit(2201);
    if (result == case_read_short_values) error_exit(3201);
    case_count++;
    for (int32_t w = 0; w < mask_words; w++) {
      uint16_t word = records.bits[w];
      ANDMASK[w] &= word;
      ORMASK[w] |= word;
      MASK[w] = word & ELMASK[w];
    }
    int32_t p = 0;
    for (Axis *axis = axes; axis; axis = axis->next) {
      if (axis->info.in_data == 0) continue;
      int set = 0;
      for (int i = 0; i < axis->counts.level_count; i++) set += mask_bit(MASK, p, i) ? 1 : 0;
      if (set > axis->max_bits) axis->max_bits = static_cast<int16_t>(set);
      p += axis->word_count;
    }
  }

  if (debug_level != 0 && debug_file) {
    dump_mask("\n  ANDMASK", ANDMASK);
    dump_mask("\n  ORMASK", ORMASK);
    dump_mask("\n  ELMASK", ELMASK);
    dump_mask("\n  MASK", MASK);
    std::fflush(debug_file);
    log_printf(debug_file, "\n N of cases %ld", case_count);
    std::fflush(debug_file);
  }
  std::fclose(file);
  return mask_words;
}
