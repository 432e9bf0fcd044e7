// Compressed files: reading by line and by count, writing, errors, damaged data, and
// exchange with the standard compress tools in both directions.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "runfiles/compio.h"
#include "testsupport/process.h"

namespace {

// Writes bytes as a compressed file in pieces of varying size; returns the close result.
int write_compressed(const std::string &path, const std::string &bytes, int max_width) {
  CompressedFile *file = compressed_open(path.c_str(), "wb", max_width);
  if (!file) return -100;
  static const int pieces[] = {1, 7, 4096, 3, 65536, 511};
  size_t at = 0;
  for (int i = 0; at < bytes.size(); i++) {
    int n = pieces[i % 6];
    if (static_cast<size_t>(n) > bytes.size() - at) n = static_cast<int>(bytes.size() - at);
    if (compressed_write(file, bytes.data() + at, n) != n) {
      compressed_close(file);
      return -101;
    }
    at += static_cast<size_t>(n);
  }
  return compressed_close(file);
}

// Reads a whole compressed file by counts of varying size.
std::string read_all(const std::string &path, int *file_error = nullptr) {
  std::string out;
  CompressedFile *file = compressed_open(path.c_str(), "rb", 12);
  if (!file) return "<open failed>";
  static const int pieces[] = {1, 1000, 13, 70000};
  std::vector<char> buffer(70000);
  for (int i = 0;; i++) {
    int n = compressed_read(file, buffer.data(), pieces[i % 4]);
    out.append(buffer.data(), static_cast<size_t>(n));
    if (n < pieces[i % 4]) break;
  }
  EXPECT_EQ(compressed_read(file, buffer.data(), 10), 0); // stays at the end
  if (file_error) *file_error = compressed_file_error(file);
  compressed_close(file);
  return out;
}

// Reads a whole compressed file line by line with the given buffer size.
std::vector<std::string> read_lines(const std::string &path, int size) {
  std::vector<std::string> lines;
  CompressedFile *file = compressed_open(path.c_str(), "rb", 12);
  if (!file) return {"<open failed>"};
  std::vector<char> buffer(static_cast<size_t>(size) + 1, '\x7f');
  for (;;) {
    int n = compressed_read_line(file, buffer.data(), size);
    if (n < 0) break;
    EXPECT_EQ(buffer[static_cast<size_t>(n)], '\0');
    EXPECT_EQ(std::strlen(buffer.data()), static_cast<size_t>(n)); // the text holds no zero byte
    lines.emplace_back(buffer.data(), static_cast<size_t>(n));
  }
  compressed_close(file);
  return lines;
}

// A text of a few hundred kilobytes: varied words that fill the dictionary, then noise that
// makes the ratio drop (so the dictionary is cleared), then long repeats and runs.
std::string sample_text() {
  std::string text;
  uint32_t seed = 12345;
  auto next = [&seed]() {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 8) & 0xFFFFFF;
  };
  std::vector<std::string> words;
  for (int i = 0; i < 3000; i++) {
    std::string word;
    int length = 2 + static_cast<int>(next() % 9);
    for (int j = 0; j < length; j++) word += static_cast<char>('a' + next() % 26);
    words.push_back(word);
  }
  while (text.size() < 250000) {
    int count = 3 + static_cast<int>(next() % 12);
    for (int i = 0; i < count; i++) {
      text += words[next() % words.size()];
      text += i + 1 < count ? ' ' : '\n';
    }
    if (next() % 7 == 0) text += "Q" + std::to_string(next() % 100000) + "\n";
  }
  for (int i = 0; i < 60000; i++) {
    char c = static_cast<char>(32 + next() % 95);
    text += next() % 50 == 0 ? '\n' : c;
  }
  text += '\n';
  std::string block = text.substr(1000, 3000);
  for (int i = 0; i < 40; i++) text += block;
  text += std::string(20000, 'x') + "\n";
  text += "last line without a newline";
  return text;
}

