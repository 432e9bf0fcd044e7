// Files in the Unix compress (LZW) format: a resumable decoder read line by line or by
// count, and an encoder that writes the same format.
#include "runfiles/compio.h"

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int hash_size = 69001;    // entries of both tables of an open file
constexpr int32_t clear_code = 256; // block mode: the dictionary starts again
constexpr int32_t first_free = 257; // block mode: first dictionary code
constexpr int initial_width = 9;
constexpr long check_gap = 10000;                         // bytes between compression ratio checks
constexpr int suffix_bytes = 65536;                       // reading: suffix table at the start of the 32-bit table
constexpr int stack_bytes = hash_size * 4 - suffix_bytes; // reading: the rest is the output stack
constexpr int group_bytes = 16;

enum DecoderState { state_start, state_next_code, state_emit, state_add_entry, state_end };

} // namespace

struct CompressedFile {
  FILE *stream;
  int writing;
  int state;
  int failure; // error that stopped this file: damaged data or a write error
  int max_width;
  int32_t code_limit; // 2^max_width
  int block_mode;
  int clear_pending;
  int width;        // current code width
  int32_t max_code; // largest code at the current width
  int32_t free_code;
  uint32_t *table32; // writing: hash table; reading: suffix table, then the output stack
  uint16_t *table16; // writing: code table; reading: prefix table
  // The group buffer; two spare bytes let a code be taken or placed three bytes at a time.
  unsigned char group[group_bytes + 2];
  int bit_pos;
  int usable_bits;
  // Decoder.
  int32_t old_code;
  int32_t in_code;
  int32_t first_byte;
  int stack_depth;
  // Encoder.
  int header_written;
  int have_prefix;
  int32_t prefix_code;
  long bytes_in;
  long bytes_out;
  long best_ratio;
  long checkpoint;
};

int compressed_last_error = 0;

