// Checks a directory named by the user and makes it the current directory.
// Shared by the command-line programs and the desktop dialog.
#pragma once

// The file services the check needs; the desktop dialog supplies its window system's.
struct DirectoryServices {
  // 0: nothing there (or it cannot be examined), 1: a file, 2: a directory.
  int (*path_kind)(const char *path);
  // 0 on success.
  int (*change_directory)(const char *path);
};

enum RunDirectoryResult {
  run_directory_ok = 0,
  run_directory_not_folder = 1,
  run_directory_not_tabulon = 2,
  run_directory_cannot_enter = 3,
};

extern const DirectoryServices system_directory_services;
// Indexed by RunDirectoryResult; entry 0 is empty.
extern const char *const run_directory_messages[4];

RunDirectoryResult enter_run_directory(const char *directory, const DirectoryServices &services);
