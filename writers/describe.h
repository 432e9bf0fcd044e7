// What the description writers share: the texts of a described variable, the date of
// the heading and the printing of truncated numbers.
#pragma once

#include <cstddef>
#include <ctime>

#include <cstdio>
#include <string>

struct DescEntry;
struct NumericStats;
struct StatVar;

// The label text: the output label when it is not empty, else the output name without
// a leading at sign.
const char *description_label_text(const StatVar *var);
// The name text: the axis name for a variable of an axis, else the label text.
const char *description_name_text(const StatVar *var);
// The member label of a group member: the last non-empty label of its value labels.
const char *description_member_label(const StatVar *var);

// The local date and time for a heading. When SOURCE_DATE_EPOCH holds a number of
// seconds since 1970, that moment (in UTC) is used instead, so that outputs can be
// reproduced.
void description_time(struct tm *when);
// The three letters of a month (0 to 11) from "JanFebMarAprMayJunJulAugSepOctNovDec".
const char *month_letters(int month);

// Writes a finite value truncated toward zero as a whole number with all its digits
// (a truncated -0.0 gives 0).
void format_truncated(char *out, size_t size, double value);
// The value truncated toward zero, for comparing two truncated values.
double truncated(double value);

// How one description format prints the range of a numeric variable: whole numbers
// (truncated toward zero) with "%s", other values with "%.*f" and their decimals.
struct RangeFormats {
  const char *one_whole; // minimum equals maximum; null: printed with whole_range
  const char *whole_range;
  const char *one_real; // minimum equals maximum
  const char *real_range;
};
void write_range(FILE *out, const NumericStats *stats, const RangeFormats &formats);

// How a Triple-S description writes the values of a variable.
struct ValueTexts {
  const char *open;        // before the value lines
  const char *value;       // one value line, from a code ("%d") and a quoted label ("%s")
  const char *close;       // after the value lines of a single variable
  const char *range_open;  // before the range of a numeric variable
  const char *range_close; // after it
  std::string (*quote)(const char *text);
  RangeFormats range;
};
// The values of an entry: the value line of a group member (its number and member
// label), the range of a numeric variable, or the labelled codes of a single variable.
void write_values(FILE *out, const DescEntry *entry, int member, const ValueTexts &texts);

// How one description format writes its variables.
struct VariableLayout {
  // Writes one entry: member is 0 for a head that is not a group, else the member's
  // number in its group (1 for the head); start and finish are the field's columns.
  void (*variable)(FILE *out, const DescEntry *entry, int member, long long start, long long finish);
  const char *group_end;  // after the members of a group
  const char *single_end; // after any other head
};
// Writes every head of the description list, each after a line feed, with the field
// positions of the fixed-column data.
void write_variables(FILE *out, const DescEntry *list, const VariableLayout &layout);