namespace {

const char *const error_texts[] = {
    "Not an error",
    "Not enough memory",
    "Cannot open file",
    "Unknown type flag",
    "Input file not compressed",
    "Cannot deal with no of bits in input file",
    "File not open for reading",
    "File not open for writing",
    "Write error on compressed file",
    "Damaged compressed data",
};

unsigned char *suffix_table(CompressedFile *file) { return reinterpret_cast<unsigned char *>(file->table32); }
unsigned char *output_stack(CompressedFile *file) { return suffix_table(file) + suffix_bytes; }

void release(CompressedFile *file) {
  std::free(file->table32);
  std::free(file->table16);
  std::free(file);
}

// The largest code at a width: at the maximum width every code below the limit. The width
// starts at 9 with 511 whatever the maximum, so a 9-bit file grows to 10 bits as its
// classic writer does.
int32_t largest_code_at(const CompressedFile *file, int width) {
  return width == file->max_width ? file->code_limit : (static_cast<int32_t>(1) << width) - 1;
}

// Ends decoding because the code stream cannot be decoded; reads then see the end of data.
void stop_damaged(CompressedFile *file) {
  file->failure = compressed_damaged;
  compressed_last_error = compressed_damaged;
  file->state = state_end;
  file->stack_depth = 0;
}

// The next code of the stream, or -1 at the end of the code stream.
int32_t fetch_code(CompressedFile *file) {
  if (file->clear_pending || file->bit_pos >= file->usable_bits || file->free_code > file->max_code) {
    if (file->free_code > file->max_code) {
      file->width++;
      file->max_code = largest_code_at(file, file->width);
    }
    if (file->clear_pending) {
      file->width = initial_width;
      file->max_code = (1 << initial_width) - 1;
      file->clear_pending = 0;
    }
    // A group is as many bytes as the width; the width never passes 16 here, since the
    // dictionary stops at 2^max_width with max_width at most 16.
    if (file->width > group_bytes) return -1;
    size_t got = std::fread(file->group, 1, static_cast<size_t>(file->width), file->stream);
    file->bit_pos = 0;
    file->usable_bits = static_cast<int>(got) * 8 - (file->width - 1);
    // A short last group holds only whole codes; bits too few for one code are no code.
    if (got == 0 || file->usable_bits <= 0) {
      file->usable_bits = 0;
      return -1;
    }
  }
  int pos = file->bit_pos >> 3;
  int shift = file->bit_pos & 7;
  uint32_t bits = static_cast<uint32_t>(file->group[pos]) | (static_cast<uint32_t>(file->group[pos + 1]) << 8) |
                  (static_cast<uint32_t>(file->group[pos + 2]) << 16);
  file->bit_pos += file->width;
  return static_cast<int32_t>((bits >> shift) & ((static_cast<uint32_t>(1) << file->width) - 1));
}

bool push_byte(CompressedFile *file, unsigned char byte) {
  if (file->stack_depth >= stack_bytes) return false;
  output_stack(file)[file->stack_depth++] = byte;
  return true;
}

// The next decompressed byte, or -1 once the data is exhausted (or found damaged).
int next_byte(CompressedFile *file) {
  for (;;) {
    switch (file->state) {
    case state_start: {
      int32_t code = fetch_code(file);
      if (code < 0) {
        file->state = state_end;
        return -1;
      }
      // The first code can only be a single byte: no string is defined before it.
      if (code >= 256) {
        stop_damaged(file);
        return -1;
      }
      file->old_code = code;
      file->first_byte = code;
      file->state = state_next_code;
      return code;
    }
    case state_next_code: {
      int32_t code = fetch_code(file);
      while (code == clear_code && file->block_mode) {
        for (int i = 0; i < 256; i++) file->table16[i] = 0;
        file->clear_pending = 1;
        file->free_code = clear_code;
        code = fetch_code(file);
      }
      if (code < 0) {
        file->state = state_end;
        return -1;
      }
      file->in_code = code;
      file->stack_depth = 0;
      if (code >= file->free_code) {
        // A code one past the dictionary is the previous string followed by its own
        // first byte; anything further on was never defined.
        if (code > file->free_code) {
          stop_damaged(file);
          return -1;
        }
        push_byte(file, static_cast<unsigned char>(file->first_byte));
        code = file->old_code;
      }
      unsigned char *suffix = suffix_table(file);
      while (code >= 256) {
        if (code >= suffix_bytes || !push_byte(file, suffix[code])) {
          stop_damaged(file);
          return -1;
        }
        code = file->table16[code];
      }
      file->first_byte = code;
      if (!push_byte(file, static_cast<unsigned char>(code))) {
        stop_damaged(file);
        return -1;
      }
      file->state = state_emit;
      [[fallthrough]];
    }
    case state_emit:
      if (file->stack_depth > 0) return output_stack(file)[--file->stack_depth];
      file->state = state_add_entry;
      [[fallthrough]];
    case state_add_entry:
      if (file->free_code < file->code_limit) {
        file->table16[file->free_code] = static_cast<uint16_t>(file->old_code);
        suffix_table(file)[file->free_code] = static_cast<unsigned char>(file->first_byte);
        file->free_code++;
      }
      file->old_code = file->in_code;
      file->state = state_next_code;
      break;
    default:
      return -1;
    }
  }
}

// Encoder output: a write error stops the file.
bool put_bytes(CompressedFile *file, const unsigned char *bytes, int n) {
  if (n <= 0) return true;
  if (std::fwrite(bytes, 1, static_cast<size_t>(n), file->stream) != static_cast<size_t>(n)) {
    file->failure = compressed_write_error;
    compressed_last_error = compressed_write_error;
    file->state = state_end;
    return false;
  }
  file->bytes_out += n;
  return true;
}

bool write_header(CompressedFile *file) {
  if (file->header_written) return true;
  unsigned char header[3] = {0x1F, 0x9D, static_cast<unsigned char>(file->max_width | 0x80)};
  file->header_written = 1;
  if (!put_bytes(file, header, 3)) return false;
  file->bytes_out = 3;
  return true;
}

// Places one code in the group; writes a full group, and writes the group whole and
// changes the width when the dictionary outgrows it or after a clear.
bool put_code(CompressedFile *file, int32_t code) {
  int pos = file->bit_pos >> 3;
  int shift = file->bit_pos & 7;
  uint32_t bits = static_cast<uint32_t>(code) << shift;
  file->group[pos] |= static_cast<unsigned char>(bits);
  file->group[pos + 1] |= static_cast<unsigned char>(bits >> 8);
  file->group[pos + 2] |= static_cast<unsigned char>(bits >> 16);
  file->bit_pos += file->width;
  if (file->bit_pos == file->width * 8) {
    if (!put_bytes(file, file->group, file->width)) return false;
    file->bit_pos = 0;
    std::memset(file->group, 0, sizeof file->group);
  }
  if (file->free_code > file->max_code || file->clear_pending) {
    if (file->bit_pos > 0 && !put_bytes(file, file->group, file->width)) return false;
    file->bit_pos = 0;
    std::memset(file->group, 0, sizeof file->group);
    if (file->clear_pending) {
      file->width = initial_width;
      file->max_code = (1 << initial_width) - 1;
      file->clear_pending = 0;
    } else {
      file->width++;
      file->max_code = largest_code_at(file, file->width);
    }
  }
  return true;
}

void empty_hash(CompressedFile *file) { std::memset(file->table32, 0xFF, sizeof(uint32_t) * hash_size); }

// With the dictionary full: while compression improves keep it, else start again.
bool check_ratio(CompressedFile *file) {
  file->checkpoint = file->bytes_in + check_gap;
  long ratio;
  if (file->bytes_in > 0x007FFFFF) {
    long scaled = file->bytes_out >> 8;
    ratio = scaled == 0 ? INT_MAX : file->bytes_in / scaled;
  } else {
    ratio = (file->bytes_in << 8) / file->bytes_out;
  }
  if (ratio > file->best_ratio) {
    file->best_ratio = ratio;
    return true;
  }
  file->best_ratio = 0;
  empty_hash(file);
  file->free_code = first_free;
  file->clear_pending = 1;
  return put_code(file, clear_code);
}

constexpr uint32_t empty_slot = 0xFFFFFFFFu;

} // namespace