// Counts the clear codes of a block-mode code stream by following the group rules.
int count_clear_codes(const std::string &data) {
  int max_width = static_cast<unsigned char>(data[2]) & 0x1F;
  int32_t limit = 1 << max_width;
  int width = 9;
  int32_t max_code = 511, free_code = 257;
  size_t group_start = 3;
  long bit = 0;
  int clears = 0;
  bool first = true;
  auto next_group = [&]() {
    group_start += static_cast<size_t>(width);
    bit = 0;
  };
  for (;;) {
    if (free_code > max_code) {
      next_group();
      width++;
      max_code = width == max_width ? limit : (1 << width) - 1;
    } else if (bit == width * 8) {
      next_group();
    }
    size_t byte = group_start + static_cast<size_t>(bit / 8);
    size_t group_end = std::min(group_start + static_cast<size_t>(width), data.size());
    if (static_cast<long>((group_end - group_start) * 8) - bit < width) return clears;
    uint32_t bits = 0;
    for (size_t k = 0; k < 3 && byte + k < data.size(); k++)
      bits |= static_cast<uint32_t>(static_cast<unsigned char>(data[byte + k])) << (8 * k);
    int32_t code = static_cast<int32_t>((bits >> (bit % 8)) & ((1u << width) - 1));
    bit += width;
    if (code == 256) {
      clears++;
      free_code = 256;
      next_group();
      width = 9;
      max_code = 511;
      continue;
    }
    if (first) {
      first = false;
      continue;
    }
    if (free_code < limit) free_code++;
  }
}

bool have_tool(const char *name) {
  std::string command = std::string("command -v ") + name + " >/dev/null 2>&1";
  return std::system(command.c_str()) == 0;
}

std::string shell_quote(const std::string &path) { return "'" + path + "'"; }

// Files of the standard tool with every maximum width it writes soundly (its 9-bit files
// are not read back even by the tool itself).
class StandardToolFiles : public ::testing::TestWithParam<int> {};

TEST_P(StandardToolFiles, DecodeToTheText) {
  if (!have_tool("compress")) GTEST_SKIP() << "the compress tool (package ncompress) is not installed";
  int bits = GetParam();
  TempDir dir;
  std::string text = sample_text();
  write_file(dir.file("text"), text);
  std::string command = "compress -c -b" + std::to_string(bits) + " < " + shell_quote(dir.file("text")) + " > " +
                        shell_quote(dir.file("text.Z"));
  int status = std::system(command.c_str());
  ASSERT_TRUE(status == 0 || WEXITSTATUS(status) == 2) << command; // 2: compressed but no smaller
  std::string packed = read_file(dir.file("text.Z"));
  ASSERT_GT(packed.size(), 3u);
  EXPECT_EQ(static_cast<unsigned char>(packed[2]), 0x80 | bits);
  EXPECT_GE(count_clear_codes(packed), 1); // the dictionary filled and was started again

  int file_error = -1;
  EXPECT_TRUE(read_all(dir.file("text.Z"), &file_error) == text);
  EXPECT_EQ(file_error, 0);

  // Line by line with a buffer larger than any line: the lines join up to the text again.
  std::vector<std::string> lines = read_lines(dir.file("text.Z"), 30000);
  std::string joined;
  for (const std::string &line : lines) joined += line;
  EXPECT_TRUE(joined == text);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), "last line without a newline");
}

INSTANTIATE_TEST_SUITE_P(Widths, StandardToolFiles, ::testing::Range(10, 17));

class FilesWrittenHere : public ::testing::TestWithParam<int> {};

TEST_P(FilesWrittenHere, DecodeWithTheStandardTools) {
  int bits = GetParam();
  TempDir dir;
  std::string text = sample_text();
  ASSERT_EQ(write_compressed(dir.file("out.Z"), text, bits), 0);
  std::string packed = read_file(dir.file("out.Z"));
  ASSERT_GT(packed.size(), 3u);
  EXPECT_EQ(static_cast<unsigned char>(packed[0]), 0x1F);
  EXPECT_EQ(static_cast<unsigned char>(packed[1]), 0x9D);
  EXPECT_EQ(static_cast<unsigned char>(packed[2]), 0x80 | bits);
  EXPECT_LT(packed.size(), text.size() * 3 / 4);
  if (have_tool("compress")) {
    // The dictionary and its clearing work as well as in the standard tool.
    write_file(dir.file("text"), text);
    std::string command = "compress -c -b" + std::to_string(bits) + " < " + shell_quote(dir.file("text")) + " > " +
                          shell_quote(dir.file("tool.Z"));
    std::system(command.c_str());
    size_t tool_size = read_file(dir.file("tool.Z")).size();
    EXPECT_LE(packed.size(), tool_size + tool_size / 50) << tool_size;
  }
  EXPECT_GE(count_clear_codes(packed), 1);
  EXPECT_TRUE(read_all(dir.file("out.Z")) == text); // and back through the reader here

  bool tried = false;
  for (const char *tool : {"uncompress", "gzip"}) {
    if (!have_tool(tool)) continue;
    tried = true;
    std::string command = std::string(tool) + (std::string(tool) == "gzip" ? " -dc < " : " -c < ") +
                          shell_quote(dir.file("out.Z")) + " > " + shell_quote(dir.file("back"));
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    EXPECT_TRUE(read_file(dir.file("back")) == text) << tool;
  }
  if (!tried) GTEST_SKIP() << "neither uncompress (package ncompress) nor gzip is installed";
}

