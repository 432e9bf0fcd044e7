// Test support: states a Tabulon run directory in a few lines and writes its files.
//
//   RunDirectory run;
//   run.title("Brand survey").title("Wave 2");
//   run.axis("q1").title("Gender").element("Male").element("Female");
//   run.axis("q2").title("Brands used").element("Brand A").element("Brand B").text_line("Base: all").multi();
//   run.axis("agrid").grid_side(2).element("Yes").element("No");       // a grid pair: side axis ...
//   run.axis("bgrid").grid_column().element("Col 1").element("Col 2");  // ... and its column axis
//   run.inc("age").inc("income", "", "Household income");
//   run.weight(3);
//   run.respondent().choose("q1", 0).choose("q2", {0, 1}).choose_copy("agrid", 1, 0)
//       .value("age", 34).value("income", missing_inc_value).weight(3, 1.2f);
//   run.write(dir);
//
// Element indexes are positions among the STORED elements of an axis (the bit numbers of
// the case records); elements written without the stored flag have no index.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

// The inc value that stands for "missing" in intermed.q.
constexpr float missing_inc_value = -1048576.0f;

// Little-endian byte builders.
void put_i8(std::string &bytes, int value);
void put_i16(std::string &bytes, int value);
void put_i32(std::string &bytes, int32_t value);
void put_f32(std::string &bytes, float value);
// Writes value at a byte position of bytes (which must be large enough).
void poke_i16(std::string &bytes, size_t at, int value);
void poke_i32(std::string &bytes, size_t at, int32_t value);

// The 64-byte header of a binary run file; every field can be damaged for tests.
struct HeaderFields {
  int16_t header_format = 2;
  int16_t zero_word = 0;
  int16_t magic = 0x5555;
  std::optional<int16_t> type; // default: the type the reader expects for the file
  int16_t version = 11;        // default: right for every file written here
  std::array<unsigned char, 40> info{2, 1, 1, 1, 2, 1, 1, 2, 1, 2, 1, 1, 1, 1, 1, 1};
  int32_t created = 946684800;  // fixed, so that files are reproducible
  bool out_of_date = false;     // write only the word 0x5555 (an out-of-date file)
  std::optional<size_t> length; // write only this many bytes of the header
};

// Everything written to a stream so far (for debug traces sent to a tmpfile()).
std::string stream_text(FILE *stream);

// The header bytes for a file of the given type.
std::string run_file_header(int type, const HeaderFields &fields = HeaderFields{});

// One element record of an axis file.
struct ElementRecord {
  std::string text;
  int type = 1;                       // 0: not a category
  bool stored = true;                 // flags bit 0x0800
  bool not_category = false;          // flags2 bit 0x0040
  std::optional<int32_t> text_offset; // default: where the writer put the text
  std::optional<int> padding_before;  // filler bytes in the text block before this text
};

// One title line of an axis file.
struct TitleLine {
  std::string text;
  int16_t justify = 0;           // >= 0: the text is written after a 2-character prefix
  std::string prefix = "C ";     // the justification prefix when justify >= 0
  std::optional<int16_t> offset; // default: where the writer put the text (prefix included)
};

// One axis: its axes.inf record and its .ax/.ay file.
class AxisFixture {
public:
  explicit AxisFixture(std::string name, int number);

