// The common header of binary run files, checked against the file-type registry.
#include "runfiles/version.h"

#include <cstring>

#include "engine/misc.h"
#include "runfiles/binread.h"

const FileTypeEntry file_types[file_type_count] = {
    {"undefined", 0},
    {"seg1", 11},
    {"axes.info", 11},
    {".ax file", 11},
    {"weight1.q", 12},
    {"weightinf.q", 11},
    {"tab.manip", 11},
    {"wttran", 11},
    {"incs.inf", 11},
    {"seg1.qv", 11},
    {"segc.index", 11},
    {"rout.index", 11},
    {"intermediate.q", 11},
    {"inter.lev file", 11},
    {"wtknts.q", 11},
    {"wtf.q file", 11},
    {"interalpha.q", 11},
    {"alpha.info", 11},
    {"wmvals.q file", 11},
    {"nums", 11},
    {"tabs.info", 11},
    {"merge.info", 11},
    {"medianinf", 11},
    {".flip file", 11},
    {".mult file", 11},
    {".inc file", 11},
    {".alph file", 11},
    {"qvinfo", 11},
    {"alias.info", 11},
    {".als file", 11},
    {".btx file", 11},
    {".bit file", 11},
    {"bits.info", 11},
    {"mvinfo", 11},
    {"mvproj", 11},
    {"xref.info", 11},
    {"levinf.qv", 11},
    {"qvlv file", 11},
    {".ag file", 11},
    {"language file", 11},
    {"qvoutinf file", 11},
    {"split levels file", 11},
    {"panel serial xref file", 11},
    {"combined weights file", 11},
    {"axis marginals file", 11},
    {".qvf file", 11},
    {".qsf file", 11},
    {".bnf file", 11},
    {"mpxref.inf file", 11},
    {"", 11},
};

const unsigned char header_info_block[40] = {2, 1, 1, 1, 2, 1, 1, 2, 1, 2, 1, 1, 1, 1, 1, 1};

size_t skip_bytes(FILE *file, size_t n) {
  unsigned char buffer[512];
  size_t skipped = 0;
  while (skipped < n) {
    size_t want = n - skipped < sizeof buffer ? n - skipped : sizeof buffer;
    size_t got = read_bytes(file, buffer, want);
    skipped += got;
    if (got < want) break;
  }
  return skipped;
}

bool read_block(FILE *file, size_t size, std::string &text) {
  char piece[8192];
  while (size > 0) {
    size_t want = size < sizeof piece ? size : sizeof piece;
    size_t got = read_bytes(file, piece, want);
    text.append(piece, got);
    if (got < want) return false;
    size -= got;
  }
  return true;
}

int check_file_header(FILE *file, const char *name, int expected_type) {
  unsigned char header[run_file_header_size];
  size_t first = read_bytes(file, header, 2);
  if (first == 0) {
    log_printf(stderr, "Error: file %s is empty\n", name);
    return -1;
  }
  if (first < 2) {
    log_printf(stderr, "Error: %s is not a recognisable file\n", name);
    return -1;
  }
  if (get_u16(header) == 0x5555) {
    log_printf(stderr, "Error: file %s has out-of-date format\n", name);
    return -1;
  }
  size_t rest = read_bytes(file, header + 2, run_file_header_size - 2);
  if (rest < run_file_header_size - 2 || get_i16(header) != 2 || get_i16(header + 2) != 0 ||
      get_i16(header + 4) != 0x5555) {
    log_printf(stderr, "Error: %s is not a recognisable file\n", name);
    return -1;
  }
  int found_type = get_i16(header + 6);
  int found_version = get_i16(header + 8);
  if (found_type == expected_type && found_version != file_types[expected_type].version) {
    log_printf(stderr, "Error: wrong version of file %s (%d expected, %d found)\n", name,
               file_types[expected_type].version, found_version);
    return -1;
  }
  if (found_type != expected_type) {
    int shown = found_type >= 0 && found_type <= 48 ? found_type : 0;
    log_printf(stderr, "Error: wrong file type for %s (%s expected, %s found)\n", name, file_types[expected_type].name,
               file_types[shown].name);
    return -1;
  }
  if (std::memcmp(header + 24, header_info_block, sizeof header_info_block) != 0) {
    log_printf(stderr, "Error: invalid info in file %s\n", name);
    return -1;
  }
  return fileno(file);
}
