// The FLTK layer under the converter dialog. The window is built from the dialog
// template (dialog units times a fixed scale) below a menu bar that holds the window
// menu's items; every user action goes to converter_dialog_event as it happens.
#include "desktop/fltk_window.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_File_Chooser.H>
#include <FL/Fl_Group.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Menu_Bar.H>
#include <FL/Fl_RGB_Image.H>
#include <FL/Fl_Repeat_Button.H>
#include <FL/Fl_Return_Button.H>
#include <FL/Fl_Round_Button.H>
#include <FL/fl_ask.H>
#include <FL/fl_draw.H>

#include <cstdio>
#include <cstring>

#include "engine/rundir.h"

namespace {

constexpr int menu_height = 25;
constexpr int max_controls = 32;

ConverterDialog *active_dialog = nullptr;
Fl_Double_Window *dialog_window = nullptr;
Fl_Menu_Bar *menu_bar = nullptr;
int dialog_result = 0;

struct ControlWidget {
  int id;
  Fl_Widget *widget;
};
ControlWidget control_widgets[max_controls];
int control_widget_count = 0;

// The up-down control's state; the control shows no number of its own.
struct StepState {
  int position = 0;
  int low = 0;
  int high = 100;
};
StepState precision_steps;

void remember_widget(int id, Fl_Widget *widget) {
  if (id == control_none || control_widget_count == max_controls) return;
  control_widgets[control_widget_count++] = {id, widget};
}

void send_event(int control, DialogEvent event, int value) {
  if (active_dialog) converter_dialog_event(*active_dialog, control, event, value);
}

void button_clicked(Fl_Widget *, void *data) { send_event(static_cast<int>(fl_intptr_t(data)), event_clicked, 0); }

void field_changed(Fl_Widget *, void *data) { send_event(static_cast<int>(fl_intptr_t(data)), event_changed, 0); }

void step_clicked(Fl_Widget *, void *data) {
  send_event(control_precision_steps, event_step, static_cast<int>(fl_intptr_t(data)));
}

void menu_command(Fl_Widget *, void *data) {
  send_event(control_none, event_window_command, static_cast<int>(fl_intptr_t(data)));
}

// The window's close box and the Escape key are the cancel command.
void window_closing(Fl_Widget *, void *) { send_event(control_none, event_close, 0); }

// A frame with its caption on the top edge, enclosing the format buttons (which makes
// them one radio group: FLTK groups radio buttons by their parent).
class GroupBox : public Fl_Group {
public:
  GroupBox(int x, int y, int w, int h, const char *caption) : Fl_Group(x, y, w, h, caption) {
    align(FL_ALIGN_INSIDE); // drawn here, not by the parent
    end();
  }

protected:
  void draw() override {
    fl_font(labelfont(), labelsize());
    int half_line = fl_height() / 2;
    fl_draw_box(FL_ENGRAVED_FRAME, x(), y() + half_line, w(), h() - half_line, color());
    int caption_width = static_cast<int>(fl_width(label()));
    fl_color(color());
    fl_rectf(x() + 6, y(), caption_width + 6, fl_height());
    fl_color(labelcolor());
    fl_draw(label(), x() + 9, y() + fl_height() - fl_descent());
    draw_children();
  }
};

// The precision field: the arrow keys step the up-down control, and characters the
// dialog refuses never reach the text.
class PrecisionInput : public Fl_Input {
public:
  PrecisionInput(int x, int y, int w, int h) : Fl_Input(x, y, w, h) {}