  AxisFixture &title(const std::string &text);                      // title line with a 2-char prefix
  AxisFixture &title(const std::string &text, int16_t justify);     // justify < 0: no prefix
  AxisFixture &title(const TitleLine &fields);                      // any title line
  AxisFixture &axis_text(const std::string &text);                  // has_axis_text and its text
  AxisFixture &element(const std::string &text, int type = 1);      // stored element (a category when type != 0)
  AxisFixture &text_line(const std::string &text);                  // stored element of type 0
  AxisFixture &unstored(const std::string &text, int type = 1);     // element without the stored flag
  AxisFixture &not_category(const std::string &text, int type = 1); // stored, flags2 0x0040
  AxisFixture &element(const ElementRecord &fields);                // any element record
  AxisFixture &elements(int count, const std::string &stem = "E");  // count categories "E0", "E1", ...
  AxisFixture &multi();                                             // export flags 0x04|0x08: coded as multiple
  AxisFixture &export_single();                                     // export flag 0x04 alone ('exportsp')
  AxisFixture &export_flags(int flags);                             // any export flags byte
  AxisFixture &grid_side(int columns);                              // grid_flag 1, grid_count columns
  AxisFixture &grid_column();                                       // grid_flag 1, grid_count 0: written as .ay
  AxisFixture &grid(int flag, int count);                           // any grid_flag / grid_count
  AxisFixture &in_data(int value);                                  // in_data word (default 1)
  AxisFixture &number(int value);                    // axis number (default: position in axes.inf, from 1)
  AxisFixture &label(const std::string &text);       // descrips.inf label: the replacement name
  AxisFixture &description(const std::string &text); // descrips.inf text
  AxisFixture &no_descrip();                         // no descrips.inf entry for this axis

  // Damage and raw fields of the axis header.
  AxisFixture &record_count(int16_t count);                       // element_record_count as written
  AxisFixture &title_count(int16_t count);                        // title_count as written
  AxisFixture &text_sizes(int16_t short_size, int32_t long_size); // both size fields as written
  AxisFixture &long_text_size();                                  // size in text_size_long only (short field 0)
  AxisFixture &axis_text_offset(int16_t offset);                  // axis_text_offset as written
  AxisFixture &header_bytes(const std::function<void(std::string &)> &edit); // edit the 320 bytes

  const std::string &name() const { return name_; }
  std::string file_name() const;       // name.ax, or name.ay for a grid column axis
  int stored_count() const;            // stored elements
  int word_count() const;              // 16-bit words per case copy
  int copies() const;                  // copies in the case records after grid expansion
  bool has_words() const;              // occupies words in the case records
  std::string axes_inf_record() const; // the 68-byte axes.inf record
  std::string file_bytes() const;      // the axis file after its run-file header

private:
  friend class RunDirectory;
  std::string name_;
  int number_;
  int in_data_ = 1;
  int grid_flag_ = 0;
  int grid_count_ = 0;
  int export_flags_ = 0;
  std::vector<ElementRecord> elements_;
  std::vector<TitleLine> titles_;
  std::optional<std::string> axis_text_;
  std::optional<int16_t> axis_text_offset_;
  std::optional<int16_t> record_count_;
  std::optional<int16_t> title_count_;
  std::optional<std::pair<int16_t, int32_t>> text_sizes_;
  bool long_text_size_ = false;
  std::function<void(std::string &)> header_edit_;
  std::string label_;
  std::string description_;
  bool descrip_ = true;
};

// One case of intermed.q with its weight values.
class Respondent {
public:
  Respondent &choose(const std::string &axis, int element); // element chosen
  Respondent &choose(const std::string &axis, std::initializer_list<int> elements);
  Respondent &choose_copy(const std::string &axis, int copy, int element); // in grid copy x<copy>
  Respondent &choose_copy(const std::string &axis, int copy, std::initializer_list<int> elements);
  Respondent &value(const std::string &inc, float value); // inc value (default missing)
  Respondent &weight(int matrix, float value);            // weight value (default 1)
  Respondent &tag(std::vector<uint16_t> words);           // tag block words (default: serial)
  Respondent &bits(std::vector<uint16_t> words);          // the whole bit block, raw

private:
  friend class RunDirectory;
  std::map<std::pair<std::string, int>, std::set<int>> chosen_;
  std::map<std::string, float> values_;
  std::map<int, float> weights_;
  std::optional<std::vector<uint16_t>> tag_;
  std::optional<std::vector<uint16_t>> bits_;
};