INSTANTIATE_TEST_SUITE_P(Widths, FilesWrittenHere, ::testing::Values(16, 12));

TEST(CompressedFile, BinaryDataOfEveryByteValueRoundTrips) {
  TempDir dir;
  std::string bytes;
  uint32_t seed = 7;
  for (int i = 0; i < 300000; i++) {
    seed = seed * 1664525u + 1013904223u;
    bytes += static_cast<char>(i % 1000 < 500 ? (seed >> 24) : (i % 3));
  }
  for (int bits : {12, 13, 14, 15, 16}) {
    ASSERT_EQ(write_compressed(dir.file("b.Z"), bytes, bits), 0);
    EXPECT_TRUE(read_all(dir.file("b.Z")) == bytes) << bits;
  }
}

TEST(CompressedFile, WriterCountsBytesConsumedAndWritten) {
  TempDir dir;
  CompressedFile *file = compressed_open(dir.file("c.Z").c_str(), "wb", 16);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(compressed_bytes_in(file), 0);
  std::string text(5000, 'a');
  EXPECT_EQ(compressed_write(file, text.data(), 5000), 5000);
  EXPECT_EQ(compressed_bytes_in(file), 5000);
  EXPECT_GE(compressed_bytes_out(file), 3);
  EXPECT_EQ(compressed_close(file), 0);

  CompressedFile *reader = compressed_open(dir.file("c.Z").c_str(), "rb", 12);
  ASSERT_NE(reader, nullptr);
  EXPECT_EQ(compressed_bytes_in(reader), 0);
  EXPECT_EQ(compressed_bytes_out(reader), 0);
  EXPECT_EQ(compressed_tell(reader), 3); // the header has been read
  compressed_close(reader);
}

TEST(CompressedFile, AFileClosedWithoutWritesIsEmptyCompressedData) {
  TempDir dir;
  CompressedFile *file = compressed_open(dir.file("e.Z").c_str(), "wb", 0);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(compressed_close(file), 0);
  EXPECT_EQ(read_file(dir.file("e.Z")), std::string("\x1f\x9d\x90", 3));
  EXPECT_TRUE(read_lines(dir.file("e.Z"), 512).empty());
}

// Line reads: long lines are cut, the text after a final newline is one empty line, and a
// last line without a newline comes back as it is.
TEST(CompressedFile, LineReads) {
  TempDir dir;
  std::string long_line(600, 'L');
  long_line[510] = 'E'; // the last character kept
  long_line[511] = 'D'; // the first dropped
  struct Case {
    std::string text;
    std::vector<std::string> lines;
  } cases[] = {
      {long_line + "\nnext\n", {long_line.substr(0, 511), "next\n", ""}},
      {"one\ntwo\n", {"one\n", "two\n", ""}},
      {"one\ntwo", {"one\n", "two"}},
      {"\n\n", {"\n", "\n", ""}},
      {std::string(511, 'k') + "\n", {std::string(511, 'k'), ""}}, // the newline is dropped
      {std::string(510, 'k') + "\n", {std::string(510, 'k') + "\n", ""}},
  };
  for (const Case &c : cases) {
    ASSERT_EQ(write_compressed(dir.file("l.Z"), c.text, 16), 0);
    EXPECT_EQ(read_lines(dir.file("l.Z"), 512), c.lines) << c.text.substr(0, 20);
  }

  // At the end the buffer is left untouched.
  ASSERT_EQ(write_compressed(dir.file("l.Z"), "a\n", 16), 0);
  CompressedFile *file = compressed_open(dir.file("l.Z").c_str(), "rb", 12);
  ASSERT_NE(file, nullptr);
  char buffer[8];
  EXPECT_EQ(compressed_read_line(file, buffer, 8), 2);
  EXPECT_EQ(compressed_read_line(file, buffer, 8), 0);
  EXPECT_STREQ(buffer, "");
  std::strcpy(buffer, "keep");
  EXPECT_EQ(compressed_read_line(file, buffer, 8), -1);
  EXPECT_EQ(compressed_read_line(file, buffer, 8), -1);
  EXPECT_STREQ(buffer, "keep");
  compressed_close(file);
}

