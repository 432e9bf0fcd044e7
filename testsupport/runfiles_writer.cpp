// Test support: writes the files of a Tabulon run directory from a short description.
#include "testsupport/runfiles_writer.h"

#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "runfiles/compio.h"
#include "testsupport/process.h"

void put_i8(std::string &bytes, int value) { bytes.push_back(static_cast<char>(value & 0xFF)); }

void put_i16(std::string &bytes, int value) {
  put_i8(bytes, value);
  put_i8(bytes, value >> 8);
}

void put_i32(std::string &bytes, int32_t value) {
  uint32_t bits = static_cast<uint32_t>(value);
  for (int i = 0; i < 4; ++i) put_i8(bytes, static_cast<int>(bits >> (8 * i)));
}

void put_f32(std::string &bytes, float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  put_i32(bytes, static_cast<int32_t>(bits));
}

void poke_i16(std::string &bytes, size_t at, int value) {
  bytes.at(at) = static_cast<char>(value & 0xFF);
  bytes.at(at + 1) = static_cast<char>((value >> 8) & 0xFF);
}

void poke_i32(std::string &bytes, size_t at, int32_t value) {
  uint32_t bits = static_cast<uint32_t>(value);
  for (size_t i = 0; i < 4; ++i) bytes.at(at + i) = static_cast<char>((bits >> (8 * i)) & 0xFF);
}

std::string stream_text(FILE *stream) {
  std::fflush(stream);
  long position = std::ftell(stream);
  std::rewind(stream);
  std::string text;
  char buffer[4096];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, stream)) > 0) text.append(buffer, got);
  if (position >= 0) std::fseek(stream, position, SEEK_SET);
  return text;
}

std::string run_file_header(int type, const HeaderFields &fields) {
  std::string bytes;
  if (fields.out_of_date) {
    put_i16(bytes, 0x5555);
    return bytes;
  }
  put_i16(bytes, fields.header_format);
  put_i16(bytes, fields.zero_word);
  put_i16(bytes, fields.magic);
  put_i16(bytes, fields.type ? *fields.type : type);
  put_i16(bytes, fields.version);
  put_i16(bytes, 104);
  put_i16(bytes, 32);
  put_i16(bytes, 0x6162);
  put_f32(bytes, 123.45f);
  put_i32(bytes, fields.created);
  bytes.append(reinterpret_cast<const char *>(fields.info.data()), fields.info.size());
  if (fields.length && *fields.length < bytes.size()) bytes.resize(*fields.length);
  return bytes;
}

// ---- axes ----

AxisFixture::AxisFixture(std::string name, int number) : name_(std::move(name)), number_(number) {}

AxisFixture &AxisFixture::title(const std::string &text) { return title(TitleLine{text, 0, "C ", std::nullopt}); }

AxisFixture &AxisFixture::title(const std::string &text, int16_t justify) {
  return title(TitleLine{text, justify, "C ", std::nullopt});
}

AxisFixture &AxisFixture::title(const TitleLine &fields) {
  titles_.push_back(fields);
  return *this;
}

AxisFixture &AxisFixture::axis_text(const std::string &text) {
  axis_text_ = text;
  return *this;
}

AxisFixture &AxisFixture::element(const std::string &text, int type) {
  ElementRecord fields;
  fields.text = text;
  fields.type = type;
  return element(fields);
}

AxisFixture &AxisFixture::text_line(const std::string &text) { return element(text, 0); }

AxisFixture &AxisFixture::unstored(const std::string &text, int type) {
  ElementRecord fields;
  fields.text = text;
  fields.type = type;
  fields.stored = false;
  return element(fields);
}

AxisFixture &AxisFixture::not_category(const std::string &text, int type) {
  ElementRecord fields;
  fields.text = text;
  fields.type = type;
  fields.not_category = true;
  return element(fields);
}

AxisFixture &AxisFixture::element(const ElementRecord &fields) {
  elements_.push_back(fields);
  return *this;
}

AxisFixture &AxisFixture::elements(int count, const std::string &stem) {
  for (int i = 0; i < count; ++i) element(stem + std::to_string(i));
  return *this;
}

AxisFixture &AxisFixture::multi() { return export_flags(0x04 | 0x08); }
AxisFixture &AxisFixture::export_single() { return export_flags(0x04); }

AxisFixture &AxisFixture::export_flags(int flags) {
  export_flags_ = flags;
  return *this;
}

AxisFixture &AxisFixture::grid_side(int columns) { return grid(1, columns); }
AxisFixture &AxisFixture::grid_column() { return grid(1, 0); }

