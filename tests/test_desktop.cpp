// The converter dialog: its logic driven through the scripted window layer (fresh
// dialog, Convert enabling, the precision rules, the argument vector handed to the
// engine, the directory messages, About and Done), and the FLTK program driven on a
// virtual X display.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <memory>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "desktop/brindleDlg.h"
#include "testsupport/process.h"
#include "testsupport/scripted_window.h"

namespace {

// The fake engine records each call's argument vector.
struct EngineCall {
  int argc = 0;
  std::vector<std::string> argv;
  bool terminated = false; // argv[argc] is null
  int quiet = -1;
};
std::vector<EngineCall> engine_calls;

int fake_engine(int argc, char **argv, int quiet) {
  EngineCall call;
  call.argc = argc;
  for (int i = 0; i < argc; ++i) call.argv.push_back(argv[i]);
  call.terminated = argv[argc] == nullptr;
  call.quiet = quiet;
  engine_calls.push_back(call);
  scripted_window.log.push_back("engine");
  return 0;
}

using Args = std::vector<std::string>;

const char run_dir[] = "/surveys/job1";

class DialogTest : public ::testing::Test {
protected:
  void SetUp() override {
    scripted_reset();
    engine_calls.clear();
    // A run directory, a directory without intermed.q, and a plain file.
    scripted_window.paths = {
        {run_dir, 2}, {std::string(run_dir) + "/intermed.q", 1}, {"/surveys/empty", 2}, {"/surveys/notes.txt", 1}};
    open_converter_dialog(dialog);
  }

  ScriptedControl &control(int id) { return scripted_window.control(id); }
  const std::string &text(int id) { return scripted_window.text(id); }

  // Types a directory, sets the precision and format, and presses Convert.
  void convert(int format, const std::string &precision, const std::string &directory = run_dir) {
    scripted_check(dialog, format);
    scripted_type(dialog, control_precision, precision);
    scripted_type(dialog, control_directory, directory);
    ASSERT_TRUE(scripted_press(dialog, control_convert));
  }

