// The converter dialog's logic: format choice, precision rules, directory checks and
// the call of the engine. It reaches the window system only through WindowServices.
#include "desktop/brindleDlg.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>

#include "engine/rundir.h"

const FormatChoice format_choices[format_choice_count] = {
    {control_triple_s, "Triple S", "ts", "zn2ts.exe"},
    {control_xml, "XML", "xml", "zn2xml.exe"},
    {control_csv, "CSV", "csv", "zn2csv.exe"},
    {control_statra, "Statra", "statra", "zn2statra.exe"},
};

namespace {

const ControlTemplate converter_controls[] = {
    {control_select_directory, kind_push_button, "&Select Directory", 230, 50, 65, 14},
    {control_convert, kind_default_button, "&Convert", 235, 100, 65, 14},
    {control_done, kind_push_button, "&Done", 150, 100, 65, 14},
    {control_directory, kind_edit, "", 150, 30, 145, 15},
    {control_triple_s, kind_radio_button, "Triple S", 15, 34, 90, 10},
    {control_none, kind_group_box, "Conversion Type", 5, 10, 130, 75},
    {control_xml, kind_radio_button, "XML", 15, 20, 90, 10},
    {control_csv, kind_radio_button, "CSV", 15, 65, 90, 10},
    {control_statra, kind_radio_button, "Statra", 15, 50, 90, 10},
    {control_none, kind_label, "Tabulon directory", 150, 15, 135, 10},
    {control_precision, kind_edit, "", 65, 95, 55, 12},
    {control_precision_steps, kind_up_down, "", 125, 90, 11, 20},
    {control_none, kind_label, "Precision", 10, 95, 55, 10},
    {control_none, kind_label, "", 150, 85, 150, 10},
};

const ControlTemplate about_controls[] = {
    {about_control_text, kind_label, "", 5, 10, 220, 105},
    {about_control_ok, kind_default_button, "OK", 235, 5, 50, 14},
};

} // namespace

const DialogTemplate converter_dialog_template = {
    "Tabulon Converter", 312, 126, converter_controls,
    static_cast<int>(sizeof converter_controls / sizeof converter_controls[0])};
const DialogTemplate about_dialog_template = {"About wmorvex", 292, 121, about_controls,
                                              static_cast<int>(sizeof about_controls / sizeof about_controls[0])};

const char application_name[] = "Tabulon Converter";
const char about_item_text[] = "&About wmorvex..";
const char about_caption[] = "About wmorvex";
const char about_text[] = "morvex (windows) version 1.1\n\nConverts Tabulon to Triple S, XML, Statra and CSV\n\n"
                          "Does not make tea and tries desperately hard not to crash. No promises though.";
const char folder_picker_title[] = "Choose directory";