AxisFixture &AxisFixture::grid(int flag, int count) {
  grid_flag_ = flag;
  grid_count_ = count;
  return *this;
}

AxisFixture &AxisFixture::in_data(int value) {
  in_data_ = value;
  return *this;
}

AxisFixture &AxisFixture::number(int value) {
  number_ = value;
  return *this;
}

AxisFixture &AxisFixture::label(const std::string &text) {
  label_ = text;
  return *this;
}

AxisFixture &AxisFixture::description(const std::string &text) {
  description_ = text;
  return *this;
}

AxisFixture &AxisFixture::no_descrip() {
  descrip_ = false;
  return *this;
}

AxisFixture &AxisFixture::record_count(int16_t count) {
  record_count_ = count;
  return *this;
}

AxisFixture &AxisFixture::title_count(int16_t count) {
  title_count_ = count;
  return *this;
}

AxisFixture &AxisFixture::text_sizes(int16_t short_size, int32_t long_size) {
  text_sizes_ = std::make_pair(short_size, long_size);
  return *this;
}

AxisFixture &AxisFixture::long_text_size() {
  long_text_size_ = true;
  return *this;
}

AxisFixture &AxisFixture::axis_text_offset(int16_t offset) {
  axis_text_offset_ = offset;
  return *this;
}

AxisFixture &AxisFixture::header_bytes(const std::function<void(std::string &)> &edit) {
  header_edit_ = edit;
  return *this;
}

std::string AxisFixture::file_name() const { return name_ + (grid_flag_ != 0 && grid_count_ == 0 ? ".ay" : ".ax"); }

int AxisFixture::stored_count() const {
  int count = 0;
  for (const ElementRecord &e : elements_) count += e.stored ? 1 : 0;
  return count;
}

int AxisFixture::word_count() const { return (stored_count() + 15) / 16; }

int AxisFixture::copies() const { return grid_flag_ != 0 ? grid_count_ : 1; }

bool AxisFixture::has_words() const { return in_data_ != 0; }

std::string AxisFixture::axes_inf_record() const {
  std::string record(68, '\0');
  poke_i16(record, 8, number_);
  poke_i16(record, 30, in_data_);
  std::string stored_name = name_.substr(0, 11);
  std::memcpy(record.data() + 50, stored_name.data(), stored_name.size());
  record[62] = static_cast<char>(grid_flag_);
  record[63] = static_cast<char>(grid_count_);
  record[66] = static_cast<char>(export_flags_);
  return record;
}

std::string AxisFixture::file_bytes() const {
  std::string texts;
  auto add_text = [&texts](const std::string &text) {
    int32_t offset = static_cast<int32_t>(texts.size());
    texts += text;
    texts.push_back('\0');
    return offset;
  };
  std::string header(320, '\0');
  if (axis_text_) {
    poke_i16(header, 22, 1);
    int32_t offset = add_text(*axis_text_);
    poke_i16(header, 24, axis_text_offset_ ? *axis_text_offset_ : offset);
  } else if (axis_text_offset_) {
    poke_i16(header, 24, *axis_text_offset_);
  }
  for (size_t t = 0; t < titles_.size() && t < 12; ++t) {
    const TitleLine &title = titles_[t];
    int32_t offset = add_text(title.justify >= 0 ? title.prefix + title.text : title.text);
    poke_i16(header, 26 + 2 * t, title.offset ? *title.offset : offset);
    poke_i16(header, 50 + 2 * t, title.justify);
  }
  poke_i16(header, 14, title_count_ ? *title_count_ : static_cast<int>(titles_.size()));
  poke_i16(header, 8, record_count_ ? *record_count_ : static_cast<int>(elements_.size()));

  std::string records;
  for (const ElementRecord &e : elements_) {
    if (e.padding_before) texts.append(static_cast<size_t>(*e.padding_before), '.');
    int32_t offset = add_text(e.text);
    if (e.text_offset) offset = *e.text_offset;
    std::string record(76, '\0');
    poke_i16(record, 28, e.stored ? 0x0800 : 0x0200);
    poke_i16(record, 34, e.not_category ? 0x0040 : 0);
    poke_i16(record, 36, offset % 32768);
    record[53] = static_cast<char>((offset / 32768) & 0xFF);
    record[61] = static_cast<char>(e.type);
    records += record;
  }

  int32_t size = static_cast<int32_t>(texts.size());
  if (text_sizes_) {
    poke_i16(header, 20, text_sizes_->first);
    poke_i32(header, 4, text_sizes_->second);
  } else {
    poke_i32(header, 4, size);
    poke_i16(header, 20, size < 32768 && !long_text_size_ ? size : 0);
  }
  if (header_edit_) header_edit_(header);
  return header + records + texts;
}

