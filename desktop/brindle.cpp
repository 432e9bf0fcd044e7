// tabulon-converter: the desktop dialog. The user picks the output format, the run
// directory and the precision and presses Convert; the conversion runs in this
// process, and the program ends when it is done (or when the user presses Done).
//
// For scripted runs (tests, demonstrations) the program also takes options that act as
// the user would, once the window is shown, through the same widget callbacks a
// mouse or keyboard triggers:
//   --format ts|xml|csv|statra   clicks that format button
//   --directory DIR              types DIR into the "Tabulon directory" field
//   --precision TEXT             types TEXT into the "Precision" field
//   --convert                    presses Convert (when it is not enabled, says so on
//                                standard error and ends with exit code 2)
// Without options the dialog simply waits for the user.
#include <FL/Fl.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Input.H>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "desktop/brindleDlg.h"
#include "desktop/fltk_window.h"
#include "engine/main.h"

#if defined(__SANITIZE_ADDRESS__)
// Sanitized builds: the font library keeps its caches until the process ends, which the
// leak checker would otherwise report on every run.
extern "C" const char *__lsan_default_suppressions() { return "leak:libfontconfig\n"; }
#endif

namespace {

struct Automation {
  const char *format = nullptr;
  const char *directory = nullptr;
  const char *precision = nullptr;
  bool convert = false;
  bool any = false;
};

void usage(const char *program) {
  std::fprintf(stderr, "Usage: %s [--format ts|xml|csv|statra] [--directory DIR] [--precision TEXT] [--convert]\n",
               program);
}

// Reads the automation options; false on anything unknown.
bool read_automation(int argc, char **argv, Automation &automation) {
  for (int i = 1; i < argc; ++i) {
    const char *option = argv[i];
    bool takes_value = std::strcmp(option, "--format") == 0 || std::strcmp(option, "--directory") == 0 ||
                       std::strcmp(option, "--precision") == 0;
    if (takes_value) {
      if (i + 1 >= argc) return false;
      const char *value = argv[++i];
      if (option[2] == 'f') {
        bool known = false;
        for (const FormatChoice &choice : format_choices)
          known = known || std::strcmp(choice.format_option, value) == 0;
        if (!known) return false;
        automation.format = value;
      } else if (option[2] == 'd') {
        automation.directory = value;
      } else {
        automation.precision = value;
      }
    } else if (std::strcmp(option, "--convert") == 0) {
      automation.convert = true;
    } else {
      return false;
    }
    automation.any = true;
  }
  return true;
}

void type_into(int control, const char *text) {
  Fl_Input *input = static_cast<Fl_Input *>(converter_widget(control));
  input->value(text);
  input->do_callback();
}

// Acts as the user on the shown window.
void automate(void *data) {
  const Automation &automation = *static_cast<Automation *>(data);
  if (automation.format) {
    for (const FormatChoice &choice : format_choices) {
      if (std::strcmp(choice.format_option, automation.format) != 0) continue;
      Fl_Button *button = static_cast<Fl_Button *>(converter_widget(choice.control));
      button->setonly();
      button->do_callback();
    }
  }
  if (automation.directory) type_into(control_directory, automation.directory);
  if (automation.precision) type_into(control_precision, automation.precision);
  if (automation.convert) {
    Fl_Widget *convert = converter_widget(control_convert);
    if (!convert->active()) {
      std::fprintf(stderr, "Convert is not enabled\n");
      std::exit(2);
    }
    convert->do_callback();
  }
}

} // namespace

int main(int argc, char **argv) {
  Automation automation;
  if (!read_automation(argc, argv, automation)) {
    usage(argv[0]);
    return 2;
  }

  Fl::scheme("gtk+"); // three-dimensional controls
  static ConverterDialog dialog = {&fltk_window_services, engine_main};
  create_converter_window(dialog);
  open_converter_dialog(dialog);
  show_converter_window();
  if (automation.any) Fl::add_timeout(0.3, automate, &automation);
  run_converter_window();
  return 0;
}
