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

// The last error of any operation; a successful operation leaves it as it was.
extern int compressed_last_error;

// Opens a file for reading ("r...") or writing ("w..."); the data is binary either way.
// max_width is 0 (16) or 12 to 16: the largest code width when writing; when reading the
// file's own flags decide. Null with compressed_last_error set on failure.
CompressedFile *compressed_open(const char *path, const char *mode, int max_width);
// Reads the next line into buffer, at most size - 1 characters and a terminating zero; the
// rest of a longer line is dropped with its newline. Returns the characters stored (the
// newline included when stored), or -1 once the data is exhausted. Text ending in a newline
// gives one last empty line (0) before -1.
int compressed_read_line(CompressedFile *file, char *buffer, int size);
// Reads up to count bytes; fewer only at the end of the data, 0 once it is exhausted.
int compressed_read(CompressedFile *file, void *buffer, int count);
// Compresses count bytes; returns count, or 0 on error.
int compressed_write(CompressedFile *file, const void *data, int count);
// Ends the file (writing: the pending code and the last bits, then a flush) and frees it.
// Returns 0, or -1 when the written file is incomplete (compressed_write_error).
int compressed_close(CompressedFile *file);
const char *compressed_error_text();
// The error that stopped this file: compressed_damaged when its code stream could not be
// decoded (reads then return as at the end of the data), compressed_write_error after a
// failed write; 0 otherwise. Unlike compressed_last_error it belongs to the one file.
int compressed_file_error(CompressedFile *file);
// Position in the underlying file.
long compressed_tell(CompressedFile *file);
// Writing: bytes consumed and bytes written so far; 0 for a file opened for reading.
long compressed_bytes_in(CompressedFile *file);
long compressed_bytes_out(CompressedFile *file);