// ---- cases ----

Respondent &Respondent::choose(const std::string &axis, int element) { return choose_copy(axis, 0, element); }

Respondent &Respondent::choose(const std::string &axis, std::initializer_list<int> elements) {
  return choose_copy(axis, 0, elements);
}

Respondent &Respondent::choose_copy(const std::string &axis, int copy, int element) {
  chosen_[{axis, copy}].insert(element);
  return *this;
}

Respondent &Respondent::choose_copy(const std::string &axis, int copy, std::initializer_list<int> elements) {
  std::set<int> &set = chosen_[{axis, copy}];
  for (int e : elements) set.insert(e);
  return *this;
}

Respondent &Respondent::value(const std::string &inc, float value) {
  values_[inc] = value;
  return *this;
}

Respondent &Respondent::weight(int matrix, float value) {
  weights_[matrix] = value;
  return *this;
}

Respondent &Respondent::tag(std::vector<uint16_t> words) {
  tag_ = std::move(words);
  return *this;
}

Respondent &Respondent::bits(std::vector<uint16_t> words) {
  bits_ = std::move(words);
  return *this;
}

// ---- the run directory ----

RunDirectory &RunDirectory::title(const std::string &text) {
  return title_record(static_cast<int32_t>(text.size()), text);
}

RunDirectory &RunDirectory::title_record(int32_t length, const std::string &bytes) {
  std::string record(8, '\0');
  put_i32(record, length);
  seg1_records_.push_back(record + bytes);
  return *this;
}

RunDirectory &RunDirectory::seg1_tail(const std::string &bytes) {
  seg1_tail_ = bytes;
  return *this;
}

AxisFixture &RunDirectory::axis(const std::string &name) {
  for (AxisFixture &a : axes_)
    if (a.name() == name) return a;
  axes_.emplace_back(name, static_cast<int>(axes_.size()) + 1);
  return axes_.back();
}

RunDirectory &RunDirectory::axis_count(int32_t count) {
  axis_count_ = count;
  return *this;
}

RunDirectory &RunDirectory::inc(const std::string &name, const std::string &label, const std::string &text) {
  incs_.push_back({name, label, text});
  return *this;
}

RunDirectory &RunDirectory::inc_count(int32_t count) {
  inc_count_ = count;
  return *this;
}

RunDirectory &RunDirectory::weight(int matrix, const std::string &label, const std::string &text) {
  weights_.push_back({matrix, label, text});
  return *this;
}

Respondent &RunDirectory::respondent() {
  cases_.emplace_back();
  return cases_.back();
}

RunDirectory &RunDirectory::intermed_sizes(const IntermedSizes &sizes) {
  sizes_ = sizes;
  return *this;
}

RunDirectory &RunDirectory::descrip(const DescripEntry &entry) {
  descrips_.push_back(entry);
  return *this;
}

RunDirectory &RunDirectory::descrips_text(const std::string &text) {
  descrips_text_ = text;
  return *this;
}

RunDirectory &RunDirectory::descrips_plain() {
  descrips_plain_ = true;
  return *this;
}

HeaderFields &RunDirectory::header(const std::string &file) { return headers_[file]; }

RunDirectory &RunDirectory::edit(const std::string &file, std::function<void(std::string &)> change) {
  edits_.emplace_back(file, std::move(change));
  return *this;
}

RunDirectory &RunDirectory::truncate(const std::string &file, size_t size) {
  return edit(file, [size](std::string &bytes) {
    if (bytes.size() > size) bytes.resize(size);
  });
}

RunDirectory &RunDirectory::omit(const std::string &file) {
  omitted_.insert(file);
  return *this;
}

RunDirectory &RunDirectory::replace(const std::string &file, const std::string &bytes) {
  replaced_[file] = bytes;
  return *this;
}

std::string RunDirectory::with_header(const std::string &file, int type, const std::string &body) const {
  auto found = headers_.find(file);
  return run_file_header(type, found != headers_.end() ? found->second : HeaderFields{}) + body;
}

std::string RunDirectory::seg1() const {
  std::string body(196, '\0');
  for (const std::string &record : seg1_records_) body += record;
  body += seg1_tail_;
  return with_header("seg1.qv", 9, body);
}

std::string RunDirectory::axes_inf() const {
  std::string body;
  put_i32(body, axis_count_ ? *axis_count_ : static_cast<int32_t>(axes_.size()));
  for (const AxisFixture &a : axes_) body += a.axes_inf_record();
  return with_header("axes.inf", 2, body);
}

