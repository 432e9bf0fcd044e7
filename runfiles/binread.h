// Little-endian fields of binary run files, taken from bytes that were really read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

inline uint16_t get_u16(const unsigned char *p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline int16_t get_i16(const unsigned char *p) { return static_cast<int16_t>(get_u16(p)); }
inline uint32_t get_u32(const unsigned char *p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}
inline int32_t get_i32(const unsigned char *p) { return static_cast<int32_t>(get_u32(p)); }
inline float get_f32(const unsigned char *p) {
  uint32_t bits = get_u32(p);
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

// Reads up to n bytes; returns how many were read.
inline size_t read_bytes(FILE *file, void *buffer, size_t n) { return n ? std::fread(buffer, 1, n, file) : 0; }
// Skips n bytes by reading them; returns how many were skipped.
size_t skip_bytes(FILE *file, size_t n);
// Appends size bytes to text; false when the file ends first. Read in pieces, so that a
// size word larger than the file costs no more than the file.
bool read_block(FILE *file, size_t size, std::string &text);