  ConverterDialog dialog{&scripted_window_services, fake_engine};
};

TEST_F(DialogTest, FreshDialog) {
  EXPECT_TRUE(control(control_xml).checked);
  EXPECT_FALSE(control(control_triple_s).checked);
  EXPECT_FALSE(control(control_statra).checked);
  EXPECT_FALSE(control(control_csv).checked);
  EXPECT_EQ(text(control_precision), "calculated");
  EXPECT_EQ(text(control_directory), "");
  EXPECT_FALSE(control(control_convert).enabled);
  EXPECT_TRUE(control(control_done).enabled);
  EXPECT_EQ(control(control_precision_steps).position, 0);
  EXPECT_EQ(control(control_precision_steps).low, 0);
  EXPECT_EQ(control(control_precision_steps).high, 9);
  EXPECT_EQ(scripted_window.log, (std::vector<std::string>{"menu &About wmorvex.. 16", "icon"}));
  EXPECT_EQ(scripted_window.result, 0);
}

TEST_F(DialogTest, DialogTemplate) {
  const DialogTemplate &layout = converter_dialog_template;
  EXPECT_STREQ(layout.caption, "Tabulon Converter");
  EXPECT_EQ(layout.width, 312);
  EXPECT_EQ(layout.height, 126);
  // The format buttons, top to bottom on screen: XML, Triple S, Statra, CSV.
  std::vector<std::pair<int, std::string>> buttons;
  for (int i = 0; i < layout.control_count; ++i)
    if (layout.controls[i].kind == kind_radio_button)
      buttons.push_back({layout.controls[i].y, layout.controls[i].text});
  std::sort(buttons.begin(), buttons.end());
  ASSERT_EQ(buttons.size(), 4u);
  EXPECT_EQ(buttons[0].second, "XML");
  EXPECT_EQ(buttons[1].second, "Triple S");
  EXPECT_EQ(buttons[2].second, "Statra");
  EXPECT_EQ(buttons[3].second, "CSV");
  // Each button's text is its row's text in the format table.
  for (const FormatChoice &choice : format_choices) {
    bool found = false;
    for (int i = 0; i < layout.control_count; ++i)
      if (layout.controls[i].id == choice.control) {
        EXPECT_STREQ(layout.controls[i].text, choice.button_text);
        found = true;
      }
    EXPECT_TRUE(found) << choice.button_text;
  }
  EXPECT_STREQ(about_dialog_template.caption, "About wmorvex");
}

TEST_F(DialogTest, ConvertEnabledExactlyWhileDirectoryHoldsText) {
  EXPECT_FALSE(scripted_press(dialog, control_convert));
  scripted_type(dialog, control_directory, "/");
  EXPECT_TRUE(control(control_convert).enabled);
  scripted_type(dialog, control_directory, "/surveys/job1");
  EXPECT_TRUE(control(control_convert).enabled);
  scripted_type(dialog, control_directory, "");
  EXPECT_FALSE(control(control_convert).enabled);
  // Only the first line counts.
  scripted_type(dialog, control_directory, "\n/surveys/job1");
  EXPECT_FALSE(control(control_convert).enabled);
  EXPECT_TRUE(engine_calls.empty());
}

TEST_F(DialogTest, FolderPicker) {
  // A cancelled picker leaves the field and Convert as they were.
  ASSERT_TRUE(scripted_press(dialog, control_select_directory));
  EXPECT_EQ(scripted_window.log.back(), "folder Choose directory");
  EXPECT_EQ(text(control_directory), "");
  EXPECT_FALSE(control(control_convert).enabled);

  // A picked folder fills the field and enables Convert.
  scripted_window.folder_answer = run_dir;
  scripted_press(dialog, control_select_directory);
  EXPECT_EQ(text(control_directory), run_dir);
  EXPECT_TRUE(control(control_convert).enabled);

  scripted_press(dialog, control_select_directory);
  EXPECT_EQ(text(control_directory), run_dir);

  // A path longer than the dialog's buffer is cut, not overrun.
  scripted_window.folder_answer = "/" + std::string(20000, 'd');
  scripted_press(dialog, control_select_directory);
  EXPECT_EQ(text(control_directory).size(), static_cast<size_t>(directory_text_size - 1));
}

TEST_F(DialogTest, PrecisionEditRule) {
  struct Case {
    const char *typed;
    const char *shown;
  } cases[] = {
      {"12", "10"},       {"10", "10"},
      {"11abc", "10"},    {"99999999999999999999", "10"}, // far beyond an int: still "10"
      {"x", "automatic"}, {"0", "automatic"},
      {"", "automatic"},  {"calculated", "automatic"},
      {"a", "a"},         {"automatic", "automatic"},
      {"abc", "abc"},     {"7", "7"},
      {" 4", " 4"},       {"-5", "-5"},
      {"3x", "3x"},       {"-99999999999999999999", "-99999999999999999999"},
  };
  for (const Case &c : cases) {
    scripted_type(dialog, control_precision, c.typed);
    EXPECT_EQ(text(control_precision), c.shown) << "typed \"" << c.typed << "\"";
  }
  // Only the first 15 characters are looked at: a long run of zeros before the 12 reads 0.
  scripted_type(dialog, control_precision, std::string(15, '0') + "12");
  EXPECT_EQ(text(control_precision), "automatic");
}

TEST_F(DialogTest, PrecisionFieldRefusesDeleteCharacter) {
  scripted_type(dialog, control_precision, "5");
  EXPECT_FALSE(scripted_key(dialog, control_precision, 127));
  EXPECT_EQ(text(control_precision), "5");
  EXPECT_TRUE(scripted_key(dialog, control_precision, 'a'));
  EXPECT_EQ(text(control_precision), "5a");
  // Other fields take it.
  EXPECT_TRUE(field_accepts_character(control_directory, 127));
}

TEST_F(DialogTest, PrecisionSteps) {
  struct Step {
    int step;
    const char *shown;
    int position;
  } steps[] = {
      {+1, "1", 1}, {+1, "2", 2}, {-1, "1", 1}, {-1, "calculated", 0}, {-1, "calculated", 0},
  };
  for (const Step &s : steps) {
    scripted_step(dialog, control_precision_steps, s.step);
    EXPECT_EQ(text(control_precision), s.shown);
    EXPECT_EQ(control(control_precision_steps).position, s.position);
  }
  // Up to the top of the range: from 9 a step up shows "10", the position stays 9.
  for (int i = 0; i < 9; ++i) scripted_step(dialog, control_precision_steps, +1);
  EXPECT_EQ(text(control_precision), "9");
  scripted_step(dialog, control_precision_steps, +1);
  EXPECT_EQ(text(control_precision), "10");
  EXPECT_EQ(control(control_precision_steps).position, 9);
  scripted_step(dialog, control_precision_steps, +1);
  EXPECT_EQ(text(control_precision), "10");
  scripted_step(dialog, control_precision_steps, -1);
  EXPECT_EQ(text(control_precision), "8");
  EXPECT_EQ(control(control_precision_steps).position, 8);
}

TEST_F(DialogTest, ArgumentVectorsHandedToTheEngine) {
  struct Case {
    int format;
    const char *precision;
    Args argv;
  } cases[] = {
      {control_statra, "3", {"zn2statra.exe", "-p", "3", "-f", "statra"}},
      {control_triple_s, "calculated", {"zn2ts.exe", "-f", "ts"}},
      {control_xml, "automatic", {"zn2xml.exe", "-f", "xml"}},
      {control_csv, "7", {"zn2csv.exe", "-p", "7", "-f", "csv"}},
      {control_xml, "10", {"zn2xml.exe", "-p", "10", "-f", "xml"}},
      // Passed exactly as typed; the engine is the judge of these.
      {control_xml, "-5", {"zn2xml.exe", "-p", "-5", "-f", "xml"}},
      {control_csv, "3x", {"zn2csv.exe", "-p", "3x", "-f", "csv"}},
      {control_statra, "a", {"zn2statra.exe", "-f", "statra"}},
  };
  for (const Case &c : cases) {
    SetUp();
    convert(c.format, c.precision);
    ASSERT_EQ(engine_calls.size(), 1u) << c.precision;
    const EngineCall &call = engine_calls[0];
    EXPECT_EQ(call.argv, c.argv);
    EXPECT_EQ(call.argc, static_cast<int>(c.argv.size()));
    EXPECT_TRUE(call.terminated);
    EXPECT_EQ(call.quiet, 0);
    // The directory is entered first, the busy cursor shows while the engine runs,
    // and the dialog closes as confirmed afterwards.
    std::vector<std::string> tail(scripted_window.log.end() - 5, scripted_window.log.end());
    EXPECT_EQ(tail, (std::vector<std::string>{std::string("chdir ") + run_dir, "busy", "engine", "arrow", "end 1"}));
    EXPECT_EQ(scripted_window.current_directory, run_dir);
    EXPECT_TRUE(scripted_window.messages.empty());
  }
}

TEST_F(DialogTest, FormatButtonsAreOneGroup) {
  scripted_check(dialog, control_triple_s);
  EXPECT_TRUE(control(control_triple_s).checked);
  EXPECT_FALSE(control(control_xml).checked);
  scripted_type(dialog, control_directory, run_dir);
  scripted_press(dialog, control_convert);
  ASSERT_EQ(engine_calls.size(), 1u);
  EXPECT_EQ(engine_calls[0].argv, (Args{"zn2ts.exe", "-f", "ts"}));
}

TEST_F(DialogTest, NoFormatCheckedTakesTheFirstRow) {
  scripted_window.control(control_xml).checked = false;
  scripted_type(dialog, control_directory, run_dir);
  scripted_press(dialog, control_convert);
  ASSERT_EQ(engine_calls.size(), 1u);
  EXPECT_EQ(engine_calls[0].argv, (Args{"zn2ts.exe", "-f", "ts"}));
}

TEST_F(DialogTest, DirectoryMessages) {
  const std::string not_folder = "Name given is not a folder\nor does not exist.";
  const std::string not_tabulon = "Folder does not appear to be\na tabulon directory";
  const std::string cannot_enter = "Unable to change directory";
  scripted_window.paths["/surveys/locked"] = 2;
  scripted_window.paths["/surveys/locked/intermed.q"] = 1;
  scripted_window.locked.insert("/surveys/locked");
  struct Case {
    std::string directory;
    std::string message;
  } cases[] = {
      {"/surveys/missing", not_folder}, {"/surveys/notes.txt", not_folder}, {"/" + std::string(20000, 'x'), not_folder},
      {"/surveys/empty", not_tabulon},  {"/surveys/locked", cannot_enter},
  };
  for (const Case &c : cases) {
    SetUp();
    scripted_window.paths["/surveys/locked"] = 2;
    scripted_window.paths["/surveys/locked/intermed.q"] = 1;
    scripted_window.locked.insert("/surveys/locked");
    convert(control_statra, "4", c.directory);
    ASSERT_EQ(scripted_window.messages.size(), 1u) << c.directory.substr(0, 40);
    EXPECT_EQ(scripted_window.messages[0].text, c.message);
    EXPECT_EQ(scripted_window.messages[0].caption, "Tabulon Converter");
    // The dialog stays, as it was, and the engine is not called.
    EXPECT_TRUE(engine_calls.empty());
    EXPECT_EQ(scripted_window.result, 0);
    EXPECT_EQ(scripted_window.current_directory, "");
    EXPECT_EQ(text(control_directory), c.directory);
    EXPECT_EQ(text(control_precision), "4");
    EXPECT_TRUE(control(control_statra).checked);
    EXPECT_TRUE(control(control_convert).enabled);
  }

  // After a message the user corrects the directory and converts.
  scripted_type(dialog, control_directory, run_dir);
  scripted_press(dialog, control_convert);
  ASSERT_EQ(engine_calls.size(), 1u);
  EXPECT_EQ(engine_calls[0].argv, (Args{"zn2statra.exe", "-p", "4", "-f", "statra"}));
}

TEST_F(DialogTest, RealDirectories) {
  scripted_window.real_files = true;
  TempDir dir;
  std::filesystem::create_directory(dir.file("job"));
  std::filesystem::create_directory(dir.file("empty"));
  write_file(dir.file("job/intermed.q"), "");
  write_file(dir.file("notes.txt"), "");
  ScopedChdir keep(dir.path()); // restores the current directory afterwards

  convert(control_xml, "calculated", dir.file("notes.txt"));
  convert(control_xml, "calculated", dir.file("empty"));
  ASSERT_EQ(scripted_window.messages.size(), 2u);
  EXPECT_EQ(scripted_window.messages[0].text, "Name given is not a folder\nor does not exist.");
  EXPECT_EQ(scripted_window.messages[1].text, "Folder does not appear to be\na tabulon directory");
  EXPECT_TRUE(engine_calls.empty());

  convert(control_xml, "calculated", dir.file("job") + "/");
  ASSERT_EQ(engine_calls.size(), 1u);
  EXPECT_EQ(std::filesystem::current_path(), std::filesystem::path(dir.file("job")));
}

TEST_F(DialogTest, AboutBox) {
  EXPECT_TRUE(scripted_menu(dialog, command_about));
  ASSERT_EQ(scripted_window.about_boxes.size(), 1u);
  EXPECT_EQ(scripted_window.about_boxes[0].caption, "About wmorvex");
  EXPECT_EQ(scripted_window.about_boxes[0].text,
            "morvex (windows) version 1.1\n\nConverts Tabulon to Triple S, XML, Statra and CSV\n\n"
            "Does not make tea and tries desperately hard not to crash. No promises though.");
  // Every other command is left to the window system.
  EXPECT_FALSE(scripted_menu(dialog, 17));
  EXPECT_EQ(scripted_window.about_boxes.size(), 1u);
  EXPECT_EQ(scripted_window.result, 0);
}

TEST_F(DialogTest, DoneAndCloseEndTheDialogWithoutConverting) {
  scripted_type(dialog, control_directory, run_dir);
  EXPECT_TRUE(scripted_press(dialog, control_done));
  EXPECT_EQ(scripted_window.result, 2);
  SetUp();
  scripted_close(dialog);
  EXPECT_EQ(scripted_window.result, 2);
  EXPECT_TRUE(engine_calls.empty());
}

// --- The FLTK program on a virtual X display -------------------------------------

std::string find_in_path(const std::string &name) {
  const char *path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/bin:/bin";
  size_t start = 0;
  while (start <= dirs.size()) {
    size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    std::string candidate = dirs.substr(start, end - start) + "/" + name;
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
    start = end + 1;
  }
  return "";
}

// An Xvfb server on a free display, stopped when the object goes.
class VirtualDisplay {
public:
  explicit VirtualDisplay(const std::string &xvfb) {
    int fds[2];
    if (pipe(fds) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      close(fds[0]);
      int null_fd = open("/dev/null", O_RDWR);
      if (null_fd >= 0) {
        dup2(null_fd, 0);
        dup2(null_fd, 1);
        dup2(null_fd, 2);
      }
      std::string fd = std::to_string(fds[1]);
      execl(xvfb.c_str(), "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "800x400x24", "-nolisten", "tcp",
            static_cast<char *>(nullptr));
      _exit(127);
    }
    close(fds[1]);
    std::string number;
    pollfd wait_for = {fds[0], POLLIN, 0};
    while (number.find('\n') == std::string::npos && poll(&wait_for, 1, 20000) > 0) {
      char buffer[32];
      ssize_t n = read(fds[0], buffer, sizeof buffer);
      if (n <= 0) break;
      number.append(buffer, static_cast<size_t>(n));
    }
    close(fds[0]);
    if (number.find('\n') != std::string::npos) display_ = ":" + number.substr(0, number.find('\n'));
  }
  ~VirtualDisplay() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
  }
  const std::string &display() const { return display_; }

private:
  pid_t pid_ = -1;
  std::string display_;
};