CompressedFile *compressed_open(const char *path, const char *mode, int max_width) {
  if (max_width == 0) max_width = 16;
  if (max_width < 12 || max_width > 16) {
    compressed_last_error = compressed_bad_bits;
    return nullptr;
  }
  // The direction is decided before the file is touched, so that an unknown mode creates nothing.
  int writing;
  if (mode && mode[0] == 'r') {
    writing = 0;
  } else if (mode && mode[0] == 'w') {
    writing = 1;
  } else {
    compressed_last_error = compressed_unknown_type;
    return nullptr;
  }
  auto *file = static_cast<CompressedFile *>(std::calloc(1, sizeof(CompressedFile)));
  if (file) {
    file->table32 = static_cast<uint32_t *>(std::calloc(hash_size, sizeof(uint32_t)));
    file->table16 = static_cast<uint16_t *>(std::calloc(hash_size, sizeof(uint16_t)));
  }
  if (!file || !file->table32 || !file->table16) {
    if (file) release(file);
    compressed_last_error = compressed_no_memory;
    return nullptr;
  }
  // Compressed data is binary whatever the caller's mode says about text.
  file->stream = path ? std::fopen(path, writing ? "wb" : "rb") : nullptr;
  if (!file->stream) {
    release(file);
    compressed_last_error = compressed_cannot_open;
    return nullptr;
  }
  file->writing = writing;
  file->block_mode = 1;
  file->max_width = max_width;
  file->code_limit = static_cast<int32_t>(1) << max_width;
  file->checkpoint = check_gap;
  if (!writing) {
    unsigned char header[3];
    size_t got = std::fread(header, 1, 3, file->stream);
    if (got < 3 || header[0] != 0x1F || header[1] != 0x9D) {
      std::fclose(file->stream);
      release(file);
      compressed_last_error = compressed_not_compressed;
      return nullptr;
    }
    file->block_mode = (header[2] & 0x80) != 0;
    file->max_width = header[2] & 0x1F;
    if (file->max_width > 16) {
      std::fclose(file->stream);
      release(file);
      compressed_last_error = compressed_bad_bits;
      return nullptr;
    }
    file->code_limit = static_cast<int32_t>(1) << file->max_width;
    unsigned char *suffix = suffix_table(file);
    for (int i = 0; i < 256; i++) {
      file->table16[i] = 0;
      suffix[i] = static_cast<unsigned char>(i);
    }
  } else {
    empty_hash(file);
  }
  file->width = initial_width;
  file->max_code = (1 << initial_width) - 1;
  file->free_code = file->block_mode ? first_free : 256;
  file->state = state_start;
  return file;
}

