// The element description file descrips.inf: loaded into one of four tables, looked up by tag.
#include "runfiles/descrips.h"

#include <cstdlib>
#include <cstring>

#include "runfiles/compio.h"

namespace {

constexpr int line_size = 512; // only the first 511 characters of a line count
constexpr int table_version = 1001;
constexpr int max_tag_length = 11;
constexpr int max_parent_length = 9;
constexpr int parent_size = 10;
constexpr int no_level = 999;

enum DescripKind { kind_axis = 1, kind_inc, kind_alph, kind_bit, kind_axlist, kind_weight, kind_group };

struct DescripKindInfo {
  int code;
  const char *name;
  const char *tag_pattern; // for tags chosen for new entries
};

const DescripKindInfo descrip_kinds[] = {
    {kind_axis, "axis", "x_%04d_"},   {kind_inc, "inc", "n_%04d_"},       {kind_alph, "alph", "t_%04d_"},
    {kind_bit, "bit", "b_%04d_"},     {kind_axlist, "axlist", "l_%04d_"}, {kind_weight, "weight", "w_%04d_"},
    {kind_group, "group", "l_%04d_"},
};

struct DescripTable {
  char *path; // the file it was loaded from, whole
  int state;  // 0 free, 1 loaded from a file, 2 created empty
  int growable;
  int version;
  int capacity;
  int count;
  Descrip *entries;
  int cursors[10];
};

DescripTable descrip_tables[descrip_table_count];

bool starts_with(const char *text, const char *prefix) { return std::strncmp(text, prefix, std::strlen(prefix)) == 0; }

bool is_entry_line(const char *line) { return starts_with(line, "#@"); }

// Lines of the decompressed file, one at a time, with the line last read kept current.
struct LineReader {
  CompressedFile *file;
  char line[line_size];
  bool have_line;

  bool next() {
    have_line = compressed_read_line(file, line, line_size) >= 0;
    return have_line;
  }
  bool damaged() const { return compressed_file_error(file) != 0; }
};

int kind_code(const char *line) {
  const char *name = line + 2;
  size_t length = std::strcspn(name, " ");
  for (const DescripKindInfo &kind : descrip_kinds) {
    if (std::strlen(kind.name) == length && std::strncmp(kind.name, name, length) == 0) return kind.code;
  }
  return 0;
}

bool is_single_digit(const char *value) { return value[0] >= '0' && value[0] <= '9' && value[1] == '\0'; }

char *copy_text(const char *text) {
  size_t size = std::strlen(text) + 1;
  char *copy = static_cast<char *>(std::malloc(size));
  if (copy) std::memcpy(copy, text, size);
  return copy;
}

// The fields of one entry as its lines give them.
struct EntryFields {
  int level;
  int grid;
  int weight_number;
  int user_created;
  char tag[max_tag_length + 1];
  char parent[parent_size];
  char label[line_size];
  char text[line_size];
};

void take_key_line(EntryFields &fields, const char *key_text) {
  const char *value;
  if (starts_with(key_text, "tag=")) {
    value = key_text + 4;
    size_t length = std::strlen(value);
    if (fields.tag[0] == '\0' && length > 0 && length <= max_tag_length) std::memcpy(fields.tag, value, length + 1);
  } else if (starts_with(key_text, "label=")) {
    value = key_text + 6;
    if (fields.label[0] == '\0') std::strcpy(fields.label, value);
  } else if (starts_with(key_text, "level=")) {
    value = key_text + 6;
    if (fields.level == no_level && is_single_digit(value)) fields.level = value[0] - '0';
  } else if (starts_with(key_text, "grid=")) {
    value = key_text + 5;
    if (fields.grid == 0 && (std::strcmp(value, "1") == 0 || std::strcmp(value, "2") == 0))
      fields.grid = value[0] - '0';
  } else if (starts_with(key_text, "parent=")) {
    value = key_text + 7;
    size_t length = std::strlen(value);
    if (fields.parent[0] == '\0' && length > 0 && length <= max_parent_length)
      std::memcpy(fields.parent, value, length + 1);
  } else if (starts_with(key_text, "wmid=")) {
    value = key_text + 5;
    if (fields.weight_number == 0 && is_single_digit(value)) fields.weight_number = value[0] - '0';
  } else if (starts_with(key_text, "usrcrt=")) {
    if (std::strcmp(key_text + 7, "1") == 0) fields.user_created = 1;
  }
}

// Parses the entry whose "#@" line is current, up to the next entry line (which becomes
// current) or the end of the data. Returns 1 when stored in *entry, 0 for an entry of an
// unknown kind (skipped), -6 without memory.
int parse_entry(LineReader &reader, Descrip *entry) {
  int kind = kind_code(reader.line);
  if (kind == 0) {
    while (reader.next() && !is_entry_line(reader.line)) {
    }
    return 0;
  }
  EntryFields fields{};
  fields.level = no_level;
  while (reader.next() && !is_entry_line(reader.line)) {
    size_t length = std::strlen(reader.line);
    if (length > 0 && reader.line[length - 1] == '\n') reader.line[--length] = '\0';
    if (starts_with(reader.line, "#;")) {
      take_key_line(fields, reader.line + 2);
    } else if (fields.text[0] == '\0') {
      std::memcpy(fields.text, reader.line, length + 1);
    }
  }

  entry->kind = kind;
  entry->level = fields.level;
  std::memcpy(entry->tag, fields.tag, sizeof entry->tag);
  entry->label = copy_text(fields.label);
  entry->text = copy_text(fields.text);
  if (!entry->label || !entry->text) {
    std::free(entry->label);
    std::free(entry->text);
    entry->label = entry->text = nullptr;
    return -6;
  }
  entry->label_capacity = static_cast<int32_t>(std::strlen(fields.label) + 1);
  entry->text_capacity = static_cast<int32_t>(std::strlen(fields.text) + 1);
  entry->parent = nullptr;
  entry->user_created = 0;
  entry->grid_or_wmid = 0;
  if (kind == kind_axis) {
    entry->grid_or_wmid = static_cast<uint8_t>(fields.grid);
    if (fields.parent[0] != '\0') {
      entry->parent = static_cast<char *>(std::calloc(1, parent_size));
      if (!entry->parent) return -6; // the entry is released with the table
      std::memcpy(entry->parent, fields.parent, parent_size);
    }
  } else if (kind == kind_weight) {
    entry->grid_or_wmid = static_cast<uint8_t>(fields.weight_number);
  }
  entry->user_created = static_cast<uint8_t>(fields.user_created);
  return 1;
}

// Counts the entry lines; -21 when the data turns out to be damaged.
int count_entry_lines(CompressedFile *file) {
  LineReader reader{file, {}, false};
  int count = 0;
  while (reader.next()) {
    if (is_entry_line(reader.line)) count++;
  }
  return reader.damaged() ? -21 : count;
}

int load_into(DescripTable &table, LineReader &reader, int entry_lines) {
  // The preamble: everything before the first entry line.
  while (reader.next() && !is_entry_line(reader.line)) {
    if (starts_with(reader.line, "##version=")) {
      int version = 0;
      for (const char *p = reader.line + 10; *p >= '0' && *p <= '9' && version < 100000000; p++)
        version = version * 10 + (*p - '0');
      table.version = version;
    }
  }
  if (!reader.have_line) return -21;
  while (reader.have_line) {
    if (table.count >= entry_lines) return -21; // the file has changed since it was counted
    int result = parse_entry(reader, &table.entries[table.count]);
    if (result < 0) return result; // what the entry holds goes with the table
    if (result > 0) table.count++;
  }
  return reader.damaged() ? -21 : 0;
}

} // namespace