namespace {

const char calculated_text[] = "calculated";
const char automatic_text[] = "automatic";

// The leading integer of a text as atoi reads it (blanks, a sign, digits), except that
// a number too large for an int stops growing instead of overflowing.
int leading_integer(const char *text) {
  while (*text == ' ' || (*text >= '\t' && *text <= '\r')) ++text;
  bool negative = *text == '-';
  if (*text == '-' || *text == '+') ++text;
  long long value = 0;
  for (; *text >= '0' && *text <= '9'; ++text) {
    value = value * 10 + (*text - '0');
    if (value > INT_MAX) value = static_cast<long long>(INT_MAX) + 1;
  }
  if (negative) value = -value;
  return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

// Convert can be pressed exactly when the directory field's first line holds text.
bool directory_changed(ConverterDialog &dialog, int) {
  char text[directory_probe_size];
  int length = dialog.window->read_field_line(control_directory, text, sizeof text);
  dialog.window->enable_control(control_convert, length > 0);
  return true;
}

// A typed precision above 10 becomes "10"; a text that reads as 0 becomes "automatic"
// unless it begins with "a" (so "automatic" itself stays). Everything else stays as typed.
bool precision_changed(ConverterDialog &dialog, int) {
  char text[precision_probe_size];
  dialog.window->read_field_line(control_precision, text, sizeof text);
  int value = leading_integer(text);
  if (value > 10)
    dialog.window->set_field_text(control_precision, "10");
  else if (value == 0 && text[0] != 'a')
    dialog.window->set_field_text(control_precision, automatic_text);
  return true;
}

// The up-down control steps: the field shows the new value, or "calculated" at 0 and
// below; the control itself stays within its range, so from 9 a step up shows "10".
bool precision_step(ConverterDialog &dialog, int step) {
  int position = dialog.window->step_position(control_precision_steps) & 0xFFFF;
  int value = position + step;
  if (value > 0) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    dialog.window->set_field_text(control_precision, text);
  } else {
    dialog.window->set_field_text(control_precision, calculated_text);
  }
  dialog.window->set_step_position(control_precision_steps, std::clamp(value, precision_step_low, precision_step_high));
  return true;
}

bool select_directory(ConverterDialog &dialog, int) {
  char path[directory_text_size];
  if (!dialog.window->choose_folder(folder_picker_title, path, sizeof path)) return true;
  path[sizeof path - 1] = '\0';
  dialog.window->set_field_text(control_directory, path);
  // A new directory text enables Convert just as typing one does.
  return directory_changed(dialog, 0);
}

bool window_command(ConverterDialog &dialog, int command) {
  if (command != command_about) return false;
  dialog.window->show_about(about_caption, about_text);
  return true;
}

bool convert(ConverterDialog &dialog, int) {
  run_conversion(dialog);
  return true;
}

bool done(ConverterDialog &dialog, int) {
  dialog.window->end_dialog(2);
  return true;
}

struct EventHandler {
  int control; // control_none: any control
  DialogEvent event;
  bool (*handle)(ConverterDialog &dialog, int value);
};

const EventHandler event_handlers[] = {
    {control_none, event_window_command, window_command},
    {control_select_directory, event_clicked, select_directory},
    {control_directory, event_changed, directory_changed},
    {control_precision_steps, event_step, precision_step},
    {control_precision, event_changed, precision_changed},
    {control_convert, event_clicked, convert},
    {control_done, event_clicked, done},
    {control_none, event_close, done},
};

} // namespace

void open_converter_dialog(ConverterDialog &dialog) {
  const WindowServices &window = *dialog.window;
  if (about_item_text[0] != '\0') window.add_menu_item(about_item_text, command_about);
  window.set_icon();
  window.set_step_position(control_precision_steps, 0);
  window.set_step_range(control_precision_steps, precision_step_low, precision_step_high);
  window.set_field_text(control_precision, calculated_text);
  window.set_checked(control_xml, true);
  window.enable_control(control_convert, false);
}

bool converter_dialog_event(ConverterDialog &dialog, int control, DialogEvent event, int value) {
  for (const EventHandler &handler : event_handlers)
    if (handler.event == event && (handler.control == control_none || handler.control == control))
      return handler.handle(dialog, value);
  return false;
}

bool field_accepts_character(int control, int character) { return !(control == control_precision && character == 127); }

void run_conversion(ConverterDialog &dialog) {
  const WindowServices &window = *dialog.window;

  const FormatChoice *format = &format_choices[0];
  for (const FormatChoice &choice : format_choices) {
    if (window.is_checked(choice.control)) {
      format = &choice;
      break;
    }
  }

  char precision_text[precision_text_size];
  window.read_field_line(control_precision, precision_text, sizeof precision_text);
  // "calculated", "automatic" and 0 all read as 0: the engine works the precision out.
  bool pass_precision = leading_integer(precision_text) != 0;

  char directory[directory_text_size];
  window.read_field_line(control_directory, directory, sizeof directory);

  DirectoryServices services = {window.path_kind, window.change_directory};
  RunDirectoryResult entered = enter_run_directory(directory, services);
  if (entered != run_directory_ok) {
    window.message_box(run_directory_messages[entered], application_name);
    return;
  }

  // The engine may replace the entries of the vector, never the texts they point to;
  // the vector holds the dialog's own copies all the same.
  char program_file[32];
  std::snprintf(program_file, sizeof program_file, "%s", format->program_file);
  char precision_switch[] = "-p";
  char format_switch[] = "-f";
  char format_option[16];
  std::snprintf(format_option, sizeof format_option, "%s", format->format_option);

  char *argv[6];
  int argc = 0;
  argv[argc++] = program_file;
  if (pass_precision) {
    argv[argc++] = precision_switch;
    argv[argc++] = precision_text;
  }
  argv[argc++] = format_switch;
  argv[argc++] = format_option;
  argv[argc] = nullptr;

  window.set_busy_cursor(true);
  dialog.engine(argc, argv, 0);
  window.set_busy_cursor(false);
  window.end_dialog(1);
}