TEST(CompressedFile, ReadsByCountStopAtTheCountAndAtTheEnd) {
  TempDir dir;
  ASSERT_EQ(write_compressed(dir.file("n.Z"), "abcabcabcabc\nxyz", 16), 0);
  CompressedFile *file = compressed_open(dir.file("n.Z").c_str(), "rb", 12);
  ASSERT_NE(file, nullptr);
  char buffer[32] = {};
  EXPECT_EQ(compressed_read(file, buffer, 5), 5);
  EXPECT_EQ(std::string(buffer, 5), "abcab");
  char line[32];
  EXPECT_EQ(compressed_read_line(file, line, 32), 8); // reads of both kinds mix
  EXPECT_STREQ(line, "cabcabc\n");
  EXPECT_EQ(compressed_read(file, buffer, 32), 3);
  EXPECT_EQ(std::string(buffer, 3), "xyz");
  EXPECT_EQ(compressed_read(file, buffer, 32), 0);
  compressed_close(file);
}

// Builds a code stream by hand: 9-bit codes packed least significant bit first; -1 pads
// to the end of the current group of 9 bytes, as the writer does after a clear.
std::string hand_stream(unsigned char flags, const std::vector<int> &codes) {
  std::string out = {'\x1f', '\x9d', static_cast<char>(flags)};
  std::vector<unsigned char> bytes;
  long bit = 0;
  for (int code : codes) {
    if (code < 0) {
      long group_bits = 9 * 8;
      if (bit % group_bits) bit += group_bits - bit % group_bits;
      continue;
    }
    for (int k = 0; k < 9; k++, bit++) {
      size_t byte = static_cast<size_t>(bit / 8);
      if (bytes.size() <= byte) bytes.resize(byte + 1, 0);
      if (code & (1 << k)) bytes[byte] |= static_cast<unsigned char>(1 << (bit % 8));
    }
  }
  bytes.resize(static_cast<size_t>((bit + 7) / 8), 0);
  return out + std::string(bytes.begin(), bytes.end());
}

TEST(CompressedFile, HandMadeCodeStreams) {
  struct Case {
    const char *what;
    unsigned char flags;
    std::vector<int> codes;
    std::string text;
    int file_error;
  } cases[] = {
      {"code equal to the next free code", 0x90, {'a', 257}, "aaa", 0},
      {"string, then its own first byte", 0x90, {'a', 'b', 258}, "abbb", 0},
      {"a code one past the dictionary after a dictionary code", 0x90, {'a', 'b', 257, 259}, "abababa", 0},
      {"256 without block mode is a dictionary code", 0x10, {'a', 'b', 256}, "abab", 0},
      {"256 in block mode clears", 0x90, {'a', 'b', 256, -1, 'c', 'd', 257}, "abcdcd", 0},
      {"clears in a row", 0x90, {'a', 256, -1, 256, -1, 'z'}, "az", 0},
      {"12-bit flags read as well", 0x8C, {'h', 'i', 257}, "hihi", 0},
      {"code above the next free code", 0x90, {'a', 'b', 259}, "ab", compressed_damaged},
      {"first code not a byte", 0x90, {300, 'a'}, "", compressed_damaged},
      {"first code one past the dictionary", 0x10, {256}, "", compressed_damaged},
      {"after a clear only bytes are defined", 0x90, {'a', 256, -1, 257}, "a", compressed_damaged},
  };
  TempDir dir;
  for (const Case &c : cases) {
    write_file(dir.file("h.Z"), hand_stream(c.flags, c.codes));
    compressed_last_error = 0;
    int file_error = -1;
    EXPECT_EQ(read_all(dir.file("h.Z"), &file_error), c.text) << c.what;
    EXPECT_EQ(file_error, c.file_error) << c.what;
    EXPECT_EQ(compressed_last_error, c.file_error) << c.what;
  }
}