int32_t RunDirectory::tag_bytes() const { return sizes_.tag_bytes ? *sizes_.tag_bytes : 4; }

int32_t RunDirectory::bit_bytes() const {
  if (sizes_.bit_bytes) return *sizes_.bit_bytes;
  int32_t words = 0;
  for (size_t i = 0; i < axes_.size(); ++i) {
    const AxisFixture &a = axes_[i];
    if (a.has_words()) words += a.word_count() * a.copies();
    if (a.grid_flag_ != 0) ++i; // the column axis of a grid has no words of its own
  }
  return 2 * words;
}

int32_t RunDirectory::value_bytes() const {
  return sizes_.value_bytes ? *sizes_.value_bytes : 4 * static_cast<int32_t>(incs_.size());
}

std::string RunDirectory::case_bits(const Respondent &r) const {
  std::vector<uint16_t> words;
  if (r.bits_) {
    words = *r.bits_;
  } else {
    std::map<std::pair<std::string, int>, size_t> start;
    std::map<std::pair<std::string, int>, int> span;
    for (size_t i = 0; i < axes_.size(); ++i) {
      const AxisFixture &a = axes_[i];
      if (a.has_words()) {
        for (int copy = 0; copy < a.copies(); ++copy) {
          start[{a.name(), copy}] = words.size();
          span[{a.name(), copy}] = a.word_count();
          words.resize(words.size() + static_cast<size_t>(a.word_count()), 0);
        }
      }
      if (a.grid_flag_ != 0) ++i;
    }
    for (const auto &[key, elements] : r.chosen_) {
      auto found = start.find(key);
      if (found == start.end())
        throw std::invalid_argument("no words in the case records for axis " + key.first + " copy " +
                                    std::to_string(key.second));
      for (int e : elements) {
        if (e < 0 || e >= 16 * span[key])
          throw std::invalid_argument("element " + std::to_string(e) + " outside the words of " + key.first);
        words[found->second + static_cast<size_t>(e / 16)] |= static_cast<uint16_t>(1u << (e % 16));
      }
    }
  }
  std::string bytes;
  for (uint16_t w : words) put_i16(bytes, w);
  return bytes;
}

namespace {

// The block as declared by the size header: cut or padded with the filler. A declared
// size beyond any real record (over 1 MiB) is left unpadded, so that a test can state an
// absurd size without the writer filling memory.
std::string sized(std::string bytes, int32_t size, const std::string &filler = std::string(1, '\0')) {
  size_t want = size > 0 ? static_cast<size_t>(size) : 0;
  if (want > (1u << 20)) return bytes;
  while (bytes.size() < want) bytes += filler;
  bytes.resize(want);
  return bytes;
}

std::string missing_bytes() {
  std::string bytes;
  put_f32(bytes, missing_inc_value);
  return bytes;
}

} // namespace

std::string RunDirectory::intermed() const {
  std::string body;
  put_i32(body, sizes_.levels ? *sizes_.levels : 0);
  put_i32(body, tag_bytes());
  put_i32(body, bit_bytes());
  put_i32(body, value_bytes());
  int serial = 0;
  for (const Respondent &r : cases_) {
    ++serial;
    std::string tag;
    if (r.tag_) {
      for (uint16_t w : *r.tag_) put_i16(tag, w);
    } else {
      put_i32(tag, serial);
    }
    body += sized(tag, tag_bytes());
    body += sized(case_bits(r), bit_bytes());
    std::string values;
    for (const IncFixture &inc : incs_) {
      auto found = r.values_.find(inc.name);
      put_f32(values, found != r.values_.end() ? found->second : missing_inc_value);
    }
    body += sized(values, value_bytes(), missing_bytes());
  }
  return with_header("intermed.q", 12, body);
}

std::string RunDirectory::incs_inf() const {
  std::string texts;
  std::string records;
  for (const IncFixture &inc : incs_) {
    std::string record(12, '\0');
    poke_i32(record, 8, static_cast<int32_t>(texts.size()));
    records += record;
    texts += inc.name;
    texts.push_back('\0');
  }
  std::string body;
  put_i32(body, inc_count_ ? *inc_count_ : static_cast<int32_t>(incs_.size()));
  put_i32(body, static_cast<int32_t>(texts.size()));
  return with_header("incs.inf", 8, body + texts + records);
}

std::string RunDirectory::weightin() const {
  std::string body;
  put_i32(body, weights_.empty() ? -1 : 0);
  body.append(40, '\0');
  for (const WeightFixture &w : weights_) {
    std::string record(156, '\0');
    poke_i16(record, 4, w.matrix);
    body += record;
  }
  return with_header("weightin.q", 5, body);
}

