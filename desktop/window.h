// The window-system services the converter dialog uses. The dialog's logic
// (brindleDlg) knows only this table; a window-system layer fills it in: the
// FLTK layer for the desktop program, a scripted layer for the tests.
// Controls are named by their dialog control ids.
#pragma once

struct WindowServices {
  // Fields. Copies the field's first line, at most size - 1 characters, into buffer
  // (always terminated) and returns its length.
  int (*read_field_line)(int control, char *buffer, int size);
  // Replaces a field's text. Does not raise the field's changed event: only the
  // user's own editing does.
  void (*set_field_text)(int control, const char *text);

  // Buttons: enabling and disabling.
  void (*enable_control)(int control, bool enabled);

  // Radio group: the check mark of one button (setting it leaves the others alone).
  bool (*is_checked)(int control);
  void (*set_checked)(int control, bool checked);

  // Up-down control: it stores a position and a range; it never writes into a field.
  void (*set_step_range)(int control, int low, int high);
  void (*set_step_position)(int control, int position);
  int (*step_position)(int control);

  // A modal message box with an OK button.
  void (*message_box)(const char *text, const char *caption);

  // The folder picker, owned by the dialog, titled title, with an edit box for a
  // typed folder name that is validated. True when the user picked a folder with a
  // file-system path; the path is then in path (at most size - 1 characters).
  bool (*choose_folder)(const char *title, char *path, int size);

  // The busy cursor (true) or the arrow cursor (false); shown at once.
  void (*set_busy_cursor)(bool busy);

  // Current directory: 0 on success.
  int (*change_directory)(const char *path);
  // File attributes: 0 nothing there (or it cannot be examined), 1 a file, 2 a directory.
  int (*path_kind)(const char *path);

  // The window's menu: appends a separator and an item raising command. False when the
  // window has no menu.
  bool (*add_menu_item)(const char *text, int command);
  // A modal box with a text and an OK button, under its own caption.
  void (*show_about)(const char *caption, const char *text);
  // The application icon as the window's large and small icon.
  void (*set_icon)();

  // Closes the dialog with a result (1 confirmed, 2 cancelled); the program then ends.
  void (*end_dialog)(int result);
};