  int handle(int event) override {
    if (event == FL_KEYBOARD) {
      int key = Fl::event_key();
      if (key == FL_Up || key == FL_Down) {
        send_event(control_precision_steps, event_step, key == FL_Up ? 1 : -1);
        return 1;
      }
      if (Fl::event_length() == 1 && key != FL_BackSpace && key != FL_Delete &&
          !field_accepts_character(control_precision, static_cast<unsigned char>(Fl::event_text()[0])))
        return 1;
    }
    return Fl_Input::handle(event);
  }
};

// The application icon: a small table, a dark header row over light rows.
Fl_RGB_Image *application_icon() {
  constexpr int size = 32;
  static unsigned char pixels[size * size * 3];
  static Fl_RGB_Image *icon = nullptr;
  if (icon) return icon;
  for (int row = 0; row < size; ++row) {
    for (int column = 0; column < size; ++column) {
      unsigned char *pixel = pixels + (row * size + column) * 3;
      bool border = row < 2 || row >= size - 2 || column < 2 || column >= size - 2;
      bool header = row < 10;
      bool rule = row > 10 && (row - 10) % 6 == 0;
      bool column_rule = column == 12;
      unsigned char red = 250, green = 250, blue = 250;
      if (border || rule || column_rule)
        red = green = blue = 90;
      else if (header)
        red = 40, green = 90, blue = 170;
      pixel[0] = red;
      pixel[1] = green;
      pixel[2] = blue;
    }
  }
  icon = new Fl_RGB_Image(pixels, size, size, 3);
  return icon;
}

Fl_Widget *create_control(const ControlTemplate &control, int top) {
  int x = control.x * fltk_scale_x;
  int y = top + control.y * fltk_scale_y;
  int w = control.width * fltk_scale_x;
  int h = control.height * fltk_scale_y;
  fl_intptr_t id = control.id;
  switch (control.kind) {
  case kind_push_button:
  case kind_default_button: {
    Fl_Button *button = control.kind == kind_default_button ? new Fl_Return_Button(x, y, w, h, control.text)
                                                            : new Fl_Button(x, y, w, h, control.text);
    button->callback(button_clicked, reinterpret_cast<void *>(id));
    return button;
  }
  case kind_edit: {
    Fl_Input *input = control.id == control_precision ? new PrecisionInput(x, y, w, h) : new Fl_Input(x, y, w, h);
    input->value(control.text);
    input->when(FL_WHEN_CHANGED);
    input->callback(field_changed, reinterpret_cast<void *>(id));
    return input;
  }
  case kind_radio_button: {
    Fl_Round_Button *button = new Fl_Round_Button(x, y, w, h, control.text);
    button->type(FL_RADIO_BUTTON);
    button->callback(button_clicked, reinterpret_cast<void *>(id));
    return button;
  }
  case kind_group_box:
    return new GroupBox(x, y, w, h, control.text);
  case kind_label: {
    Fl_Box *label = new Fl_Box(x, y, w, h, control.text);
    label->align(FL_ALIGN_TOP_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_WRAP);
    return label;
  }
  case kind_up_down: {
    Fl_Group *steps = new Fl_Group(x, y, w, h);
    Fl_Repeat_Button *up = new Fl_Repeat_Button(x, y, w, h / 2, "@-28>");
    Fl_Repeat_Button *down = new Fl_Repeat_Button(x, y + h / 2, w, h - h / 2, "@-22>");
    up->callback(step_clicked, reinterpret_cast<void *>(fl_intptr_t(1)));
    down->callback(step_clicked, reinterpret_cast<void *>(fl_intptr_t(-1)));
    up->clear_visible_focus();
    down->clear_visible_focus();
    steps->end();
    return steps;
  }
  }
  return nullptr;
}

int read_field_line(int control, char *buffer, int size) {
  if (size <= 0) return 0;
  buffer[0] = '\0';
  Fl_Input *input = dynamic_cast<Fl_Input *>(converter_widget(control));
  if (!input) return 0;
  const char *text = input->value();
  int length = 0;
  while (length < size - 1 && text[length] != '\0' && text[length] != '\n' && text[length] != '\r') {
    buffer[length] = text[length];
    ++length;
  }
  buffer[length] = '\0';
  return length;
}

void set_field_text(int control, const char *text) {
  if (Fl_Input *input = dynamic_cast<Fl_Input *>(converter_widget(control))) input->value(text);
}

void enable_control(int control, bool enabled) {
  Fl_Widget *widget = converter_widget(control);
  if (!widget) return;
  if (enabled)
    widget->activate();
  else
    widget->deactivate();
}

bool is_checked(int control) {
  Fl_Button *button = dynamic_cast<Fl_Button *>(converter_widget(control));
  return button && button->value() != 0;
}

void set_checked(int control, bool checked) {
  if (Fl_Button *button = dynamic_cast<Fl_Button *>(converter_widget(control))) button->value(checked ? 1 : 0);
}

void set_step_range(int, int low, int high) {
  precision_steps.low = low;
  precision_steps.high = high;
}

void set_step_position(int, int position) {
  if (position < precision_steps.low) position = precision_steps.low;
  if (position > precision_steps.high) position = precision_steps.high;
  precision_steps.position = position;
}

int step_position(int) { return precision_steps.position; }

void message_box(const char *text, const char *caption) {
  const char *close_text = fl_close;
  fl_close = "OK";
  fl_message_title(caption);
  fl_message("%s", text);
  fl_close = close_text;
}

bool choose_folder(const char *title, char *path, int size) {
  if (size <= 0) return false;
  const char *picked = fl_dir_chooser(title, nullptr, 0);
  // A typed name that is not an existing folder counts as no pick.
  if (!picked || system_directory_services.path_kind(picked) != 2) return false;
  std::snprintf(path, static_cast<size_t>(size), "%s", picked);
  return true;
}

void set_busy_cursor(bool busy) {
  if (!dialog_window) return;
  dialog_window->cursor(busy ? FL_CURSOR_WAIT : FL_CURSOR_DEFAULT);
  Fl::flush();
}

int change_directory(const char *path) { return system_directory_services.change_directory(path); }

int path_kind(const char *path) { return system_directory_services.path_kind(path); }

bool add_menu_item(const char *text, int command) {
  if (!menu_bar) return false;
  menu_bar->add(text, 0, menu_command, reinterpret_cast<void *>(fl_intptr_t(command)));
  return true;
}

void show_about(const char *caption, const char *text) {
  const DialogTemplate &about = about_dialog_template;
  Fl_Double_Window window(about.width * fltk_scale_x, about.height * fltk_scale_y, caption);
  for (int i = 0; i < about.control_count; ++i) {
    const ControlTemplate &control = about.controls[i];
    int x = control.x * fltk_scale_x, y = control.y * fltk_scale_y;
    int w = control.width * fltk_scale_x, h = control.height * fltk_scale_y;
    if (control.id == about_control_text) {
      Fl_Box *label = new Fl_Box(x, y, w, h, text);
      label->align(FL_ALIGN_TOP_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_WRAP);
    } else if (control.id == about_control_ok) {
      Fl_Return_Button *ok = new Fl_Return_Button(x, y, w, h, control.text);
      ok->callback([](Fl_Widget *button, void *) { button->window()->hide(); });
    }
  }
  window.end();
  window.set_modal();
  window.show();
  while (window.shown()) Fl::wait();
}

void set_icon() {
  if (dialog_window) dialog_window->icon(application_icon());
}

void end_dialog(int result) {
  dialog_result = result;
  if (dialog_window) dialog_window->hide();
}

} // namespace

