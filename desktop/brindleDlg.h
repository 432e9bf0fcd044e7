// The converter dialog: the user picks the output format, the run directory and the
// precision and presses Convert; the dialog enters the directory and calls the engine
// once. Everything here works through the window-system services of window.h.
#pragma once

#include "desktop/window.h"

// Control ids.
enum DialogControl : int {
  control_none = -1,
  control_convert = 1, // the default button
  control_done = 2,    // the cancel button
  control_triple_s = 1000,
  control_xml = 1001,
  control_csv = 1002,
  control_statra = 1003,
  control_select_directory = 1004,
  control_directory = 1005,
  control_precision = 1007,
  control_precision_steps = 1008,
};

// The window-menu command of the About item.
constexpr int command_about = 16;

// The up-down control's range.
constexpr int precision_step_low = 0;
constexpr int precision_step_high = 9;

// Longest texts read from the fields (buffer sizes, terminator included).
constexpr int directory_probe_size = 1025; // enough to tell an empty directory field
constexpr int precision_probe_size = 16;   // the edit rule's look at the precision
constexpr int precision_text_size = 64;    // the precision passed to the engine
constexpr int directory_text_size = 8192;  // the run directory

// One row per format button, in the order run_conversion looks at them.
struct FormatChoice {
  int control;
  const char *button_text;
  const char *format_option; // the value of -f
  const char *program_file;  // entry 0 of the engine's argument vector
};
constexpr int format_choice_count = 4;
extern const FormatChoice format_choices[format_choice_count];

// The dialog template: the controls in tab order with their place in dialog units.
enum ControlKind {
  kind_push_button,
  kind_default_button,
  kind_edit,
  kind_radio_button,
  kind_group_box,
  kind_label,
  kind_up_down,
};
struct ControlTemplate {
  int id; // control_none for controls the dialog never addresses
  ControlKind kind;
  const char *text;
  int x, y, width, height;
};
struct DialogTemplate {
  const char *caption;
  int width, height;
  const ControlTemplate *controls;
  int control_count;
};
extern const DialogTemplate converter_dialog_template;
extern const DialogTemplate about_dialog_template;
// Controls of the About box.
constexpr int about_control_text = 500;
constexpr int about_control_ok = 1;

extern const char application_name[]; // caption of the dialog and of the message boxes
extern const char about_item_text[];  // the window-menu item
extern const char about_caption[];
extern const char about_text[]; // written into the About box's label when it opens
extern const char folder_picker_title[];

// The engine's entry point; the desktop program passes engine_main.
using EngineEntry = int (*)(int argc, char **argv, int quiet);

struct ConverterDialog {
  const WindowServices *window;
  EngineEntry engine;
};

// What the window system reports to the dialog.
enum DialogEvent {
  event_clicked,        // a button was pressed (Convert, Done, Select Directory)
  event_changed,        // the user changed a field's text
  event_step,           // the up-down control is about to step by value (+1 or -1)
  event_window_command, // a window-menu command, value is the command
  event_close,          // the window's close command
};

// Sets up a freshly shown dialog.
void open_converter_dialog(ConverterDialog &dialog);

// Handles one event; false when the dialog has no handler for it, in which case the
// window system's default handling applies.
bool converter_dialog_event(ConverterDialog &dialog, int control, DialogEvent event, int value);

// Whether a typed character may reach a field (the precision field refuses code 127).
bool field_accepts_character(int control, int character);

// The Convert button: checks and enters the directory, then calls the engine.
void run_conversion(ConverterDialog &dialog);
