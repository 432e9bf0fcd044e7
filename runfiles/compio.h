// Files in the Unix compress (LZW) format, read line by line or by count, and written.
#pragma once

struct CompressedFile;

enum CompressedError {
  compressed_ok = 0,
  compressed_no_memory = 1,
  compressed_cannot_open = 2,
  compressed_unknown_type = 3,
  compressed_not_compressed = 4,
  compressed_bad_bits = 5,
  compressed_not_reading = 6,
  compressed_not_writing = 7,
  compressed_write_error = 8,
  compressed_damaged = 9, // code stream that cannot be decoded
};

extern int compressed_last_error;

CompressedFile *compressed_open(const char *path, const char *mode, int max_width);
int compressed_read_line(CompressedFile *file, char *buffer, int size);
int compressed_read(CompressedFile *file, void *buffer, int count);
int compressed_write(CompressedFile *file, const void *data, int count);
int compressed_close(CompressedFile *file);
const char *compressed_error_text();
// The error that stopped this file: compressed_damaged when its code stream could not be
// decoded (reads then return as at the end of the data), compressed_write_error after a
// failed write; 0 otherwise. Unlike compressed_last_error it belongs to the one file.
int compressed_file_error(CompressedFile *file);
long compressed_tell(CompressedFile *file);
long compressed_bytes_in(CompressedFile *file);
long compressed_bytes_out(CompressedFile *file);
