// Triple-S XML description: survey.xml, whose record layout is that of the fixed-column
// data file survey.asc.
#include "writers/xml.h"

#include <array>
#include <cstdio>

#include "engine/main.h"
#include "engine/misc.h"
#include "model/statvars.h"
#include "model/znostats.h"
#include "runfiles/title.h"
#include "writers/data.h"
#include "writers/describe.h"

namespace {

// One entry per byte value: empty when the byte is copied, else the text between '&'
// and ';'. The names of the bytes from 0xA0 up only mark them; they are written as
// numeric references.
const std::array<const char *, 256> escape_table = [] {
  std::array<const char *, 256> table{};
  for (int b = 0; b < 256; b++) table[b] = "";
  for (int b = 0x01; b <= 0x1F; b++) table[b] = "#32";
  for (int b = 0x7F; b <= 0x9F; b++) table[b] = "#32";
  table[0x0A] = "<br/>";
  table['"'] = "quot";
  table['&'] = "amp";
  table['\''] = "apos";
  table['<'] = "lt";
  table['>'] = "gt";
  for (int b = 0xA0; b <= 0xFF; b++)
    if (b != 0xAF) table[b] = "latin1";
  return table;
}();

bool is_xml_blank(unsigned char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

bool is_ascii_punctuation(unsigned char c) {
  bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
  bool digit = c >= '0' && c <= '9';
  return c > 0x20 && c < 0x7F && !letter && !digit;
}

int variable_counter = 0;

const ValueTexts value_texts = {
    "\t\t\t\t<values>\n",
    "\t\t\t\t\t<value code=\"%d\">%s</value>\n",
    "\t\t\t\t</values>\n",
    "\t\t\t\t<values>\n\t\t\t\t\t",
    "\t\t\t\t</values>\n",
    xml_escape,
    {
        nullptr,
        "<range from=\"%s\" to=\"%s\"/>\n",
        "<value code=\"%.*f\">the only valid value</value>\n",
        "<range from=\"%.*f\" to=\"%.*f\"/>\n",
    },
};

// The variable block of an entry; member is 0 for a head that is not a group, else the
// member's number in its group (1 for the head).
void write_variable(FILE *out, const DescEntry *entry, int member, long long start, long long finish) {
  const StatVar *var = entry->var;
  if (member <= 1) {
    variable_counter++;
    const char *type = member == 1 ? "multiple" : var->kind == kind_numeric ? "quantity" : "single";
    std::fprintf(out, "\t\t\t<variable ident=\"%d\" type=\"%s\">\n\t\t\t<name>%s</name>\n", variable_counter, type,
                 xml_escape(xml_name(description_name_text(var)).c_str()).c_str());
    std::fprintf(out, "\t\t\t<label>%s</label>\n", xml_escape(description_label_text(var)).c_str());
    std::fprintf(out, "\t\t\t<position start=\"%lld\"", start);
    if (finish != start) std::fprintf(out, " finish=\"%lld\"", finish);
    std::fputs("/>\n", out);
  }
  write_values(out, entry, member, value_texts);
}

const VariableLayout variable_layout = {write_variable, "\t\t\t\t</values>\n\t\t\t</variable>\n",
                                        "\t\t\t</variable>\n"};

} // namespace

std::string xml_escape(const char *text) {
  std::string result;
  for (const unsigned char *p = reinterpret_cast<const unsigned char *>(text); *p; p++) {
    unsigned char b = *p;
    const char *entry = escape_table[b];
    if (!entry[0]) {
      result += static_cast<char>(b);
    } else if (b == 0x0A) {
      if (p[1]) result += "<br/>";
    } else if (b == 0x80) {
      result += "&#x20AC;";
    } else if (b > 0x80) {
      char reference[8];
      std::snprintf(reference, sizeof reference, "&#x%02x;", b);
      result += reference;
    } else {
      result += '&';
      result += entry;
      result += ';';
    }
  }
  return result;
}

std::string xml_name(const char *text) {
  std::string result;
  if (text[0] >= '0' && text[0] <= '9') result += '_';
  for (const unsigned char *p = reinterpret_cast<const unsigned char *>(text); *p; p++) {
    if (is_xml_blank(*p)) continue;
    result += is_ascii_punctuation(*p) && *p != '_' ? '_' : static_cast<char>(*p);
  }
  return result;
}

void write_xml_description(const char *description_file, const char *data_file) {
  FILE *out = open_run_file(description_file, "wt");
  std::fclose(open_run_file(data_file, "wt"));

  struct tm now;
  description_time(&now);
  std::fputs("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n", out);
  std::fprintf(out,
               "<sss version=\"1.1\">\n\t<date>%02d %3.3s %4d</date>\n\t<time>%02d:%02d</time>\n\t<origin>%s, "
               "created by %s</origin>\n\t<survey>\n\t\t<title>",
               now.tm_mday, month_letters(now.tm_mon), now.tm_year + 1900, now.tm_hour, now.tm_min, "WINDOWS",
               program_name ? program_name : "");
  if (run_titles.count <= 0) {
    std::fputs("unknown", out);
  } else {
    for (int i = 0; i < run_titles.count && i < max_titles; i++)
      if (run_titles.lines[i]) std::fputs(xml_escape(run_titles.lines[i]).c_str(), out);
  }
  std::fputs("</title>\n\t\t<record ident=\"A\">\n", out);
  std::fflush(out);

  DescEntry *list = build_description_list(1);
  cr_data(data_file, &data_writers[writer_measuring], 1);

  variable_counter = 0;
  write_variables(out, list, variable_layout);
  std::fputs("\t\t</record>\n\t</survey>\n</sss>\n", out);
  std::fclose(out);
}
