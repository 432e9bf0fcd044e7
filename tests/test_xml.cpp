// Triple-S XML description: text escaping, XML names, the document and its agreement
// with the fixed-column data; end to end through zn2xml.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "testsupport/process.h"
#include "testsupport/runfiles_writer.h"
#include "writer_model.h"
#include "writers/data.h"
#include "writers/xml.h"

using namespace writer_model;

namespace {

// What the escaping gives one byte in the middle of a text.
std::string escaped_byte(unsigned b) {
  char hex[16];
  switch (b) {
  case 0x0A:
    return "<br/>";
  case 0x22:
    return "&quot;";
  case 0x26:
    return "&amp;";
  case 0x27:
    return "&apos;";
  case 0x3C:
    return "&lt;";
  case 0x3E:
    return "&gt;";
  case 0x80:
    return "&#x20AC;";
  case 0xAF:
    return "\xaf";
  }
  if (b < 0x20 || b == 0x7F) return "&#32;";
  if (b > 0x80) {
    std::snprintf(hex, sizeof hex, "&#x%02x;", b);
    return hex;
  }
  return std::string(1, static_cast<char>(b));
}

TEST(XmlEscape, EveryByte) {
  for (unsigned b = 1; b < 256; b++) {
    std::string text = std::string("a") + static_cast<char>(b) + "z";
    EXPECT_EQ(xml_escape(text.c_str()), "a" + escaped_byte(b) + "z") << "byte " << b;
  }
  EXPECT_EQ(xml_escape("\xe9"), "&#xe9;");
  EXPECT_EQ(xml_escape("\x9f"), "&#x9f;");
  EXPECT_EQ(xml_escape(""), "");
}

TEST(XmlEscape, LineFeeds) {
  EXPECT_EQ(xml_escape("first\nsecond"), "first<br/>second");
  EXPECT_EQ(xml_escape("first\nsecond\n"), "first<br/>second");
  EXPECT_EQ(xml_escape("\n\n"), "<br/>");
  EXPECT_EQ(xml_escape("\n"), "");
}

TEST(XmlName, Cases) {
  struct Case {
    const char *text, *name;
  } cases[] = {
      {"1st score (raw)", "_1stscore_raw_"},
      {"q1", "q1"},
      {"my_name", "my_name"},
      {"a-b.c", "a_b_c"},
      {" \t\n\v\f\rx", "x"},
      {"9", "_9"},
      {"caf\xe9", "caf\xe9"},
      {"@weight0", "_weight0"},
      {"", ""},
      {"a\x01"
       "b",
       "a\x01"
       "b"},
  };
  for (const Case &c : cases) EXPECT_EQ(xml_name(c.text), c.name) << c.text;
  // Written through the escaping, control bytes and high bytes become references.
  EXPECT_EQ(xml_escape(xml_name("caf\xe9 \x01").c_str()), "caf&#xe9;&#32;");
}

class XmlDescriptionTest : public ::testing::Test {
protected:
  void SetUp() override { setenv("SOURCE_DATE_EPOCH", "1700000000", 1); }
  void TearDown() override { unsetenv("SOURCE_DATE_EPOCH"); }
  TempDir dir;
  ScopedChdir here{dir.path()};
};

const char sample_xml[] = R"(<?xml version="1.0" encoding="ISO-8859-1"?>
<sss version="1.1">
	<date>14 Nov 2023</date>
	<time>22:13</time>
	<origin>WINDOWS, created by zn2xml</origin>
	<survey>
		<title>Brand &lt;survey&gt;Wave 2</title>
		<record ident="A">

			<variable ident="1" type="single">
			<name>q1</name>
			<label>Gender<br/>of respondent</label>
			<position start="1"/>
				<values>
					<value code="0">Male</value>
					<value code="1">Female</value>
				</values>
			</variable>

			<variable ident="2" type="multiple">
			<name>q2</name>
			<label>Q&amp;A&#32;x &quot;quoted&quot;</label>
			<position start="2" finish="4"/>
				<values>
					<value code="1">A</value>
					<value code="2">B</value>
					<value code="3">Caf&#xe9;</value>
				</values>
			</variable>

