// Test support: the scripted window system for the converter dialog.
#include "testsupport/scripted_window.h"

#include <algorithm>
#include <cstring>

#include "engine/rundir.h"

ScriptedWindow scripted_window;

namespace {

int read_field_line(int control, char *buffer, int size) {
  if (size <= 0) return 0;
  const std::string &text = scripted_window.control(control).text;
  size_t line_end = text.find_first_of("\r\n");
  size_t length = std::min(line_end == std::string::npos ? text.size() : line_end, static_cast<size_t>(size - 1));
  std::memcpy(buffer, text.data(), length);
  buffer[length] = '\0';
  return static_cast<int>(length);
}

void set_field_text(int control, const char *text) { scripted_window.control(control).text = text; }

void enable_control(int control, bool enabled) { scripted_window.control(control).enabled = enabled; }

bool is_checked(int control) { return scripted_window.control(control).checked; }

void set_checked(int control, bool checked) { scripted_window.control(control).checked = checked; }

void set_step_range(int control, int low, int high) {
  ScriptedControl &steps = scripted_window.control(control);
  steps.low = low;
  steps.high = high;
}

void set_step_position(int control, int position) { scripted_window.control(control).position = position; }

int step_position(int control) { return scripted_window.control(control).position; }

void message_box(const char *text, const char *caption) {
  scripted_window.messages.push_back({text, caption});
  scripted_window.log.push_back(std::string("message ") + text);
}

bool choose_folder(const char *title, char *path, int size) {
  scripted_window.log.push_back(std::string("folder ") + title);
  if (!scripted_window.folder_answer || size <= 0) return false;
  std::string answer = *scripted_window.folder_answer;
  scripted_window.folder_answer.reset();
  size_t length = std::min(answer.size(), static_cast<size_t>(size - 1));
  std::memcpy(path, answer.data(), length);
  path[length] = '\0';
  return true;
}

void set_busy_cursor(bool busy) { scripted_window.log.push_back(busy ? "busy" : "arrow"); }

int change_directory(const char *path) {
  if (scripted_window.real_files) {
    int failed = system_directory_services.change_directory(path);
    if (!failed) scripted_window.log.push_back(std::string("chdir ") + path);
    return failed;
  }
  auto found = scripted_window.paths.find(path);
  if (found == scripted_window.paths.end() || found->second != 2 || scripted_window.locked.count(path)) return -1;
  scripted_window.current_directory = path;
  scripted_window.log.push_back(std::string("chdir ") + path);
  return 0;
}

int path_kind(const char *path) {
  if (scripted_window.real_files) return system_directory_services.path_kind(path);
  auto found = scripted_window.paths.find(path);
  return found == scripted_window.paths.end() ? 0 : found->second;
}

bool add_menu_item(const char *text, int command) {
  if (!scripted_window.has_menu) return false;
  scripted_window.log.push_back("menu " + std::string(text) + " " + std::to_string(command));
  return true;
}

void show_about(const char *caption, const char *text) {
  scripted_window.about_boxes.push_back({text, caption});
  scripted_window.log.push_back(std::string("about ") + caption);
}

void set_icon() { scripted_window.log.push_back("icon"); }

void end_dialog(int result) {
  scripted_window.result = result;
  scripted_window.log.push_back("end " + std::to_string(result));
}

bool is_format_button(int control) { return control >= control_triple_s && control <= control_statra; }

} // namespace

const WindowServices scripted_window_services = {
    read_field_line,   set_field_text, enable_control, is_checked,    set_checked,     set_step_range,
    set_step_position, step_position,  message_box,    choose_folder, set_busy_cursor, change_directory,
    path_kind,         add_menu_item,  show_about,     set_icon,      end_dialog,
};

void scripted_reset() { scripted_window = ScriptedWindow(); }

void scripted_type(ConverterDialog &dialog, int control, const std::string &text) {
  scripted_window.control(control).text = text;
  converter_dialog_event(dialog, control, event_changed, 0);
}

bool scripted_key(ConverterDialog &dialog, int control, int character) {
  if (!field_accepts_character(control, character)) return false;
  scripted_window.control(control).text += static_cast<char>(character);
  converter_dialog_event(dialog, control, event_changed, 0);
  return true;
}

bool scripted_press(ConverterDialog &dialog, int control) {
  if (!scripted_window.control(control).enabled) return false;
  converter_dialog_event(dialog, control, event_clicked, 0);
  return true;
}

void scripted_check(ConverterDialog &dialog, int control) {
  if (is_format_button(control))
    for (int other = control_triple_s; other <= control_statra; ++other)
      scripted_window.control(other).checked = other == control;
  converter_dialog_event(dialog, control, event_clicked, 0);
}

void scripted_step(ConverterDialog &dialog, int control, int step) {
  converter_dialog_event(dialog, control, event_step, step);
}

bool scripted_menu(ConverterDialog &dialog, int command) {
  return converter_dialog_event(dialog, control_none, event_window_command, command);
}

void scripted_close(ConverterDialog &dialog) { converter_dialog_event(dialog, control_none, event_close, 0); }