int load_descrips(const char *path, int spare, int growable, int *count) {
  if (count) *count = 0;
  int handle = 0;
  while (handle < descrip_table_count && descrip_tables[handle].state != 0) handle++;
  if (handle == descrip_table_count) return -5;
  if (!path) return -3;

  CompressedFile *file = compressed_open(path, "rb", 12);
  if (!file) return -3;
  int entry_lines = count_entry_lines(file);
  compressed_close(file);
  if (entry_lines < 0) return entry_lines;
  if (entry_lines == 0) return -2;

  file = compressed_open(path, "rb", 12);
  if (!file) return -21;
  if (spare < 0) spare = 0;
  if (spare > 1000000) { // far beyond any job; keeps the size in range
    compressed_close(file);
    return -6;
  }
  DescripTable &table = descrip_tables[handle];
  int capacity = spare + entry_lines;
  table.entries = static_cast<Descrip *>(std::calloc(static_cast<size_t>(capacity), sizeof(Descrip)));
  table.path = copy_text(path);
  if (!table.entries || !table.path) {
    compressed_close(file);
    std::free(table.entries);
    std::free(table.path);
    table = DescripTable{};
    return -6;
  }
  table.state = 1;
  table.growable = growable;
  table.version = 0;
  table.capacity = capacity;
  table.count = 0;
  std::memset(table.cursors, 0, sizeof table.cursors);

  LineReader reader{file, {}, false};
  int result = load_into(table, reader, entry_lines);
  compressed_close(file);
  if (result < 0) {
    free_descrips(handle);
    return result;
  }
  table.version = table_version;
  if (count) *count = table.count;
  return handle;
}

Descrip *find_descrip(int handle, const char *tag) {
  if (handle < 0 || handle >= descrip_table_count || !tag) return nullptr;
  DescripTable &table = descrip_tables[handle];
  if (table.state == 0 || !table.entries) return nullptr;
  for (int i = 0; i < table.count; i++) {
    Descrip &entry = table.entries[i];
    if (entry.tag[0] != '\0' && std::strcmp(entry.tag, tag) == 0) return &entry;
  }
  return nullptr;
}

const char *descrip_label(int handle, const char *tag) {
  Descrip *entry = find_descrip(handle, tag);
  return entry ? entry->label : nullptr;
}

const char *descrip_text(int handle, const char *tag) {
  Descrip *entry = find_descrip(handle, tag);
  return entry ? entry->text : nullptr;
}

void free_descrips(int handle) {
  if (handle < 0 || handle >= descrip_table_count) return;
  DescripTable &table = descrip_tables[handle];
  if (table.state == 0) return;
  if (table.entries) {
    for (int i = 0; i < table.capacity; i++) {
      std::free(table.entries[i].label);
      std::free(table.entries[i].text);
      std::free(table.entries[i].parent);
    }
  }
  std::free(table.entries);
  std::free(table.path);
  table = DescripTable{};
}

const char *descrip_error_text(int code) {
  switch (code) {
  case 0:
    return "";
  case -1:
    return "Unknown entry";
  case -2:
    return "File is empty";
  case -3:
    return "File not found";
  case -4:
    return "File already exists";
  case -5:
    return "No more handles available";
  case -6:
    return "No more memory available";
  case -7:
    return "No more unique valid tags available";
  case -21:
    return "Error in loading file";
  case -41:
    return "Error in creating file";
  default:
    return "Unknown error code";
  }
}