TEST(CompressedFile, DamagedDataEndsLineReads) {
  TempDir dir;
  write_file(dir.file("d.Z"), hand_stream(0x90, {'a', '\n', 'b', 'c', 400, 'd'}));
  CompressedFile *file = compressed_open(dir.file("d.Z").c_str(), "rb", 12);
  ASSERT_NE(file, nullptr);
  char line[16];
  EXPECT_EQ(compressed_read_line(file, line, 16), 2);
  EXPECT_EQ(compressed_file_error(file), 0);
  EXPECT_EQ(compressed_read_line(file, line, 16), 2); // what came before the damage
  EXPECT_STREQ(line, "bc");
  EXPECT_EQ(compressed_file_error(file), compressed_damaged);
  EXPECT_STREQ(compressed_error_text(), "Damaged compressed data");
  EXPECT_EQ(compressed_read_line(file, line, 16), -1);
  EXPECT_EQ(compressed_read(file, line, 16), 0);
  compressed_close(file);
}

// Whatever follows a valid header, decoding ends without reading or writing out of bounds.
TEST(CompressedFile, ArbitraryCodeStreamsEndSafely) {
  TempDir dir;
  std::string good;
  {
    std::string text = sample_text().substr(0, 40000);
    ASSERT_EQ(write_compressed(dir.file("g.Z"), text, 16), 0);
    good = read_file(dir.file("g.Z"));
  }
  uint32_t seed = 99;
  auto next = [&seed]() {
    seed = seed * 1103515245u + 12345u;
    return seed >> 8;
  };
  for (int round = 0; round < 150; round++) {
    std::string data;
    if (round % 3 == 0) {
      data = good.substr(0, 3 + next() % (good.size() - 3)); // cut short
    } else if (round % 3 == 1) {
      data = good;
      for (int k = 0; k < 5; k++) data[3 + next() % (good.size() - 3)] = static_cast<char>(next());
    } else {
      data = {'\x1f', '\x9d', static_cast<char>(next() & 0x9F)};
      size_t n = next() % 5000;
      for (size_t k = 0; k < n; k++) data += static_cast<char>(next());
    }
    write_file(dir.file("f.Z"), data);
    CompressedFile *file = compressed_open(dir.file("f.Z").c_str(), "rb", 12);
    if (!file) {
      EXPECT_EQ(compressed_last_error, compressed_bad_bits) << round;
      continue;
    }
    char line[512];
    long total = 0;
    int n;
    while ((n = compressed_read_line(file, line, 512)) >= 0) {
      total += n;
      ASSERT_LT(total, 50000000L) << round;
    }
    compressed_close(file);
  }
}

TEST(CompressedFile, OpenFailures) {
  TempDir dir;
  write_file(dir.file("plain.txt"), "#@axis x\n#;tag=x\n");
  write_file(dir.file("short"), "\x1f\x9d");
  write_file(dir.file("bits17"), std::string("\x1f\x9d\x91\x61\x00", 5));
  write_file(dir.file("bits16"), std::string("\x1f\x9d\x90\x61\x00", 5));
  struct Case {
    std::string path;
    const char *mode;
    int width;
    int error;
    const char *message;
  } cases[] = {
      {dir.file("plain.txt"), "rb", 12, compressed_not_compressed, "Input file not compressed"},
      {dir.file("short"), "rb", 12, compressed_not_compressed, "Input file not compressed"},
      {dir.file("bits17"), "rb", 12, compressed_bad_bits, "Cannot deal with no of bits in input file"},
      {dir.file("missing"), "rb", 12, compressed_cannot_open, "Cannot open file"},
      {dir.file("nodir/x.Z"), "wb", 16, compressed_cannot_open, "Cannot open file"},
      {dir.file("w11"), "wb", 11, compressed_bad_bits, "Cannot deal with no of bits in input file"},
      {dir.file("w17"), "wb", 17, compressed_bad_bits, "Cannot deal with no of bits in input file"},
      {dir.file("plain.txt"), "rb", 11, compressed_bad_bits, "Cannot deal with no of bits in input file"},
      {dir.file("append"), "ab", 16, compressed_unknown_type, "Unknown type flag"},
  };
  for (const Case &c : cases) {
    compressed_last_error = 0;
    EXPECT_EQ(compressed_open(c.path.c_str(), c.mode, c.width), nullptr) << c.path;
    EXPECT_EQ(compressed_last_error, c.error) << c.path;
    EXPECT_STREQ(compressed_error_text(), c.message) << c.path;
  }
  EXPECT_FALSE(file_exists(dir.file("w11")));    // the width is checked before the file is touched
  EXPECT_FALSE(file_exists(dir.file("append"))); // so is the mode

  CompressedFile *file = compressed_open(dir.file("bits16").c_str(), "rb", 0);
  ASSERT_NE(file, nullptr);
  char buffer[4];
  EXPECT_EQ(compressed_read(file, buffer, 4), 1);
  EXPECT_EQ(buffer[0], 'a');
  compressed_close(file);
}