// Every file of a directory with its bytes.
std::map<std::string, std::string> directory_files(const std::string &directory) {
  std::map<std::string, std::string> files;
  for (const auto &entry : std::filesystem::directory_iterator(directory))
    files[entry.path().filename().string()] = read_file(entry.path().string());
  return files;
}

// A copy of the bundled sample run directory.
void write_sample_run(const std::string &directory) {
  for (const auto &entry : std::filesystem::directory_iterator(ZN_SAMPLE_RUN))
    std::filesystem::copy_file(entry.path(), std::filesystem::path(directory) / entry.path().filename());
}

class DesktopProgramTest : public ::testing::Test {
protected:
  void SetUp() override {
    program_ = std::string(ZN_BIN_DIR) + "/tabulon-converter";
    if (access(program_.c_str(), X_OK) != 0) GTEST_SKIP() << "the desktop program is not built (no FLTK)";
    xvfb_ = find_in_path("Xvfb");
    timeout_ = find_in_path("timeout");
    if (xvfb_.empty() || timeout_.empty()) GTEST_SKIP() << "Xvfb or timeout is not installed";
    display_ = std::make_unique<VirtualDisplay>(xvfb_);
    if (display_->display().empty()) GTEST_SKIP() << "Xvfb did not start";
  }

  // Runs the dialog with automation options; it may not take longer than a minute.
  ProcessResult run_dialog(const std::vector<std::string> &options, const std::string &directory) {
    std::vector<std::string> arguments = {"60", program_};
    arguments.insert(arguments.end(), options.begin(), options.end());
    return run_program(timeout_, arguments, directory, environment());
  }