			<variable ident="3" type="single">
			<name>q3</name>
			<label>q3</label>
			<position start="5"/>
				<values>
				</values>
			</variable>

			<variable ident="4" type="single">
			<name>lone</name>
			<label>Only one</label>
			<position start="6" finish="7"/>
			</variable>

			<variable ident="5" type="quantity">
			<name>_1stscore_raw_</name>
			<label>1st score (raw)</label>
			<position start="8"/>
				<values>
					<range from="1" to="5"/>
				</values>
			</variable>

			<variable ident="6" type="quantity">
			<name>real</name>
			<label>real</label>
			<position start="9" finish="17"/>
				<values>
					<value code="2.5000000">the only valid value</value>
				</values>
			</variable>

			<variable ident="7" type="quantity">
			<name>five</name>
			<label>five</label>
			<position start="18"/>
				<values>
					<range from="5" to="5"/>
				</values>
			</variable>

			<variable ident="8" type="quantity">
			<name>weight0</name>
			<label>weight0</label>
			<position start="19"/>
				<values>
					<range from="1" to="1"/>
				</values>
			</variable>
		</record>
	</survey>
</sss>
)";

const char sample_asc[] = "01010 112.500000051\n"
                          "1      52.500000051\n"
                          " 0101  32.500000051\n";

TEST_F(XmlDescriptionTest, DocumentAndDataAgree) {
  sample_survey("xml");
  write_xml_description("survey.xml", "survey.asc");
  EXPECT_EQ(read_file("survey.xml"), sample_xml);
  EXPECT_EQ(read_file("survey.asc"), "") << "the data are written by the data stage";
  cr_data("survey.asc", &data_writers[writer_fixed], 0);
  EXPECT_EQ(read_file("survey.asc"), sample_asc);
}

TEST_F(XmlDescriptionTest, TitleAndRanges) {
  reset("xml");
  add_inc("big", "Big");
  add_inc("neg", "Neg");
  add_inc("real", "Real");
  write_intermed(0, 3, {{{}, {3.0e9f, -0.5f, 0.5f}}, {{}, {-4.0e9f, -0.25f, 2.0f}}});
  write_xml_description("survey.xml", "survey.asc");
  std::string xml = read_file("survey.xml");
  EXPECT_NE(xml.find("<title>unknown</title>"), std::string::npos);
  EXPECT_NE(xml.find("<range from=\"-4000000000\" to=\"3000000000\"/>"), std::string::npos) << xml;
  EXPECT_NE(xml.find("<range from=\"-0.5000000\" to=\"-0.2500000\"/>"), std::string::npos) << xml;
  EXPECT_NE(xml.find("<range from=\"0.5000000\" to=\"2.0000000\"/>"), std::string::npos) << xml;
  // An integer variable whose values truncate to -0 and 0 is written without a sign.
  reset("xml");
  add_inc("z", "Z");
  write_intermed(0, 1, {{{}, {-0.0f}}, {{}, {0.0f}}});
  write_xml_description("survey.xml", "survey.asc");
  EXPECT_NE(read_file("survey.xml").find("<range from=\"0\" to=\"0\"/>"), std::string::npos);
}

TEST_F(XmlDescriptionTest, WidenedFieldsMoveThePositions) {
  reset("xml");
  set_missing("n/a");
  Axis *g = add_axis("g", {"A", "B"});
  add_multiple(g, "G");
  Axis *s = add_axis("s", {"A"});
  add_single(s, "s", "S");
  build_masks();
  write_intermed(2, 0, {{{0x0001, 0x0000}, {}}});
  write_xml_description("survey.xml", "survey.asc");
  std::string xml = read_file("survey.xml");
  EXPECT_NE(xml.find("<position start=\"1\" finish=\"6\"/>"), std::string::npos) << xml;
  EXPECT_NE(xml.find("<position start=\"7\" finish=\"9\"/>"), std::string::npos) << xml;
  cr_data("survey.asc", &data_writers[writer_fixed], 0);
  EXPECT_EQ(read_file("survey.asc"), "  1  0n/a\n");
}

} // namespace