TEST(CompressedFile, EachFileIsReadOrWrittenNotBoth) {
  TempDir dir;
  CompressedFile *writer = compressed_open(dir.file("w.Z").c_str(), "wb", 16);
  ASSERT_NE(writer, nullptr);
  char buffer[8];
  compressed_last_error = 0;
  EXPECT_EQ(compressed_read_line(writer, buffer, 8), -1);
  EXPECT_EQ(compressed_last_error, compressed_not_reading);
  EXPECT_STREQ(compressed_error_text(), "File not open for reading");
  compressed_last_error = 0;
  EXPECT_EQ(compressed_read(writer, buffer, 8), 0);
  EXPECT_EQ(compressed_last_error, compressed_not_reading);
  EXPECT_EQ(compressed_write(writer, "hi\n", 3), 3);
  EXPECT_EQ(compressed_last_error, compressed_not_reading); // success does not clear it
  EXPECT_EQ(compressed_close(writer), 0);

  CompressedFile *reader = compressed_open(dir.file("w.Z").c_str(), "rb", 12);
  ASSERT_NE(reader, nullptr);
  EXPECT_EQ(compressed_write(reader, "x", 1), 0);
  EXPECT_EQ(compressed_last_error, compressed_not_writing);
  EXPECT_STREQ(compressed_error_text(), "File not open for writing");
  EXPECT_EQ(compressed_read_line(reader, buffer, 8), 3);
  EXPECT_STREQ(buffer, "hi\n");
  compressed_close(reader);
}

TEST(CompressedFile, AWriteErrorStopsTheFile) {
  if (!file_exists("/dev/full")) GTEST_SKIP() << "no /dev/full on this system";
  CompressedFile *file = compressed_open("/dev/full", "wb", 16);
  ASSERT_NE(file, nullptr);
  std::string text = sample_text();
  compressed_last_error = 0;
  int result = 0;
  for (int i = 0; i < 20 && result == 0; i++) {
    result = compressed_write(file, text.data(), static_cast<int>(text.size())) == 0 ? 1 : 0;
  }
  EXPECT_EQ(result, 1); // the stream's buffer filled and the write failed
  EXPECT_EQ(compressed_last_error, compressed_write_error);
  EXPECT_STREQ(compressed_error_text(), "Write error on compressed file");
  EXPECT_EQ(compressed_file_error(file), compressed_write_error);
  EXPECT_EQ(compressed_write(file, "x", 1), 0);
  EXPECT_EQ(compressed_close(file), -1);
}

TEST(CompressedFile, ErrorTexts) {
  const char *expected[] = {"Not an error",
                            "Not enough memory",
                            "Cannot open file",
                            "Unknown type flag",
                            "Input file not compressed",
                            "Cannot deal with no of bits in input file",
                            "File not open for reading",
                            "File not open for writing",
                            "Write error on compressed file",
                            "Damaged compressed data"};
  for (int code = 0; code < 10; code++) {
    compressed_last_error = code;
    EXPECT_STREQ(compressed_error_text(), expected[code]) << code;
  }
  compressed_last_error = 0;
}

} // namespace
