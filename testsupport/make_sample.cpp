// Writes a Tabulon run directory from a readable description (see sample/survey.run).
//
//   make_sample DESCRIPTION DIRECTORY
//
// The answers of the cases are drawn from a fixed-seed generator, so the same
// description always gives the same run files.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "testsupport/runfiles_writer.h"

namespace {

// Texts of the description are UTF-8; the run files hold the package's 8-bit code
// page, in which the euro sign is the byte 0x80.
std::string to_run_text(const std::string &utf8) {
  std::string out;
  for (size_t i = 0; i < utf8.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if ((c & 0xE0) == 0xC0 && i + 1 < utf8.size()) {
      unsigned code = ((c & 0x1Fu) << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3Fu);
      out += static_cast<char>(code <= 0xFF ? code : '?');
    } else if ((c & 0xF0) == 0xE0 && i + 2 < utf8.size()) {
      unsigned code = ((c & 0x0Fu) << 12) | ((static_cast<unsigned char>(utf8[i + 1]) & 0x3Fu) << 6) |
                      (static_cast<unsigned char>(utf8[i + 2]) & 0x3Fu);
      i += 2;
      out += static_cast<char>(code == 0x20AC ? 0x80 : '?');
    } else {
      out += '?';
    }
  }
  return out;
}

// A small linear congruential generator: the same sequence on every platform.
struct Draws {
  uint64_t state;
  double next() {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<double>(state >> 11) / 9007199254740992.0;
  }
  bool percent(double p) { return next() * 100.0 < p; }
  int below(int n) { return static_cast<int>(next() * n) % n; }
};

struct Range {
  double min = 0, max = 1;
  int decimals = 0;
  double missing = 0;
};

struct AxisPlan {
  std::string name;
  bool multi = false;
  int grid = 0;
  bool column = false;
  std::vector<int> categories; // stored element indexes that are categories
  int stored = 0;
  double unanswered = 0;
};

struct NumericPlan {
  std::string name;
  std::string description;
  int matrix = 0;
  Range range;
};

std::string rest_of(std::istringstream &line) {
  std::string rest;
  std::getline(line, rest);
  size_t start = rest.find_first_not_of(' ');
  return start == std::string::npos ? "" : rest.substr(start);
}

double drawn(Draws &draws, const Range &range) {
  double value = range.min + draws.next() * (range.max - range.min);
  double scale = 1;
  for (int i = 0; i < range.decimals; ++i) scale *= 10;
  return static_cast<double>(static_cast<long long>(value * scale + 0.5)) / scale;
}

} // namespace

int main(int argc, char **argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_sample DESCRIPTION DIRECTORY\n");
    return 2;
  }
  std::ifstream in(argv[1]);
  if (!in) {
    std::fprintf(stderr, "make_sample: cannot read %s\n", argv[1]);
    return 1;
  }

  RunDirectory run;
  std::vector<AxisPlan> axes;
  std::vector<NumericPlan> incs, weights;
  AxisFixture *axis = nullptr;
  Range *range = nullptr;
  NumericPlan *numeric = nullptr;
  int respondents = 0;
  uint64_t seed = 1;
  std::string text;
  int line_number = 0;

  try {
    while (std::getline(in, text)) {
      ++line_number;
      std::istringstream line(text);
      std::string word;
      if (!(line >> word) || word[0] == '#') continue;
      bool indented = text[0] == ' ';
      if (!indented) axis = nullptr, range = nullptr, numeric = nullptr;

      if (!indented && word == "title") {
        run.title(to_run_text(rest_of(line)));
      } else if (!indented && word == "respondents") {
        line >> respondents;
      } else if (!indented && word == "seed") {
        line >> seed;
      } else if (!indented && word == "axis") {
        AxisPlan plan;
        line >> plan.name;
        axis = &run.axis(plan.name);
        for (std::string flag; line >> flag;) {
          if (flag == "multi") {
            plan.multi = true;
            axis->multi();
          } else if (flag == "grid") {
            line >> plan.grid;
            axis->grid_side(plan.grid);
          } else if (flag == "column") {
            plan.column = true;
            axis->grid_column();
            axis->in_data(0);
          } else {
            throw std::runtime_error("unknown axis flag " + flag);
          }
        }
        axes.push_back(plan);
      } else if (!indented && (word == "inc" || word == "weight")) {
        NumericPlan plan;
        if (word == "inc") {
          line >> plan.name;
          incs.push_back(plan);
          numeric = &incs.back();
        } else {
          line >> plan.matrix;
          weights.push_back(plan);
          numeric = &weights.back();
        }
        range = &numeric->range;
      } else if (indented && axis) {
        AxisPlan &plan = axes.back();
        std::string value = to_run_text(rest_of(line));
        if (word == "label") {
          axis->label(value);
        } else if (word == "description") {
          axis->description(value);
        } else if (word == "title") {
          axis->title(value);
        } else if (word == "element") {
          axis->element(value);
          plan.categories.push_back(plan.stored++);
        } else if (word == "text") {
          axis->text_line(value);
          plan.stored++;
        } else if (word == "unanswered") {
          plan.unanswered = std::atof(value.c_str());
        } else {
          throw std::runtime_error("unknown axis line " + word);
        }
      } else if (indented && range) {
        if (word == "description") {
          numeric->description = to_run_text(rest_of(line));
        } else if (word == "range") {
          line >> range->min >> range->max;
          std::string decimals;
          if (line >> decimals && decimals == "decimals") line >> range->decimals;
        } else if (word == "missing") {
          line >> range->missing;
        } else {
          throw std::runtime_error("unknown numeric line " + word);
        }
      } else {
        throw std::runtime_error("unexpected " + word);
      }
    }

    for (const NumericPlan &plan : incs) run.inc(plan.name, "", plan.description);
    for (const NumericPlan &plan : weights) run.weight(plan.matrix, "", plan.description);

    Draws draws{seed};
    for (int r = 0; r < respondents; ++r) {
      Respondent &respondent = run.respondent();
      for (const AxisPlan &plan : axes) {
        if (plan.column || plan.categories.empty()) continue;
        int copies = plan.grid > 0 ? plan.grid : 1;
        for (int copy = 0; copy < copies; ++copy) {
          if (draws.percent(plan.unanswered)) continue;
          std::vector<int> chosen;
          if (plan.multi) {
            for (int element : plan.categories)
              if (draws.percent(35)) chosen.push_back(element);
          } else {
            chosen.push_back(
                plan.categories[static_cast<size_t>(draws.below(static_cast<int>(plan.categories.size())))]);
          }
          for (int element : chosen) {
            if (plan.grid > 0)
              respondent.choose_copy(plan.name, copy, element);
            else
              respondent.choose(plan.name, element);
          }
        }
      }
      for (const NumericPlan &plan : incs) {
        if (draws.percent(plan.range.missing))
          respondent.value(plan.name, missing_inc_value);
        else
          respondent.value(plan.name, static_cast<float>(drawn(draws, plan.range)));
      }
      for (const NumericPlan &plan : weights)
        respondent.weight(plan.matrix, static_cast<float>(drawn(draws, plan.range)));
    }

    std::filesystem::create_directories(argv[2]);
    run.write(argv[2]);
  } catch (const std::exception &error) {
    std::fprintf(stderr, "make_sample: %s line %d: %s\n", argv[1], line_number, error.what());
    return 1;
  }
  return 0;
}