  std::map<std::string, std::string> environment() const {
    return {{"DISPLAY", display_->display()}, {"ZNPERM", ""}, {"ZNTEMP", ""}, {"ZNSUFF", ""}, {"ZNSTATRARC", ""}};
  }

  std::string program_, xvfb_, timeout_;
  std::unique_ptr<VirtualDisplay> display_;
};

TEST_F(DesktopProgramTest, ConvertsLikeTheCommandLine) {
  TempDir by_dialog, by_command, elsewhere;
  write_sample_run(by_dialog.path());
  write_sample_run(by_command.path());

  // Started elsewhere: the dialog enters the chosen directory itself.
  ProcessResult dialog = run_dialog(
      {"--format", "statra", "--directory", by_dialog.path(), "--precision", "3", "--convert"}, elsewhere.path());
  ProcessResult command = run_program(built_program("zn2statra"), {"-p", "3", "-f", "statra"}, by_command.path(),
                                      environment(), "zn2statra.exe");

  EXPECT_EQ(dialog.exit_code, command.exit_code) << dialog.err;
  EXPECT_EQ(dialog.out, command.out);
  EXPECT_NE(dialog.out.find("Produced files commands.qsp and data.qsp\n"), std::string::npos) << dialog.out;
  EXPECT_NE(dialog.err.find("output format Statra\n"), std::string::npos) << dialog.err;
  EXPECT_TRUE(file_exists(by_dialog.file("commands.qsp")));
  EXPECT_TRUE(file_exists(by_dialog.file("data.qsp")));
  // The same files, byte for byte, and nothing where the program was started.
  EXPECT_EQ(directory_files(by_dialog.path()), directory_files(by_command.path()));
  EXPECT_TRUE(directory_files(elsewhere.path()).empty());
}

TEST_F(DesktopProgramTest, ConvertStaysDisabledWithoutDirectory) {
  TempDir dir;
  ProcessResult r = run_dialog({"--format", "csv", "--convert"}, dir.path());
  EXPECT_EQ(r.exit_code, 2);
  EXPECT_NE(r.err.find("Convert is not enabled\n"), std::string::npos) << r.err;
  EXPECT_TRUE(directory_files(dir.path()).empty());
}

TEST_F(DesktopProgramTest, RejectsUnknownOptions) {
  TempDir dir;
  ProcessResult r = run_dialog({"--format", "XML"}, dir.path());
  EXPECT_EQ(r.exit_code, 2);
  EXPECT_NE(r.err.find("Usage: "), std::string::npos) << r.err;
}

} // namespace