// One entry of descrips.inf in the package's layout.
struct DescripEntry {
  std::string kind = "axis"; // axis, inc, alph, bit, axlist, weight, group
  std::string tag;
  std::string label;
  std::string text;
  int level = 0;
  int grid = 0;       // axes: written when not 0
  std::string parent; // axes: written when not empty
  int wmid = 0;       // weights: always written
  bool user_created = false;
};

// The sizes of intermed.q's size header, each overridable. Each record's blocks are cut
// or padded to the sizes written, except that a size over 1 MiB leaves the block unpadded.
struct IntermedSizes {
  std::optional<int32_t> levels{};
  std::optional<int32_t> tag_bytes{};
  std::optional<int32_t> bit_bytes{};
  std::optional<int32_t> value_bytes{};
};

class RunDirectory {
public:
  RunDirectory &title(const std::string &text);                         // a seg1.qv title record
  RunDirectory &title_record(int32_t length, const std::string &bytes); // a raw record: any length word
  RunDirectory &seg1_tail(const std::string &bytes);                    // bytes after the last record (a cut record)

  AxisFixture &axis(const std::string &name); // adds an axis, or returns the one so named
  RunDirectory &axis_count(int32_t count);    // axis count of axes.inf as written

  RunDirectory &inc(const std::string &name, const std::string &label = "", const std::string &text = "");
  RunDirectory &inc_count(int32_t count); // inc_count of incs.inf as written
  RunDirectory &weight(int matrix, const std::string &label = "", const std::string &text = "");

  Respondent &respondent();                                 // adds a case
  RunDirectory &intermed_sizes(const IntermedSizes &sizes); // override the size header

  RunDirectory &descrip(const DescripEntry &entry);     // an extra descrips.inf entry
  RunDirectory &descrips_text(const std::string &text); // descrips.inf holds exactly this text
  RunDirectory &descrips_plain();                       // descrips.inf written uncompressed

  HeaderFields &header(const std::string &file); // header of one file, to damage it
  RunDirectory &edit(const std::string &file, std::function<void(std::string &)> change); // after building
  RunDirectory &truncate(const std::string &file, size_t size);                           // cut a file to size bytes
  RunDirectory &omit(const std::string &file);                                            // do not write this file
  RunDirectory &replace(const std::string &file, const std::string &bytes);               // write these bytes instead

  // The bytes of every binary file, after edits (descrips.inf not included).
  std::map<std::string, std::string> files() const;
  // descrips.inf as text, before compression.
  std::string descrips() const;
  // The sizes that intermed.q's header will hold (overrides applied).
  int32_t tag_bytes() const;
  int32_t bit_bytes() const;
  int32_t value_bytes() const;
  // Writes every file into the directory (which must exist).
  void write(const std::string &directory) const;

  const std::deque<AxisFixture> &axis_list() const { return axes_; }

private:
  std::string seg1() const;
  std::string axes_inf() const;
  std::string intermed() const;
  std::string incs_inf() const;
  std::string weightin() const;
  std::string wmvals(int matrix) const;
  std::string with_header(const std::string &file, int type, const std::string &body) const;
  std::string case_bits(const Respondent &r) const;

  std::vector<std::string> seg1_records_;
  std::string seg1_tail_;
  std::deque<AxisFixture> axes_;
  std::optional<int32_t> axis_count_;
  struct IncFixture {
    std::string name, label, text;
  };
  std::vector<IncFixture> incs_;
  std::optional<int32_t> inc_count_;
  struct WeightFixture {
    int matrix;
    std::string label, text;
  };
  std::vector<WeightFixture> weights_;
  std::deque<Respondent> cases_;
  IntermedSizes sizes_;
  std::vector<DescripEntry> descrips_;
  std::optional<std::string> descrips_text_;
  bool descrips_plain_ = false;
  std::map<std::string, HeaderFields> headers_;
  std::vector<std::pair<std::string, std::function<void(std::string &)>>> edits_;
  std::set<std::string> omitted_;
  std::map<std::string, std::string> replaced_;
};