int compressed_read_line(CompressedFile *file, char *buffer, int size) {
  if (!file || file->writing) {
    compressed_last_error = compressed_not_reading;
    return -1;
  }
  if (file->state == state_end || size < 1) return -1;
  // Only a stream without any code gives nothing at all; otherwise a read that meets the
  // end returns what it has, so text ending in a newline gives one last empty line.
  bool at_start = file->state == state_start;
  int stored = 0;
  int c = next_byte(file);
  if (c < 0 && at_start) return -1;
  while (c >= 0) {
    if (stored < size - 1) buffer[stored++] = static_cast<char>(c);
    if (c == '\n') break;
    c = next_byte(file);
  }
  buffer[stored] = '\0';
  return stored;
}

int compressed_read(CompressedFile *file, void *buffer, int count) {
  if (!file || file->writing) {
    compressed_last_error = compressed_not_reading;
    return 0;
  }
  auto *out = static_cast<unsigned char *>(buffer);
  int stored = 0;
  while (stored < count) {
    int c = next_byte(file);
    if (c < 0) break;
    out[stored++] = static_cast<unsigned char>(c);
  }
  return stored;
}

int compressed_write(CompressedFile *file, const void *data, int count) {
  if (!file || !file->writing) {
    compressed_last_error = compressed_not_writing;
    return 0;
  }
  if (file->state == state_end) return 0;
  if (!write_header(file)) return 0;
  if (count <= 0) return 0;
  const auto *bytes = static_cast<const unsigned char *>(data);
  int i = 0;
  if (!file->have_prefix) {
    file->prefix_code = bytes[i++];
    file->have_prefix = 1;
    file->bytes_in = 1;
  }
  for (; i < count; i++) {
    uint32_t c = bytes[i];
    file->bytes_in++;
    uint32_t key = (c << file->max_width) + static_cast<uint32_t>(file->prefix_code);
    int slot = static_cast<int>((c << 8) ^ static_cast<uint32_t>(file->prefix_code));
    if (file->table32[slot] == key) {
      file->prefix_code = file->table16[slot];
      continue;
    }
    if (file->table32[slot] != empty_slot) {
      int step = slot == 0 ? 1 : hash_size - slot;
      bool found = false;
      for (;;) {
        slot -= step;
        if (slot < 0) slot += hash_size;
        if (file->table32[slot] == key) {
          found = true;
          break;
        }
        if (file->table32[slot] == empty_slot) break;
      }
      if (found) {
        file->prefix_code = file->table16[slot];
        continue;
      }
    }
    if (!put_code(file, file->prefix_code)) return 0;
    file->prefix_code = static_cast<int32_t>(c);
    if (file->free_code < file->code_limit) {
      file->table16[slot] = static_cast<uint16_t>(file->free_code++);
      file->table32[slot] = key;
    } else if (file->bytes_in >= file->checkpoint && file->block_mode) {
      if (!check_ratio(file)) return 0;
    }
  }
  return count;
}

int compressed_close(CompressedFile *file) {
  if (!file) return -1;
  int result = 0;
  if (file->writing) {
    if (file->state != state_end) {
      // An empty file still gets its header, so that it reads back as empty data.
      bool ok = write_header(file);
      if (ok && file->have_prefix) ok = put_code(file, file->prefix_code);
      if (ok && file->bit_pos > 0) ok = put_bytes(file, file->group, (file->bit_pos + 7) / 8);
      if (ok && std::fflush(file->stream) != 0) ok = false;
      if (!ok) result = -1;
    } else {
      result = -1;
    }
    if (std::fclose(file->stream) != 0) result = -1;
    if (result != 0) compressed_last_error = compressed_write_error;
  } else {
    std::fclose(file->stream);
  }
  release(file);
  return result;
}

const char *compressed_error_text() {
  if (compressed_last_error < 0 ||
      compressed_last_error >= static_cast<int>(sizeof error_texts / sizeof error_texts[0]))
    return "Not an error";
  return error_texts[compressed_last_error];
}

int compressed_file_error(CompressedFile *file) { return file ? file->failure : 0; }

long compressed_tell(CompressedFile *file) { return file ? std::ftell(file->stream) : 0; }

long compressed_bytes_in(CompressedFile *file) { return file && file->writing ? file->bytes_in : 0; }

long compressed_bytes_out(CompressedFile *file) { return file && file->writing ? file->bytes_out : 0; }
