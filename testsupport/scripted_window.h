// Test support: a scripted window system for the converter dialog. It keeps the
// controls' state in memory, records what the dialog did, and lets a test act as the
// user: type into fields, press buttons, check a format, step the up-down control and
// answer the folder picker. Every user action reaches the dialog the way the window
// system would deliver it (through converter_dialog_event).
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "desktop/brindleDlg.h"
#include "desktop/window.h"

struct ScriptedControl {
  std::string text;
  bool enabled = true;
  bool checked = false;
  int position = 0; // up-down control
  int low = 0;
  int high = 100;
};

struct ScriptedMessage {
  std::string text;
  std::string caption;
};

struct ScriptedWindow {
  std::map<int, ScriptedControl> controls;
  // What the dialog did, in order: "menu <text> <command>", "icon", "message <text>",
  // "about <caption>", "folder <title>", "busy", "arrow", "chdir <path>", "end <result>".
  std::vector<std::string> log;
  std::vector<ScriptedMessage> messages;
  std::vector<ScriptedMessage> about_boxes; // text and caption of each About box shown

  // The file system the dialog sees. With real_files off: paths maps a path to 1 (a
  // file) or 2 (a directory), anything else is absent, and locked directories cannot be
  // entered; the current directory is only recorded. With real_files on, the system's.
  bool real_files = false;
  std::map<std::string, int> paths;
  std::set<std::string> locked;
  std::string current_directory;

  // The folder picker's next answer: a path, or nothing for a cancelled picker.
  std::optional<std::string> folder_answer;
  bool has_menu = true;
  int result = 0; // the dialog's result once closed; 0 while it is open

  ScriptedControl &control(int id) { return controls[id]; }
  const std::string &text(int id) { return controls[id].text; }
};

extern ScriptedWindow scripted_window;
extern const WindowServices scripted_window_services;

// Forgets every control, record and answer.
void scripted_reset();

// The user replaces a field's whole text (typing, deleting or pasting).
void scripted_type(ConverterDialog &dialog, int control, const std::string &text);
// The user types one character at the end of a field; false when the field refused it.
bool scripted_key(ConverterDialog &dialog, int control, int character);
// The user clicks a button (or presses its key); false when it is disabled.
bool scripted_press(ConverterDialog &dialog, int control);
// The user clicks a format button: it is checked, the other buttons of its group cleared.
void scripted_check(ConverterDialog &dialog, int control);
// The user clicks an arrow of the up-down control (+1 up, -1 down).
void scripted_step(ConverterDialog &dialog, int control, int step);
// The user picks a command from the window's menu; false when the dialog left it to the
// default handling.
bool scripted_menu(ConverterDialog &dialog, int command);
// The user closes the window.
void scripted_close(ConverterDialog &dialog);