std::string RunDirectory::wmvals(int matrix) const {
  std::string body;
  for (const Respondent &r : cases_) {
    auto found = r.weights_.find(matrix);
    put_f32(body, found != r.weights_.end() ? found->second : 1.0f);
  }
  return with_header("wmvals" + std::to_string(matrix) + ".q", 18, body);
}

std::map<std::string, std::string> RunDirectory::files() const {
  std::map<std::string, std::string> files;
  files["seg1.qv"] = seg1();
  files["axes.inf"] = axes_inf();
  for (const AxisFixture &a : axes_) files[a.file_name()] = with_header(a.file_name(), 3, a.file_bytes());
  files["intermed.q"] = intermed();
  files["incs.inf"] = incs_inf();
  files["weightin.q"] = weightin();
  for (const WeightFixture &w : weights_) files["wmvals" + std::to_string(w.matrix) + ".q"] = wmvals(w.matrix);
  for (const auto &[name, bytes] : replaced_) files[name] = bytes;
  for (const auto &[name, change] : edits_) {
    auto found = files.find(name);
    if (found != files.end()) change(found->second);
  }
  for (const std::string &name : omitted_) files.erase(name);
  files.erase("descrips.inf");
  return files;
}

std::string RunDirectory::descrips() const {
  std::string text;
  if (descrips_text_) {
    text = *descrips_text_;
  } else {
    std::vector<DescripEntry> entries;
    for (const AxisFixture &a : axes_) {
      if (!a.descrip_) continue;
      DescripEntry entry;
      entry.kind = "axis";
      entry.tag = a.name();
      entry.label = a.label_;
      entry.text = a.description_;
      if (a.grid_flag_ != 0) entry.grid = a.grid_count_ != 0 ? 1 : 2;
      entries.push_back(entry);
    }
    for (const IncFixture &inc : incs_) {
      DescripEntry entry;
      entry.kind = "inc";
      entry.tag = inc.name;
      entry.label = inc.label;
      entry.text = inc.text;
      entries.push_back(entry);
    }
    for (const WeightFixture &w : weights_) {
      DescripEntry entry;
      entry.kind = "weight";
      char tag[16];
      std::snprintf(tag, sizeof tag, "w_%04d_", w.matrix % 10000);
      entry.tag = tag;
      entry.label = w.label;
      entry.text = w.text;
      entry.wmid = w.matrix >= 0 && w.matrix <= 9 ? w.matrix : 0;
      entries.push_back(entry);
    }
    entries.insert(entries.end(), descrips_.begin(), descrips_.end());
    text = "##version=1001\n";
    static const char *const kinds[] = {"axis", "inc", "alph", "bit", "axlist", "weight", "group"};
    for (const char *kind : kinds) {
      for (const DescripEntry &e : entries) {
        if (e.kind != kind) continue;
        text += "#@" + e.kind + " " + e.tag + "\n";
        text += e.text + "\n";
        text += "#;level=" + std::to_string(e.level) + "\n";
        text += "#;tag=" + e.tag + "\n";
        text += "#;label=" + e.label + "\n";
        if (e.kind == "axis" && e.grid != 0) text += "#;grid=" + std::to_string(e.grid) + "\n";
        if (e.kind == "axis" && !e.parent.empty()) text += "#;parent=" + e.parent + "\n";
        if (e.kind == "weight") text += "#;wmid=" + std::to_string(e.wmid) + "\n";
        if (e.user_created) text += "#;usrcrt=1\n";
      }
    }
  }
  for (const auto &[name, change] : edits_)
    if (name == "descrips.inf") change(text);
  return text;
}

void RunDirectory::write(const std::string &directory) const {
  for (const auto &[name, bytes] : files()) write_file(directory + "/" + name, bytes);
  if (omitted_.count("descrips.inf")) return;
  std::string path = directory + "/descrips.inf";
  auto replaced = replaced_.find("descrips.inf");
  if (replaced != replaced_.end()) {
    write_file(path, replaced->second);
    return;
  }
  std::string text = descrips();
  if (descrips_plain_) {
    write_file(path, text);
    return;
  }
  CompressedFile *file = compressed_open(path.c_str(), "wb", 16);
  if (!file) throw std::runtime_error("cannot write " + path + ": " + compressed_error_text());
  if (!text.empty() && compressed_write(file, text.data(), static_cast<int>(text.size())) < 0) {
    compressed_close(file);
    throw std::runtime_error("cannot compress " + path);
  }
  if (compressed_close(file) < 0) throw std::runtime_error("cannot finish " + path);
}
