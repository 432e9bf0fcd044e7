// The FLTK layer under the converter dialog: builds the dialog window from its
// template and offers the window-system services the dialog uses.
#pragma once

#include "desktop/brindleDlg.h"
#include "desktop/window.h"

class Fl_Widget;

extern const WindowServices fltk_window_services;

// Dialog units to pixels.
constexpr int fltk_scale_x = 2;
constexpr int fltk_scale_y = 2;

// Builds the dialog's window (not yet shown); its events go to dialog, which must
// stay alive until the window closes.
void create_converter_window(ConverterDialog &dialog);
// Shows the window built by create_converter_window.
void show_converter_window();
// Runs the window until the dialog closes; returns the dialog's result (1 converted,
// 2 done).
int run_converter_window();
// The widget of a control of the dialog, or null.
Fl_Widget *converter_widget(int control);
