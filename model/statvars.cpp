// Output names, labels and value codes: each written variable gets a unique name of at
// most 8 characters, a label without clutter and the codes the target formats want.
#include "model/statvars.h"

#include <cctype>
#include <cstdint>
#include <cstring>
#include <strings.h>

#include "engine/nstore.h"
#include "engine/options.h"
#include "model/znostats.h"
#include "runfiles/axinf.h"

namespace {

constexpr size_t output_name_max = 8;
constexpr int counter_letters = 9;

// The output-name registry. The statistics package that reads the command file does not
// tell upper from lower case in variable names, so neither does the registry.
NameEntry *registry[name_buckets];

// The collision counter: base 26 in the letters A to Z, least significant letter first;
// the prefix shows as many letters as the value needs.
char counter[counter_letters];
int prefix_length = 1;

// Names the statistics package keeps for itself.
const char *const reserved_words[] = {"ALL", "AND", "BY",  "EQ", "GE", "GT",  "LE",
                                      "LT",  "NE",  "NOT", "OR", "TO", "WITH"};

// A number above this is not taken as a code: it leaves room for the codes given to
// the labels without a number.
constexpr int64_t largest_text_code = 999999999;

unsigned folded_hash(const char *name) {
  unsigned sum = 0;
  for (const unsigned char *p = reinterpret_cast<const unsigned char *>(name); *p; p++)
    sum += static_cast<unsigned>(std::tolower(*p)) % 128u;
  return sum % name_buckets;
}

NameEntry *find_output_name(const char *name) {
  for (NameEntry *entry = registry[folded_hash(name)]; entry; entry = entry->next)
    if (strcasecmp(entry->name, name) == 0) return entry;
  return nullptr;
}

bool is_reserved(const char *name) {
  for (const char *word : reserved_words)
    if (strcasecmp(word, name) == 0) return true;
  return false;
}

void advance_counter() {
  for (int i = 0; i < counter_letters; i++) {
    if (counter[i] < 'Z') {
      counter[i]++;
      if (i + 1 > prefix_length) prefix_length = i + 1;
      return;
    }
    counter[i] = 'A';
  }
}

bool is_blank(char c) { return c == ' '; }

const char *skip_blanks(const char *text) {
  while (is_blank(*text)) text++;
  return text;
}

// The number a label begins with (after blanks): its run of decimal digits. Returns
// false when the label has none, or when it is too large to be a code.
bool label_number(const char *label, int32_t *number, const char **after) {
  const char *p = skip_blanks(label);
  if (!std::isdigit(static_cast<unsigned char>(*p))) return false;
  int64_t value = 0;
  bool too_large = false;
  while (std::isdigit(static_cast<unsigned char>(*p))) {
    if (!too_large) {
      value = value * 10 + (*p - '0');
      if (value > largest_text_code) too_large = true;
    }
    p++;
  }
  if (too_large) return false;
  *number = static_cast<int32_t>(value);
  if (after) *after = p;
  return true;
}

void codes_from_labels(StatVar *var) {
  int32_t count = var->category_count;
  bool any = false;
  int32_t highest = 0;
  for (int32_t i = 0; i < count; i++) {
    int32_t number;
    if (label_number(var->value_labels[i], &number, nullptr)) {
      if (!any || number > highest) highest = number;
      any = true;
    }
  }
  if (!any) return;
  if (var->kind == kind_multiple) {
    int32_t number;
    if (count == 2 && label_number(var->value_labels[1], &number, nullptr)) {
      // An element text numbered 0 would code both answers 0; "not chosen" then
      // keeps -1, as the dichotomy of element 0 does.
      var->codes[0] = number == 0 ? -1 : 0;
      var->codes[1] = number;
    }
    return;
  }
  int32_t next = highest;
  for (int32_t i = 0; i < count; i++) {
    int32_t number;
    if (label_number(var->value_labels[i], &number, nullptr))
      var->codes[i] = number;
    else
      var->codes[i] = ++next;
  }
}

char *output_label(const StatVar *var, const char *name) {
  if (!var->label) return nullptr;
  const char *label = skip_blanks(var->label);
  size_t length = std::strlen(name);
  bool strip = (strip_variable_name == 1 && std::strncmp(label, name, length) == 0) ||
               (strip_variable_name == 2 && strncasecmp(label, name, length) == 0);
  if (strip) label = skip_blanks(label + length);
  return store_strdup(label);
}

} // namespace

void reset_output_registry() {
  for (auto &bucket : registry) bucket = nullptr;
  std::memset(counter, 'A', sizeof counter);
  prefix_length = 1;
}

NameEntry *output_name(const char *model_name) {
  char name[output_name_max + counter_letters + 1];
  size_t length = 0;
  const char *source = model_name;
  if (std::isdigit(static_cast<unsigned char>(model_name[0])) || is_reserved(model_name)) name[length++] = '@';
  for (; length < output_name_max && *source; source++) {
    unsigned char c = static_cast<unsigned char>(*source);
    bool keep = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '@';
    name[length++] = keep ? static_cast<char>(c) : '@';
  }
  // A variable needs a name in every format: an empty one (a damaged run file) is "@".
  if (length == 0) name[length++] = '@';
  name[length] = '\0';

  // A renamed name could spell a reserved word (By, Or), so those count as taken too.
  while (find_output_name(name) || is_reserved(name)) {
    size_t start = name[0] == '@' ? 1 : 0;
    for (int i = 0; i < prefix_length && start + i < output_name_max; i++) name[start + i] = counter[i];
    size_t end = start + static_cast<size_t>(prefix_length);
    if (end > output_name_max) end = output_name_max;
    if (end > length) {
      length = end;
      name[length] = '\0';
    }
    advance_counter();
  }

  auto *entry = static_cast<NameEntry *>(store_alloc(sizeof(NameEntry)));
  entry->name = store_strdup(name);
  unsigned bucket = folded_hash(name);
  entry->next = registry[bucket];
  registry[bucket] = entry;
  return entry;
}

void build_output(StatVar *var) {
  var->output = nullptr;
  if (var->axis && var->axis->no_output) return;

  auto *output = static_cast<OutputVar *>(store_alloc(sizeof(OutputVar)));
  output->var = var;
  output->name_entry = output_name(var->name);
  output->label = output_label(var, output->name_entry->name);
  var->output = output;
  if (var->kind == kind_numeric || var->category_count <= 0) {
    output->values.count = 0;
    return;
  }

  if (var->kind == kind_multiple && var->category_count == 2) {
    if (var->codes[1] != 0) var->codes[0] = 0;
    if (!use_element_positions) var->codes[1] = 1;
  }
  if (use_element_text_values) codes_from_labels(var);

  int32_t count = var->category_count;
  output->values.count = count;
  output->values.codes = static_cast<int32_t *>(store_alloc(sizeof(int32_t) * static_cast<size_t>(count)));
  output->values.labels = static_cast<char **>(store_alloc(sizeof(char *) * static_cast<size_t>(count)));
  for (int32_t i = 0; i < count; i++) {
    output->values.codes[i] = var->codes[i];
    const char *label = skip_blanks(var->value_labels[i]);
    int32_t number;
    const char *after;
    if (use_element_text_values && strip_variable_name && label_number(label, &number, &after) &&
        number == var->codes[i])
      label = skip_blanks(after);
    output->values.labels[i] = store_strdup(label);
  }
}

void build_outputs() {
  for (int i = 0; i < stvar_count; i++) build_output(stvars[i]);
}