const WindowServices fltk_window_services = {
    read_field_line,   set_field_text, enable_control, is_checked,    set_checked,     set_step_range,
    set_step_position, step_position,  message_box,    choose_folder, set_busy_cursor, change_directory,
    path_kind,         add_menu_item,  show_about,     set_icon,      end_dialog,
};

void create_converter_window(ConverterDialog &dialog) {
  active_dialog = &dialog;
  const DialogTemplate &layout = converter_dialog_template;
  dialog_window =
      new Fl_Double_Window(layout.width * fltk_scale_x, layout.height * fltk_scale_y + menu_height, layout.caption);
  dialog_window->callback(window_closing);
  menu_bar = new Fl_Menu_Bar(0, 0, dialog_window->w(), menu_height);

  // The group box first, so that the format buttons can go inside it.
  Fl_Group *format_group = nullptr;
  for (int i = 0; i < layout.control_count; ++i) {
    if (layout.controls[i].kind != kind_group_box) continue;
    format_group = static_cast<Fl_Group *>(create_control(layout.controls[i], menu_height));
    break;
  }
  dialog_window->end();
  for (int i = 0; i < layout.control_count; ++i) {
    const ControlTemplate &control = layout.controls[i];
    if (control.kind == kind_group_box) continue;
    Fl_Widget *widget = create_control(control, menu_height);
    if (!widget) continue;
    if (control.kind == kind_radio_button && format_group)
      format_group->add(widget);
    else
      dialog_window->add(widget);
    remember_widget(control.id, widget);
  }
}

void show_converter_window() {
  if (dialog_window) dialog_window->show();
}

int run_converter_window() {
  Fl::run();
  return dialog_result;
}

Fl_Widget *converter_widget(int control) {
  for (int i = 0; i < control_widget_count; ++i)
    if (control_widgets[i].id == control) return control_widgets[i].widget;
  return nullptr;
}
